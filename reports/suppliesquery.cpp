#include "reports/suppliesquery.h"

#include "db/clinicdb.h"

const QString kSelectSupplyReceipts = QStringLiteral(
    R"~(select 产品名称, 时间, 数量, 单位, "单价(元)", 供货商, 产地 from 卫材入库历史记录表 %1)~");
const QString kSumSupplyReceipts = QStringLiteral(R"~(select sum("总价(元)") as 总价 from 卫材入库历史记录表 %1)~");
const QString kSelectSupplyIssues = QStringLiteral(
    R"~(select 产品名称, 时间, 数量, 单位, "单价(元)", "售价(元)", "进货金额(元)", "零售金额(元)", )~"
    R"~("利润金额(元)", 供货商, 产地 from 卫材出库表 %1)~");
const QString kSumSupplyIssueCost = QStringLiteral(R"~(select sum("进货金额(元)") as 总价 from 卫材出库表 %1)~");
const QString kSumSupplyIssueRetail = QStringLiteral(R"~(select sum("零售金额(元)") as 总价 from 卫材出库表 %1)~");
const QString kSumSupplyIssueProfit = QStringLiteral(R"~(select sum("利润金额(元)") as 总价 from 卫材出库表 %1)~");
const QString kSumSupplyIssues = QStringLiteral(R"~(select sum("总价(元)") as 总价 from 卫材出库表 %1)~");
const QString kSelectReceiptSlipRows = QStringLiteral(
    R"~(select 产品名称, 时间, 数量, 单位, "单价(元)" as 单价, "总价(元)" as 总价 from 卫材入库历史记录表 %1)~");
// The voucher prices an issue at its sale price.
const QString kSelectIssueVoucherRows = QStringLiteral(
    R"~(select 产品名称, 时间, 数量, 单位, "售价(元)" as 单价, "总价(元)" as 总价 from 卫材出库表 %1)~");

QString SuppliesFilter::Where(const QSqlDatabase& db, const QString& personColumn) const {
  QString where = QStringLiteral("where 时间 between ? and ?");
  if (person) where += QStringLiteral(" and %1 = ?").arg(personColumn);
  if (supplier) where += QStringLiteral(" and 供货商 %1 ?").arg(LikeOperator(db));
  return where;
}

QVariantList SuppliesFilter::Values() const {
  QVariantList values{firstDay, lastDay};
  // An empty person is the empty text, which a null text would not be.
  if (person) values << (person->isNull() ? QStringLiteral("") : *person);
  if (supplier) values << QLatin1Char('%') + *supplier + QLatin1Char('%');
  return values;
}
