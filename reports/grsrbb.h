#pragma once
// The personal income window: pick a staff member and see what they earned
// in commission over a date window (medicine they prescribed, services they
// prescribed and services they performed), with detail lists, the pay and
// sales slips, and the clinic's two cross-table workbooks.
#include <QDate>
#include <QString>
#include <QWidget>
#include <functional>

#include "db/connection.h"

class DataGrid;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
struct SlipContent;
enum class CrossTable;

class TFormgrsrbb : public QWidget {
  Q_OBJECT
 public:
  explicit TFormgrsrbb(QWidget* parent = nullptr);
  ~TFormgrsrbb() override;

 private slots:
  void FormCreate();
  void ComboBoxysEnter();
  void ComboBoxysKeyPress();
  void ComboBoxysChange();
  void DBGrid1CellClick();
  void DBGrid1KeyUp();
  void DBGrid1KeyPress();
  void DBGrid2CellClick();
  void DBGrid2KeyPress();
  void DBGrid2KeyUp();
  void DBGrid3CellClick();
  void DBGrid3KeyPress();
  void DBGrid3KeyUp();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void Button1Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Role { Prescriber, Performer };
  void buildLayout();
  void wireHandlers();
  QString person() const;
  QDate d1() const;
  QDate d2() const;
  void runGuarded(const std::function<void()>& work);
  void reloadResults();
  void showMedicineDetail(const QString& category, bool withNames);
  void showServices(Role role);
  void showServiceDetail(Role role, const QString& item);
  // Enter pressed in from moved the focus to grid (or kept it there): the
  // key's release runs that grid's key-release list, as a key pressed
  // there would.
  void carryEnterTo(QObject* from, DataGrid* grid);
  bool slipContent(SlipContent& content);
  void printSlip(bool pay);
  void exportCrossTable(CrossTable table);

  Connection connection_;
  DataGrid* carried_ = nullptr;
  QObject* carriedFrom_ = nullptr;
  bool changeRan_ = false;
  // What the last computation ran for: the slips print these.
  bool computed_ = false;
  QString computedPerson_;
  QDate computedD1_;
  QDate computedD2_;

  QDateEdit* DateTimePicker1;
  QDateEdit* DateTimePicker2;
  QComboBox* ComboBoxys;
  DataGrid* DBGrid1;
  DataGrid* DBGrid2;
  DataGrid* DBGrid3;
  DataGrid* DBGrid4;
  DataGrid* DBGrid5;
  QLineEdit* Edit1;
  QLineEdit* Edit2;
  QLineEdit* Edit3;
  QLineEdit* Editypje;
  QLineEdit* Editcfje;
  QLineEdit* Editfwje;
  QLineEdit* Edithj;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QPushButton* BitBtn3;
  QPushButton* Button1;
};
