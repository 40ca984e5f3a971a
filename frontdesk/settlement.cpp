#include "frontdesk/settlement.h"

#include <cmath>
#include <stdexcept>

#include "db/clinicdb.h"
#include "db/sql.h"

namespace {
// The voucher goes first: of two desks settling it, the one that removes
// it settles, and the other finds nothing and rolls back.
const QString kTakeVoucher = QStringLiteral(
    "delete from 收银信息 where 流水号 = ? and 划价人帐号 = ? "
    "returning 收费类别, 姓名, \"药费(元)\", \"服务费(元)\"");
const QString kQueueVisit = QStringLiteral(
    "insert into 出库患者信息 (姓名, 流水号, 时间, 划价人帐号, 收银人帐号) values (?, ?, ?, ?, ?)");
const QString kMarkLinesPaid = QStringLiteral(
    "update 临时出库信息 set 收银人帐号 = ?, 收银标志 = '是' where 流水号 = ? and 划价人帐号 = ?");
// 服务信息 draws its own row id, so the copy names its columns.
const QString kCopyServices = QStringLiteral(
    "insert into 服务信息 (服务类别, 流水号, 时间, \"服务费(元)\", 开方医师, 服务人, 划价人帐号, 收费类别) "
    "select 服务类别, 流水号, 时间, \"服务费(元)\", 开方医师, 服务人, 划价人帐号, 收费类别 from 服务信息临时表 "
    "where 流水号 = ? and 划价人帐号 = ?");
const QString kDeletePricedServices =
    QStringLiteral("delete from 服务信息临时表 where 流水号 = ? and 划价人帐号 = ?");
const QString kInsertIncome = QStringLiteral(
    "insert into 患者信息 (收费类别, 流水号, 姓名, 时间, \"药费(元)\", \"服务费(元)\", 划价人帐号, 收银人帐号) "
    "values (?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertSpending = QStringLiteral(
    "insert into 住院患者押金表 (姓名, 时间, 收费类别, 金额, 操作人帐号) values (?, ?, '支出', ?, ?)");

const QString kInpatient = QStringLiteral("住院");

struct ShortPaid : std::runtime_error {
  ShortPaid() : std::runtime_error("short paid") {}
};

// Money read back from either store (a decimal may come as text).
double Money(const QVariant& value) { return value.isNull() ? 0 : FloatValue(value.toString()); }
}  // namespace

SettlementResult SettleVoucher(const QSqlDatabase& db, const VisitKey& key, const QString& cashier, const QDate& day,
                               double paid, QString* failure) {
  bool shortPaid = false;
  const bool done = TransactionPosting(
      db,
      [&] {
        const QList<QVariantList> voucher = ReadAll(db, kTakeVoucher, key.Values());
        if (voucher.size() != 1)
          throw DbError(QStringLiteral("the voucher is gone or not one (%1 rows)").arg(voucher.size()));
        const QString category = voucher[0][0].toString().trimmed();
        const QString name = voucher[0][1].toString().trimmed();
        const double medicine = Money(voucher[0][2]);
        const double services = Money(voucher[0][3]);
        const double due = medicine + services;
        // Amounts are in cents; a paid figure below the due by less than
        // half a cent is binary noise, not a debt.
        if (!std::isfinite(paid) || paid - due < -0.005) {
          shortPaid = true;
          throw ShortPaid();
        }
        const QString dayText = DayText(day);
        if (medicine != 0) {
          Exec(db, kQueueVisit, {name, key.serial, dayText, key.account, cashier});
          Exec(db, kMarkLinesPaid, {cashier, key.serial, key.account});
        }
        if (services != 0) {
          Exec(db, kCopyServices, key.Values());
          Exec(db, kDeletePricedServices, key.Values());
        }
        Exec(db, kInsertIncome, {category, key.serial, name, dayText, medicine, services, key.account, cashier});
        if (category == kInpatient) Exec(db, kInsertSpending, {name, dayText, FloatValue(TwoDecimals(due)), cashier});
      },
      failure);
  if (done) return SettlementResult::Settled;
  return shortPaid ? SettlementResult::ShortPaid : SettlementResult::Failed;
}
