#pragma once
// The issue report: goods issued over a date window, narrowed by optional
// filters, one summary row per item with the total amount, and the item's
// issue lines on a click. Opening it clears the empty issue lines.
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

// The issue summary and its total over the same lines.
extern const QString kSelectIssueSummary;
extern const QString kSumIssues;
// One of them for the filter values (first day, last day, doctor, issuer,
// category, dosage form, pinyin pattern) on the store's like operator.
BoundStatement IssueStatement(const QString& sql, const QString& like, const QVariantList& filters);

class TFormypckbb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormypckbb(QWidget* parent = nullptr);

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
  MouseUpCheckBox* CheckBox5;
  QComboBox* ComboBox1;
  QComboBox* ComboBox2;
  QComboBox* ComboBoxys;
  QLineEdit* Edit2;
  QLineEdit* Edit3;
  QPushButton* BitBtn1;
  DataGrid* DBGrid2;
  DataGrid* DBGrid1;
  OptionalFilter* category_;
  OptionalFilter* form_;
  OptionalFilter* pinyin_;
  OptionalFilter* issuer_;
  OptionalFilter* doctor_;
  SummaryDetailReport report_;
};
