#pragma once
// The income boxes and the five grids that the day close and the period
// reconciliation show alike, and the cash income sheets printed from them.
// The sheets always print the last reconciliation that completed, with its
// days and its totals, whatever the date pickers say by then.
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QWidget>

#include "reports/cashincome.h"
#include "reports/reconciliationsums.h"

class DataGrid;
class QLineEdit;

struct ReconciliationWidths {
  QList<int> cashiers;  // DBGrid5
  QList<int> medicine;  // DBGrid3, DBGrid2
  QList<int> services;  // DBGrid1, DBGrid4
};

class ReconciliationPanel : public QWidget, public ReconciliationTargets {
 public:
  ReconciliationPanel(QWidget* parent, const ReconciliationWidths& widths);

  // Runs the sums into the boxes and grids. Returns false, with the
  // engine's text shown, when a statement fails; the sheet then still
  // prints the reconciliation before.
  bool Reconcile(const QSqlDatabase& db, const QDate& first, const QDate& last, CashierOrder order);
  // Prints the sheet of a kind for the last completed reconciliation; a
  // total the capitals cannot take or a failed print shows its message,
  // and so does a sheet asked for before any reconciliation completed
  // (with the engine's text of the last that failed).
  void PrintSheet(const QSqlDatabase& db, IncomeKind kind, SheetOrigin origin) const;

  QString SumText(ReconciliationSum sum) const;
  void ShowGrid(ReconciliationGrid grid, QSqlQuery& rows) override;
  void ShowSum(ReconciliationSum sum, const QString& text) override;

 private:
  QLineEdit* box(ReconciliationSum sum) const;
  DataGrid* grid(ReconciliationGrid grid) const;

  ReconciliationWidths widths_;
  QList<QLineEdit*> boxes_;  // by ReconciliationSum
  QList<DataGrid*> grids_;   // by ReconciliationGrid
  bool reconciled_ = false;
  QString lastFailure_;
  QDate first_;
  QDate last_;
  QString outpatient_;
  QString inpatient_;
};
