#include "frontdesk/pricing.h"

#include <cmath>
#include <stdexcept>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/visitserial.h"

namespace {
// Lowered in place, never set from what a screen showed; the test against
// zero is part of the statement, so two desks cannot both take the last.
const QString kLowerStock = QStringLiteral(
    "update 库存 set 数量 = case when 数量 - ? <= ? then 0 else 数量 - ? end "
    "where 编号 = ? and 数量 + ? >= ?");
const QString kRaiseStock = QStringLiteral("update 库存 set 数量 = 数量 + ? where 编号 = ?");
const QString kAddToLine = QStringLiteral(
    "update 临时出库信息 set 数量 = 数量 + ? where 流水号 = ? and 划价人帐号 = ? and 编号 = ? and 收银标志 = '否'");
const QString kInsertLine = QStringLiteral(
    "insert into 临时出库信息 (流水号, 编号, 时间, 数量, \"单价(元)\", 开方医师, 划价人帐号, 收银标志, 收费类别) "
    "values (?, ?, ?, ?, ?, ?, ?, '否', ?)");
const QString kDeleteLine = QStringLiteral(
    "delete from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 编号 = ? and 收银标志 = '否' returning 数量");
const QString kCountLines =
    QStringLiteral("select count(*) from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 收银标志 = '否'");
// The store sums the lines; nothing typed on screen reaches the voucher.
const QString kInsertVoucher = QStringLiteral(
    "insert into 收银信息 (收费类别, 流水号, 姓名, 时间, \"药费(元)\", \"服务费(元)\", 划价人帐号) "
    "values (?, ?, ?, ?, (select round(cast(coalesce(sum(\"总价(元)\"), 0) as numeric), 2) from 临时出库信息 "
    "where 流水号 = ? and 划价人帐号 = ? and 收银标志 = '否'), 0, ?)");
const QString kVisitTotal =
    QStringLiteral("select sum(\"总价(元)\") from 临时出库信息 where 流水号 = ? and 划价人帐号 = ?");

// Thrown inside a posting to roll it back for a reason the caller is told.
struct Refusal : std::runtime_error {
  explicit Refusal(PricingResult why) : std::runtime_error("refused"), result(why) {}
  PricingResult result;
};

PricingResult Run(const QSqlDatabase& db, const std::function<void()>& work, QString* failure) {
  PricingResult refused = PricingResult::Done;
  const bool done = TransactionPosting(
      db,
      [&] {
        try {
          work();
        } catch (const Refusal& refusal) {
          refused = refusal.result;
          throw;
        }
      },
      failure);
  if (done) return PricingResult::Done;
  return refused == PricingResult::Done ? PricingResult::Failed : refused;
}
}  // namespace

PricingResult AddPricedLine(const QSqlDatabase& db, VisitKey& key, const PricedLine& line, bool startsVisit,
                            QString* failure) {
  if (!std::isfinite(line.quantity) || line.quantity <= 0) return PricingResult::BadQuantity;
  if (!std::isfinite(line.price) || line.price < 0) return PricingResult::BadPrice;
  VisitKey visit = key;
  const PricingResult result = Run(
      db,
      [&] {
        if (startsVisit) visit.serial = double(ClaimVisitSerial(db, visit.account, qint64(visit.serial)));
        const double q = line.quantity;
        if (ExecCount(db, kLowerStock, {q, kQuantityTolerance, q, line.code, kQuantityTolerance, q}) != 1)
          throw Refusal(PricingResult::ShortStock);
        if (ExecCount(db, kAddToLine, {q, visit.serial, visit.account, line.code}) == 0)
          Exec(db, kInsertLine,
               {visit.serial, line.code, DayText(line.day), q, line.price, line.doctor, visit.account,
                line.category});
      },
      failure);
  if (result == PricingResult::Done) key = visit;
  return result;
}

PricingResult RemovePricedLine(const QSqlDatabase& db, const VisitKey& key, const QString& code, QString* failure) {
  return Run(
      db,
      [&] {
        const QList<QVariantList> removed = ReadAll(db, kDeleteLine, {key.serial, key.account, code});
        if (removed.isEmpty()) throw Refusal(PricingResult::NoLine);
        double quantity = 0;
        for (const QVariantList& row : removed) quantity += row[0].toDouble();
        // Stock that has no row to go back to would be lost: keep the line.
        if (ExecCount(db, kRaiseStock, {quantity, code}) != 1)
          throw DbError(QStringLiteral("no stock row for goods ") + code);
      },
      failure);
}

PricingResult MakeVoucher(const QSqlDatabase& db, const VisitKey& key, const QString& name, const QString& category,
                          const QDate& day, QString* failure) {
  return Run(
      db,
      [&] {
        if (ScalarText(db, kCountLines, key.Values()) == QLatin1String("0")) throw Refusal(PricingResult::NoLine);
        Exec(db, kInsertVoucher,
             {category, key.serial, name, DayText(day), key.serial, key.account, key.account});
      },
      failure);
}

std::optional<double> VisitTotal(const QSqlDatabase& db, const VisitKey& key) {
  const QString total = ScalarText(db, kVisitTotal, key.Values());
  if (total.isEmpty()) return std::nullopt;
  return FloatValue(total);
}
