#pragma once
// The low-stock alarm window: the goods whose total stock is below their
// minimum, and for a picked item how much left the dispensary recently.
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QLineEdit;

class TFormkccx : public QWidget {
  Q_OBJECT
 public:
  explicit TFormkccx(QWidget* parent = nullptr);

 private slots:
  // Reads the list once; it is not refreshed while the window stays open.
  void FormCreate();
  void DBGrid1CellClick();

 private:
  Connection connection_;
  DataGrid* DBGrid1;
  QLineEdit* Edit3;
};

using LowStockAlarmWindow = TFormkccx;
