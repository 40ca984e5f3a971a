#include "reports/dayclose.h"

#include <exception>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"

// A visit is its serial with its pricing account: two accounts' visits of
// the same serial are two visits.
const QString kCountUnpaidVisits =
    QStringLiteral("select count(*) from (select distinct 流水号, 划价人帐号 from 收银信息) as visits");
const QString kCountPaidUndispensed = QStringLiteral(
    "select count(*) from (select distinct 流水号, 划价人帐号 from 临时出库信息 where 收银标志 = '是') as visits");

namespace {
const QString kReturnUnpaidStock = QStringLiteral(
    "update 库存 set 数量 = 数量 + (select sum(lines.数量) from 临时出库信息 as lines "
    "where lines.收银标志 = '否' and lines.编号 = 库存.编号) "
    "where 编号 in (select 编号 from 临时出库信息 where 收银标志 = '否')");
const QString kDeleteUnpaidLines = QStringLiteral("delete from 临时出库信息 where 收银标志 = '否'");
const QString kDeleteVouchers = QStringLiteral("delete from 收银信息");
const QString kDeletePricedServices = QStringLiteral("delete from 服务信息临时表");
}  // namespace
// Each unpaid line's quantity goes back before the line goes.
const QStringList kVoidStatements{kReturnUnpaidStock, kDeleteUnpaidLines, kDeleteVouchers, kDeletePricedServices};
const QString kStockFromBatches = QStringLiteral(
    "update 库存 set 数量 = (select sum(batches.数量) from 药品过期表 as batches where batches.编号 = 库存.编号) "
    "where 编号 in (select 编号 from 药品过期表)");
const QString kRecordClosedDay = QStringLiteral("insert into 时间表 (时间) values (?)");

namespace {
// Thrown inside the close's transaction to roll it back whole when paid
// medicine still waits.
struct PaidStillWaiting : std::exception {};

void Void(const QSqlDatabase& db) {
  for (const QString& statement : kVoidStatements) Exec(db, statement);
}
}  // namespace

QStringList DayCloseTables() {
  return {QStringLiteral("库存"), QStringLiteral("临时出库信息"), QStringLiteral("服务信息临时表"),
          QStringLiteral("收银信息"), QStringLiteral("药品过期表")};
}

QString UnpaidVisitCount(const QSqlDatabase& db) { return ScalarText(db, kCountUnpaidVisits); }

QString PaidUndispensedCount(const QSqlDatabase& db) { return ScalarText(db, kCountPaidUndispensed); }

bool VoidUnpaidVisits(const QSqlDatabase& db, QString* failure) {
  return TransactionPosting(db, DayCloseTables(), [&] { Void(db); }, failure);
}

DayCloseResult DayClose(const QSqlDatabase& db) {
  DayCloseResult result;
  bool waiting = false;
  const bool done = TransactionPosting(
      db, DayCloseTables(),
      [&] {
        result.waiting = PaidUndispensedCount(db);
        if (result.waiting != QLatin1String("0")) {
          waiting = true;
          throw PaidStillWaiting();
        }
        Void(db);
        Exec(db, kStockFromBatches);
      },
      &result.failure);
  if (done)
    result.outcome = DayCloseResult::Closed;
  else if (waiting)
    result.outcome = DayCloseResult::PaidWaiting;
  else
    result.outcome = DayCloseResult::Failed;
  return result;
}

bool ConfirmDayClose(const QSqlDatabase& db, bool voidFirst, const QDate& today, QString* failure) {
  const bool done = TransactionPosting(
      db, voidFirst ? DayCloseTables() : QStringList(),
      [&] {
        if (voidFirst) Void(db);
        Exec(db, kRecordClosedDay, {DayText(today)});
      },
      failure);
  // Once a day, after the day's sums have run on this connection: the
  // store's statistics follow its growth.
  if (done) RefreshPlannerStatistics(db);
  return done;
}
