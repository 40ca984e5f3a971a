#pragma once
// The return of received goods window: name a batch, find its receipt by
// pinyin code, stage a return to the supplier (the stock goes down at
// once) and confirm the account's staged returns.
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QLineEdit;
class QPushButton;

class TFormypfk : public QWidget {
  Q_OBJECT
 public:
  explicit TFormypfk(QWidget* parent = nullptr);

 private slots:
  void EditphEnter();
  void EditphExit();
  void EditpysxChange();
  void EditpysxEnter();
  void DBGrid2CellClick();
  void DBGrid2KeyUp();
  void DBGrid2Enter();
  void EditfkslKeyUp();
  void BitBtn1Click();
  void BitBtn2Click();

 private:
  void buildLayout();
  void wireHandlers();
  void pickReceipt();
  // The receipts of the batch with its present quantity.
  void loadReceiptsWithBatch();
  void loadStaged(bool everyAccount);

  Connection connection_;
  DataGrid* DBGrid1;
  DataGrid* DBGrid2;
  QLineEdit* Editph;
  QLineEdit* Editpysx;
  QLineEdit* Editbh;
  QLineEdit* Editpm;
  QLineEdit* Editrksl;
  QLineEdit* Editfksl;
  QLineEdit* Editxcsl;
  QLineEdit* Editfkyy;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
};

using SupplierReturnWindow = TFormypfk;
