#pragma once
// The receipt report: goods received over a date window, narrowed by
// optional filters, one summary row per item with the total amount, and
// the item's receipt lines on a click.
#include <QString>
#include <QWidget>

#include "db/connection.h"
#include "reports/summarydetailreport.h"

class DataGrid;
class MouseUpCheckBox;
class OptionalFilter;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

// The receipt summary and its total over the same lines; %1 is the store's
// like operator. Values: first day, last day, source, account, category,
// pinyin pattern.
extern const QString kSelectReceiptSummary;
extern const QString kSumReceipts;

class TFormrkbb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormrkbb(QWidget* parent = nullptr);

 private slots:
  void BitBtn1Click();
  void DBGrid2CellClick();

 private:
  void buildLayout();
  QVariantList filterValues() const;

  Connection connection_;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QLineEdit* Edit1;
  MouseUpCheckBox* CheckBox1;
  MouseUpCheckBox* CheckBox2;
  MouseUpCheckBox* CheckBox3;
  MouseUpCheckBox* CheckBox4;
  QComboBox* ComboBox1;
  QComboBox* ComboBox2;
  QLineEdit* Edit2;
  QLineEdit* Edit3;
  QPushButton* BitBtn1;
  DataGrid* DBGrid2;
  DataGrid* DBGrid1;
  OptionalFilter* category_;
  OptionalFilter* source_;
  OptionalFilter* pinyin_;
  OptionalFilter* account_;
  SummaryDetailReport report_;
};
