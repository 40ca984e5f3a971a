#pragma once
// What the stock report tests share: goods to report on, and driving the
// report windows' filters and grids as a user would.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "db/clinicdb.h"
#include "platform/grid.h"
#include "platform/printcanvas.h"
#include "reportwindow.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

namespace ReportKit {
// Three goods: two with every column, one without a category.
inline void AddGoods(const QSqlDatabase& db) {
  using ClinicFixture::InsertRow;
  InsertRow(db, "药品信息",
            {{"编号", "1001"},
             {"品名", "阿莫西林胶囊"},
             {"单位", "盒"},
             {"规格", "0.25g*24粒"},
             {"厂商", "青禾制药"},
             {"类别", "西药"},
             {"拼音缩写", "AMXLJN"},
             {"剂型", "胶囊剂"}});
  InsertRow(db, "药品信息",
            {{"编号", "1002"},
             {"品名", "板蓝根颗粒"},
             {"单位", "袋"},
             {"规格", "10g*20袋"},
             {"厂商", "华川药业"},
             {"类别", "中成药"},
             {"拼音缩写", "BLGKL"},
             {"剂型", "颗粒剂"}});
  InsertRow(db, "药品信息",
            {{"编号", "1003"},
             {"品名", "无类别药"},
             {"单位", "瓶"},
             {"厂商", "某厂"},
             {"拼音缩写", "WLBY"},
             {"剂型", "片剂"}});
  for (const char* category : {"西药", "中成药"}) InsertRow(db, "药品类别", {{"药品类别", category}});
}

inline void Dates(QWidget* window, QDate first, QDate last) {
  Find<QDateEdit>(window, "DateTimePicker1")->setDate(first);
  Find<QDateEdit>(window, "DateTimePicker2")->setDate(last);
}

// A check box clicked with the mouse.
inline void Tick(QWidget* window, const char* name) {
  // On its mark: a wide box takes clicks only on its mark and caption.
  QCheckBox* box = Find<QCheckBox>(window, name);
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// The user moves into a box with the Tab key.
inline void Enter(QWidget* box) { box->setFocus(Qt::TabFocusReason); }

// Typed into a combo's edit, one character a key.
inline void TypeInto(QComboBox* combo, const QString& text) {
  for (const QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(combo->lineEdit(), &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(combo->lineEdit(), &release);
  }
}

// The user picks an entry of the combo's list.
inline void Pick(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text);
  QVERIFY2(index >= 0, qPrintable(text));
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

// A grid's rows, each as its cells' texts joined by "|".
inline QStringList Rows(const DataGrid* grid) {
  QStringList rows;
  for (int r = 0; r < grid->RecordCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < grid->Model()->columnCount(); ++c)
      cells << grid->Model()->data(grid->Model()->index(r, c)).toString();
    rows << cells.join('|');
  }
  return rows;
}

inline QStringList Titles(const DataGrid* grid) {
  QStringList titles;
  for (int c = 0; c < grid->Model()->columnCount(); ++c)
    titles << grid->Model()->headerData(c, Qt::Horizontal).toString();
  return titles;
}
// The first text printed with this content; fails the test when none is.
inline DrawnText First(const RecordingCanvas& canvas, const QString& text) {
  const QList<DrawnText> found = canvas.Find(text);
  if (found.isEmpty()) {
    QTest::qFail(qPrintable("not printed: " + text), __FILE__, __LINE__);
    return {};
  }
  return found.first();
}

// Every text printed, in the order drawn.
inline QStringList TextsOf(const RecordingCanvas& canvas) {
  QStringList texts;
  for (const DrawnText& t : canvas.Texts()) texts << t.text;
  return texts;
}
}  // namespace ReportKit
