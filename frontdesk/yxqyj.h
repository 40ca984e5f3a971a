#pragma once
// The expiry warning window: the batches that expire within 90 days and
// those already expired, each list printable.
#include <QDate>
#include <QWidget>

#include "db/connection.h"

class DataGrid;
class PrinterCanvasReport;
class QSqlDatabase;
class QLabel;
class QPushButton;

// Which of the two lists.
enum class ExpiryList { Warning, Expired };

// Draws an expiry list as the window prints it, its rows read from db at
// that moment with today as the day of the test. Rows past the page carry
// on under the head row on a new page.
void DrawExpiryList(PrinterCanvasReport& doc, const QSqlDatabase& db, ExpiryList list, const QDate& today);

class TFormyxqyj : public QWidget {
  Q_OBJECT
 public:
  explicit TFormyxqyj(QWidget* parent = nullptr);

 private slots:
  // Loads both lists; they are not refreshed while the window stays open.
  void FormCreate();
  void BitBtn1Click();
  void BitBtn2Click();

 private:
  void print(ExpiryList list);

  Connection connection_;
  QLabel* Label8;
  DataGrid* DBGrid1;
  QPushButton* BitBtn1;
  QLabel* Label1;
  DataGrid* DBGrid2;
  QPushButton* BitBtn2;
};

using ExpiryWarningWindow = TFormyxqyj;
