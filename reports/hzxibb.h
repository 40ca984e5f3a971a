#pragma once
// The patient information window: the settled visits of a date window,
// their lines, the outpatient and inpatient totals, and the move of a
// visit to the inpatient account (with the admission it may need first).
#include <QWidget>

#include "db/connection.h"

// The query of the list and its totals. %1 is the store's case-blind like
// (LikeOperator); the list and its total take the first day, the last day
// and the name pattern ("%" name "%"), the category figures the two days
// and the category.
extern const QString kSelectVisits;
extern const QString kSumListed;
extern const QString kSumCategory;
extern const QString kCountCategory;

class DataGrid;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

class TFormhzxibb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormhzxibb(QWidget* parent = nullptr);

 private slots:
  void BitBtn1Click();
  void DBGrid1CellClick();
  void DBGrid2DblClick();
  void DBGrid3DblClick();
  void BitBtn2Click();
  void BitBtn3Click();

 private:
  void buildLayout();
  void wireHandlers();
  void query();
  void showLines();
  QString visitName() const;
  void showAdmission(bool shown);

  Connection connection_;
  QLineEdit* Edit1;
  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QPushButton* BitBtn1;
  QLineEdit* Edit2;
  QLineEdit* Editmz;
  QLineEdit* Edit3;
  QLineEdit* Editzy;
  QLineEdit* Edit4;
  QPushButton* BitBtn2;
  DataGrid* DBGrid1;
  DataGrid* DBGrid2;
  DataGrid* DBGrid3;
  QWidget* admissionFields;
  QComboBox* ComboBox1;
  QLineEdit* Editnl;
  QLineEdit* Edithzylzh;
  QLineEdit* Editzz;
  QPushButton* BitBtn3;
};
