#include "frontdesk/dispensing.h"

#include <cmath>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskstatements.h"

namespace {
using namespace DeskStatements;

}  // namespace

void FifoBatchDecrement(const QSqlDatabase& db, const QString& code, double quantity) {
  double need = std::fabs(quantity);
  if (need <= kQuantityTolerance) return;
  const QString rowId = PhysicalRowId(db);
  const QList<QVariantList> batches =
      ReadAll(db, kBatchesWithStock.arg(rowId) + RowLockClause(db), {code, kQuantityTolerance});
  const QString setBatch = kSetBatch.arg(rowId);
  for (const QVariantList& batch : batches) {
    const double rest = batch[1].toDouble() - need;
    Exec(db, setBatch, {rest > kQuantityTolerance ? rest : 0.0, batch[0]});
    need = rest < -kQuantityTolerance ? -rest : 0;
    if (need == 0) return;
  }
  throw BatchShortError(code);
}

DispensingResult DispenseVisit(const QSqlDatabase& db, const VisitKey& key, const QString& pharmacist,
                               QString* failure) {
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
              FifoBatchDecrement(db, line[0].toString().trimmed(), line[1].toDouble());
          } catch (const BatchShortError&) {
            refused = DispensingResult::ShortBatches;
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
