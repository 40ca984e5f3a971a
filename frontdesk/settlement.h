#pragma once
// Settling a priced voucher at the cashier desk, as one transaction.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include "db/clinicconventions.h"

enum class SettlementResult {
  Settled,
  ShortPaid,  // the amount paid is below the voucher's amount due
  Failed,     // the voucher is gone (another desk settled it) or the store
              // failed; nothing was changed
};

// Settles the voucher of the visit for the cashier (CurrentUserName) on
// day: takes the voucher, and with it its amounts as the store holds them;
// a visit with medicine joins the dispensing queue and its lines are
// marked paid, its priced services move to the paid services, the visit's
// income row is written and an inpatient's deposit ledger books the amount
// due as spent. All of it or nothing.
SettlementResult SettleVoucher(const QSqlDatabase& db, const VisitKey& key, const QString& cashier, const QDate& day,
                               double paid, QString* failure = nullptr);
