#pragma once
// The inpatient accounts desk: admit patients, take cash deposits into the
// ledger, show a patient's ledger and balance, and discharge.
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class QComboBox;
class QLineEdit;
class QPushButton;

class Tzyhzfygl : public QWidget {
  Q_OBJECT
 public:
  explicit Tzyhzfygl(QWidget* parent = nullptr);

 private slots:
  void Edit1Change();
  void EditpysxChange();
  void BitBtn3Click();
  void DBGrid2CellClick();
  void DBGrid2KeyUp();
  void BitBtn1Click();
  void BitBtn2Click();

 private:
  void buildLayout();
  void wireHandlers();
  void openPatients();
  void showLedger(const QString& name);
  void choosePatient();

  Connection connection_;
  QLineEdit* Edit1;
  QComboBox* ComboBox1;
  QLineEdit* Editnl;
  QLineEdit* Edithzylzh;
  QLineEdit* Editzz;
  QPushButton* BitBtn3;
  QLineEdit* Editpysx;
  DataGrid* DBGrid2;
  QLineEdit* Edit7;
  QLineEdit* Edit6;
  QLineEdit* Edit2;
  QPushButton* BitBtn1;
  QLineEdit* Edit3;
  QLineEdit* Edit4;
  QLineEdit* Edit5;
  QPushButton* BitBtn2;
  DataGrid* DBGrid1;
};

using InpatientAccountsWindow = Tzyhzfygl;
