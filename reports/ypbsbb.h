#pragma once
// The write-off report: goods written off over a date window, every line
// and one summary row per item, the cost and retail totals, a write-off
// voucher and a detail list with the reasons.
#include <QString>
#include <QWidget>

#include "db/connection.h"
#include "reports/summarydetailreport.h"

class DataGrid;
class QDateEdit;
class QLineEdit;
class QPushButton;

// The write-off lines of a date window. Values: first day, last day.
extern const QString kSelectWriteOffLines;

class TFormbsbb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormbsbb(QWidget* parent = nullptr);

 private slots:
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();

 private:
  void buildLayout();
  QVariantList dates() const;

  Connection connection_;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QLineEdit* Edit2;
  QLineEdit* Edit1;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QPushButton* BitBtn3;
  DataGrid* DBGrid2;
  DataGrid* DBGrid1;
  SummaryDetailReport report_;
};
