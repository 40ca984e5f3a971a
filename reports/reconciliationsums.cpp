#include "reports/reconciliationsums.h"

#include "db/clinicconventions.h"
#include "db/sql.h"

namespace {
// Each statement takes the first and the last day, then its category
// where it has one. Each reads an index that holds every column it needs
// in the order it groups them, pinned: a year of lines is then a walk of
// the index, where the planner's own choice reads the table or sorts.
const QString kCashiersByDay = QStringLiteral(
    R"~(select 时间, 收银人帐号 as 收银人姓名, sum("收入金额(元)") as "收入金额(元)" from 患者信息 )~"
    "where 时间 between ? and ? group by 时间, 收银人帐号 order by 时间, 收银人帐号");
const QString kCashiersByCashier = QStringLiteral(
    R"~(select 时间, 收银人帐号 as 收银人姓名, sum("药费(元)" + "服务费(元)") as "收入金额(元)" )~"
    R"~(from 患者信息 indexed by "患者信息_收银时间" )~"
    "where 时间 between ? and ? group by 收银人帐号, 时间 order by 收银人帐号 asc, 时间");
const QString kIncomeOfCategory = QStringLiteral(
    R"~(select sum("收入金额(元)") as 收入金额 from 患者信息 indexed by "患者信息_类别时间收入" )~"
    "where 时间 between ? and ? and 收费类别 = ?");
const QString kIncome = QStringLiteral(
    R"~(select sum("收入金额(元)") as 收入金额 from 患者信息 indexed by "患者信息_类别时间收入" where 时间 between ? and ?)~");
const QString kMedicineByCategory = QStringLiteral(
    R"~(select ypxx.类别, sum(ckxx.数量 * ckxx."单价(元)") as "总价(元)" from 药品信息 as ypxx indexed by "药品信息_类别编号" )~"
    R"~(cross join 出库信息 as ckxx indexed by "出库信息_编号收费时间" )~"
    "where ckxx.时间 between ? and ? and ckxx.收费类别 = ? and ckxx.编号 = ypxx.编号 "
    "group by ypxx.类别 order by ypxx.类别");
// The goods-led index walked goods by goods, a range of the category's
// dates in each (the store's statistics tell SQLite the goods are few).
const QString kMedicineIncome = QStringLiteral(
    R"~(select sum(数量 * "单价(元)") as 收入金额 from 出库信息 indexed by "出库信息_编号收费时间" )~"
    "where 时间 between ? and ? and 收费类别 = ?");
const QString kServicesByCategory = QStringLiteral(
    R"~(select 服务类别, count(服务类别) as 服务数目, sum("服务费(元)") as "服务总额(元)" )~"
    R"~(from 服务信息 indexed by "服务信息_类别收费时间" )~"
    "where 时间 between ? and ? and 收费类别 = ? group by 服务类别 order by 服务类别");
const QString kServiceIncome = QStringLiteral(
    R"~(select sum("服务费(元)") as 收入金额 from 服务信息 indexed by "服务信息_类别收费时间" )~"
    "where 时间 between ? and ? and 收费类别 = ?");

const QString kOutpatient = QStringLiteral("门诊");
const QString kInpatient = QStringLiteral("住院");
const QString kStaff = QStringLiteral("职工用药");
}  // namespace

QList<ReconciliationStatement> ReconciliationStatements(const QDate& first, const QDate& last, CashierOrder order) {
  const QString d1 = DayText(first);
  const QString d2 = DayText(last);
  auto grid = [&](ReconciliationGrid target, const QString& sql, const QVariantList& values) {
    return ReconciliationStatement{sql, values, true, target, ReconciliationSum::Outpatient};
  };
  auto sum = [&](ReconciliationSum target, const QString& sql, const QVariantList& values) {
    return ReconciliationStatement{sql, values, false, ReconciliationGrid::Cashiers, target};
  };
  return {
      grid(ReconciliationGrid::Cashiers, order == CashierOrder::ByDay ? kCashiersByDay : kCashiersByCashier, {d1, d2}),
      sum(ReconciliationSum::Outpatient, kIncomeOfCategory, {d1, d2, kOutpatient}),
      sum(ReconciliationSum::Inpatient, kIncomeOfCategory, {d1, d2, kInpatient}),
      sum(ReconciliationSum::All, kIncome, {d1, d2}),
      sum(ReconciliationSum::Staff, kIncomeOfCategory, {d1, d2, kStaff}),
      grid(ReconciliationGrid::OutpatientMedicine, kMedicineByCategory, {d1, d2, kOutpatient}),
      grid(ReconciliationGrid::InpatientMedicine, kMedicineByCategory, {d1, d2, kInpatient}),
      sum(ReconciliationSum::OutpatientMedicine, kMedicineIncome, {d1, d2, kOutpatient}),
      sum(ReconciliationSum::InpatientMedicine, kMedicineIncome, {d1, d2, kInpatient}),
      grid(ReconciliationGrid::OutpatientServices, kServicesByCategory, {d1, d2, kOutpatient}),
      grid(ReconciliationGrid::InpatientServices, kServicesByCategory, {d1, d2, kInpatient}),
      sum(ReconciliationSum::OutpatientServices, kServiceIncome, {d1, d2, kOutpatient}),
      sum(ReconciliationSum::InpatientServices, kServiceIncome, {d1, d2, kInpatient}),
  };
}

void ReconciliationSums(const QSqlDatabase& db, const QDate& first, const QDate& last, CashierOrder order,
                        ReconciliationTargets& targets) {
  for (const ReconciliationStatement& statement : ReconciliationStatements(first, last, order)) {
    if (statement.grid) {
      QSqlQuery rows = Exec(db, statement.sql, statement.values);
      targets.ShowGrid(statement.gridTarget, rows);
    } else {
      targets.ShowSum(statement.sumTarget, MoneyText(db, statement.sql, statement.values));
    }
  }
}
