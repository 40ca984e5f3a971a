#include "reports/summarydetailreport.h"

#include <QSqlQuery>

#include "db/clinicconventions.h"
#include "db/sql.h"
#include "platform/grid.h"

SummaryDetailReport::SummaryDetailReport(DataGrid* summary, DataGrid* detail, bool stripedDetail)
    : summary_(summary), detail_(detail) {
  if (stripedDetail) {
    detail_->SetStripes(RowStripes::BlackWhiteOnBlue);
    // The stripes show through a selection: a picked line keeps the
    // colours of its row.
    detail_->setSelectionMode(QAbstractItemView::NoSelection);
  }
}

void SummaryDetailReport::ShowSummary(const BoundStatement& statement, const QList<int>& widths) const {
  ReloadGrid(db_, summary_, statement, widths);
}

void SummaryDetailReport::ShowDetail(const BoundStatement& statement, const QList<int>& widths) const {
  ReloadGrid(db_, detail_, statement, widths);
}

QString SummaryDetailReport::Total(const BoundStatement& statement) const {
  return MoneyText(db_, statement.sql, statement.values);
}

QString SummaryDetailReport::ClickedCode() const { return summary_->Cell(0).trimmed(); }

// The widths go with the rows, so that the grid measures its first screen
// once, as it opens, and not a second time for the widths.
void ReloadGrid(const QSqlDatabase& db, DataGrid* grid, const BoundStatement& statement, const QList<int>& widths) {
  grid->Clear();
  QSqlQuery query = Exec(db, statement.sql, statement.values);
  grid->Open(query, widths);
}

QList<int> WidthsThen(const QList<int>& first, int width, int columns) {
  QList<int> widths = first;
  while (widths.size() < columns) widths << width;
  return widths;
}
