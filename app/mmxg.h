#pragma once
// The password window: the logged-in user changes their own password.
#include <QWidget>

#include "db/connection.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TFormmaxg : public QWidget {
  Q_OBJECT
 public:
  explicit TFormmaxg(QWidget* parent = nullptr);

 public slots:
  void Edit1KeyPress();
  void Edit1Exit();
  void Edit2KeyPress();
  void Edit3KeyPress();
  void BitBtn1Click();
  void BitBtn2Click();

 private:
  // The old password checked against the logged-in account's hash; throws
  // DbError.
  bool OldPasswordMatches();
  void CheckOldPassword();
  void OldPasswordWrong();
  bool RepeatMatches() const;
  void RepeatWrong();

  QLabel* Label1;
  QLineEdit* Edit1;
  QLabel* Label3;
  QLineEdit* Edit2;
  QLabel* Label2;
  QLineEdit* Edit3;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  Connection ADOConnection1;
};
