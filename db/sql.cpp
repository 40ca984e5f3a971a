#include "db/sql.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QVariant>

#include "platform/grid.h"

QSqlQuery Exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  QSqlQuery query(db);
  query.setForwardOnly(true);
  // PostgreSQL refuses to prepare table definitions and transaction
  // statements, so a statement without values runs as it stands.
  if (values.isEmpty()) {
    if (!query.exec(sql)) throw DbError(query.lastError().text());
    return query;
  }
  if (!query.prepare(sql)) throw DbError(query.lastError().text());
  for (const QVariant& v : values) query.addBindValue(v);
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
  if (!db.transaction()) throw DbError(db.lastError().text());
  try {
    work();
  } catch (...) {
    db.rollback();
    throw;
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
    if (db.isValid()) db.close();
  }
  QSqlDatabase::removeDatabase(name);
}
