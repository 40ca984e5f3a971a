#pragma once
// The service lists: service items with their prices (each with its
// fee-share row), units of goods and suppliers.
#include <QWidget>

#include "db/connection.h"
#include "frontdesk/servicelists.h"

class DataGrid;
class QLineEdit;
class QPushButton;

class Tfwlbwh : public QWidget {
  Q_OBJECT
 public:
  explicit Tfwlbwh(QWidget* parent = nullptr);

 private slots:
  void Edit1Change();
  void DBGrid1CellClick();
  void DBGrid1KeyPress();
  void DBGrid1DblClick();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void DBGrid2DblClick();
  void BitBtn4Click();
  void DBGrid3DblClick();

 private:
  void buildLayout();
  void wireHandlers();
  void openServices();
  void openList(ReferenceList list);
  void setListWidth(ReferenceList list);
  void addEntry(ReferenceList list);
  void deleteEntry(ReferenceList list);
  void clearServiceBoxes();
  DataGrid* listGrid(ReferenceList list) const;
  QLineEdit* listBox(ReferenceList list) const;

  Connection connection_;
  DataGrid* DBGrid1;
  QLineEdit* Edit1;
  QLineEdit* Editpysx;
  QLineEdit* Edit2;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  DataGrid* DBGrid2;
  QLineEdit* Edit4;
  QPushButton* BitBtn3;
  DataGrid* DBGrid3;
  QLineEdit* Edit6;
  QPushButton* BitBtn4;
};

using ServiceListsWindow = Tfwlbwh;
