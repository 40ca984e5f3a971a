#pragma once
// The owner's query: receipts and sales of a date window, the stock and the
// expired batches, each with its total. It only reads.
#include <QString>
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QButtonGroup;
class QDateEdit;
class QLineEdit;
class QPushButton;

// The four questions as the window asks them. Receipts and sales bind the
// first day, the last day and the search pattern ("%" code "%"); stock binds
// the search pattern; expired stock binds the day before which a batch has
// expired. The first three come in two forms that differ only in the order
// the store reads the tables, so both give the same rows.
struct CodedQuery {
  QString byCode;  // when a search code is typed
  QString all;     // when the search box is empty
  const QString& For(const QString& code) const { return code.isEmpty() ? all : byCode; }
};
extern const CodedQuery kSelectReceipts;
extern const CodedQuery kSelectStock;
extern const CodedQuery kSelectSales;
extern const QString kSelectExpired;

class TFormyzcx : public QWidget {
  Q_OBJECT
 public:
  explicit TFormyzcx(QWidget* parent = nullptr);

 private slots:
  void RadioGroup1Click(int index);
  void BitBtn3Click();
  void BitBtn2Click();
  void BitBtn4Click();
  void BitBtn5Click();

 private:
  QPushButton* button(const QString& name, const QString& caption);
  void buildLayout();
  bool open(const QString& sql, const QVariantList& values, const QList<int>& widths);
  QVariantList dateWindow() const;
  QString code() const;
  QString containing() const;
  void showTotal(const QString& sql, const QVariantList& values);

  Connection connection_;
  QButtonGroup* RadioGroup1;
  QLineEdit* Edit1;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QLineEdit* Edithj;
  DataGrid* DBGrid1;
  QPushButton* BitBtn3;
  QPushButton* BitBtn2;
  QPushButton* BitBtn4;
  QPushButton* BitBtn5;
};

using OwnerQueryWindow = TFormyzcx;
