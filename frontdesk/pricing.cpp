#include "frontdesk/pricing.h"

#include <cmath>
#include <stdexcept>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskstatements.h"
#include "frontdesk/visitserial.h"

namespace {
using namespace DeskStatements;

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
