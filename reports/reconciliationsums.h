#pragma once
// Income reconciliation over a date window, both ends included: the income
// per day and cashier, the totals per charge category, and the medicine and
// services behind the outpatient and inpatient income. Shared by the day
// close and the period reconciliation. Medicine counts by its pricing day,
// income by its day of payment.
#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QList>
#include <QString>
#include <QVariantList>

// How the per-cashier rows are grouped and ordered.
enum class CashierOrder {
  ByDay,     // day, then cashier (the day close)
  ByCashier  // cashier, then day (the period reconciliation)
};

// The five grids, by the component that shows each.
enum class ReconciliationGrid {
  Cashiers,            // DBGrid5: 时间, 收银人帐号 (titled 收银人姓名), 收入金额(元)
  OutpatientMedicine,  // DBGrid3: 类别, 总价(元)
  InpatientMedicine,   // DBGrid2
  OutpatientServices,  // DBGrid1: 服务类别, 服务数目, 服务总额(元)
  InpatientServices    // DBGrid4
};

// The eight sums, by the box that shows each.
enum class ReconciliationSum {
  Outpatient,          // Editmz
  Inpatient,           // Editzy
  All,                 // Edit1
  Staff,               // Editzgyy
  OutpatientMedicine,  // Edit2
  InpatientMedicine,   // Edit4
  OutpatientServices,  // Edit3
  InpatientServices    // Edit5
};

// Where the figures go: a window's grids and boxes, or a test's record.
class ReconciliationTargets {
 public:
  virtual ~ReconciliationTargets() = default;
  // An executed query with the grid's rows, ordered by its group columns.
  virtual void ShowGrid(ReconciliationGrid grid, QSqlQuery& rows) = 0;
  // A sum as money text ("0.00" when nothing was summed).
  virtual void ShowSum(ReconciliationSum sum, const QString& text) = 0;
};

// One of the thirteen statements with its bound values, and where its
// result goes: a grid, or a sum (the first cell of its one row).
struct ReconciliationStatement {
  QString sql;
  QVariantList values;
  bool grid = false;
  ReconciliationGrid gridTarget = ReconciliationGrid::Cashiers;
  ReconciliationSum sumTarget = ReconciliationSum::Outpatient;
};
// The thirteen statements in the order they run.
QList<ReconciliationStatement> ReconciliationStatements(const QDate& first, const QDate& last, CashierOrder order);

// Runs the thirteen statements in order over the days first to last;
// throws DbError on a store error.
void ReconciliationSums(const QSqlDatabase& db, const QDate& first, const QDate& last, CashierOrder order,
                        ReconciliationTargets& targets);
