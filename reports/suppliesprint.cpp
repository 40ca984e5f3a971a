#include "reports/suppliesprint.h"

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/session.h"
#include "reports/stockprint.h"

namespace {
struct SuppliesDocument {
  QString title;
  QString personLabel;
  QString dayLabel;
  QString totalLabel;
  PrintTable firstHead;  // the head row of the first page ends at 7.8 in
  PrintTable rows;       // rows, and the head row of later pages, end at 8 in
  bool signature = false;
};

PrintTable Table(const QStringList& heads, const QList<Inches>& headX, const QStringList& fields,
                 const QList<Inches>& cellX, const QList<Inches>& separators, const Inches& right) {
  PrintTable table;
  for (int i = 0; i < heads.size(); ++i) table.columns << PrintColumn{heads[i], headX[i], fields[i], cellX[i]};
  table.separators = separators;
  table.right = right;
  table.headFontSize = 8;
  table.rowFontSize = 10;
  return table;
}

void ContinueWith(PrintTable& rows, const PrintTable& head) {
  rows.continuationHead = [head](PrinterCanvasReport& doc, int top) { doc.HeadRow(head, Units(top)); };
}

const SuppliesDocument& ReceiptSlip() {
  static const SuppliesDocument document = [] {
    const QStringList heads{"卫材名称", "数量", "单位", "单价(元)", "总价(元)"};
    const QStringList fields{"产品名称", "数量", "单位", "单价", "总价"};
    const QList<Inches> separators{1_in / 3 + 2.57_in, 1_in / 3 + 2.57_in + 0.32_in,
                                   1_in / 3 + 2.57_in + 2 * 0.32_in, 1_in / 3 + 2.57_in + 2 * 0.32_in + 0.59_in};
    const QList<Inches> cells{0.4_in, 2.54_in + 0.4_in, 2.54_in + 2 * 0.4_in, 1_in / 4 + 2.54_in + 2 * 0.4_in,
                              1_in / 4 + 2.54_in + 2 * 0.4_in + 0.59_in};
    const QList<Inches> firstHeads{1, 1 + 1.95_in, 1 + 0.31_in + 1.95_in, 1 + 0.31_in + 1.95_in + 0.32_in,
                                   1 + 0.31_in + 1.95_in + 0.32_in + 0.59_in};
    const QList<Inches> laterHeads{1, 3, 3 + 0.32_in, 3 + 2 * 0.32_in, 3 + 2 * 0.32_in + 0.59_in};
    SuppliesDocument d{"Ostrevane铁艺商店入库单", "入库人：", "入库时间：", "入库总金额(元)",
                       Table(heads, firstHeads, fields, cells, separators, 7.8_in),
                       Table(heads, cells, fields, cells, separators, 8), false};
    PrintTable later = Table(heads, laterHeads, fields, cells, separators, 8);
    later.separators << 1_in / 3 + 2.57_in + 2 * 0.32_in + 2 * 0.59_in;
    ContinueWith(d.rows, later);
    return d;
  }();
  return document;
}

const SuppliesDocument& IssueVoucher() {
  static const SuppliesDocument document = [] {
    const QStringList heads{"卫材名称", "出库时间", "数量", "单位", "售价(元)", "总价(元)"};
    const QStringList fields{"产品名称", "时间", "数量", "单位", "单价", "总价"};
    const Inches edge = 1_in / 3 + 2.57_in;
    const QList<Inches> separators{edge, edge + 0.8_in, edge + 0.8_in + 0.32_in, edge + 0.8_in + 2 * 0.32_in,
                                   edge + 0.8_in + 2 * 0.32_in + 0.59_in};
    const QList<Inches> cells{0.4_in,
                              2.54_in + 0.4_in,
                              2.54_in + 0.4_in + 0.82_in,
                              2.54_in + 2 * 0.4_in + 0.82_in,
                              1_in / 4 + 2.54_in + 2 * 0.4_in + 0.82_in,
                              1_in / 4 + 2.54_in + 2 * 0.4_in + 0.82_in + 0.59_in};
    const QList<Inches> firstHeads{1,
                                   1 + 1.95_in,
                                   1 + 1.95_in + 0.82_in,
                                   1 + 0.31_in + 1.95_in + 0.82_in,
                                   1 + 0.31_in + 1.95_in + 0.82_in + 0.32_in,
                                   1 + 0.31_in + 1.95_in + 0.82_in + 0.32_in + 0.59_in};
    const QList<Inches> laterHeads{1,           3, 3 + 0.82_in, 3 + 0.82_in + 0.32_in, 3 + 0.82_in + 2 * 0.32_in,
                                   3 + 0.82_in + 2 * 0.32_in + 0.59_in};
    SuppliesDocument d{"Ostrevane铁艺商店出库凭证", "领取人：", "报表时间：", "出库总金额(元)",
                       Table(heads, firstHeads, fields, cells, separators, 7.8_in),
                       Table(heads, cells, fields, cells, separators, 8), true};
    ContinueWith(d.rows, Table(heads, laterHeads, fields, cells, separators, 8));
    return d;
  }();
  return document;
}

QList<QStringList> ReadRows(const QSqlDatabase& db, const QString& sql, const QVariantList& values,
                            const PrintTable& table) {
  // 产品名称, 时间, 数量, 单位, 单价, 总价: the last two amounts, blank when
  // never stored.
  static const QStringList order{"产品名称", "时间", "数量", "单位", "单价", "总价"};
  QList<QStringList> rows;
  for (const QStringList& all : PrintedRows(ReadAll(db, sql, values), {4, 5})) {
    QStringList cells;
    for (const PrintColumn& column : table.columns) cells << all[order.indexOf(column.field)];
    rows << cells;
  }
  return rows;
}

PrintResult Print(const QSqlDatabase& db, const SuppliesDocument& document, const QString& totalSql,
                  const QString& rowsSql, const QVariantList& values, const QString& person) {
  const QString total = MoneyText(db, totalSql, values);
  const QList<QStringList> rows = ReadRows(db, rowsSql, values, document.rows);
  const QString today = DayText(Clock::today());
  return PrintReport(document.title, [&](PrinterCanvasReport& doc) {
    doc.BreakAfterRows(kRowsPerListPage);
    doc.SetFooter(CurrentAccount());
    doc.SetFooterRowCount(true);
    doc.SetFooterFontSize(8);
    doc.SetFontSize(18);
    doc.Title(document.title, 2, 1_in / 2, 1.5_in, 7, 0.61_in + 1_in / 5);
    doc.SetFontSize(8);
    const Inches headerY = 0.61_in + 0.4_in;
    const Inches start = 1_in / 2 + 1_in / 2 + 1_in / 3;
    doc.Text(1_in / 2 + 1_in / 3, headerY, document.personLabel);
    doc.Text(start, headerY, person);
    doc.Text(start + 1, headerY, document.dayLabel);
    doc.Text(start + 2_in / 3 + 1, headerY, today);
    doc.Text(start + 2_in / 3 + 2, headerY, document.totalLabel);
    doc.Text(start + 2_in / 3 + 2 + 0.9_in, headerY, total);
    doc.HeadRow(document.firstHead, headerY + 1_in / 7);
    doc.Rows(document.rows, rows);
    doc.FooterBelowLastRow();
    if (document.signature) {
      doc.SetFontSize(8);
      doc.Text(5, Units(doc.LastRowTop()) + 1_in / 2, QStringLiteral("领取人签字：______________"));
    }
  });
}
}  // namespace

PrintResult PrintReceiptSlip(const QSqlDatabase& db, const SuppliesFilter& filter, const QString& person) {
  return Print(db, ReceiptSlip(), filter.Statement(db, kSumSupplyReceipts, kReceiver),
               filter.Statement(db, kSelectReceiptSlipRows, kReceiver), filter.Values(), person);
}

PrintResult PrintIssueVoucher(const QSqlDatabase& db, const SuppliesFilter& filter, const QString& person) {
  return Print(db, IssueVoucher(), filter.Statement(db, kSumSupplyIssues, kRecipient),
               filter.Statement(db, kSelectIssueVoucherRows, kRecipient), filter.Values(), person);
}
