#pragma once
// The goods catalogue: adds and modifies the goods of 基本资料, finds them
// by their search code. Opened as "商品资料维护" or "药品资料维护".
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QComboBox;
class QLineEdit;
class QPushButton;

class Typzl : public QWidget {
  Q_OBJECT
 public:
  explicit Typzl(QWidget* parent = nullptr);

 private slots:
  void FormCreate();
  void DBGrid1CellClick();
  void EditpmChange();
  void Edit1Change();
  void ComboBoxdwEnter();
  void ComboBoxdwClick();
  void ComboBoxdwExit();
  void BitBtn1Click();
  void BitBtn2Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void openGoods(const QString& sql, const QVariantList& values = {});
  void appendUnits();
  // Empties every box but the storage place.
  void clearBoxes();

  DataGrid* DBGrid1;
  QLineEdit* Editlbh;
  QLineEdit* Editpm;
  QLineEdit* Editpysx;
  QComboBox* ComboBoxdw;
  QLineEdit* Editge;
  QLineEdit* Edit3;
  QLineEdit* Edit2;
  QLineEdit* Edit1;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  Connection connection_;
};

using GoodsCatalogueWindow = Typzl;
