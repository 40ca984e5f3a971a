#pragma once
// Dispensing a paid visit: its lines leave the shelf from the oldest
// batches first and move to the dispensed lines, as one transaction.
#include <QSqlDatabase>
#include <QString>

#include "db/clinicconventions.h"

// The batches of the goods hold less than a line takes.
class BatchShortError : public DbError {
 public:
  explicit BatchShortError(const QString& code)
      : DbError(QStringLiteral("the batches of goods %1 hold less than the line takes").arg(code)) {}
};

// Takes quantity (its absolute value) of the goods from their batches in
// 药品过期表, oldest production day first; a batch taken whole is left at
// 0. Only batches holding more than kQuantityTolerance count, and what is
// left within that tolerance of zero is written as 0. Throws
// BatchShortError when the batches run out first (the caller's transaction
// then rolls back whatever this lowered), DbError on store errors. Runs
// inside a write transaction: on PostgreSQL it locks the batches it reads.
void FifoBatchDecrement(const QSqlDatabase& db, const QString& code, double quantity);

enum class DispensingResult {
  Dispensed,
  NotQueued,     // the visit is not (or no longer) waiting: another desk took it
  ShortBatches,  // a line's batches hold too little
  Failed,        // a store error
};

// Dispenses the queued visit for the pharmacist (CurrentUserName): takes
// it from the queue, lowers the batches line by line, copies the lines to
// 出库信息 (keeping their pricing day) and deletes them. Anything short of
// all of it rolls back, leaving the visit queued.
DispensingResult DispenseVisit(const QSqlDatabase& db, const VisitKey& key, const QString& pharmacist,
                               QString* failure = nullptr);
