#pragma once
// Today's paid visits with the outpatient and inpatient totals and counts;
// a click on a visit shows its dispensed medicine and its services.
#include <QString>
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QDateEdit;
class QLineEdit;

// The statements the window runs, for the benchmark that times them bare.
// Visits: first day, last day. Sums and counts: first day, last day,
// category. Lines: the visit key.
extern const QString kSelectTodayVisits;
extern const QString kSumVisitIncome;
extern const QString kCountVisits;
extern const QString kSelectVisitMedicine;
extern const QString kSelectVisitServices;

class TFormjrhzxi : public QWidget {
  Q_OBJECT
 public:
  explicit TFormjrhzxi(QWidget* parent = nullptr);

  // What opening does once the controls stand: the day window set to
  // today, the purge, the list, its totals and counts.
  void FormCreate();

 private slots:
  void DBGrid1CellClick();
  void DBGrid2DblClick();

 private:
  void buildLayout();

  Connection connection_;
  QLineEdit* Editmz;
  QLineEdit* Edit3;
  QLineEdit* Editzy;
  QLineEdit* Edit4;
  QLineEdit* Editzj;
  DataGrid* DBGrid1;
  DataGrid* DBGrid2;
  DataGrid* DBGrid3;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
};

using TodaysPatientFeesWindow = TFormjrhzxi;
