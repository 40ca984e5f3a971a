#pragma once
// The dispensing desk: the queue of paid visits with medicine, a visit's
// lines, and the dispensing that takes them from the oldest batches.
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QPushButton;

class TFormfyt : public QWidget {
  Q_OBJECT
 public:
  explicit TFormfyt(QWidget* parent = nullptr);
  ~TFormfyt() override;

 private slots:
  void DBGrid1CellClick();
  void DBGrid1DblClick();
  void BitBtn1Click();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void openQueue();

  Connection ADOConnection1;
  DataGrid* DBGrid1;
  DataGrid* DBGrid2;
  QPushButton* BitBtn1;
};
