// Rows, head rows and page breaks of a document, with the footer that
// closes each page.
#include "platform/printcanvas.h"

#include <QSqlRecord>

#include "platform/clock.h"
#include "platform/grid.h"

namespace {
const QString kPrintedBy = QStringLiteral("打印制表人帐号");
const QString kPrintedAt = QStringLiteral("打印制表时间");
const QString kPageLabel = QStringLiteral("当前页码：");
const QString kRowsLabel = QStringLiteral("本页品种：");
}  // namespace

// Room for a row of this height at top, and for the footer that may follow
// it, on the printable page.
bool PrinterCanvasReport::HasRoom(int top, int height) const {
  int needed = height;
  if (footer_) {
    const int size = footerFontSize_ > 0 ? footerFontSize_ : fontSize_;
    needed = std::max(needed, At(roomBelowRow_) + TextHeight(size));
  }
  return top + needed <= PageHeight();
}

int PrinterCanvasReport::KeepOnPage(const Inches& y, int height) {
  const int top = At(y);
  if (top + height <= PageHeight()) return top;
  BreakPage();
  return At(continuationTop_);
}

int PrinterCanvasReport::RowsThatFit(const PrintTable& table) const {
  const int height = At(table.rowHeight);
  int rows = 0;
  for (int top = lastBottom_; HasRoom(top, height); top += height) ++rows;
  if (rowsPerPage_ > 0) rows = std::min(rows, std::max(0, rowsPerPage_ - rowsOnPage_));
  return rows;
}

int PrinterCanvasReport::HeadRow(const PrintTable& table, const Inches& top) {
  int y = At(top);
  const int height = At(table.headHeight);
  if (tableOnPage_ && !HasRoom(y + height, At(table.rowHeight))) {
    BreakPage();
    y = At(continuationTop_);
  }
  SetFontSize(table.headFontSize);
  const int left = At(table.left);
  const int right = At(table.right);
  canvas_.Line(left, y, right, y);
  canvas_.Line(left, y, left, y + height);
  for (const Inches& separator : table.separators) canvas_.Line(At(separator), y, At(separator), y + height);
  canvas_.Line(right, y, right, y + height);
  const int textY = y + At(table.headTextDrop);
  for (const PrintColumn& column : table.columns) canvas_.TextOut(At(column.headX), textY, column.head);
  canvas_.Line(left, y + height, right, y + height);
  lastTop_ = y;
  lastBottom_ = y + height;
  tableOnPage_ = true;
  return lastBottom_;
}

QStringList PrinterCanvasReport::CellTexts(const PrintTable& table, const QStringList& fields) const {
  QStringList cells;
  for (int i = 0; i < table.columns.size(); ++i) {
    const QString field = i < fields.size() ? fields.at(i).trimmed() : QString();
    cells << (table.columns.at(i).kind == CellKind::Amount ? PrintedAmount(field) : field);
  }
  return cells;
}

int PrinterCanvasReport::Row(const PrintTable& table, const QStringList& fields) {
  const QStringList cells = CellTexts(table, fields);
  const int height = At(table.rowHeight);
  const bool pageFull = rowsPerPage_ > 0 && rowsOnPage_ >= rowsPerPage_;
  // A page that holds no row yet after a break takes the row anyway: a
  // second break would not give it more room.
  const bool noRoom = !HasRoom(lastBottom_, height) && (rowsOnPage_ > 0 || !freshPage_);
  if (pageFull || noRoom) {
    BreakPage();
    const int top = At(continuationTop_);
    if (table.continuationHead)
      table.continuationHead(*this, top);
    else
      HeadRow(table, Units(top));
    lastTop_ = top;
    lastBottom_ = top + At(table.headHeight);
    tableOnPage_ = true;
  }
  SetFontSize(table.rowFontSize);
  const int y = lastBottom_;
  const int left = At(table.left);
  const int right = At(table.right);
  const int textY = y + At(table.rowTextDrop);
  canvas_.Line(left, y, left, y + height);
  for (int i = 0; i < cells.size(); ++i) {
    canvas_.TextOut(At(table.columns.at(i).cellX), textY, cells.at(i));
    if (i < table.separators.size()) {
      const int x = At(table.separators.at(i));
      canvas_.Line(x, y, x, y + height);
    }
  }
  for (int i = cells.size(); i < table.separators.size(); ++i) {
    const int x = At(table.separators.at(i));
    canvas_.Line(x, y, x, y + height);
  }
  canvas_.Line(right, y, right, y + height);
  canvas_.Line(left, y + height, right, y + height);
  lastTop_ = y;
  lastBottom_ = y + height;
  ++rowsOnPage_;
  tableOnPage_ = true;
  return lastBottom_;
}

void PrinterCanvasReport::Rows(const PrintTable& table, const QList<QStringList>& rows) {
  for (const QStringList& row : rows) Row(table, row);
}

void PrinterCanvasReport::Rows(const PrintTable& table, QSqlQuery& query) {
  QList<int> indexes;
  const QSqlRecord record = query.record();
  for (int i = 0; i < table.columns.size(); ++i) {
    const QString& field = table.columns.at(i).field;
    const int index = field.isEmpty() ? i : record.indexOf(field);
    if (index < 0) throw PrintError(QStringLiteral("打印的数据里没有字段“%1”").arg(field));
    indexes << index;
  }
  while (query.next()) {
    QStringList fields;
    for (int index : indexes) fields << CellText(query.value(index));
    Row(table, fields);
  }
  // Nothing is printed from part of a list.
  RaiseIfFetchFailed(query);
}

void PrinterCanvasReport::PrintFooter(const Inches& y, const QString& operatorText, int page) {
  const int keptSize = fontSize_;
  SetFontSize(footerFontSize_);
  const QString texts[] = {kPrintedBy, operatorText, kPrintedAt, Clock::now().toString(kPrintedTimeFormat), kPageLabel,
                           QString::number(page)};
  Inches x;
  for (int i = 0; i < 6 && i < footerSteps_.size(); ++i) {
    x += footerSteps_.at(i);
    Text(x, y, texts[i]);
  }
  SetFontSize(keptSize);
}

void PrinterCanvasReport::PrintFooter(const Inches& y, const QString& operatorText, int page, int rowsOnPage) {
  const int keptSize = fontSize_;
  SetFontSize(footerFontSize_);
  Text(1, y, kRowsLabel);
  Text(1 + 1_in / 2, y, QString::number(rowsOnPage));
  PrintFooter(y, operatorText, page);
  SetFontSize(keptSize);
}

void PrinterCanvasReport::FooterBelowLastRow() {
  const Inches y = Units(lastTop_) + 1_in / 4;
  if (footerRowCount_)
    PrintFooter(y, operatorText_, page_, rowsOnPage_);
  else
    PrintFooter(y, operatorText_, page_);
}

void PrinterCanvasReport::BreakPage() {
  if (footer_) FooterBelowLastRow();
  NewPage();
}

void PrinterCanvasReport::NewPage() {
  canvas_.NewPage();
  ++page_;
  rowsOnPage_ = 0;
  tableOnPage_ = false;
  freshPage_ = true;
  lastTop_ = lastBottom_ = At(continuationTop_);
}
