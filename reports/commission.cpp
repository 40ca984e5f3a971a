#include "reports/commission.h"

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/numbers.h"

const QString kSelectMedicineResult = QStringLiteral(
    R"~(select 服务项目, 总金额 as "总金额(元)", 提成比例 as "提成比例(%)", 提成金额 as "提成金额(元)" )~"
    "from 医生药品提成统计表 where 开方医师 = ? and 统计人 = ?");
const QString kSelectPrescribedResult = QStringLiteral(
    R"~(select 服务项目, 服务数目, 总金额 as "总金额(元)", 提成比例 as "提成比例(%)", 提成金额 as "提成金额(元)" )~"
    "from 医生处方提成统计表 where 开方医师 = ? and 统计人 = ?");
const QString kSelectPerformedResult = QStringLiteral(
    R"~(select 服务项目, 服务数目, 总金额 as "总金额(元)", 提成比例 as "提成比例(%)", 提成金额 as "提成金额(元)" )~"
    "from 服务费提成统计表 where 服务人 = ? and 统计人 = ?");

namespace CommissionSql {
const QString kDeletePerformed = QStringLiteral("delete from 服务费提成统计表 where 统计人 = ?");
const QString kDeleteMedicine = QStringLiteral("delete from 医生药品提成统计表 where 统计人 = ?");
const QString kDeletePrescribed = QStringLiteral("delete from 医生处方提成统计表 where 统计人 = ?");

// An item without a share row drops out here (inner join). Names are
// written trimmed, as a share is looked up by its trimmed item. Values:
// person, user, d1, d2, person.
const QString kInsertPerformed = QStringLiteral(
    "insert into 服务费提成统计表 (服务项目, 服务数目, 总金额, 服务人, 统计人, 提成比例) "
    R"~(select trim(fwxi.服务类别), count(fwxi.服务类别), sum(fwxi."服务费(元)"), ?, ?, blfpb.服务人比例 )~"
    "from 服务信息 as fwxi, 比例分配表 as blfpb "
    "where fwxi.时间 between ? and ? and fwxi.服务人 = ? and fwxi.服务类别 = blfpb.项目 "
    "group by fwxi.服务类别, blfpb.服务人比例");
const QString kInsertPrescribed = QStringLiteral(
    "insert into 医生处方提成统计表 (服务项目, 服务数目, 总金额, 开方医师, 统计人, 提成比例) "
    R"~(select trim(fwxi.服务类别), count(fwxi.服务类别), sum(fwxi."服务费(元)"), ?, ?, blfpb.医生比例 )~"
    "from 服务信息 as fwxi, 比例分配表 as blfpb "
    "where fwxi.时间 between ? and ? and fwxi.开方医师 = ? and fwxi.服务类别 = blfpb.项目 "
    "group by fwxi.服务类别, blfpb.医生比例");
// A category keeps its row without a share: its ratio stays empty. The
// line totals are summed from their factors, which the doctor's goods
// index holds, so that no line is read from the table.
const QString kInsertMedicine = QStringLiteral(
    "insert into 医生药品提成统计表 (服务项目, 总金额, 开方医师, 统计人) "
    R"~(select trim(ypxx.类别), sum(ckxx.数量 * ckxx."单价(元)"), ?, ? )~"
    "from 药品信息 as ypxx, 出库信息 as ckxx "
    "where ckxx.时间 between ? and ? and ckxx.开方医师 = ? and ckxx.编号 = ypxx.编号 "
    "group by ypxx.类别");
// Every category of the result gets the doctor's share of the item of its
// name, in one statement rather than one per item: an item's trimmed name
// is unique, so no two items compete for a row. Values: user, person.
const QString kSetMedicineShares = QStringLiteral(
    "update 医生药品提成统计表 set 提成比例 = "
    "(select blfpb.医生比例 from 比例分配表 as blfpb where trim(blfpb.项目) = 医生药品提成统计表.服务项目) "
    "where 统计人 = ? and 开方医师 = ? and 服务项目 in (select trim(项目) from 比例分配表)");

const QString kSumMedicineCommission =
    QStringLiteral("select sum(提成金额) from 医生药品提成统计表 where 开方医师 = ? and 统计人 = ?");
const QString kSumPrescribedCommission =
    QStringLiteral("select sum(提成金额) from 医生处方提成统计表 where 开方医师 = ? and 统计人 = ?");
const QString kSumPerformedCommission =
    QStringLiteral("select sum(提成金额) from 服务费提成统计表 where 服务人 = ? and 统计人 = ?");
const QString kSumMedicineAmount =
    QStringLiteral("select sum(总金额) from 医生药品提成统计表 where 开方医师 = ? and 统计人 = ?");
const QString kSumPrescribedAmount =
    QStringLiteral("select sum(总金额) from 医生处方提成统计表 where 开方医师 = ? and 统计人 = ?");
const QString kSumPerformedAmount =
    QStringLiteral("select sum(总金额) from 服务费提成统计表 where 服务人 = ? and 统计人 = ?");

const QString kSumMedicineSold = QStringLiteral(
    R"~(select sum(ckxx.数量 * ckxx."单价(元)") from 药品信息 as ypxx, 出库信息 as ckxx )~"
    "where ckxx.时间 between ? and ? and ckxx.开方医师 = ? and ckxx.编号 = ypxx.编号");
const QString kSumPrescribedSold =
    QStringLiteral(R"~(select sum("服务费(元)") from 服务信息 where 时间 between ? and ? and 开方医师 = ?)~");
const QString kSumPerformedSold =
    QStringLiteral(R"~(select sum("服务费(元)") from 服务信息 where 时间 between ? and ? and 服务人 = ?)~");

}  // namespace CommissionSql

using namespace CommissionSql;

void ComputeCommission(const QSqlDatabase& db, const QString& person, const QDate& d1, const QDate& d2,
                       const QString& user) {
  const QString from = DayText(d1);
  const QString to = DayText(d2);
  BeginWrite(db);
  try {
    for (const QString& sql : {kDeletePerformed, kDeleteMedicine, kDeletePrescribed}) Exec(db, sql, {user});
    Exec(db, kInsertPerformed, {person, user, from, to, person});
    Exec(db, kInsertMedicine, {person, user, from, to, person});
    Exec(db, kInsertPrescribed, {person, user, from, to, person});
    Exec(db, kSetMedicineShares, {user, person});
    CommitWrite(db);
  } catch (...) {
    RollbackWrite(db);
    throw;
  }
}

QString CommissionSum(const QString& medicine, const QString& prescribed, const QString& performed) {
  double sum = 0;
  for (const QString& text : {performed, prescribed, medicine}) sum += FloatValue(text);
  return TwoDecimals(FloatValue(FloatText(sum)));
}

CommissionTotals ReadCommissionTotals(const QSqlDatabase& db, const QString& person, const QString& user) {
  const QVariantList values{person, user};
  CommissionTotals totals;
  totals.medicineCommission = MoneyText(db, kSumMedicineCommission, values);
  totals.prescribedCommission = MoneyText(db, kSumPrescribedCommission, values);
  totals.performedCommission = MoneyText(db, kSumPerformedCommission, values);
  totals.total = CommissionSum(totals.medicineCommission, totals.prescribedCommission, totals.performedCommission);
  totals.prescribedAmount = MoneyText(db, kSumPrescribedAmount, values);
  totals.medicineAmount = MoneyText(db, kSumMedicineAmount, values);
  totals.performedAmount = MoneyText(db, kSumPerformedAmount, values);
  return totals;
}

SalesAmounts ReadSalesAmounts(const QSqlDatabase& db, const QString& person, const QDate& d1, const QDate& d2) {
  const QVariantList values{DayText(d1), DayText(d2), person};
  return {MoneyText(db, kSumMedicineSold, values), MoneyText(db, kSumPrescribedSold, values),
          MoneyText(db, kSumPerformedSold, values)};
}
