#include "db/sql.h"

#include <QAtomicInt>
#include <QDate>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <cmath>

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

QSqlQuery Exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  FinishPendingReads(db.driver(), sql);
  QSqlQuery query(db);
  query.setForwardOnly(true);
  // PostgreSQL refuses to prepare table definitions and transaction
  // statements, so a statement without values runs as it stands.
  if (values.isEmpty()) {
    if (!query.exec(sql)) throw DbError(query.lastError().text());
    return query;
  }
  if (!query.prepare(sql)) throw DbError(query.lastError().text());
  for (const QVariant& v : values) query.addBindValue(AsBound(v));
  if (!query.exec()) throw DbError(query.lastError().text());
  return query;
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
    if (!db.transaction()) throw DbError(db.lastError().text());
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
      const QString text = query.lastError().text();
      rollback();
      throw DbError(text);
    }
    return;
  }
  if (!db.commit()) {
    const QString text = db.lastError().text();
    db.rollback();
    throw DbError(text);
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
