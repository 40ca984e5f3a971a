#pragma once
// The return-to-supplier report: goods returned to suppliers over a date
// window, narrowed by optional filters, with the cost and retail totals,
// the clicked item's returns, a return voucher for the chosen supplier and
// a detail list.
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

// The return summary; %1 is the store's like operator. Values: first day,
// last day, source, returner, category, pinyin pattern.
extern const QString kSelectReturnSummary;

class TFormypfkbb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormypfkbb(QWidget* parent = nullptr);

 private slots:
  void BitBtn2Click();
  void DBGrid2CellClick();
  void BitBtn1Click();
  void BitBtn3Click();

 private:
  void buildLayout();
  QVariantList filterValues() const;
  QVariantList dates() const;

  Connection connection_;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QLineEdit* Edit5;
  QLineEdit* Editlsje;
  MouseUpCheckBox* CheckBox1;
  MouseUpCheckBox* CheckBox2;
  MouseUpCheckBox* CheckBox3;
  MouseUpCheckBox* CheckBox4;
  QComboBox* ComboBox1;
  QComboBox* ComboBox2;
  QLineEdit* Edit2;
  QLineEdit* Edit3;
  QPushButton* BitBtn2;
  QPushButton* BitBtn1;
  QPushButton* BitBtn3;
  DataGrid* DBGrid2;
  DataGrid* DBGrid1;
  OptionalFilter* category_;
  OptionalFilter* source_;
  OptionalFilter* pinyin_;
  OptionalFilter* returner_;
  SummaryDetailReport report_;
};
