#pragma once
// The period reconciliation: the day close's income figures over picked
// days, with the income per cashier and per pricing account, the medicine
// one pricing account sold, and the cash income sheets of those days.
#include <QString>
#include <QWidget>

#include "db/connection.h"

// The statements beside the shared sums, as the window runs them (also
// timed bare by the benchmark).
extern const QString kPeriodIncomeByCashier;
extern const QString kPeriodIncomeByPricingAccount;
extern const QString kPeriodMedicineOfPricingAccount;

class DataGrid;
class QDateEdit;
class QLabel;
class QPushButton;
class ReconciliationPanel;

class TFormhzb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormhzb(QWidget* parent = nullptr);

 private slots:
  void BitBtn3Click();
  void DBGrid7CellClick();
  void DBGrid8DblClick();
  void BitBtn1Click();
  void BitBtn2Click();

 private:
  Connection connection_;
  QLabel* Label3;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QPushButton* BitBtn3;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  DataGrid* DBGrid6;
  DataGrid* DBGrid7;
  DataGrid* DBGrid8;
  ReconciliationPanel* panel_;
};
