#include "db/sql.h"

#include <QAtomicInt>
#include <QHash>
#include <QSqlRecord>
#include <memory>
#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <cmath>

#include "db/statementwatch.h"
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

// On a server, the statements last run on each connection, kept until the
// next one starts: their end waits on the server too (the rows a caller
// left unread are read off, the server forgets the prepared statement), and
// so happens under the next statement's watch rather than wherever the
// caller drops the query. Never destroyed: a query outliving its driver is
// harmless, one destroyed at the program's exit might not be.
QHash<const QSqlDriver*, QList<QSqlQuery>>& LastStatements() {
  static auto* statements = new QHash<const QSqlDriver*, QList<QSqlQuery>>;
  return *statements;
}

void Keep(const QSqlDatabase& db, const QSqlQuery& query) {
  const QSqlDriver* driver = db.driver();
  if (!driver || !IsPostgres(db)) return;
  auto& statements = LastStatements();
  if (!statements.contains(driver))
    QObject::connect(driver, &QObject::destroyed, [driver] { LastStatements().remove(driver); });
  statements[driver].append(query);
}

// Ends the statements kept for the connection, under a watch of their own
// unless the connection is broken already.
void ReleaseKept(const QSqlDriver* driver, bool watched) {
  auto it = LastStatements().find(driver);
  if (it == LastStatements().end() || it->isEmpty()) return;
  QList<QSqlQuery> kept = std::move(*it);
  it->clear();
  if (!watched) return;
  const StatementWatch watch(driver, StatementWatch::NewStatement);
  kept.clear();
}

// Runs the statement on a fresh query; false with the query's error.
bool Run(const QSqlDatabase& db, QSqlQuery& query, const QString& sql, const QVariantList& values) {
  query.setForwardOnly(true);
  const StatementWatch watch(db);
  // PostgreSQL refuses to prepare table definitions and transaction
  // statements, so a statement without values runs as it stands.
  if (values.isEmpty()) return query.exec(sql);
  if (!query.prepare(sql)) return false;
  for (const QVariant& v : values) query.addBindValue(AsBound(v));
  return query.exec();
}

QString Start(const QString& sql) { return sql.trimmed().left(8).toLower(); }

// A statement that changes nothing, so running it a second time after the
// connection broke cannot write anything twice.
bool OnlyReads(const QString& sql) {
  const QString start = Start(sql);
  return start.startsWith(QLatin1String("select")) || start.startsWith(QLatin1String("with")) ||
         start.startsWith(QLatin1String("begin"));
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
  connection.close();
  if (!connection.open()) throw DbError(connection.lastError());
  return true;
}

bool ExecWatched(QSqlQuery& query, const QString& sql) {
  const StatementWatch watch(query.driver(), StatementWatch::NewStatement);
  return query.exec(sql);
}

QSqlQuery Exec(const QSqlDatabase& db, const QString& text, const QVariantList& values) {
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
  QSqlQuery retried(db);
  if (!Run(db, retried, sql, values)) throw Failure(db, retried.lastError());
  Keep(db, retried);
  return retried;
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
  for (int run = 0;; ++run) {
    QSqlQuery query = Exec(db, sql, values);
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
    if (!error.isValid()) return rows;
    query = QSqlQuery();
    if (run > 0 || !MayRunAgain(db, ForEngine(IsPostgres(db), sql), error)) throw Failure(db, error);
    StatementWatch::TakeCut(db);
  }
}

QString ScalarText(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  QSqlQuery query = Exec(db, sql, values);
  if (!NextRow(query)) return QString();
  return CellText(query.value(0)).trimmed();
}

int ExecCount(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  return Exec(db, sql, values).numRowsAffected();
}

void BeginTransaction(const QSqlDatabase& db, const QString& begin) {
  Exec(db, begin);
  SetInWriteTransaction(db, true);
}

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
  QString outcome;
  try {
    outcome = ScalarText(db, QStringLiteral("select txid_status(?)"), {id.toLongLong()});
  } catch (const DbError&) {
    // Still no server to ask: not known.
  }
  if (outcome == QLatin1String("committed")) return;
  if (outcome == QLatin1String("aborted")) throw DbError(error, cut ? StoreFailure::TimedOut : StoreFailure::LostConnection);
  // In progress: the old connection's server process still holds it (a
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
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(name);
}
