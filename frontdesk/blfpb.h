#pragma once
// The fee-share ratios: for each service item, the prescribing doctor's and
// the performer's percentage.
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QLineEdit;
class QPushButton;

class TFormblfpsz : public QWidget {
  Q_OBJECT
 public:
  explicit TFormblfpsz(QWidget* parent = nullptr);

 private slots:
  void DBGrid1CellClick();
  void DBGrid1KeyUp();
  void BitBtn1Click();

 private:
  void buildLayout();
  void openShares();

  Connection connection_;
  DataGrid* DBGrid1;
  QLineEdit* Editpysx;
  QLineEdit* Editxm;
  QLineEdit* Editysbl;
  QLineEdit* Editfwrbl;
  QPushButton* BitBtn1;
};

using FeeShareRatiosWindow = TFormblfpsz;
