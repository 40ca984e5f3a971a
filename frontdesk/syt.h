#pragma once
// The cashier desk: every priced voucher waiting for payment, the amount
// due and the change, and the settlement that sends the visit on.
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QLineEdit;
class QPushButton;

class TFormsyt : public QWidget {
  Q_OBJECT
 public:
  explicit TFormsyt(QWidget* parent = nullptr);
  ~TFormsyt() override;

 private slots:
  void DBGrid1CellClick();
  void DBGrid1KeyPress(const QString& text);
  void DBGrid1KeyUp(int key);
  void Edit1KeyPress();
  void Edit1KeyUp();
  void BitBtn1Click();
  void BitBtn2Click();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void openVouchers();
  void showDayIncome();
  // The current voucher's amount due into the due box, when it has both
  // amounts; false otherwise.
  bool showDue();
  // No voucher picked and no row shown as current.
  void dropPick();

  Connection ADOConnection1;
  // The cashier has picked the current row since the list was last read.
  bool picked_ = false;
  DataGrid* DBGrid1;
  QLineEdit* Edit1;
  QLineEdit* Edit2;
  QLineEdit* Edit3;
  QLineEdit* Editjrzsr;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
};
