#pragma once
// The supplies report: receipts of supplies over a date window (one
// receiving account or all) and issues over another (one recipient or
// all), each narrowed to a supplier picked from the list, with their
// totals and a printed slip. The window only reads.
#include <QWidget>

#include "db/connection.h"
#include "reports/suppliesquery.h"

struct PrintResult;
class DataGrid;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

class TFormhcbb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormhcbb(QWidget* parent = nullptr);

 private slots:
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn1Click();
  void BitBtn2Click();
  void ComboBox1Change(const QString& text);
  void ComboBox2Change(const QString& text);
  void ComboBox1Exit();
  void ComboBox2Exit();
  void Edit1Click();
  void Edit2Click();

 private:
  void buildLayout();
  void wireHandlers();
  void open();
  void appendSuppliers(QComboBox* box);
  // The supplier box returns its half to every supplier.
  void unlock(QComboBox* box, QString& filter);
  void leave(QComboBox* box, const QString& filter);
  SuppliesFilter receipts() const;
  SuppliesFilter issues() const;
  void printed(const PrintResult& result, QPushButton* button);

  Connection connection_;
  QString receiptSupplier_ = QStringLiteral("%");
  QString issueSupplier_ = QStringLiteral("%");
  QLineEdit* Edit1;
  QComboBox* ComboBox1;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QLineEdit* Edithj;
  DataGrid* DBGrid1;
  QPushButton* BitBtn3;
  QPushButton* BitBtn1;
  QLineEdit* Edit2;
  QComboBox* ComboBox2;
  QDateEdit* DateTimePicker3;
  QDateEdit* DateTimePicker4;
  QLineEdit* Edit3;
  QLineEdit* Edit4;
  QLineEdit* Edit5;
  DataGrid* DBGrid2;
  QPushButton* BitBtn4;
  QPushButton* BitBtn2;
};
