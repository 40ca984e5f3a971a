#include "db/sql.h"

#include <QAtomicInt>
#include <QHash>
#include <QSqlRecord>
#include <atomic>
#include <memory>
#include <unordered_map>
#include <utility>
#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <QVariant>
#include <cmath>

#include "db/serverstream.h"
#include "db/statementwatch.h"
#include "db/storedtext.h"
#include "platform/fetchedrows.h"
#include "platform/grid.h"

namespace {
// Neither store keeps a time of day: every date column is a whole day.
// A date or date-time bound as it is would reach SQLite as
// "2024-03-09T10:15:00.000", which no window ending on that day finds, so
// every bound date travels as the day's own ISO text on both stores.
QVariant AsBound(const QVariant& value) {
  if (value.isNull()) return value;
  switch (value.typeId()) {
    case QMetaType::QDate:
      return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
      return value.toDateTime().date().toString(Qt::ISODate);
    case QMetaType::Double: {
      // The figure as written, to fifteen digits: PostgreSQL reads the
      // digits it is sent, and 3 × 1.115 sent as 3.3449999999999998 would
      // be kept as 3.34 where SQLite's rounding keeps 3.35.
      const double number = value.toDouble();
      if (!std::isfinite(number)) return value;
      return QString::number(number, 'g', 15).toDouble();
    }
    default:
      return value;
  }
}

// What a statement's value travels as: a text only as the stores may keep
// it, in the form both stores read alike.
QVariant Sent(const QVariant& value) { return AsBound(StorableText(value)); }

bool IsSqlite(const QSqlDatabase& db) { return db.driverName() == QLatin1String("QSQLITE"); }
}  // namespace

QVariant BoundValue(const QVariant& value) { return AsBound(value); }

bool IsPostgres(const QSqlDatabase& db) { return db.driverName() == QLatin1String("QPSQL"); }

QString ForEngine(bool postgres, const QString& sql) {
  if (!postgres || !sql.contains(QLatin1String("indexed by"))) return sql;
  static const QRegularExpression pin(QStringLiteral(R"~(\s+indexed by\s+"[^"]*")~"));
  return QString(sql).remove(pin);
}

namespace {
const char* const kInWriteTransaction = "brimwickInWriteTransaction";

// What the program keeps for a server connection, on the connection
// itself (each used by one thread, gone with it):
// - the statements last run, kept until the next one starts: their end
//   waits on the server too (the rows a caller left unread are read off,
//   the server forgets a prepared statement), and so happens under the
//   next statement's watch rather than wherever the caller drops the query;
// - the reads prepared on the server (RunStreamed), by statement text;
// - on SQLite, statements run before and now idle, prepared, by text (Ready),
//   each with the number of columns it gave.
struct ReadyStatement {
  QSqlQuery query;
  int columns = 0;
};
struct ConnectionState : QObject {
  QList<QSqlQuery> kept;
  QHash<QString, QString> prepared;
  std::unordered_map<QString, ReadyStatement> ready;
};

ConnectionState* State(const QSqlDriver* driver) {
  static const QString name = QStringLiteral("brimwickConnectionState");
  auto* owner = const_cast<QSqlDriver*>(driver);
  auto* state = static_cast<ConnectionState*>(owner->findChild<QObject*>(name, Qt::FindDirectChildrenOnly));
  if (!state) {
    state = new ConnectionState;
    state->setObjectName(name);
    state->setParent(owner);
  }
  return state;
}

void Keep(const QSqlDatabase& db, const QSqlQuery& query) {
  if (db.driver() && IsPostgres(db)) State(db.driver())->kept.append(query);
}

// Ends the statements kept for the connection, under a watch of their own
// unless the connection is broken already.
void ReleaseKept(const QSqlDriver* driver, bool watched) {
  if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL) return;
  ConnectionState* state = State(driver);
  if (state->kept.isEmpty()) return;
  QList<QSqlQuery> kept = std::move(state->kept);
  state->kept.clear();
  if (!watched) return;
  const StatementWatch watch(driver, StatementWatch::NewStatement);
  kept.clear();
}

QString Start(const QString& sql) { return sql.trimmed().left(8).toLower(); }

// Reads with values on a server stream (db/serverstream.h); those of a
// posting each prepared once per connection under a name of ours. The
// prepared statements live as long as the connection; it keeps at most
// this many (a program runs a few hundred texts).
constexpr int kMostPrepared = 1000;

void ForgetPrepared(const QSqlDriver* driver) {
  if (driver && driver->dbmsType() == QSqlDriver::PostgreSQL) State(driver)->prepared.clear();
}

// The statement's ? marks as $1, $2... outside quoted texts and names.
QString NumberedMarks(const QString& sql) {
  QString numbered;
  numbered.reserve(sql.size() + 16);
  QChar quote;
  int mark = 0;
  for (const QChar c : sql) {
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
    } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
      quote = c;
    } else if (c == QLatin1Char('?')) {
      numbered += QLatin1Char('$') + QString::number(++mark);
      continue;
    }
    numbered += c;
  }
  return numbered;
}

// Runs a read with values on a server; false with the query's error.
bool RunStreamed(const QSqlDatabase& db, QSqlQuery& query, const QString& sql, const QVariantList& values) {
  const QSqlDriver* driver = db.driver();
  QHash<QString, QString>& prepared = State(driver)->prepared;
  QString name = prepared.value(sql);
  QVariantList sent;
  sent.reserve(values.size());
  for (const QVariant& v : values) sent << Sent(v);
  // A result of the driver's own still coming in (held by a caller)
  // would be cut short by a stream, and one text past the last kept is not
  // kept: both run as the driver's own prepared statement.
  if (!ServerConnectionIdle(driver) || (name.isEmpty() && prepared.size() >= kMostPrepared)) {
    if (!query.prepare(sql)) return false;
    for (const QVariant& v : sent) query.addBindValue(v);
    return query.exec();
  }
  // A statement kept prepared is planned, after its first few runs, once
  // for whatever values: for a date window the server then guesses a few
  // rows, sorts, and a year's list shows nothing until it is all sorted,
  // in twice the time. A window's read, outside a posting, is planned for
  // its own values each time (the unnamed statement); a posting's reads,
  // many and small, stay prepared.
  if (!InWriteTransaction(db) && !StatementWatch::InServerTransaction(db))
    return StartServerStream(driver, query, sql, {}, NumberedMarks(sql), sent);
  QString toPrepare;
  if (name.isEmpty()) {
    static std::atomic<int> made{0};
    name = QStringLiteral("brimwick_%1").arg(++made);
    toPrepare = NumberedMarks(sql);
  }
  bool preparedNow = false;
  const bool ran = StartServerStream(driver, query, sql, name.toLatin1(), toPrepare, sent, &preparedNow);
  if (preparedNow) prepared.insert(sql, name);
  return ran;
}

// A statement that changes nothing, so running it a second time after the
// connection broke cannot write anything twice.
bool OnlyReads(const QString& sql) {
  const QString start = Start(sql);
  return start.startsWith(QLatin1String("select")) || start.startsWith(QLatin1String("with")) ||
         start.startsWith(QLatin1String("begin"));
}

// Preparing a statement costs SQLite about as much as a short read, so a
// connection keeps the statements it ran prepared, each until it runs again.
// Only a query nobody reads any more comes back (Ready): one a grid still
// reads, or a caller holds, is never run again under it. A connection keeps
// at most this many.
constexpr int kMostReady = 200;

// Whether SQLite still holds the query's statement (a connection closed
// since has dropped it).
bool StillPrepared(const QSqlQuery& query) {
  const QSqlResult* result = query.result();
  const QVariant handle = result ? result->handle() : QVariant();
  return qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0 && *static_cast<void* const*>(handle.constData());
}

// A statement of that text the connection prepared before and holds idle;
// columns: how many it gave then.
bool TakeReady(const QSqlDatabase& db, QSqlQuery& query, const QString& sql, int& columns) {
  std::unordered_map<QString, ReadyStatement>& ready = State(db.driver())->ready;
  const auto found = ready.find(sql);
  if (found == ready.end()) return false;
  ReadyStatement taken = std::move(found->second);
  ready.erase(found);
  if (!StillPrepared(taken.query)) return false;
  query = std::move(taken.query);
  columns = taken.columns;
  return true;
}

void ForgetReady(const QSqlDriver* driver) {
  if (driver && driver->dbmsType() == QSqlDriver::SQLite) State(driver)->ready.clear();
}

// A query its reader is done with: on SQLite its statement is ended and
// kept prepared for the next run of its text. A server's statements end
// under the next statement's watch (ReleaseKept), so they are left as they are.
void Ready(QSqlQuery& query) {
  const QSqlDriver* driver = query.driver();
  if (!driver || driver->dbmsType() != QSqlDriver::SQLite) return;
  const int columns = query.record().count();
  query.finish();
  if (!query.isForwardOnly() || query.numericalPrecisionPolicy() != driver->numericalPrecisionPolicy() ||
      !StillPrepared(query))
    return;
  // A write that returns rows could give other columns with its table
  // changed, after it wrote (see Run).
  const QString sql = query.lastQuery();
  if (sql.isEmpty() || (columns > 0 && !OnlyReads(sql))) return;
  std::unordered_map<QString, ReadyStatement>& ready = State(driver)->ready;
  if (ready.size() >= kMostReady && !ready.count(sql)) return;
  ready[sql] = {std::exchange(query, QSqlQuery()), columns};
}

// Runs the statement on a fresh query, or on SQLite on one prepared before;
// false with the query's error.
bool Run(const QSqlDatabase& db, QSqlQuery& query, const QString& sql, const QVariantList& values) {
  query.setForwardOnly(true);
  const StatementWatch watch(db);
  if (IsSqlite(db)) {
    int columns = 0;
    if (TakeReady(db, query, sql, columns)) {
      for (const QVariant& v : values) query.addBindValue(Sent(v));
      if (!query.exec()) return false;
      // SQLite prepares a statement again on its own once its table changed,
      // but Qt keeps the columns it first gave: a "select *" of a table made
      // anew with more columns would show the new ones empty. Such a read
      // runs once more, prepared afresh.
      if (query.record().count() == columns) return true;
      query = QSqlQuery(db);
      query.setForwardOnly(true);
    }
    if (values.isEmpty()) return query.exec(sql);
    if (!query.prepare(sql)) return false;
    for (const QVariant& v : values) query.addBindValue(Sent(v));
    return query.exec();
  }
  // PostgreSQL refuses to prepare table definitions and transaction
  // statements, so a statement without values runs as it stands.
  if (values.isEmpty()) return query.exec(sql);
  if (IsPostgres(db) && (Start(sql).startsWith(QLatin1String("select")) || Start(sql).startsWith(QLatin1String("with"))))
    return RunStreamed(db, query, sql, values);
  if (!query.prepare(sql)) return false;
  for (const QVariant& v : values) query.addBindValue(Sent(v));
  return query.exec();
}

// A write whose outcome a broken connection would leave unknown unless it
// runs in a transaction of its own. One that returns rows is read by its
// caller after it runs, which a commit in between would cut short.
bool WritesRows(const QString& sql) {
  const QString start = Start(sql);
  return (start.startsWith(QLatin1String("insert")) || start.startsWith(QLatin1String("update")) ||
          start.startsWith(QLatin1String("delete"))) &&
         !sql.contains(QLatin1String("returning"), Qt::CaseInsensitive);
}

// A failed statement's error, said as a time-out when the watch cut it
// (the server stopped answering), else as the engine's.
DbError Failure(const QSqlDatabase& db, const QSqlError& error) {
  if (StatementWatch::TakeCut(db)) return DbError(error, StoreFailure::TimedOut);
  return DbError(error);
}

// After a failure: a broken connection is opened again (ReopenIfLost)
// unless a write transaction holds it; true when the statement may run
// once more from its start (a read outside a write transaction, on a
// connection opened again).
bool MayRunAgain(const QSqlDatabase& db, const QString& sql, const QSqlError& error) {
  if (InWriteTransaction(db) || !ReopenIfLost(db, error)) return false;
  return OnlyReads(sql);
}

// The hooks a grid's reading uses: the watch while its rows come in, and
// the error a broken read raises.
const bool kReadHooks = [] {
  SetFetchWatch([](const QSqlDriver* driver) -> std::shared_ptr<void> {
    if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL) return nullptr;
    return std::make_shared<StatementWatch>(driver, StatementWatch::SameStatement);
  });
  SetReadFailureRaiser([](const QSqlError& error) { throw DbError(error); });
  SetReadEnd(Ready);
  return true;
}();
}  // namespace

void SetInWriteTransaction(const QSqlDatabase& db, bool holding) {
  if (QSqlDriver* driver = db.driver()) driver->setProperty(kInWriteTransaction, holding);
}

bool InWriteTransaction(const QSqlDatabase& db) {
  const QSqlDriver* driver = db.driver();
  return driver && driver->property(kInWriteTransaction).toBool();
}

bool ReopenIfLost(const QSqlDatabase& db, const QSqlError& error) {
  if (!IsPostgres(db) || ClassifyStoreError(error) != StoreFailure::LostConnection) return false;
  QSqlDatabase connection = db;
  SetInWriteTransaction(connection, false);
  ReleaseKept(db.driver(), false);
  DropServerStreams(db.driver());
  ForgetPrepared(db.driver());
  connection.close();
  if (!connection.open()) throw DbError(connection.lastError());
  return true;
}

bool ExecWatched(QSqlQuery& query, const QString& sql) {
  const StatementWatch watch(query.driver(), StatementWatch::NewStatement);
  return query.exec(sql);
}

namespace {
// Exec, saying whether the statement ran a second time (a read may, once).
QSqlQuery ExecCounting(const QSqlDatabase& db, const QString& text, const QVariantList& values, bool& ranAgain) {
  const QString sql = ForEngine(IsPostgres(db), text);
  FinishPendingReads(db.driver(), sql);
  if (IsPostgres(db)) {
    ReleaseKept(db.driver(), true);
    if (WritesRows(sql) && !InWriteTransaction(db) && !StatementWatch::InServerTransaction(db)) {
      BeginTransaction(db);
      QSqlQuery query;
      try {
        query = Exec(db, sql, values);
        CommitTransaction(db);
      } catch (...) {
        RollbackTransaction(db);
        throw;
      }
      Keep(db, query);
      return query;
    }
  }
  QSqlQuery query(db);
  if (Run(db, query, sql, values)) {
    Keep(db, query);
    return query;
  }
  const QSqlError error = query.lastError();
  query = QSqlQuery();
  // Inside a write transaction the connection stays broken, so that no
  // later statement of the posting runs outside it: the rollback reopens
  // it. Otherwise the server went away and may be back: every later step
  // of this window needs a working connection, whatever becomes of this
  // one.
  if (!MayRunAgain(db, sql, error)) throw Failure(db, error);
  StatementWatch::TakeCut(db);
  ranAgain = true;
  QSqlQuery retried(db);
  if (!Run(db, retried, sql, values)) throw Failure(db, retried.lastError());
  Keep(db, retried);
  return retried;
}
}  // namespace

QSqlQuery Exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  bool ranAgain = false;
  return ExecCounting(db, sql, values, ranAgain);
}

bool NextRow(QSqlQuery& query) {
  {
    const StatementWatch watch(query.driver(), StatementWatch::SameStatement);
    if (query.next()) return true;
  }
  const QSqlError error = query.lastError();
  if (!error.isValid()) return false;
  // A broken connection is opened again by the connection's next statement.
  if (StatementWatch::TakeCut(const_cast<QSqlDriver*>(query.driver()))) throw DbError(error, StoreFailure::TimedOut);
  throw DbError(error);
}

QList<QVariantList> ReadRows(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  for (bool ranAgain = false;;) {
    QSqlQuery query = ExecCounting(db, sql, values, ranAgain);
    QList<QVariantList> rows;
    const int columns = query.record().count();
    {
      const StatementWatch watch(db, StatementWatch::SameStatement);
      while (query.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i) row << query.value(i);
        rows << row;
      }
    }
    const QSqlError error = query.lastError();
    if (!error.isValid()) {
      Ready(query);
      return rows;
    }
    query = QSqlQuery();
    if (ranAgain || !MayRunAgain(db, ForEngine(IsPostgres(db), sql), error)) throw Failure(db, error);
    StatementWatch::TakeCut(db);
    ranAgain = true;
  }
}

QString ScalarText(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  QSqlQuery query = Exec(db, sql, values);
  const QString text = NextRow(query) ? CellText(query.value(0)).trimmed() : QString();
  Ready(query);
  return text;
}

int ExecCount(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  QSqlQuery query = Exec(db, sql, values);
  const int count = query.numRowsAffected();
  Ready(query);
  return count;
}

void BeginTransaction(const QSqlDatabase& db, const QString& begin) {
  Exec(db, begin);
  SetInWriteTransaction(db, true);
}

namespace {
// How long a commit cut off is waited for to end on the server.
constexpr qint64 kCommitSettleMs = 3000;
}  // namespace

void CommitTransaction(const QSqlDatabase& db) {
  if (!IsPostgres(db)) {
    try {
      Exec(db, QStringLiteral("commit"));
    } catch (...) {
      // SQLite keeps a transaction whose commit failed open.
      RollbackTransaction(db);
      throw;
    }
    SetInWriteTransaction(db, false);
    return;
  }
  // A statement that failed inside the transaction aborted it, even when
  // the caller caught the error, and the server would answer the commit
  // with a quiet rollback: asking anything first brings the abort out.
  // The id asked for tells, should the connection break under the commit,
  // whether the server committed it all the same.
  const QString id = ScalarText(db, QStringLiteral("select txid_current()"));
  ReleaseKept(db.driver(), true);
  QSqlQuery query(db);
  const bool committed = Run(db, query, QStringLiteral("commit"), {});
  const QSqlError error = query.lastError();
  query = QSqlQuery();
  SetInWriteTransaction(db, false);
  if (committed) return;
  const bool cut = StatementWatch::TakeCut(db);
  if (!ReopenIfLost(db, error)) throw DbError(error);
  // The old connection's server process may still be at it (a slow
  // commit the watch cut): it is given a few moments to end either way.
  QString outcome;
  QElapsedTimer asked;
  asked.start();
  try {
    for (;;) {
      outcome = ScalarText(db, QStringLiteral("select txid_status(?)"), {id.toLongLong()});
      if (outcome != QLatin1String("in progress") || asked.elapsed() >= kCommitSettleMs) break;
      QThread::msleep(100);
    }
  } catch (const DbError&) {
    // Still no server to ask: not known.
  }
  if (outcome == QLatin1String("committed")) return;
  if (outcome == QLatin1String("aborted")) throw DbError(error, cut ? StoreFailure::TimedOut : StoreFailure::LostConnection);
  // Still in progress: the old connection's server process holds it (a
  // frozen server that may yet go on and commit).
  throw DbError(error, StoreFailure::CommitUnknown);
}

void RollbackTransaction(const QSqlDatabase& db) noexcept {
  QSqlQuery query(db);
  if (IsPostgres(db)) ReleaseKept(db.driver(), true);
  const bool undone = ExecWatched(query, QStringLiteral("rollback"));
  const QSqlError error = query.lastError();
  query = QSqlQuery();
  SetInWriteTransaction(db, false);
  StatementWatch::TakeCut(db);
  // A connection that broke under the transaction took it with it on the
  // server; the window's next step needs it working again.
  if (undone) return;
  try {
    ReopenIfLost(db, error);
  } catch (const DbError&) {
    // Still unreachable: the next statement tries again and says so.
  }
}

void InTransaction(QSqlDatabase& db, const std::function<void()>& work) {
  // A rollback would cut short a grid's reading on this connection.
  FinishPendingReads(db.driver());
  // Every shop write reads first: a plain begin would take the write lock
  // only at the first write, and a second program that read in between
  // would fail there at once instead of waiting its turn.
  BeginTransaction(db, IsSqlite(db) ? QStringLiteral("begin immediate") : QStringLiteral("begin"));
  try {
    work();
    CommitTransaction(db);
  } catch (...) {
    if (InWriteTransaction(db)) RollbackTransaction(db);
    throw;
  }
}

QString UniqueConnectionName(const QString& prefix) {
  static QAtomicInt counter;
  return QStringLiteral("%1-%2").arg(prefix).arg(counter.fetchAndAddRelaxed(1));
}

void CloseConnection(const QString& name) {
  {
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (db.isValid()) {
      FinishPendingReads(db.driver());
      ReleaseKept(db.driver(), db.isOpen());
      DropServerStreams(db.driver());
      ForgetPrepared(db.driver());
      ForgetReady(db.driver());
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(name);
}
