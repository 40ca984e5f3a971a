#include "frontdesk/correctionlists.h"

#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/grid.h"

const QString kNotOurBatch = QStringLiteral("对不起，您的药品不是本医院药品!对您的行为表示遗憾");
const QString kShortStock = QStringLiteral("对不起，库存数量不足");
const QString kBatchNumberKeys =
    QStringLiteral("-.0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");

namespace {
// %1: the quantity's table alias; %2: the retail price's title; %3: the
// like operator; %4: the batch table and its join, when listed.
const QString kSelectReceipts = QStringLiteral(
    R"~(select rkxi.编号, ypxi.品名, rkxi.时间, rkxi.药品批号, %1.数量, ypxi.单位, rkxi."单价(元)", rkxi."总价(元)", )~"
    R"~(ypxi."售价(元)" as %2, rkxi.药品来源, ypxi.厂商, rkxi.入库人帐号, rkxi.行号 from %4入库信息 as rkxi, )~"
    "药品信息 as ypxi where ypxi.拼音缩写 %3 ? and rkxi.药品批号 = ? and (ypxi.编号 = rkxi.编号)");
const QString kBatchJoin = QStringLiteral(" and ypgqb.药品批号 = ? and (ypxi.编号 = ypgqb.编号)");
const QString kSelectBatchQuantity = QStringLiteral("select 数量 from 药品过期表 where 编号 = ? and 药品批号 = ?");
const QString kSelectBatch = QStringLiteral("select 编号 from 药品过期表 where 编号 = ? and 药品批号 = ?");
}  // namespace

QSqlQuery SelectReceipts(const QSqlDatabase& db, ReceiptList list, const QString& pinyin, const QString& batch,
                         const QString& saleTitle) {
  const bool withBatch = list == ReceiptList::WithBatch;
  QString sql = kSelectReceipts.arg(withBatch ? QStringLiteral("ypgqb") : QStringLiteral("rkxi"),
                                    QuotedName(saleTitle), LikeOperator(db),
                                    withBatch ? QStringLiteral("药品过期表 as ypgqb, ") : QString());
  const QString code = pinyin.trimmed();
  const QString pattern = list == ReceiptList::ByPinyinPrefix ? code + QLatin1Char('%')
                                                              : QLatin1Char('%') + code + QLatin1Char('%');
  QVariantList values{pattern, batch.trimmed()};
  if (withBatch) {
    sql += kBatchJoin;
    values << batch.trimmed();
  }
  return Exec(db, sql, values);
}

void OpenReceipts(DataGrid* grid, QSqlQuery& query, const QList<int>& widths) {
  grid->Open(query);
  grid->SetColumnWidths(widths);
  grid->setColumnHidden(kReceiptRowId, true);
}

QString BatchQuantityText(const QSqlDatabase& db, const QString& code, const QString& batch) {
  const QList<QVariantList> rows = ReadAll(db, kSelectBatchQuantity, {code.trimmed(), batch.trimmed()});
  return rows.isEmpty() ? QStringLiteral("0") : CellText(rows[0][0]).trimmed();
}

bool BatchExists(const QSqlDatabase& db, const QString& code, const QString& batch) {
  return !ReadAll(db, kSelectBatch, {code.trimmed(), batch.trimmed()}).isEmpty();
}
