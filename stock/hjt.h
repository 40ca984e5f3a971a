#pragma once
// The goods issue window: search the stock by search code, pick a batch,
// collect pending lines and complete the document.
#include <QString>
#include <QWidget>
#include <memory>

#include "db/connection.h"

class DataGrid;
class PendingDocument;
class QLineEdit;
class QPushButton;

// The stock search as the window runs it: one bound value, the search
// pattern ("%" search text "%").
extern const QString kSelectStockBySearch;

class TFormhjt : public QWidget {
  Q_OBJECT
 public:
  explicit TFormhjt(QWidget* parent = nullptr);
  ~TFormhjt() override;

 private slots:
  void EditcxmChange();
  void DBGrid1CellClick();
  void DBGrid1Enter();
  void DBGrid1KeyUp();
  void EditsjKeyUp();
  void EditslKeyUp();
  void BitBtn4Click();
  void DBGrid3DblClick();
  void BitBtn2Click();
  void Button1MouseDown();
  void Button1MouseUp();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QLineEdit* edit(const QString& name, const QString& text, bool readOnly);
  void buildLayout();
  void wireHandlers();
  void openStock();
  void pickBatch();
  void refreshPending();
  void readTotals();
  void clearPick();
  void refuse(const QString& message, QLineEdit* box, const QString& text);
  // The box's number; text that is none shows the conversion error.
  static bool number(const QLineEdit* box, double& value);

  Connection connection_;
  std::unique_ptr<PendingDocument> pending_;
  DataGrid* DBGrid3;
  DataGrid* DBGrid1;
  QLineEdit* Edit9;
  QLineEdit* Edit5;
  QLineEdit* Editcxm;
  QLineEdit* Editbh;
  QLineEdit* Editlsh;
  QLineEdit* Editpm;
  QLineEdit* Edit3;
  QLineEdit* Editsj;
  QLineEdit* Editkcsl;
  QLineEdit* Editsl;
  QLineEdit* Editxsje;
  QLineEdit* Editdj;
  QLineEdit* Editje;
  QPushButton* BitBtn4;
  QPushButton* BitBtn2;
  QPushButton* Button1;
};

using GoodsIssueWindow = TFormhjt;
