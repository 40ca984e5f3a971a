#include "frontdesk/dispensing.h"

#include <cmath>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskstatements.h"
#include "platform/clock.h"

namespace {
using namespace DeskStatements;

const int kLooksAgain = 20;

}  // namespace

void FifoBatchDecrement(const QSqlDatabase& db, const QString& code, double quantity, const QDate& today) {
  double need = std::fabs(quantity);
  if (need <= kQuantityTolerance) return;
  const QString rowId = PhysicalRowId(db);
  const QString oldestBatch = kOldestBatch.arg(rowId) + RowLockClause(db);
  const QString setBatch = kSetBatch.arg(rowId);
  const QVariantList goodBatches{code, kQuantityTolerance, DayText(today)};
  int lookedAgain = 0;
  while (true) {
    const QList<QVariantList> oldest = ReadAll(db, oldestBatch, goodBatches);
    if (oldest.isEmpty()) {
      // On the server a batch that another desk changed while this one
      // waited for its lock is passed over rather than re-read: look again
      // when batches with stock are still there.
      if (++lookedAgain <= kLooksAgain && ScalarText(db, kCountBatchesWithStock, goodBatches) != QLatin1String("0"))
        continue;
      if (ScalarText(db, kCountExpiredBatchesWithStock, goodBatches) != QLatin1String("0"))
        throw ExpiredStockError(code);
      throw BatchShortError(code);
    }
    const double rest = oldest[0][1].toDouble() - need;
    Exec(db, setBatch, {rest > kQuantityTolerance ? rest : 0.0, oldest[0][0]});
    if (rest >= -kQuantityTolerance) return;
    need = -rest;
  }
}

DispensingResult DispenseVisit(const QSqlDatabase& db, const VisitKey& key, const QString& pharmacist,
                               QString* failure, QString* shortGoods) {
  const QDate today = Clock::today();
  DispensingResult refused = DispensingResult::Dispensed;
  const bool done = TransactionPosting(
      db,
      [&] {
        if (ExecCount(db, kTakeFromQueue, key.Values()) != 1) {
          refused = DispensingResult::NotQueued;
          throw DbError(QStringLiteral("the visit is not waiting in the queue"));
        }
        Exec(db, kSignLines, {pharmacist, key.serial, key.account});
        {
          ScratchTable staged(db, *FindClinicScratchTable(QStringLiteral("ckb")));
          Exec(db, kStageLines, key.Values());
          try {
            for (const QVariantList& line : ReadAll(db, kStagedLines))
              FifoBatchDecrement(db, line[0].toString().trimmed(), line[1].toDouble(), today);
          } catch (const BatchShortError& e) {
            refused = dynamic_cast<const ExpiredStockError*>(&e) ? DispensingResult::ExpiredStock
                                                                 : DispensingResult::ShortBatches;
            if (shortGoods) *shortGoods = e.code();
            throw;
          }
        }
        Exec(db, kMoveLines, key.Values());
        Exec(db, kDeleteLines, {key.serial, key.account, pharmacist});
      },
      failure);
  if (done) return DispensingResult::Dispensed;
  return refused == DispensingResult::Dispensed ? DispensingResult::Failed : refused;
}
