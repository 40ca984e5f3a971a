#pragma once
// The goods receipt: pick goods by search code, type price, quantity, sale
// price and expiry, collect the lines, save them as stock batches.
// Opened as "商品入库" or "药品入库".
#include <QWidget>
#include <memory>
#include <optional>

#include "db/connection.h"

class DataGrid;
class PendingDocument;
class QDateEdit;
class QLineEdit;
class QPushButton;

class Typrk : public QWidget {
  Q_OBJECT
 public:
  explicit Typrk(QWidget* parent = nullptr);
  ~Typrk() override;

 private slots:
  void FormCreate();
  void EditcxmChange();
  void DBGrid2CellClick();
  void DBGrid2Enter();
  void DBGrid2KeyDown();
  void DBGrid2KeyUp();
  void EditdjKeyUp();
  void EditslKeyUp();
  void BitBtn1Click();
  void DBGrid1DblClick();
  void BitBtn3Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void openGoods(const QString& search, const QList<int>& widths);
  void pickGoods();
  void refreshPending(const QList<int>& widths, bool withTotals);
  void refuse(const QString& message, QWidget* focus);
  // The box's number when it is above zero; otherwise says so and returns nothing.
  std::optional<double> positiveBox(QLineEdit* box, const QString& label);

  DataGrid* DBGrid1;
  QLineEdit* Edit1;
  QLineEdit* Editzj;
  DataGrid* DBGrid2;
  QLineEdit* Editbh;
  QLineEdit* Editcxm;
  QLineEdit* Editpm;
  QLineEdit* Editck;
  QLineEdit* Edit2;
  QLineEdit* Editdj;
  QLineEdit* Editsl;
  QLineEdit* Editsj;
  QDateEdit* DateTimePicker1;
  QPushButton* BitBtn1;
  QPushButton* BitBtn3;
  Connection connection_;
  std::unique_ptr<PendingDocument> pending_;
};

using GoodsReceiptWindow = Typrk;
