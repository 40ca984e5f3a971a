#pragma once
// The patient returns window: one patient per opening. Pick the day and the
// name, choose one of the patient's paid visits, return dispensed medicine
// batch by batch and refund service fees; the visit's staged returns are
// committed after their voucher has printed.
#include <QWidget>

#include "db/clinicconventions.h"
#include "db/connection.h"

class DataGrid;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormhzty : public QWidget {
  Q_OBJECT
 public:
  explicit TFormhzty(QWidget* parent = nullptr);

 private slots:
  void DateTimePicker1Click();
  void Edit1Change();
  void Edit1Exit();
  void Edit1Enter();
  void DBGrid1CellClick();
  void DBGrid1KeyUp();
  void DBGrid1Enter();
  void DBGrid2CellClick();
  void DBGrid2KeyUp();
  void DBGrid2DblClick();
  void DBGrid2Enter();
  void EditphChange();
  void EditslKeyUp();
  void EditslEnter();
  void DBGrid4CellClick();
  void DBGrid4KeyUp();
  void Edit6KeyUp();
  void BitBtn1Click();
  void BitBtn3Click();
  void BitBtn2Click();

 private:
  void buildLayout();
  void wireHandlers();
  bool selectVisit();
  void pickLine();
  bool batchFound();
  void loadVisits();
  void loadLines(const QList<int>& widths);
  void loadServices();
  void loadStaged(bool everyOperator);
  void readRefundSums();
  void keepFee();
  bool printVoucher();

  Connection connection_;
  VisitKey visit_;
  bool visitChosen_ = false;
  QString keptFee_;

  QDateEdit* DateTimePicker1;
  QLabel* Label1;
  QLineEdit* Edit1;
  QLineEdit* Edit5;
  DataGrid* DBGrid1;
  DataGrid* DBGrid2;
  QLineEdit* Editph;
  QLineEdit* Editpm;
  QLineEdit* Editsl;
  QLineEdit* Edityxq;
  QDateEdit* DateTimePicker2;
  QLineEdit* Edit3;
  QPushButton* BitBtn1;
  DataGrid* DBGrid3;
  DataGrid* DBGrid4;
  QLineEdit* Edit4;
  QLineEdit* Edit6;
  QPushButton* BitBtn3;
  QPushButton* BitBtn2;
  QLineEdit* Edit2;
  QLineEdit* Editbh;
  QLineEdit* Editlsh;
};

using PatientReturnsWindow = TFormhzty;
