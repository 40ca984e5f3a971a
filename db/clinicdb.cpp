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
// How long a transaction that runs alone waits for its tables at a time,
// and in all (as long as SQLite's busy time-out).
const QString kPostgresShortLockWait = QStringLiteral("set local lock_timeout = '200ms'");
const QString kPostgresLockNotAvailable = QStringLiteral("55P03");
const qint64 kAloneWaitMs = 30000;
// Held until the transaction ends, by a name's hash.
const QString kPostgresNameLock = QStringLiteral("select pg_advisory_xact_lock(?)");
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
// How the server weighs a page read out of order against one in order.
// Its default is set for disks that seek; a store the server holds in
// memory reads an index's pages out of order at little more cost, and with
// the default the planner sorted a year of the patient list where an index
// of its order hands the whole list over in under half the time.
// Half the default is enough for that; lower, the receipts report left its
// bitmap scan for a slower walk of the day index.
const QMap<QString, QString> kServerPlanning = {
    {QStringLiteral("random_page_cost"), QStringLiteral("2")},
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
  server.insert(kServerPlanning);
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

namespace {
thread_local int failedOpenings = 0;

template <typename Open>
Connection CountingFailure(const Open& open) {
  try {
    return open();
  } catch (const DbError&) {
    ++failedOpenings;
    throw;
  }
}
}  // namespace

int FailedClinicOpenings() { return failedOpenings; }

Connection OpenClinicStore() {
  return CountingFailure([] {
    const QString server = ClinicConnectionString();
    return server.isEmpty() ? OpenSqlite() : OpenPostgres(server);
  });
}

Connection OpenClinicDatabase() {
  return CountingFailure([] {
    Connection connection = OpenClinicStore();
    CreateClinicSchema(connection.db());
    return connection;
  });
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
