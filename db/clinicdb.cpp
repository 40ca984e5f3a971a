#include "db/clinicdb.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QSqlDriver>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "platform/datadir.h"
#include "db/sql.h"
#include "db/statementwatch.h"

namespace {
const QString kSqliteDriver = QStringLiteral("QSQLITE");
const QString kPostgresDriver = QStringLiteral("QPSQL");
// Serialises the making of tables when several desks open a new server
// store at the same moment.
const qlonglong kSchemaLock = 7310417;

const QString kSqliteTables = QStringLiteral("select name from sqlite_master where type = 'table'");
const QString kPostgresTables = QStringLiteral("select tablename from pg_tables where schemaname = current_schema()");
const QString kSqliteIndexes = QStringLiteral("select name from sqlite_master where type = 'index'");
const QString kPostgresIndexes =
    QStringLiteral("select indexname from pg_indexes where schemaname = current_schema()");
const QString kSqliteScratchExists =
    QStringLiteral("select count(*) from temp.sqlite_master where type = 'table' and name = ?");
const QString kPostgresScratchExists =
    QStringLiteral("select count(*) from pg_class where relname = ? and relnamespace = pg_my_temp_schema()");
const QString kPostgresSchemaLock = QStringLiteral("select pg_advisory_xact_lock(?)");
// How long a transaction that runs alone waits for its tables at a time,
// and in all (as long as SQLite's busy time-out).
const QString kPostgresShortLockWait = QStringLiteral("set local lock_timeout = '200ms'");
const QString kPostgresLockNotAvailable = QStringLiteral("55P03");
const qint64 kAloneWaitMs = 30000;
const QString kPostgresNameLock = kPostgresSchemaLock;
// SQLite has one write lock for the whole file: a desk waits this long
// for it, a posting that runs alone (the day close) longer.
const int kSqliteDeskWaitMs = 10000;
const QString kSqliteDeskWait = QStringLiteral("pragma busy_timeout = %1").arg(kSqliteDeskWaitMs);
const QString kSqliteAloneWait = QStringLiteral("pragma busy_timeout = %1").arg(kAloneWaitMs);

// How long a server connection waits before it says so, unless the
// connection string names its own value. Connecting: a server that accepts
// and never answers, or an address where nothing listens. Keep-alive and
// unacknowledged data: a server or network that went away under an open
// connection.
const QMap<QString, QString> kClientTimeouts = {
    {QStringLiteral("connect_timeout"), QStringLiteral("5")},
    {QStringLiteral("keepalives"), QStringLiteral("1")},
    {QStringLiteral("keepalives_idle"), QStringLiteral("10")},
    {QStringLiteral("keepalives_interval"), QStringLiteral("3")},
    {QStringLiteral("keepalives_count"), QStringLiteral("3")},
    {QStringLiteral("tcp_user_timeout"), QStringLiteral("15000")},
};
// The server's own limits: a desk waits a few seconds for a row another
// desk holds, no statement runs past two minutes, and a transaction left
// open by a desk that died frees its locks. The server's notices ("does
// not exist, skipping") are not errors.
const QMap<QString, QString> kServerTimeouts = {
    {QStringLiteral("lock_timeout"), QStringLiteral("5s")},
    {QStringLiteral("statement_timeout"), QStringLiteral("120s")},
    {QStringLiteral("idle_in_transaction_session_timeout"), QStringLiteral("120s")},
    {QStringLiteral("client_min_messages"), QStringLiteral("warning")},
};
const QString kAloneStatementTimeout = QStringLiteral("600s");
// A posting that runs alone (the day close) holds whole tables, then works
// through a day's rows: once it has them it may wait and run longer.
const QList<QPair<QString, QString>> kAloneTimeouts = {
    {QStringLiteral("lock_timeout"), QStringLiteral("30s")},
    {QStringLiteral("statement_timeout"), kAloneStatementTimeout},
};
// The keys the connection string named itself, kept on the driver.
const char* const kNamedSettings = "brimwickNamedSettings";

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
    case ColumnType::RowId:
      return postgres ? QStringLiteral("bigint generated by default as identity primary key")
                      : QStringLiteral("integer primary key autoincrement");
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

// SQLite keeps a column's declared type only in a strict table: elsewhere
// "abc" would sit in a number column that PostgreSQL refuses it.
QString TableOptions(bool postgres) { return postgres ? QString() : QStringLiteral(" strict"); }

// PostgreSQL keeps money to the cent (numeric(18,2), half away from zero);
// SQLite holds a double, so the same rounding follows every write of a
// money column there, and both stores read back the same cents.
QStringList MoneyRounding(const ClinicTable& table, bool postgres) {
  if (postgres) return {};
  QStringList money, assignments;
  for (const ClinicColumn& column : table.columns)
    if (column.type == ColumnType::Money && !column.IsGenerated()) {
      money << QuotedName(column.name);
      assignments << QStringLiteral("%1 = round(new.%1, 2)").arg(QuotedName(column.name));
    }
  if (money.isEmpty()) return {};
  const QString name = QuotedName(table.name);
  const QString body = QStringLiteral(" begin update %1 set %2 where rowid = new.rowid; end")
                           .arg(name, assignments.join(QStringLiteral(", ")));
  return {QStringLiteral("create trigger if not exists %1 after insert on %2")
                  .arg(QuotedName(table.name + QStringLiteral("_分_新"))).arg(name) + body,
          QStringLiteral("create trigger if not exists %1 after update of %2 on %3")
                  .arg(QuotedName(table.name + QStringLiteral("_分_改")), money.join(QStringLiteral(", ")), name) +
              body};
}

// A table's named indexes for one engine, less those a store has already.
QStringList NamedIndexStatements(const ClinicTable& table, bool postgres, const QSet<QString>& existing = {}) {
  QStringList statements;
  for (const ClinicTable::NamedIndex& index : table.namedIndexes) {
    if (existing.contains(index.name) || (index.serverOnly && !postgres)) continue;
    statements << QStringLiteral("create index if not exists %1 on %2 (%3)")
                          .arg(QuotedName(index.name), QuotedName(table.name), QuotedNames(index.columns)) +
                      (index.condition.isEmpty() ? QString() : QStringLiteral(" where ") + index.condition);
  }
  return statements;
}

// The named indexes a table of an earlier store lacks, each followed by
// the statistics of its table: SQLite walks a pinned index by its leading
// column's few values only when its statistics say they are few, and
// otherwise reads it whole.
QStringList MissingNamedIndexStatements(const ClinicTable& table, bool postgres, const QSet<QString>& existing) {
  QStringList statements = NamedIndexStatements(table, postgres, existing);
  if (!statements.isEmpty()) statements << QStringLiteral("analyze ") + QuotedName(table.name);
  return statements;
}

QStringList TableStatements(const ClinicTable& table, bool postgres) {
  QString columns = ColumnList(table.columns, postgres);
  if (!table.key.isEmpty()) columns += QStringLiteral(", primary key (%1)").arg(QuotedNames(table.key));
  QStringList statements{QStringLiteral("create table if not exists %1 (%2)").arg(QuotedName(table.name), columns) +
                         TableOptions(postgres)};
  statements << MoneyRounding(table, postgres);
  int number = 0;
  for (const QStringList& index : table.indexes) {
    ++number;
    if (index.isEmpty()) continue;
    statements << QStringLiteral("create index if not exists %1 on %2 (%3)")
                      .arg(QuotedName(QStringLiteral("%1_i%2").arg(table.name).arg(number)), QuotedName(table.name),
                           QuotedNames(index));
  }
  number = 0;
  for (const QStringList& unique : table.uniques)
    statements << QStringLiteral("create unique index if not exists %1 on %2 (%3)")
                      .arg(QuotedName(QStringLiteral("%1_u%2").arg(table.name).arg(++number)), QuotedName(table.name),
                           QuotedNames(unique));
  number = 0;
  for (const QString& column : table.uniqueNames)
    statements << QStringLiteral("create unique index if not exists %1 on %2 ((trim(%3)))")
                      .arg(QuotedName(QStringLiteral("%1_n%2").arg(table.name).arg(++number)), QuotedName(table.name),
                           QuotedName(column));
  return statements + NamedIndexStatements(table, postgres);
}

QSet<QString> Names(const QSqlDatabase& db, const QString& sqlite, const QString& postgres) {
  QSet<QString> names;
  QSqlQuery query = Exec(db, IsPostgres(db) ? postgres : sqlite);
  while (NextRow(query)) names.insert(query.value(0).toString());
  return names;
}
QSet<QString> ExistingTables(const QSqlDatabase& db) { return Names(db, kSqliteTables, kPostgresTables); }

Connection OpenSqlite() {
  Connection connection(UniqueConnectionName(QStringLiteral("clinic")));
  QSqlDatabase db = QSqlDatabase::addDatabase(kSqliteDriver, connection.name());
  db.setDatabaseName(ClinicDatabasePath());
  // Desks opening a new file at once meet at its first lock: the time-out
  // holds from the opening on, before anything reads, and the switch to
  // WAL, which SQLite refuses at once while another connection starts the
  // same file instead of waiting, is tried again until the time-out. Any
  // other refusal (a folder that cannot be written) is final at once.
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSqliteDeskWaitMs));
  if (!db.open()) throw DbError(db.lastError());
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    try {
      if (ScalarText(db, QStringLiteral("pragma journal_mode")) != QLatin1String("wal"))
        Exec(db, QStringLiteral("pragma journal_mode = wal"));
      break;
    } catch (const DbError& e) {
      if (e.kind() != StoreFailure::TimedOut || waited.elapsed() > kSqliteDeskWaitMs) throw;
      QThread::msleep(10);
    }
  }
  // Reading the pages of a long history through a map instead of a call
  // each keeps a month's report as quick in a store ten times as old, when
  // its lines lie scattered over the file. Writes go on as before.
  Exec(db, QStringLiteral("pragma mmap_size = 1073741824"));
  return connection;
}
}  // namespace

namespace {
QString IniPath() { return DataDir() + QStringLiteral("brimwick.ini"); }

// The server named in the data folder's ini file, as written there.
QString IniServer() {
  const QSettings ini(IniPath(), QSettings::IniFormat);
  const QVariant value = ini.value(QStringLiteral("clinic/server"));
  // An unquoted value with commas comes back from the ini file as a list.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
  return value.toString();
}
}  // namespace

QString ClinicConnectionString() {
  const char* const variable = "BRIMWICK_CLINIC_SERVER";
  if (qEnvironmentVariableIsSet(variable)) return qEnvironmentVariable(variable).trimmed();
  return IniServer().trimmed();
}

bool ClinicPasswordExposed() {
  const QFileInfo file(IniPath());
  if (!file.exists() || !(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther))) return false;
  const QString server = IniServer();
  try {
    for (const auto& [key, password] : ParseConnectionString(server))
      if (key == QLatin1String("password") && !password.isEmpty()) return true;
    return false;
  } catch (const DbError&) {
    return server.contains(QLatin1String("password"));
  }
}

QString ClinicDatabasePath() { return DataDir() + QStringLiteral("Varnhold.db"); }


QString LikeOperator(const QSqlDatabase& db) {
  return IsPostgres(db) ? QStringLiteral("ilike") : QStringLiteral("like");
}

QString QuotedName(const QString& name) {
  QString quoted = name;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QList<QVariantList> ReadAll(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  return ReadRows(db, sql, values);
}

void ExecDirect(const QSqlDatabase& db, const QString& sql) { Exec(db, sql); }

Connection OpenPostgres(const QString& connectionString) {
  const auto pairs = ParseConnectionString(connectionString);
  Connection connection(UniqueConnectionName(QStringLiteral("clinic")));
  QSqlDatabase db = QSqlDatabase::addDatabase(kPostgresDriver, connection.name());
  QMap<QString, QString> client = kClientTimeouts;
  QMap<QString, QString> server = kServerTimeouts;
  QStringList named, ownOptions;
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
    else if (key == QLatin1String("options"))
      ownOptions << value;
    else if (server.contains(key))
      server[key] = value;
    else
      client[key] = value;
    named << key;
  }
  // The server's settings travel with every opening (a reopened connection
  // keeps them); options written in the connection string come last and win.
  QStringList settings;
  for (auto it = server.cbegin(); it != server.cend(); ++it)
    settings << QStringLiteral("-c %1=%2").arg(it.key(), it.value());
  settings << ownOptions;
  QStringList options{QStringLiteral("options=") + QuotedOption(settings.join(QLatin1Char(' ')))};
  for (auto it = client.cbegin(); it != client.cend(); ++it) options << it.key() + QLatin1Char('=') + QuotedOption(it.value());
  db.setConnectOptions(options.join(QLatin1Char(';')));
  db.driver()->setProperty(kNamedSettings, named);
  StatementWatch::SetStatementLimit(db, server.value(QStringLiteral("statement_timeout")));
  if (!db.open()) throw DbError(db.lastError());
  return connection;
}

Connection OpenClinicStore() {
  const QString server = ClinicConnectionString();
  return server.isEmpty() ? OpenSqlite() : OpenPostgres(server);
}

Connection OpenClinicDatabase() {
  Connection connection = OpenClinicStore();
  CreateClinicSchema(connection.db());
  return connection;
}

namespace {
QStringList MissingTableStatements(const QSqlDatabase& db) {
  const bool postgres = IsPostgres(db);
  const QSet<QString> existing = ExistingTables(db);
  const QSet<QString> indexes = Names(db, kSqliteIndexes, kPostgresIndexes);
  QStringList statements;
  for (const ClinicTable& table : ClinicTables())
    statements << (existing.contains(table.name) ? MissingNamedIndexStatements(table, postgres, indexes)
                                                 : TableStatements(table, postgres));
  // A store made before the reports' indexes gets them, and loses those
  // they replace, when it next opens (the first opening takes a while).
  for (const QString& retired : RetiredClinicIndexes())
    if (indexes.contains(retired)) statements << QStringLiteral("drop index if exists %1").arg(QuotedName(retired));
  return statements;
}
}  // namespace

namespace {
const QString kStatisticsKept =
    QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = 'sqlite_stat1'");
// Only for an index the store has: SQLite reads a row naming no index as
// the row count of its table, and would take the whole history for one row.
const QString kSettleIndexStatistics = QStringLiteral(
    "insert into sqlite_stat1 (tbl, idx, stat) select tbl_name, name, '1 1' from sqlite_master "
    "where type = 'index' and tbl_name = ? and name = ? "
    "and not exists (select 1 from sqlite_stat1 where idx = sqlite_master.name)");

// The purges' indexes hold only the rows a purge deletes, and are empty
// most of the time. SQLite keeps no statistics for an empty index, and its
// optimize takes a table with one for a table never analyzed: every day
// close would analyze the dispensed lines and the visits again. A row
// saying the index holds one entry, near enough the truth, settles that.
void SettleEmptyIndexStatistics(const QSqlDatabase& db) {
  if (IsPostgres(db) || ScalarText(db, kStatisticsKept) == QLatin1String("0")) return;
  int settled = 0;
  for (const ClinicTable& table : ClinicTables())
    for (const ClinicTable::NamedIndex& index : table.namedIndexes)
      if (!index.condition.isEmpty()) settled += ExecCount(db, kSettleIndexStatistics, {table.name, index.name});
  // A connection reads the statistics again only when told to.
  if (settled > 0) ExecDirect(db, QStringLiteral("analyze sqlite_master"));
}
}  // namespace

void MakeMissingClinicTables(const QSqlDatabase& db) {
  if (IsPostgres(db)) Exec(db, kPostgresSchemaLock, {kSchemaLock});
  for (const QString& statement : MissingTableStatements(db)) ExecDirect(db, statement);
  SettleEmptyIndexStatistics(db);
}

void CreateClinicSchema(const QSqlDatabase& db) {
  if (MissingTableStatements(db).isEmpty()) return;
  BeginWrite(db);
  try {
    MakeMissingClinicTables(db);
    CommitWrite(db);
  } catch (...) {
    RollbackWrite(db);
    throw;
  }
}

void RefreshPlannerStatistics(const QSqlDatabase& db) {
  if (IsPostgres(db)) return;
  // A sample of each index is enough to tell a handful of values from
  // many, and keeps this to moments on a store of any size.
  // Statistics only speed reads up: a store too busy for them now keeps
  // the ones it has.
  try {
    ExecDirect(db, QStringLiteral("pragma analysis_limit = 1000"));
    ExecDirect(db, QStringLiteral("pragma optimize"));
    SettleEmptyIndexStatistics(db);
  } catch (const DbError&) {
  }
}

void BeginWrite(const QSqlDatabase& db) {
  // SQLite's plain begin takes the write lock only at the first write, and
  // a second desk then fails there instead of waiting.
  ExecDirect(db, IsPostgres(db) ? QStringLiteral("begin") : QStringLiteral("begin immediate"));
  SetInWriteTransaction(db, true);
}

namespace {
// The longer limits of a posting that runs alone, for this transaction,
// except those the connection string set itself (named).
QStringList AloneTimeouts(const QStringList& named) {
  QStringList sets;
  for (const auto& [key, value] : kAloneTimeouts)
    sets << (named.contains(key) ? QStringLiteral("set local %1 = default").arg(key)
                                 : QStringLiteral("set local %1 = '%2'").arg(key, value));
  return sets;
}

bool RunAll(QSqlQuery& query, const QStringList& statements) {
  for (const QString& statement : statements)
    if (!ExecWatched(query, statement)) return false;
  return true;
}
}  // namespace

void BeginWriteAlone(const QSqlDatabase& db, const QStringList& tables) {
  if (tables.isEmpty()) return BeginWrite(db);
  if (!IsPostgres(db)) {
    ExecDirect(db, kSqliteAloneWait);
    try {
      BeginWrite(db);
    } catch (const DbError&) {
      ExecDirect(db, kSqliteDeskWait);
      throw;
    }
    ExecDirect(db, kSqliteDeskWait);
    return;
  }
  QStringList names;
  for (const QString& table : tables) names << QuotedName(table);
  const QString lock = QStringLiteral("lock table %1 in share row exclusive mode").arg(names.join(QStringLiteral(", ")));
  // The desks take these tables in orders of their own, so a transaction
  // that waited for all of them while holding some could close a circle
  // with a desk. It waits a moment at most, then lets go of everything and
  // tries again: the desks never meet it in a deadlock, and it gets its
  // turn once the postings under way have committed.
  const QStringList named = db.driver()->property(kNamedSettings).toStringList();
  const QStringList timeouts = AloneTimeouts(named);
  QElapsedTimer waited;
  waited.start();
  for (int attempt = 0;; ++attempt) {
    BeginWrite(db);
    QSqlQuery query(db);
    if (ExecWatched(query, kPostgresShortLockWait) && ExecWatched(query, lock) && RunAll(query, timeouts)) {
      if (!named.contains(QStringLiteral("statement_timeout")))
        StatementWatch::SetTransactionLimit(db, kAloneStatementTimeout);
      return;
    }
    const QSqlError error = query.lastError();
    RollbackWrite(db);
    if (error.nativeErrorCode() != kPostgresLockNotAvailable || waited.elapsed() > kAloneWaitMs)
      throw DbError(error);
    QThread::msleep(QRandomGenerator::global()->bounded(5, 25 + std::min(attempt, 20) * 5));
  }
}

namespace {
// Whichever way a write transaction ends, the connection is a desk's again.
void WriteEnded(const QSqlDatabase& db) {
  SetInWriteTransaction(db, false);
  StatementWatch::SetTransactionLimit(db, QString());
}
}  // namespace

void CommitWrite(const QSqlDatabase& db) {
  try {
    CommitTransaction(db);
  } catch (...) {
    WriteEnded(db);
    throw;
  }
  WriteEnded(db);
}

void RollbackWrite(const QSqlDatabase& db) noexcept {
  RollbackTransaction(db);
  WriteEnded(db);
}

QString RowLockClause(const QSqlDatabase& db) { return IsPostgres(db) ? QStringLiteral(" for update") : QString(); }

QString PhysicalRowId(const QSqlDatabase& db) {
  return IsPostgres(db) ? QStringLiteral("ctid") : QStringLiteral("rowid");
}

void LockNameUntilCommit(const QSqlDatabase& db, const QString& name) {
  if (!IsPostgres(db)) return;
  // A stable 64-bit hash (FNV-1a) of the name: the same on every desk.
  quint64 hash = 14695981039346656037ull;
  for (const char byte : name.toUtf8()) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 1099511628211ull;
  }
  Exec(db, kPostgresNameLock, {static_cast<qlonglong>(hash)});
}

void CreateScratchTable(const QSqlDatabase& db, const QString& name, const std::vector<ClinicColumn>& columns) {
  const bool postgres = IsPostgres(db);
  ExecDirect(db, QStringLiteral("create temp table %1 (%2)").arg(QuotedName(name), ColumnList(columns, postgres)) +
                     TableOptions(postgres));
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
