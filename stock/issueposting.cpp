#include "stock/issueposting.h"

#include <QSqlQuery>
#include <QVariant>
#include <QVector>
#include <cmath>

#include "db/sql.h"

namespace {
const QString kSelectBatch = QStringLiteral("select 拼音码, 进价, 数量 from 库存 where 编号 = ? and 流水号 = ?");
const QString kSelectBatchAmounts = QStringLiteral("select 数量, 金额 from 库存 where 编号 = ? and 流水号 = ?");
const QString kPendingForBatch =
    QStringLiteral("select coalesce(sum(数量), 0) from 临时出库 where 编号 = ? and 流水号 = ?");
const QString kInsertPending = QStringLiteral(
    "insert into 临时出库 (编号, 流水号, 拼音码, 数量, 进价, 售价, 金额, 销售金额, 出货时间) "
    "values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kCopyToRecords = QStringLiteral(
    "insert into 出库记录 (编号, 流水号, 拼音码, 数量, 进价, 售价, 金额, 销售金额, 出货时间) "
    "select 编号, 流水号, 拼音码, 数量, 进价, 售价, 金额, 销售金额, 出货时间 from 临时出库 order by 行号");
const QString kPendingByBatch = QStringLiteral(
    "select 编号, 流水号, sum(数量), sum(金额) from 临时出库 group by 编号, 流水号");
const QString kLowerBatch = QStringLiteral("update 库存 set 数量 = ?, 金额 = ? where 编号 = ? and 流水号 = ?");
const QString kEmptyPending = QStringLiteral("delete from 临时出库");
const QString kDeleteEmptyBatches = QStringLiteral("delete from 库存 where 数量 <= 0");

struct BatchTake {
  QString code;
  QString serial;
  double quantity;
  double cost;
};

// Thrown inside the completion's transaction so that it rolls back whole.
struct BatchShort {};

QVector<BatchTake> pendingByBatch(const QSqlDatabase& db) {
  QVector<BatchTake> takes;
  QSqlQuery q = Exec(db, kPendingByBatch);
  while (q.next())
    takes.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toDouble(), q.value(3).toDouble()});
  return takes;
}

void lowerBatch(const QSqlDatabase& db, const BatchTake& take) {
  QSqlQuery batch = Exec(db, kSelectBatchAmounts, {take.code, take.serial});
  if (!batch.next()) throw BatchShort{};
  const double left = RoundQuantity(batch.value(0).toDouble() - take.quantity);
  if (left < 0) throw BatchShort{};
  const double costLeft = RoundQuantity(batch.value(1).toDouble() - take.cost);
  Exec(db, kLowerBatch, {left, costLeft, take.code, take.serial});
}
}  // namespace

double RoundQuantity(double value) {
  if (!std::isfinite(value)) return value;
  // Ten decimals clear a difference's residue; fifteen significant digits
  // clear what is left of the noise on large values.
  const double rounded = QString::number(QString::number(value, 'f', 10).toDouble(), 'g', 15).toDouble();
  return rounded == 0 ? 0.0 : rounded;
}

IssueRefusal AddIssueLine(const QSqlDatabase& db, const QString& code, const QString& serial, double quantity,
                          double salePrice, const QDate& day) {
  if (!std::isfinite(quantity) || RoundQuantity(quantity) <= 0) return IssueRefusal::BadQuantity;
  if (!std::isfinite(salePrice) || salePrice < 0) return IssueRefusal::BadPrice;
  QSqlDatabase conn = db;
  IssueRefusal refusal = IssueRefusal::None;
  InTransaction(conn, [&] {
    QSqlQuery batch = Exec(db, kSelectBatch, {code, serial});
    if (!batch.next()) {
      refusal = IssueRefusal::ShortStock;
      return;
    }
    const QString pinyin = batch.value(0).toString();
    const double purchasePrice = batch.value(1).toDouble();
    const double inStock = batch.value(2).toDouble();
    batch.finish();
    // A quantity so large that its amount or cost is beyond any number.
    if (!std::isfinite(purchasePrice * quantity) || !std::isfinite(salePrice * quantity)) {
      refusal = IssueRefusal::BadQuantity;
      return;
    }
    QSqlQuery sum = Exec(db, kPendingForBatch, {code, serial});
    const double alreadyPending = sum.next() ? sum.value(0).toDouble() : 0;
    if (RoundQuantity(alreadyPending + quantity) > RoundQuantity(inStock)) {
      refusal = IssueRefusal::ShortStock;
      return;
    }
    Exec(db, kInsertPending,
         {code, serial, pinyin, quantity, purchasePrice, salePrice, RoundQuantity(purchasePrice * quantity),
          RoundQuantity(salePrice * quantity), day.toString(Qt::ISODate)});
  });
  return refusal;
}

bool CompleteIssue(QSqlDatabase& db) {
  try {
    InTransaction(db, [&] {
      const QVector<BatchTake> takes = pendingByBatch(db);
      if (takes.isEmpty()) return;
      Exec(db, kCopyToRecords);
      for (const BatchTake& take : takes) lowerBatch(db, take);
      Exec(db, kEmptyPending);
      Exec(db, kDeleteEmptyBatches);
    });
  } catch (const BatchShort&) {
    return false;
  }
  return true;
}
