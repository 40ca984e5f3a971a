#include "db/clinicdb.h"

#include <QSet>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "platform/datadir.h"
#include "db/sql.h"

namespace {
const QString kSqliteDriver = QStringLiteral("QSQLITE");
const QString kPostgresDriver = QStringLiteral("QPSQL");
// Serialises the making of tables when several desks open a new server
// store at the same moment.
const qlonglong kSchemaLock = 7310417;

const QString kSqliteTables = QStringLiteral("select name from sqlite_master where type = 'table'");
const QString kPostgresTables = QStringLiteral("select tablename from pg_tables where schemaname = current_schema()");
const QString kSqliteScratchExists =
    QStringLiteral("select count(*) from temp.sqlite_master where type = 'table' and name = ?");
const QString kPostgresScratchExists =
    QStringLiteral("select count(*) from pg_class where relname = ? and relnamespace = pg_my_temp_schema()");
const QString kPostgresSchemaLock = QStringLiteral("select pg_advisory_xact_lock(?)");

// libpq's key=value form: pairs apart by blanks, blanks allowed around '=',
// a value in single quotes may hold blanks, \' and \\. A later key wins.
QList<QPair<QString, QString>> ParseConnectionString(const QString& text) {
  QList<QPair<QString, QString>> pairs;
  int i = 0;
  const int n = text.size();
  auto skipBlanks = [&] {
    while (i < n && text.at(i).isSpace()) ++i;
  };
  while (true) {
    skipBlanks();
    if (i >= n) break;
    QString key;
    while (i < n && !text.at(i).isSpace() && text.at(i) != QLatin1Char('=')) key += text.at(i++);
    skipBlanks();
    if (i >= n || text.at(i) != QLatin1Char('='))
      throw DbError(QStringLiteral("missing \"=\" after \"%1\" in the clinic server's connection string").arg(key));
    ++i;
    skipBlanks();
    QString value;
    if (i < n && text.at(i) == QLatin1Char('\'')) {
      ++i;
      bool closed = false;
      while (i < n) {
        const QChar c = text.at(i++);
        if (c == QLatin1Char('\\') && i < n) {
          value += text.at(i++);
        } else if (c == QLatin1Char('\'')) {
          closed = true;
          break;
        } else {
          value += c;
        }
      }
      if (!closed) throw DbError(QStringLiteral("unterminated quoted value in the clinic server's connection string"));
    } else {
      while (i < n && !text.at(i).isSpace()) {
        const QChar c = text.at(i++);
        if (c == QLatin1Char('\\') && i < n)
          value += text.at(i++);
        else
          value += c;
      }
    }
    pairs.removeIf([&](const QPair<QString, QString>& p) { return p.first == key; });
    pairs.append({key, value});
  }
  return pairs;
}

QString QuotedOption(const QString& value) {
  QString quoted = value;
  quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString TypeName(ColumnType type, bool postgres) {
  switch (type) {
    case ColumnType::Text: return QStringLiteral("text");
    case ColumnType::Number: return postgres ? QStringLiteral("double precision") : QStringLiteral("real");
    case ColumnType::Money: return postgres ? QStringLiteral("numeric(18,2)") : QStringLiteral("real");
    case ColumnType::Day: return postgres ? QStringLiteral("date") : QStringLiteral("text");
  }
  return QStringLiteral("text");
}

QString ColumnDefinition(const ClinicColumn& column, bool postgres) {
  QString definition = QuotedName(column.name) + QLatin1Char(' ') + TypeName(column.type, postgres);
  if (column.IsGenerated()) {
    const QString& formula =
        postgres && !column.generatedPostgres.isEmpty() ? column.generatedPostgres : column.generated;
    definition += QStringLiteral(" generated always as (%1) stored").arg(formula);
  }
  return definition;
}

QString ColumnList(const std::vector<ClinicColumn>& columns, bool postgres) {
  QStringList definitions;
  for (const ClinicColumn& column : columns) definitions << ColumnDefinition(column, postgres);
  return definitions.join(QStringLiteral(", "));
}

QString QuotedNames(const QStringList& names) {
  QStringList quoted;
  for (const QString& name : names) quoted << QuotedName(name);
  return quoted.join(QStringLiteral(", "));
}

QStringList TableStatements(const ClinicTable& table, bool postgres) {
  QString columns = ColumnList(table.columns, postgres);
  if (!table.key.isEmpty()) columns += QStringLiteral(", primary key (%1)").arg(QuotedNames(table.key));
  QStringList statements{QStringLiteral("create table if not exists %1 (%2)").arg(QuotedName(table.name), columns)};
  int number = 0;
  for (const QStringList& index : table.indexes)
    statements << QStringLiteral("create index if not exists %1 on %2 (%3)")
                      .arg(QuotedName(QStringLiteral("%1_i%2").arg(table.name).arg(++number)), QuotedName(table.name),
                           QuotedNames(index));
  return statements;
}

QSet<QString> ExistingTables(const QSqlDatabase& db) {
  QSet<QString> names;
  QSqlQuery query = Exec(db, IsPostgres(db) ? kPostgresTables : kSqliteTables);
  while (query.next()) names.insert(query.value(0).toString());
  return names;
}

Connection OpenSqlite() {
  Connection connection(UniqueConnectionName(QStringLiteral("clinic")));
  QSqlDatabase db = QSqlDatabase::addDatabase(kSqliteDriver, connection.name());
  db.setDatabaseName(ClinicDatabasePath());
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
  if (!db.open()) throw DbError(db.lastError().text());
  Exec(db, QStringLiteral("pragma journal_mode = wal"));
  return connection;
}
}  // namespace

QString ClinicConnectionString() {
  const char* const variable = "BRIMWICK_CLINIC_SERVER";
  if (qEnvironmentVariableIsSet(variable)) return qEnvironmentVariable(variable).trimmed();
  const QSettings ini(DataDir() + QStringLiteral("brimwick.ini"), QSettings::IniFormat);
  const QVariant value = ini.value(QStringLiteral("clinic/server"));
  // An unquoted value with commas comes back from the ini file as a list.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(',')).trimmed();
  return value.toString().trimmed();
}

QString ClinicDatabasePath() { return DataDir() + QStringLiteral("Varnhold.db"); }

bool IsPostgres(const QSqlDatabase& db) { return db.driverName() == kPostgresDriver; }

QString QuotedName(const QString& name) {
  QString quoted = name;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QList<QVariantList> ReadAll(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  QSqlQuery query = Exec(db, sql, values);
  QList<QVariantList> rows;
  const int columns = query.record().count();
  while (query.next()) {
    QVariantList row;
    row.reserve(columns);
    for (int i = 0; i < columns; ++i) row << query.value(i);
    rows << row;
  }
  return rows;
}

void ExecDirect(const QSqlDatabase& db, const QString& sql) { Exec(db, sql); }

Connection OpenPostgres(const QString& connectionString) {
  const auto pairs = ParseConnectionString(connectionString);
  Connection connection(UniqueConnectionName(QStringLiteral("clinic")));
  QSqlDatabase db = QSqlDatabase::addDatabase(kPostgresDriver, connection.name());
  QStringList options;
  for (const auto& [key, value] : pairs) {
    if (key == QLatin1String("host"))
      db.setHostName(value);
    else if (key == QLatin1String("port"))
      db.setPort(value.toInt());
    else if (key == QLatin1String("dbname"))
      db.setDatabaseName(value);
    else if (key == QLatin1String("user"))
      db.setUserName(value);
    else if (key == QLatin1String("password"))
      db.setPassword(value);
    else
      options << key + QLatin1Char('=') + QuotedOption(value);
  }
  db.setConnectOptions(options.join(QLatin1Char(';')));
  if (!db.open()) throw DbError(db.lastError().text());
  // The server's notices ("does not exist, skipping") are not errors.
  ExecDirect(db, QStringLiteral("set client_min_messages = warning"));
  return connection;
}

Connection OpenClinicDatabase() {
  const QString server = ClinicConnectionString();
  Connection connection = server.isEmpty() ? OpenSqlite() : OpenPostgres(server);
  CreateClinicSchema(connection.db());
  return connection;
}

void CreateClinicSchema(const QSqlDatabase& db) {
  const bool postgres = IsPostgres(db);
  const QSet<QString> existing = ExistingTables(db);
  QStringList statements;
  for (const ClinicTable& table : ClinicTables())
    if (!existing.contains(table.name)) statements << TableStatements(table, postgres);
  if (statements.isEmpty()) return;
  BeginWrite(db);
  try {
    if (postgres) Exec(db, kPostgresSchemaLock, {kSchemaLock});
    for (const QString& statement : statements) ExecDirect(db, statement);
    CommitWrite(db);
  } catch (...) {
    RollbackWrite(db);
    throw;
  }
}

void BeginWrite(const QSqlDatabase& db) {
  // SQLite's plain begin takes the write lock only at the first write, and
  // a second desk then fails there instead of waiting.
  ExecDirect(db, IsPostgres(db) ? QStringLiteral("begin") : QStringLiteral("begin immediate"));
}

void CommitWrite(const QSqlDatabase& db) { ExecDirect(db, QStringLiteral("commit")); }

void RollbackWrite(const QSqlDatabase& db) noexcept {
  QSqlQuery query(db);
  query.exec(QStringLiteral("rollback"));
}

void CreateScratchTable(const QSqlDatabase& db, const QString& name, const std::vector<ClinicColumn>& columns) {
  ExecDirect(db, QStringLiteral("create temp table %1 (%2)").arg(QuotedName(name), ColumnList(columns, IsPostgres(db))));
}

void CreateScratchTable(const QSqlDatabase& db, const ClinicTable& layout) {
  CreateScratchTable(db, layout.name, layout.columns);
}

void DropScratchTable(const QSqlDatabase& db, const QString& name) {
  // Qualified, so that a missing scratch table never lets the drop reach
  // the shared table of the same name.
  const QString schema = IsPostgres(db) ? QStringLiteral("pg_temp") : QStringLiteral("temp");
  ExecDirect(db, QStringLiteral("drop table if exists %1.%2").arg(schema, QuotedName(name)));
}

bool ScratchTableExists(const QSqlDatabase& db, const QString& name) {
  return ScalarText(db, IsPostgres(db) ? kPostgresScratchExists : kSqliteScratchExists, {name}) != QLatin1String("0");
}

ScratchTable::ScratchTable(const QSqlDatabase& db, const QString& name, const std::vector<ClinicColumn>& columns)
    : db_(db), name_(name) {
  DropScratchTable(db_, name_);
  CreateScratchTable(db_, name_, columns);
}

ScratchTable::ScratchTable(const QSqlDatabase& db, const ClinicTable& layout)
    : ScratchTable(db, layout.name, layout.columns) {}

ScratchTable::~ScratchTable() {
  try {
    if (db_.isOpen()) DropScratchTable(db_, name_);
  } catch (const DbError&) {
    // Inside a failed transaction the drop fails too; the rollback or the
    // closing of the connection removes the table instead.
  }
}
