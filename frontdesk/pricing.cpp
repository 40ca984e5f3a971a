#include "frontdesk/pricing.h"

#include <stdexcept>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskstatements.h"
#include "platform/numbers.h"

namespace {
using namespace DeskStatements;

// Thrown inside a posting to roll it back for a reason the caller is told.
struct Refusal : std::runtime_error {
  explicit Refusal(PricingResult why) : std::runtime_error("refused"), result(why) {}
  PricingResult result;
};

// The price of the visit's unpaid line of the goods, the lowest of two.
const QString kLinePrice = QStringLiteral(
    "select \"单价(元)\" from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 编号 = ? and 收银标志 = '否' "
    "order by \"单价(元)\" limit 1");
// What the visit's line of the goods and the whole visit come to.
const QString kLineAndVisitTotals = QStringLiteral(
    "select coalesce(sum(case when 编号 = ? then \"总价(元)\" else 0 end), 0), coalesce(sum(\"总价(元)\"), 0) "
    "from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 收银标志 = '否'");

double Count(const QSqlDatabase& db, const QString& sql, const VisitKey& key, int times) {
  QVariantList values;
  for (int i = 0; i < times; ++i) values << key.serial << key.account;
  return ScalarText(db, sql, values).toDouble();
}

// A visit the desk has lines on (hasLines) still has unpaid lines and
// nothing settled; one it starts has no row anywhere yet.
void RequireOpenVisit(const QSqlDatabase& db, const VisitKey& key, bool hasLines,
                      PricingResult noLines = PricingResult::VisitTaken) {
  if (Count(db, kClosedVisitRows, key, 4) > 0) throw Refusal(PricingResult::VisitTaken);
  const bool open = Count(db, kOpenVisitLines, key, 1) > 0;
  if (open && !hasLines) throw Refusal(PricingResult::VisitTaken);
  if (!open && hasLines) throw Refusal(noLines);
}

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

PricingResult AddPricedLine(const QSqlDatabase& db, const VisitKey& key, const PricedLine& line, bool startsVisit,
                            QString* failure) {
  // Past the digits of an amount is also an infinity or not a number.
  if (line.quantity <= 0 || !WithinAmountDigits(line.quantity)) return PricingResult::BadQuantity;
  if (line.price && (*line.price < 0 || !WithinAmountDigits(*line.price))) return PricingResult::BadPrice;
  return Run(
      db,
      [&] {
        const double q = line.quantity;
        // The stock first, as every posting takes it: a day close waits
        // for this posting or has committed before the visit is read, and
        // a second posting of the goods waits here, so that it finds the
        // line this one writes.
        if (ExecCount(db, kLowerStock, {q, kQuantityTolerance, q, line.code, kQuantityTolerance, q}) != 1)
          throw Refusal(PricingResult::ShortStock);
        RequireOpenVisit(db, key, !startsVisit);
        const QVariantList goods{key.serial, key.account, line.code};
        // A store may hold two lines of one goods from before; the quantity
        // goes to one of them, by its price.
        const QList<QVariantList> held = ReadAll(db, kLinePrice, goods);
        const bool adds = !held.isEmpty();
        if (adds) {
          if (ExecCount(db, kAddToLine, {q, key.serial, key.account, line.code, held[0][0]}) == 0)
            throw DbError(QStringLiteral("the line of goods %1 changed under the posting").arg(line.code));
        } else if (!line.price) {
          throw Refusal(PricingResult::BadPrice);
        } else {
          Exec(db, kInsertLine,
               {key.serial, line.code, DayText(line.day), q, *line.price, line.doctor, key.account, line.category});
        }
        const QList<QVariantList> owed = ReadAll(db, kLineAndVisitTotals, QVariantList{line.code} + key.Values());
        if (!OwedWithinAmountDigits(owed[0][0].toDouble()))
          throw Refusal(adds ? PricingResult::BadQuantity : PricingResult::BadPrice);
        if (!OwedWithinAmountDigits(owed[0][1].toDouble())) throw Refusal(PricingResult::BadQuantity);
      },
      failure);
}

PricingResult RemovePricedLine(const QSqlDatabase& db, const VisitKey& key, const QString& code, QString* failure) {
  return Run(
      db,
      [&] {
        // A line of a voucher already made stays: the voucher carries it.
        RequireOpenVisit(db, key, true, PricingResult::NoLine);
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
        RequireOpenVisit(db, key, true, PricingResult::NoLine);
        if (ExecCount(db, kInsertVoucher,
                      {category, key.serial, name, DayText(day), key.account, key.serial, key.account}) == 0)
          throw Refusal(PricingResult::NoLine);
      },
      failure);
}

std::optional<double> VisitTotal(const QSqlDatabase& db, const VisitKey& key) {
  const QString total = ScalarText(db, kVisitTotal, key.Values());
  if (total.isEmpty()) return std::nullopt;
  return FloatValue(total);
}
