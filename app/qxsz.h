#pragma once
// The accounts and rights window: lists the accounts, adds and deletes
// them, and sets which of the five rights each holds.
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormqxsz : public QWidget {
  Q_OBJECT
 public:
  explicit TFormqxsz(QWidget* parent = nullptr);

 public slots:
  void DBGrid1CellClick();
  void DBGrid1KeyPress();
  void DBGrid1KeyUp();
  void DBGrid1DblClick();
  void EditzhKeyPress();
  void BitBtn1Click();
  void BitBtn2Click();

 private:
  void ListAccounts();
  void LoadRights();
  QString RowAccount() const;
  // The check boxes in the order the window reads and writes them.
  QList<QCheckBox*> RightBoxes() const;

  QLabel* Label1;
  DataGrid* DBGrid1;
  QGroupBox* GroupBox1;
  QCheckBox* CheckBoxypxi;
  QCheckBox* CheckBoxyprk;
  QCheckBox* CheckBoxyzcx;
  QCheckBox* CheckBoxypfk;
  QCheckBox* CheckBoxxtsz;
  QLabel* Label2;
  QLineEdit* Editzh;
  QLabel* Label3;
  QLineEdit* Editxm;
  QPushButton* BitBtn2;
  QPushButton* BitBtn1;
  Connection ADOConnection1;
};
