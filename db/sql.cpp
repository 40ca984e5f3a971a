#include "db/sql.h"

#include <QAtomicInt>
#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <cmath>

#include "db/statementwatch.h"
#include "db/storedtext.h"
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


// Runs the statement on a fresh query; false with the query's error.
bool Run(const QSqlDatabase& db, QSqlQuery& query, const QString& sql, const QVariantList& values) {
  query.setForwardOnly(true);
  const StatementWatch watch(db);
  // PostgreSQL refuses to prepare table definitions and transaction
  // statements, so a statement without values runs as it stands.
  if (values.isEmpty()) return query.exec(sql);
  if (!query.prepare(sql)) return false;
  for (const QVariant& v : values) query.addBindValue(AsBound(StorableText(v)));
  return query.exec();
}

// A statement that changes nothing, so running it a second time after the
// connection broke cannot write anything twice.
bool OnlyReads(const QString& sql) {
  const QString start = sql.trimmed().left(8).toLower();
  return start.startsWith(QLatin1String("select")) || start.startsWith(QLatin1String("with")) ||
         start.startsWith(QLatin1String("begin"));
}
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
  connection.close();
  if (!connection.open()) throw DbError(connection.lastError());
  return true;
}

QSqlQuery Exec(const QSqlDatabase& db, const QString& text, const QVariantList& values) {
  const QString sql = ForEngine(IsPostgres(db), text);
  FinishPendingReads(db.driver(), sql);
  QSqlQuery query(db);
  if (Run(db, query, sql, values)) return query;
  const QSqlError error = query.lastError();
  query = QSqlQuery();
  // Inside a write transaction the connection stays broken, so that no
  // later statement of the posting runs outside it: the rollback reopens
  // it. Otherwise the server went away and may be back: every later step
  // of this window needs a working connection, whatever becomes of this
  // one.
  if (InWriteTransaction(db) || !ReopenIfLost(db, error)) throw DbError(error);
  if (!OnlyReads(sql)) throw DbError(error);
  QSqlQuery retried(db);
  if (!Run(db, retried, sql, values)) throw DbError(retried.lastError());
  return retried;
}

QString ScalarText(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  QSqlQuery query = Exec(db, sql, values);
  if (!query.next()) return QString();
  return CellText(query.value(0)).trimmed();
}

int ExecCount(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  return Exec(db, sql, values).numRowsAffected();
}

void InTransaction(QSqlDatabase& db, const std::function<void()>& work) {
  // A rollback would cut short a grid's reading on this connection.
  FinishPendingReads(db.driver());
  if (!IsSqlite(db)) {
    if (!db.transaction()) throw DbError(db.lastError());
  } else {
    // Every shop write reads first: a plain begin would take the write lock
    // only at the first write, and a second program that read in between
    // would fail there at once instead of waiting its turn.
    Exec(db, QStringLiteral("begin immediate"));
  }
  const auto rollback = [&db] {
    if (IsSqlite(db)) {
      QSqlQuery query(db);
      query.exec(QStringLiteral("rollback"));
    } else {
      db.rollback();
    }
  };
  try {
    work();
  } catch (...) {
    rollback();
    throw;
  }
  if (IsSqlite(db)) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("commit"))) {
      const QSqlError error = query.lastError();
      rollback();
      throw DbError(error);
    }
    return;
  }
  if (!db.commit()) {
    const QSqlError error = db.lastError();
    db.rollback();
    throw DbError(error);
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
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(name);
}
