#pragma once
// The day close: voids what was priced and never paid at the cashier,
// gives its medicine back, sets every goods' stock count to its batches,
// shows the day's income and prints the cash income sheets; the confirm
// step voids what is pending again and records the closed day.
#include <QWidget>

#include "db/connection.h"

class QDateEdit;
class QLabel;
class QPushButton;
class ReconciliationPanel;
enum class IncomeKind;

class TFormdzbb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormdzbb(QWidget* parent = nullptr);

 private slots:
  void BitBtn4Click();
  void BitBtn3Click();
  void BitBtn1Click();
  void BitBtn2Click();

 private:
  bool voidOrWait();
  void showClosed();

  Connection connection_;
  QLabel* Label3;
  QPushButton* BitBtn4;
  QPushButton* BitBtn3;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  ReconciliationPanel* panel_;
};
