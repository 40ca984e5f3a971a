#pragma once
// The shape the stock reports share: a summary grid with one row per goods
// item, totals read as money text, and a detail grid with the lines of the
// item clicked, in stripes. Each query and click reads the window's dates
// and filters afresh, so a detail may stem from other dates than the
// summary on screen.
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

class DataGrid;

// A statement with its values, bound in order.
struct BoundStatement {
  QString sql;
  QVariantList values;
};

class SummaryDetailReport {
 public:
  SummaryDetailReport(DataGrid* summary, DataGrid* detail, bool stripedDetail = true);

  void SetDatabase(const QSqlDatabase& db) { db_ = db; }
  const QSqlDatabase& Database() const { return db_; }

  void ShowSummary(const BoundStatement& statement, const QList<int>& widths) const;
  void ShowDetail(const BoundStatement& statement, const QList<int>& widths) const;
  // A sum as money text: "0.00" when there is nothing to sum.
  QString Total(const BoundStatement& statement) const;
  // The goods code of the summary's current row, trimmed; empty without one.
  QString ClickedCode() const;

 private:
  void reload(DataGrid* grid, const BoundStatement& statement, const QList<int>& widths) const;

  DataGrid* summary_;
  DataGrid* detail_;
  QSqlDatabase db_;
};

// Reloads a grid with every row of a statement and sets its column widths.
void ReloadGrid(const QSqlDatabase& db, DataGrid* grid, const BoundStatement& statement, const QList<int>& widths);
// The widths of a detail grid: the first ones given, then `width` for the
// next columns up to `columns` in all.
QList<int> WidthsThen(const QList<int>& first, int width, int columns);
