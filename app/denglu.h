#pragma once
// The login window: lives for the whole run, hidden while someone is logged
// in, shown again by the main window's return to the login.
#include <QWidget>

#include "db/connection.h"

class QLabel;
class QLineEdit;
class QPushButton;
class Tzhjiemian;

class Tdl : public QWidget {
  Q_OBJECT
 public:
  explicit Tdl(Tzhjiemian* zhjiemian, QWidget* parent = nullptr);

 public slots:
  void Edit4Enter();
  void Edit4Exit();
  void Edit4KeyPress();
  void Edit3KeyPress();
  void BitBtn2Click();
  void BitBtn1Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void LookUpName();

  Tzhjiemian* zhjiemian_;
  QLabel* Image1;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLineEdit* Edit4;
  QLineEdit* Edit1;
  QLineEdit* Edit3;
  QPushButton* BitBtn2;
  QPushButton* BitBtn1;
  Connection ADOConnection1;
};
