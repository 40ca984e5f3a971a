#pragma once
// The patient-return report: medicine patients returned over a date
// window, one summary row per item and maker, the total amount, and the
// item's return lines on a click.
#include <QString>
#include <QWidget>

#include "db/connection.h"
#include "reports/summarydetailreport.h"

class DataGrid;
class QDateEdit;
class QLineEdit;
class QPushButton;

// The return summary of a date window. Values: first day, last day.
extern const QString kSelectPatientReturnSummary;

class TFormyphztybb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormyphztybb(QWidget* parent = nullptr);

 private slots:
  void BitBtn1Click();
  void DBGrid2CellClick();

 private:
  void buildLayout();
  QVariantList dates() const;

  Connection connection_;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QLineEdit* Edit1;
  QPushButton* BitBtn1;
  DataGrid* DBGrid2;
  DataGrid* DBGrid1;
  SummaryDetailReport report_;
};
