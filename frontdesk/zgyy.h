#pragma once
// The staff medicine window, the clinic's pricing desk: a visit's serial,
// patient, charge category and doctor, its medicine lines picked from the
// stock list, and the voucher that takes it to the cashier.
#include <QString>
#include <QWidget>

#include "db/clinicconventions.h"
#include "db/connection.h"

class DataGrid;
class QComboBox;
class QLineEdit;
class QPushButton;

// A visit's lines with their goods columns: 编号, 品名, 数量, 单位,
// 单价(元), 总价(元), 规格, 厂商. Values: the visit key.
extern const QString kSelectPricedLines;
// The column formats and widths the lines are shown with.
extern const QList<int> kPricedLineDecimals;

class TFormzgyy : public QWidget {
  Q_OBJECT
 public:
  explicit TFormzgyy(QWidget* parent = nullptr);
  ~TFormzgyy() override;

 private slots:
  void Edit1Enter();
  void Edit1KeyPress();
  void Edit1Exit();
  void ComboBox3Enter();
  void ComboBox3Change();
  void ComboBox3Exit();
  void ComboBox3KeyPress();
  void ComboBoxysEnter();
  void ComboBoxysChange();
  void ComboBoxysExit();
  void ComboBoxysKeyPress();
  void EditpysxChange();
  void EditpysxKeyPress();
  void DBGrid3CellClick();
  void DBGrid3KeyPress();
  void DBGrid3KeyUp();
  void EditslKeyPress();
  void EditslKeyUp();
  void EditdjKeyPress();
  void BitBtn3Click();
  void DBGrid1DblClick();
  void DBGrid1CellClick();
  void BitBtn2Click();
  void BitBtn1Click();
  void BitBtn1Enter();

 private:
  void buildLayout();
  void wireHandlers();
  // The visit's key is reserved when it starts and kept, whoever logs in
  // meanwhile: false (and told) when no serial could be had.
  bool holdVisitKey();
  void dropVisitKey();
  void visitGone();
  void openVisitLines(const QList<int>& widths);
  void openGoods(bool onlyInStock);
  // The goods of the list's current row become the picked goods.
  void pickGoods(bool takeName, bool emptyStockAsZero, bool firstReceipt);
  void showTotal();
  bool restartVisit();
  void resetCombos();
  void hideVisitButtons();

  Connection connection_;
  VisitKey key_;
  // Nothing of the visit under key_ is written yet: it may still be given
  // up for one of the account now logged in.
  bool serialUnused_ = true;
  QLineEdit* Edit1;
  QLineEdit* Editlsh;
  QComboBox* ComboBox3;
  QComboBox* ComboBoxys;
  DataGrid* DBGrid1;
  QLineEdit* Edit2;
  DataGrid* DBGrid3;
  QLineEdit* Editpysx;
  QLineEdit* Editkcsl;
  QLineEdit* Editsl;
  QLineEdit* Editdj;
  QLineEdit* Editjj;
  QLineEdit* Editbh;
  QLineEdit* Edit3;
  QPushButton* BitBtn1;
  QPushButton* BitBtn3;
  QPushButton* BitBtn2;
};
