#include "frontdesk/stagingconfirm.h"

#include <stdexcept>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"

namespace {
const QString kSelectReceipt = QStringLiteral(
    R"~(select rkxi.编号, rkxi.时间, rkxi.药品批号, rkxi."单价(元)", ypxi."售价(元)", rkxi.药品来源, rkxi.入库人帐号 )~"
    "from 入库信息 as rkxi, 药品信息 as ypxi where ypxi.编号 = rkxi.编号 and rkxi.行号 = ?");
// Each lowered only while it holds the quantity; the bound floor is the
// quantity less the tolerance, so a batch emptied exactly still passes.
const QString kLowerBatch =
    QStringLiteral("update 药品过期表 set 数量 = 数量 - ? where 编号 = ? and 药品批号 = ? and 数量 >= ?");
const QString kLowerStock = QStringLiteral("update 库存 set 数量 = 数量 - ? where 编号 = ? and 数量 >= ?");
const QString kLowerReceipt = QStringLiteral("update 入库信息 set 数量 = 数量 - ? where 行号 = ? and 数量 >= ?");
// The emptied rows, found and then deleted one by one (%1 is
// PhysicalRowId), each delete testing the quantity again.
const QString kEmptyRows = QStringLiteral("select %1 from %2 where ") + kEmptyQuantity;
const QString kDeleteEmptyRow = QStringLiteral("delete from %2 where %1 = ? and ") + kEmptyQuantity;

struct CorrectionStatements {
  QString stage;    // values: code, receipt day, today, batch, quantity, price, sale price, supplier,
                    // operator, receiver, reason
  QString take;     // deletes the account's staged rows, returning them in the final table's order
  QString confirm;  // one final row from what take returned
};

const CorrectionStatements kSupplierReturn{
    QStringLiteral(R"~(insert into 临时反库信息 (编号, 入库时间, 返库时间, 药品批号, 数量, "单价(元)", "售价(元)", )~"
                   "药品来源, 反库人帐号, 入库人帐号, 返库原因) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
    QStringLiteral(R"~(delete from 临时反库信息 where 反库人帐号 = ? returning 编号, 入库时间, 返库时间, 药品批号, )~"
                   R"~(数量, "单价(元)", "售价(元)", 药品来源, 入库人帐号, 反库人帐号, 返库原因)~"),
    QStringLiteral(R"~(insert into 药品反库信息 (编号, 入库时间, 返库时间, 药品批号, 数量, "单价(元)", "售价(元)", )~"
                   "药品来源, 入库人帐号, 反库人帐号, 返库原因) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
};
const CorrectionStatements kWriteOff{
    QStringLiteral(R"~(insert into 药品报损临时信息 (编号, 入库时间, 报损时间, 药品批号, 数量, "单价(元)", )~"
                   R"~("报损零售价(元)", 药品来源, 报损人帐号, 入库人帐号, 报损原因) )~"
                   "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
    QStringLiteral(R"~(delete from 药品报损临时信息 where 报损人帐号 = ? returning 编号, 入库时间, 报损时间, )~"
                   R"~(药品批号, 数量, "单价(元)", "报损零售价(元)", 药品来源, 入库人帐号, 报损人帐号, 报损原因)~"),
    QStringLiteral(R"~(insert into 药品报损信息 (编号, 入库时间, 报损时间, 药品批号, 数量, "单价(元)", )~"
                   R"~("报损零售价(元)", 药品来源, 入库人帐号, 报损人帐号, 报损原因) )~"
                   "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
};

const CorrectionStatements& StatementsOf(Correction kind) {
  return kind == Correction::SupplierReturn ? kSupplierReturn : kWriteOff;
}

struct Short : std::runtime_error {
  Short() : std::runtime_error("short") {}
};

QString Trimmed(const QVariant& value) { return value.toString().trimmed(); }

// Apart from any posting and a row at a time: a purge inside the staging
// took other goods' batches after this goods' stock, against the order of
// every other posting, and met dispensing in deadlocks. An emptied row
// left behind when the store fails here holds nothing; the next purge
// takes it.
void PurgeEmptyRows(const QSqlDatabase& db) {
  const QString rowId = PhysicalRowId(db);
  try {
    for (const QString& table : {QStringLiteral("入库信息"), QStringLiteral("药品过期表")}) {
      const QString remove = kDeleteEmptyRow.arg(rowId, table);
      for (const QVariantList& row : ReadAll(db, kEmptyRows.arg(rowId, table))) Exec(db, remove, {row[0]});
    }
  } catch (const DbError&) {
  }
}
}  // namespace

StagingOutcome StageCorrection(const QSqlDatabase& db, const CorrectionRequest& request, QString* failure) {
  const std::optional<double> quantity = ParsePositiveAmount(request.quantityText);
  if (!quantity) return StagingOutcome::BadQuantity;
  const double floor = *quantity - kQuantityTolerance;
  StagingOutcome refusal = StagingOutcome::Failed;
  const auto refuse = [&] {
    refusal = StagingOutcome::ShortStock;
    throw Short();
  };
  const auto expectOne = [&](int changed) {
    if (changed != 1) refuse();
  };
  const bool done = TransactionPosting(
      db,
      [&] {
        const QList<QVariantList> found = ReadAll(db, kSelectReceipt, {request.receiptRowId});
        if (found.isEmpty()) refuse();
        const QVariantList& receipt = found[0];
        const QString code = Trimmed(receipt[0]);
        const QString batch = Trimmed(receipt[2]);
        // Batch first, then the stock: every desk that changes both takes
        // them in this order, so two of them never wait on each other.
        expectOne(ExecCount(db, kLowerBatch, {*quantity, code, batch, floor}));
        expectOne(ExecCount(db, kLowerStock, {*quantity, code, floor}));
        if (request.kind == Correction::SupplierReturn)
          expectOne(ExecCount(db, kLowerReceipt, {*quantity, request.receiptRowId, floor}));
        Exec(db, StatementsOf(request.kind).stage,
             {code, receipt[1], DayText(request.today), batch, *quantity, receipt[3], receipt[4], Trimmed(receipt[5]),
              request.account, Trimmed(receipt[6]), request.reason.trimmed()});
      },
      failure);
  if (!done) return refusal;
  if (request.kind == Correction::SupplierReturn) PurgeEmptyRows(db);
  return StagingOutcome::Staged;
}

int StagingConfirm(const QSqlDatabase& db, Correction kind, const QString& account, QString* failure) {
  const CorrectionStatements& statements = StatementsOf(kind);
  int moved = 0;
  const bool done = TransactionPosting(
      db,
      [&] {
        moved = 0;
        for (const QVariantList& row : ReadAll(db, statements.take, {account})) {
          Exec(db, statements.confirm, row);
          ++moved;
        }
      },
      failure);
  return done ? moved : -1;
}
