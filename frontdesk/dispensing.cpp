#include "frontdesk/dispensing.h"

#include <cmath>

#include "db/clinicdb.h"
#include "db/sql.h"

namespace {
// Taking the queue row first decides which of two desks dispenses a visit.
const QString kTakeFromQueue = QStringLiteral("delete from 出库患者信息 where 流水号 = ? and 划价人帐号 = ?");
const QString kSignLines =
    QStringLiteral("update 临时出库信息 set 出库人帐号 = ? where 流水号 = ? and 划价人帐号 = ?");
const QString kStageLines =
    QStringLiteral("insert into ckb (编号, 数量) select 编号, 数量 from 临时出库信息 where 流水号 = ? and 划价人帐号 = ?");
// In goods order, so that two desks lock the batches of common goods in
// the same order and never wait on each other in a circle.
const QString kStagedLines = QStringLiteral("select 编号, 数量 from ckb order by 编号");
const QString kMoveLines = QStringLiteral(
    "insert into 出库信息 (流水号, 编号, 时间, 数量, \"单价(元)\", 出库人帐号, 划价人帐号, 收银人帐号, 开方医师, 收费类别) "
    "select 流水号, 编号, 时间, 数量, \"单价(元)\", 出库人帐号, 划价人帐号, 收银人帐号, 开方医师, 收费类别 "
    "from 临时出库信息 where 流水号 = ? and 划价人帐号 = ?");
const QString kDeleteLines = QStringLiteral(
    "delete from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 出库人帐号 = ?");

// Oldest first; a batch of unknown production day comes first, as the
// oldest. Batch number breaks ties, so every desk takes the same one.
const QString kBatchesWithStock = QStringLiteral(
    "select %1, 数量 from 药品过期表 where 编号 = ? and 数量 > ? "
    "order by 生产时间 is not null, 生产时间, 药品批号");
const QString kSetBatch = QStringLiteral("update 药品过期表 set 数量 = ? where %1 = ?");
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
