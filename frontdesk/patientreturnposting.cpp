#include "frontdesk/patientreturnposting.h"

#include <stdexcept>

#include "db/clinicdb.h"
#include "platform/numbers.h"

namespace {
const QString kSumStagedMedicine = QStringLiteral(
    R"~(select sum("总价(元)") from 退药临时信息 where (流水号 = ? and 划价人帐号 = ?) and 操作人帐号 = ?)~");
const QString kSumStagedService = QStringLiteral(
    R"~(select sum("服务费(元)") from 服务费退还临时信息 where (流水号 = ? and 划价人帐号 = ?) and 退还人帐号 = ?)~");
const QString kSelectReceivedBatch = QStringLiteral("select 编号 from 入库信息 where 编号 = ? and 药品批号 = ? limit 1");

// %1 is DispensedLineRowId: the line the clerk picked, of this visit and
// goods, whichever other lines of the goods the visit holds.
const QString kSelectDispensedLine = QStringLiteral(
    R"~(select 时间, "单价(元)" from 出库信息 where %1 = ? and (流水号 = ? and 划价人帐号 = ?) and 编号 = ?)~");
const QString kSelectLinesOfGoods =
    QStringLiteral("select %1 from 出库信息 where (流水号 = ? and 划价人帐号 = ?) and 编号 = ?");
const QString kRaiseBatch =
    QStringLiteral("update 药品过期表 set 数量 = 数量 + ? where 编号 = ? and 药品批号 = ?");
const QString kMakeBatch = QStringLiteral(
    "insert into 药品过期表 (编号, 药品批号, 数量, 生产时间, 有效期) values (?, ?, ?, ?, ?)");
const QString kRaiseStock = QStringLiteral("update 库存 set 数量 = 数量 + ? where 编号 = ?");
// Lowered only while the line still holds what is returned: a second desk
// returning the same line finds it short and rolls back.
const QString kLowerDispensedLine = QStringLiteral("update 出库信息 set 数量 = 数量 - ? where %1 = ? and 数量 >= ?");
const QString kStageMedicine = QStringLiteral(
    R"~(insert into 退药临时信息 (编号, 开药时间, 退药时间, 数量, "单价(元)", 批号, 操作人帐号, 流水号, 划价人帐号) )~"
    "values (?, ?, ?, ?, ?, ?, ?, ?, ?)");

// Read under the line's lock (SQLite's write lock holds the whole store),
// so the fee read is the one this refund works from until it commits. Not
// a write of the fee back unchanged: that would rewrite the line in every
// index holding the fee, and its rounding once more.
const QString kSelectServiceLine = QStringLiteral(
    R"~(select 服务类别, 流水号, 时间, "服务费(元)", 开方医师, 服务人, 划价人帐号 from 服务信息 where 行号 = ?)~");
const QString kDeleteServiceLine = QStringLiteral("delete from 服务信息 where 行号 = ?");
const QString kLowerServiceLine =
    QStringLiteral(R"~(update 服务信息 set "服务费(元)" = "服务费(元)" - ? where 行号 = ?)~");
const QString kStageService = QStringLiteral(
    R"~(insert into 服务费退还临时信息 (服务类别, 流水号, 服务时间, 退还时间, "服务费(元)", 开方医师, 服务人, )~"
    "划价人帐号, 退还人帐号) values (?, ?, ?, ?, ?, ?, ?, ?, ?)");

// The commit takes the staged rows out first and copies exactly those: a
// row another desk stages meanwhile stays staged for its own commit.
const QString kTakeStagedMedicine = QStringLiteral(
    "delete from 退药临时信息 where (流水号 = ? and 划价人帐号 = ?) and 操作人帐号 = ? "
    R"~(returning 编号, 开药时间, 退药时间, 数量, "单价(元)", 批号, 操作人帐号, 流水号, 划价人帐号)~");
const QString kCommitMedicine = QStringLiteral(
    R"~(insert into 退药信息 (编号, 开药时间, 退药时间, 数量, "单价(元)", 批号, 操作人帐号, 流水号, 划价人帐号) )~"
    "values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kTakeStagedService = QStringLiteral(
    "delete from 服务费退还临时信息 where (流水号 = ? and 划价人帐号 = ?) and 退还人帐号 = ? "
    R"~(returning 服务类别, 流水号, 服务时间, 退还时间, "服务费(元)", 开方医师, 服务人, 退还人帐号, 划价人帐号)~");
const QString kCommitService = QStringLiteral(
    R"~(insert into 服务费退还信息 (服务类别, 流水号, 服务时间, 退还时间, "服务费(元)", 开方医师, 服务人, )~"
    "退还人帐号, 划价人帐号) values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kLowerVisitFees = QStringLiteral(
    R"~(update 患者信息 set "药费(元)" = "药费(元)" - ?, "服务费(元)" = "服务费(元)" - ? )~"
    "where (流水号 = ? and 划价人帐号 = ?)");
const QString kSelectVisitName = QStringLiteral("select 姓名 from 患者信息 where (流水号 = ? and 划价人帐号 = ?)");
const QString kBookRefund = QStringLiteral(
    "insert into 住院患者押金表 (姓名, 时间, 收费类别, 金额, 操作人帐号) values (?, ?, '退方存入', ?, ?)");

// A refusal found inside a posting; the transaction rolls back.
struct Refused : std::runtime_error {
  Refused() : std::runtime_error("refused") {}
};

void ExpectOne(int changed) {
  if (changed != 1) throw Refused();
}

// The visit's refunds staged by the operator, medicine and services apart
// and together, stay within the digits of what is owed.
bool StagedWithinDigits(const QSqlDatabase& db, const QVariantList& visitAndOperator) {
  const double medicine = ScalarText(db, kSumStagedMedicine, visitAndOperator).toDouble();
  const double service = ScalarText(db, kSumStagedService, visitAndOperator).toDouble();
  return OwedWithinAmountDigits(medicine) && OwedWithinAmountDigits(service) &&
         OwedWithinAmountDigits(medicine + service);
}

QVariantList With(QVariantList values, const QVariantList& more) {
  values += more;
  return values;
}
}  // namespace

RefundTotals RefundSums(const QSqlDatabase& db, const VisitKey& visit, const QString& operatorName) {
  RefundTotals totals;
  totals.medicine = MoneyText(db, kSumStagedMedicine, With(visit.Values(), {operatorName}));
  totals.service = MoneyText(db, kSumStagedService, With(visit.Values(), {operatorName}));
  totals.total = TwoDecimals(FloatValue(totals.medicine) + FloatValue(totals.service));
  return totals;
}

bool BatchReceivedHere(const QSqlDatabase& db, const QString& code, const QString& batch) {
  return !ReadAll(db, kSelectReceivedBatch, {code.trimmed(), batch.trimmed()}).isEmpty();
}

QString DispensedLineRowId(const QSqlDatabase& db) { return PhysicalRowId(db); }

ReturnOutcome ReturnDispensedLine(const QSqlDatabase& db, const LineReturn& line, QString* failure) {
  const std::optional<double> quantity = ParsePositiveAmount(line.quantityText);
  if (!quantity) return ReturnOutcome::BadQuantity;
  const QString code = line.code.trimmed();
  const QString batch = line.batch.trimmed();
  const QString rowId = DispensedLineRowId(db);
  ReturnOutcome refusal = ReturnOutcome::Failed;
  const bool done = TransactionPosting(
      db,
      [&] {
        LockNameUntilCommit(db, QStringLiteral("药品过期表|%1|%2").arg(code, batch));
        QVariant row = line.lineRow;
        if (!row.isValid()) {
          // Which of two lines of the goods is meant, only the row can say.
          const QList<QVariantList> rows = ReadAll(db, kSelectLinesOfGoods.arg(rowId), With(line.visit.Values(), {code}));
          if (rows.size() != 1) throw Refused();
          row = rows[0][0];
        }
        const QList<QVariantList> dispensed = ReadAll(db, kSelectDispensedLine.arg(rowId) + RowLockClause(db),
                                                      With({row}, With(line.visit.Values(), {code})));
        if (dispensed.isEmpty()) throw Refused();
        const int raised = ExecCount(db, kRaiseBatch, {*quantity, code, batch});
        if (raised == 0) {
          const std::optional<double> shelfLife = ParseFloat(line.shelfLifeText);
          if (!shelfLife) {
            refusal = ReturnOutcome::BadShelfLife;
            throw Refused();
          }
          Exec(db, kMakeBatch, {code, batch, *quantity, DayText(line.producedOn), *shelfLife});
        } else {
          ExpectOne(raised);
        }
        ExpectOne(ExecCount(db, kRaiseStock, {*quantity, code}));
        ExpectOne(ExecCount(db, kLowerDispensedLine.arg(rowId),
                            {*quantity, row, *quantity - kQuantityTolerance}));
        Exec(db, kStageMedicine,
             {code, dispensed[0][0], DayText(line.today), *quantity, dispensed[0][1], batch, line.operatorName,
              line.visit.serial, line.visit.account});
        if (!StagedWithinDigits(db, With(line.visit.Values(), {line.operatorName}))) {
          refusal = ReturnOutcome::BadQuantity;
          throw Refused();
        }
      },
      failure);
  return done ? ReturnOutcome::Done : refusal;
}

RefundOutcome RefundServiceLine(const QSqlDatabase& db, qint64 rowId, const QString& amountText, const QDate& today,
                                const QString& operatorName, QString* failure) {
  const std::optional<double> amount = ParsePositiveAmount(amountText);
  if (!amount) return RefundOutcome::BadAmount;
  RefundOutcome outcome = RefundOutcome::Failed;
  const bool done = TransactionPosting(
      db,
      [&] {
        const QList<QVariantList> found = ReadAll(db, kSelectServiceLine + RowLockClause(db), {rowId});
        if (found.isEmpty()) throw Refused();
        const QVariantList& row = found[0];
        const double fee = row[3].toDouble();
        double staged = *amount;
        if (fee - *amount <= kQuantityTolerance) {
          staged = fee;
          ExpectOne(ExecCount(db, kDeleteServiceLine, {rowId}));
          outcome = RefundOutcome::Whole;
        } else {
          ExpectOne(ExecCount(db, kLowerServiceLine, {*amount, rowId}));
          outcome = RefundOutcome::Part;
        }
        Exec(db, kStageService,
             {row[0].toString().trimmed(), row[1], row[2], DayText(today), staged, row[4].toString().trimmed(),
              row[5].toString().trimmed(), row[6].toString().trimmed(), operatorName});
        if (!StagedWithinDigits(db, {row[1], row[6].toString().trimmed(), operatorName})) {
          outcome = RefundOutcome::BadAmount;
          throw Refused();
        }
      },
      failure);
  return done || outcome == RefundOutcome::BadAmount ? outcome : RefundOutcome::Failed;
}

bool CommitPatientReturn(const QSqlDatabase& db, const VisitKey& visit, const QString& operatorName,
                         const QDate& today, CommittedReturn* moved, QString* failure) {
  CommittedReturn result;
  const bool done = TransactionPosting(
      db,
      [&] {
        const QVariantList key = With(visit.Values(), {operatorName});
        for (const QVariantList& row : ReadAll(db, kTakeStagedMedicine, key)) {
          Exec(db, kCommitMedicine, row);
          result.medicine += row[3].toDouble() * row[4].toDouble();
          ++result.medicineRows;
        }
        for (const QVariantList& row : ReadAll(db, kTakeStagedService, key)) {
          Exec(db, kCommitService, row);
          result.service += row[4].toDouble();
          ++result.serviceRows;
        }
        if (result.medicineRows + result.serviceRows == 0) throw Refused();
        ExpectOne(ExecCount(db, kLowerVisitFees, With({result.medicine, result.service}, visit.Values())));
        const QString name = ScalarText(db, kSelectVisitName, visit.Values());
        Exec(db, kBookRefund,
             {name, DayText(today), FloatValue(TwoDecimals(result.medicine + result.service)), operatorName});
      },
      failure);
  if (done && moved) *moved = result;
  return done;
}
