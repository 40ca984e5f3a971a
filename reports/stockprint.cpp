#include "reports/stockprint.h"

#include <QAbstractButton>

#include "db/sql.h"
#include "platform/grid.h"
#include "platform/messages.h"

QList<QStringList> PrintedRows(const QList<QVariantList>& rows, const QList<int>& amountColumns) {
  QList<QStringList> printed;
  for (const QVariantList& row : rows) {
    QStringList fields;
    for (int c = 0; c < row.size(); ++c) {
      const QString text = CellText(row.at(c)).trimmed();
      fields << (amountColumns.contains(c) && !text.isEmpty() ? PrintedAmount(text) : text);
    }
    printed << fields;
  }
  return printed;
}

PrintTable VoucherTable(const Inches& right) {
  PrintTable table;
  table.right = right;
  const Inches first = 1_in / 3 + 2.2_in;
  table.separators = {first, first + 0.71_in, first + 0.71_in + 2_in / 3, first + 0.71_in + 2_in / 3 + 1};
  const Inches quantityHead = 1 + 5_in / 3;
  const Inches quantityCell = 2_in / 5 + 9_in / 4;
  table.columns = {
      {QStringLiteral("品名"), 1, QString(), 2_in / 5},
      {QStringLiteral("数量"), quantityHead, QString(), quantityCell},
      {QStringLiteral("单位"), quantityHead + 2_in / 3, QString(), quantityCell + 3_in / 4},
      {QStringLiteral("总价(元)"), quantityHead + 2_in / 3 + 3_in / 4, QString(), quantityCell + 3_in / 4 + 2_in / 3},
      {QStringLiteral("厂商"), quantityHead + 2_in / 3 + 3_in / 4 + 1, QString(),
       quantityCell + 3_in / 4 + 2_in / 3 + 1},
  };
  return table;
}

PrintTable DetailListTable(const Inches& right, const QString& reasonHead) {
  PrintTable table;
  table.right = right;
  const QList<Inches> separatorSteps = {1_in / 3 + 2.57_in, 0.71_in, 0.32_in, 0.32_in, 0.59_in, 0.71_in, 0.71_in};
  const QList<Inches> headSteps = {1, 2, 0.68_in, 0.32_in, 0.32_in, 0.59_in, 0.71_in, 0.71_in};
  const QList<Inches> cellSteps = {2_in / 5, 2.54_in, 0.7_in, 0.4_in, 0.25_in, 0.59_in, 0.71_in, 0.71_in};
  QStringList heads = {QStringLiteral("品      名"), QStringLiteral("规格"),     QStringLiteral("数量"),
                       QStringLiteral("单位"),       QStringLiteral("单价(元)"), QStringLiteral("总价(元)"),
                       QStringLiteral("药品批号")};
  if (!reasonHead.isEmpty()) heads << reasonHead;
  Inches separator, head, cell;
  for (int i = 0; i < heads.size(); ++i) {
    head += headSteps.at(i);
    cell += cellSteps.at(i);
    table.columns.append({heads.at(i), head, QString(), cell});
    if (i + 1 < heads.size()) {
      separator += separatorSteps.at(i);
      table.separators.append(separator);
    }
  }
  return table;
}

void TextsAlong(PrinterCanvasReport& doc, Inches x, const Inches& y, const QList<std::pair<Inches, QString>>& steps) {
  for (const auto& [step, text] : steps) {
    x += step;
    doc.Text(x, y, text);
  }
}

bool ReadForPrint(const std::function<void()>& read) {
  try {
    read();
    return true;
  } catch (const DbError& e) {
    ShowError(e.text());
  } catch (const PrintError& e) {
    ShowError(e.text());
  }
  return false;
}

bool PrintShown(const QString& title, const DrawDocument& draw) {
  const PrintResult printed = PrintReport(title, draw);
  if (!printed) ShowError(printed.error);
  return static_cast<bool>(printed);
}

void OfferDetailList(QAbstractButton* detailList) {
  if (AskYesNo(kAskDetailList, kAskDetailListTitle)) detailList->click();
}
