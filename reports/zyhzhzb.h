#pragma once
// The inpatient fee statistics window: every medicine and service line of
// one inpatient over a stay, with the totals per category and overall.
#include <QString>
#include <QVariantList>
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

// The statements of the statistics, each bound to InpatientLineValues:
// the lines of the patient's '住院' visits within the dates, read straight
// from the visit tables, so that two desks never share working rows.
extern const QString kSelectInpatientMedicine;
extern const QString kSelectInpatientServices;
extern const QString kSumInpatientServicesByCategory;
extern const QString kSumInpatientMedicineByCategory;
extern const QString kSumInpatientMedicine;
extern const QString kSumInpatientServices;
QVariantList InpatientLineValues(const QString& name, const QString& firstDay, const QString& lastDay);

class TFormzyhzhz : public QWidget {
  Q_OBJECT
 public:
  explicit TFormzyhzhz(QWidget* parent = nullptr);

 private slots:
  void ComboBox1Enter();
  void ComboBox1Change(const QString& text);
  void ComboBox1Exit();
  void BitBtn1Click();

 private:
  void buildLayout();
  void wireHandlers();
  void report();

  Connection connection_;
  QString patientNameChoice_;
  QComboBox* ComboBox1;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QPushButton* BitBtn1;
  QLineEdit* Edit2;
  QLineEdit* Edit6;
  QLineEdit* Edit5;
  DataGrid* DBGrid2;
  DataGrid* DBGridyp;
  DataGrid* DBGrid4;
  DataGrid* DBGrid3;
};
