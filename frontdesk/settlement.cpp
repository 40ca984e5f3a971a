#include "frontdesk/settlement.h"

#include <cmath>
#include <stdexcept>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskstatements.h"

namespace {
using namespace DeskStatements;

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
