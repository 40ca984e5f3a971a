#include "stock/pendingdocument.h"

#include <QLineEdit>

#include "db/sql.h"
#include "platform/grid.h"
#include "platform/messages.h"

PendingDocument::PendingDocument(DataGrid* grid, QLineEdit* countBox, QLineEdit* sumBox,
                                 PendingStatements statements)
    : grid_(grid), countBox_(countBox), sumBox_(sumBox), statements_(std::move(statements)) {}

void PendingDocument::Refresh(const QList<int>& widths) {
  QSqlQuery query = Exec(db_, statements_.select);
  grid_->Open(query);
  grid_->SetColumnWidths(widths);
}

void PendingDocument::ReadTotals() {
  sumBox_->setText(ScalarText(db_, statements_.sum));
  countBox_->setText(ScalarText(db_, statements_.count));
}

bool PendingDocument::RemoveCurrent(const QList<int>& widths) {
  QVariantList key;
  for (int column : statements_.keyColumns) {
    const QString cell = grid_->Cell(column);
    if (cell.trimmed().isEmpty()) {
      if (!statements_.emptyKeyMessage.isEmpty()) ShowMessage(statements_.emptyKeyMessage);
      return false;
    }
    key << grid_->CellValue(column);
  }
  if (!AskYesNo(QStringLiteral("您是要删除这个记吗？"), QStringLiteral("记录删除提示"))) return false;
  bool removed = false;
  try {
    removed = ExecCount(db_, statements_.remove, key) > 0;
  } catch (const DbError&) {
    ShowMessage(QStringLiteral("对不起, 操作失败"));
  }
  try {
    Refresh(widths);
    ReadTotals();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  return removed;
}
