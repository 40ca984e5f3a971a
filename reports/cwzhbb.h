#pragma once
// The finance summary: outpatient and inpatient income over picked days
// with the finance rows of those days, and from the 25th on the month's
// reconciliation per cashier and per doctor or laboratory technician.
#include <QDate>
#include <QString>
#include <QWidget>
#include <optional>

#include "db/connection.h"

// The window's statements (also timed bare by the benchmark).
extern const QString kFinanceIncomeByDay;
extern const QString kFinanceRows;
extern const QString kFinanceIncomeOfCategory;
extern const QString kFinanceDoctors;
extern const QString kFinanceCashiers;
extern const QString kFinanceCashierTakings;
extern const QString kFinanceServicesPerformed;
extern const QString kFinanceServicesPrescribed;
extern const QString kFinanceMedicinePrescribed;

class DataGrid;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The reconciliation month: from the 25th of the month before to the 24th
// of this one, both ends included.
struct MonthWindow {
  QDate first;
  QDate last;
};
// The month that a day from the 25th on closes; none before the 25th.
std::optional<MonthWindow> ReconciliationMonth(const QDate& today);

class TFormcwzhbb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormcwzhbb(QWidget* parent = nullptr);

 private slots:
  void BitBtn1Click();
  void ListBox3Click();
  void ListBox1Click();

 private:
  void fillPeople();
  void fillCashiers();
  void showPerson(const QString& name);
  void showCashier(const QString& name);
  void openGrid(DataGrid* grid, const QString& sql, const QVariantList& values, const QList<int>& widths);

  Connection connection_;
  std::optional<MonthWindow> month_;
  QLabel* Label9;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QPushButton* BitBtn1;
  DataGrid* DBGrid5;
  QLineEdit* Editmz;
  QLineEdit* Editzy;
  DataGrid* DBGridcw;
  QLineEdit* Edit1;
  QLineEdit* Edit2;
  QLineEdit* Edit3;
  QLabel* Label3;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label5;
  QLabel* Label6;
  QLabel* Label7;
  QListWidget* ListBox1;
  QListWidget* ListBox3;
  DataGrid* DBGrid6;
  DataGrid* DBGrid3;
  DataGrid* DBGrid2;
  DataGrid* DBGrid1;
};
