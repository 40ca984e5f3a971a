#pragma once
// The stock write-off window: name a batch, find its receipt by pinyin
// code, stage a write-off of part of the batch (the stock goes down at
// once) and confirm the account's staged write-offs.
#include <QWidget>

#include "db/connection.h"

class DataGrid;
enum class ReceiptList;
class QLineEdit;
class QPushButton;

class TFormypbs : public QWidget {
  Q_OBJECT
 public:
  explicit TFormypbs(QWidget* parent = nullptr);

 private slots:
  void EditphChange();
  void EditpysxChange();
  void EditpysxEnter();
  void DBGrid2CellClick();
  void DBGrid2KeyUp();
  void DBGrid2Enter();
  void EditfkslKeyUp();
  void BitBtn1Click();
  void BitBtn5Click();

 private:
  void buildLayout();
  void wireHandlers();
  void showReceipt();
  void loadReceipts(ReceiptList list);
  void loadStaged(bool everyAccount);

  Connection connection_;
  DataGrid* DBGrid1;
  DataGrid* DBGrid2;
  QLineEdit* Editph;
  QLineEdit* Editpysx;
  QLineEdit* Editbh;
  QLineEdit* Editpm;
  QLineEdit* Editxcsl;
  QLineEdit* Editfksl;
  QLineEdit* Edityy;
  QPushButton* BitBtn1;
  QPushButton* BitBtn5;
};

using WriteOffWindow = TFormypbs;
