#pragma once
// Dispensing a paid visit: its lines leave the shelf from the oldest
// batches first and move to the dispensed lines, as one transaction.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include "db/clinicconventions.h"

// The batches of the goods hold less than a line takes.
class BatchShortError : public DbError {
 public:
  explicit BatchShortError(const QString& code, const QString& why = QStringLiteral("hold less than the line takes"))
      : DbError(QStringLiteral("the batches of goods %1 %2").arg(code, why)), code_(code) {}
  const QString& code() const { return code_; }

 private:
  QString code_;
};
// The batches that have not expired hold less than a line takes, and the
// rest of the goods' stock lies in expired batches.
class ExpiredStockError : public BatchShortError {
 public:
  explicit ExpiredStockError(const QString& code)
      : BatchShortError(code, QStringLiteral("that have not expired hold less than the line takes")) {}
};

// Takes quantity (its absolute value) of the goods from their batches in
// 药品过期表 that have not expired by today (expiry day after today; a
// batch of unknown expiry counts as good), oldest production day first; a
// batch taken whole is left at 0, and an expired batch is never lowered.
// Only batches holding more than kQuantityTolerance count, and what is
// left within that tolerance of zero is written as 0. Throws
// ExpiredStockError when the good batches run out first while expired ones
// still hold stock, BatchShortError when all run out (the caller's
// transaction then rolls back whatever this lowered), DbError on store
// errors. Runs inside a write transaction: on PostgreSQL it locks the
// batches it reads.
void FifoBatchDecrement(const QSqlDatabase& db, const QString& code, double quantity, const QDate& today);

enum class DispensingResult {
  Dispensed,
  NotQueued,     // the visit is not (or no longer) waiting: another desk took it
  ShortBatches,  // a line's batches hold too little
  ExpiredStock,  // a line's good batches hold too little; the rest has expired
  Failed,        // a store error
};

// Dispenses the queued visit for the pharmacist (CurrentUserName) on
// Clock::today(): takes it from the queue, lowers the batches line by
// line, copies the lines to 出库信息 (keeping their pricing day) and
// deletes them. Anything short of all of it rolls back, leaving the visit
// queued; shortGoods then names the goods whose batches fell short.
DispensingResult DispenseVisit(const QSqlDatabase& db, const VisitKey& key, const QString& pharmacist,
                               QString* failure = nullptr, QString* shortGoods = nullptr);
