#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "stock/ypzlwh.h"
#include "support/testkit.h"

namespace {
// Every row of 基本资料 as "编号|拼音缩写|品名|单位|规格|仓位|产地", by code.
QStringList goodsRows() {
  Connection c = OpenShopDatabase();
  QSqlQuery q = Exec(c.db(), "select * from 基本资料 order by 编号");
  QStringList rows;
  while (q.next()) {
    QStringList cells;
    for (int i = 0; i < 7; ++i) cells << q.value(i).toString();
    rows << cells.join('|');
  }
  return rows;
}

}  // namespace

class CatalogueWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    TestKit::FreshDataDir();
    TestKit::ClearMessages();
  }

  void addTwiceTakesTheNextCodesAndEmptiesTheBoxes() {
    Typzl w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* name = Find<QLineEdit>(&w, "Editpm");
    auto* code = Find<QLineEdit>(&w, "Editpysx");
    TestKit::Type(name, " 板蓝根颗粒");
    QCOMPARE(code->text(), QString(" BLGKL"));
    Find<QComboBox>(&w, "ComboBoxdw")->setEditText(" 袋 ");
    TestKit::Type(Find<QLineEdit>(&w, "Editge"), "10g×20袋");
    TestKit::Type(Find<QLineEdit>(&w, "Edit3"), "A1");
    TestKit::Type(Find<QLineEdit>(&w, "Edit2"), "东川药业 ");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(goodsRows(), QStringList{"00001|BLGKL|板蓝根颗粒|袋|10g×20袋|A1|东川药业"});
    for (const char* box : {"Editpm", "Editpysx", "Editge", "Edit3", "Edit2", "Editlbh", "Edit1"})
      QVERIFY2(Find<QLineEdit>(&w, box)->text().isEmpty(), box);
    QVERIFY(Find<QComboBox>(&w, "ComboBoxdw")->currentText().isEmpty());
    QCOMPARE(QApplication::focusWidget(), name);

    // With every box empty the add still stores a row under the next code.
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(goodsRows().value(1), QString("00002||||||"));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 2);
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void searchPickAndModify() {
    {
      Connection c = OpenShopDatabase();
      Exec(c.db(), "insert into 基本资料 values ('00001', 'BLGKL', '板蓝根颗粒', '袋', '10g', 'A1', '东川')");
      // A stored code that differs from the name's initials.
      Exec(c.db(), "insert into 基本资料 values ('00002', 'KZ', '医用口罩', '包', '10只', 'B1', '长河')");
    }
    Typzl w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    QCOMPARE(grid->RecordCount(), 2);
    TestKit::Type(Find<QLineEdit>(&w, "Edit1"), "kz");
    QCOMPARE(grid->RecordCount(), 1);
    TestKit::ClickRow(grid, 0);
    QCOMPARE(Find<QLineEdit>(&w, "Editlbh")->text(), QString("00002"));
    QCOMPARE(Find<QLineEdit>(&w, "Editpm")->text(), QString("医用口罩"));
    QCOMPARE(Find<QLineEdit>(&w, "Editpysx")->text(), QString("KZ"));
    QCOMPARE(Find<QComboBox>(&w, "ComboBoxdw")->currentText(), QString("包"));
    QCOMPARE(Find<QLineEdit>(&w, "Editge")->text(), QString("10只"));
    QCOMPARE(Find<QLineEdit>(&w, "Edit3")->text(), QString("B1"));
    QCOMPARE(Find<QLineEdit>(&w, "Edit2")->text(), QString("长河"));

    TestKit::Type(Find<QLineEdit>(&w, "Editpm"), "O'Neil口罩");
    QCOMPARE(Find<QLineEdit>(&w, "Editpysx")->text(), QString("      KZ"));
    TestKit::Type(Find<QLineEdit>(&w, "Edit2"), "x') or ('1'='1");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(goodsRows(), (QStringList{"00001|BLGKL|板蓝根颗粒|袋|10g|A1|东川",
                                       "00002|KZ|O'Neil口罩|包|10只|B1|x') or ('1'='1"}));
    QVERIFY(Find<QLineEdit>(&w, "Editlbh")->text().isEmpty());
    QVERIFY(Find<QLineEdit>(&w, "Edit1")->text().isEmpty());
    QCOMPARE(grid->RecordCount(), 2);
    // The storage place stays and goes into the next add.
    QCOMPARE(Find<QLineEdit>(&w, "Edit3")->text(), QString("B1"));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(goodsRows().value(2), QString("00003|||||B1|"));
  }

  void modifyWithoutPickSaysSoAndChangesNothing() {
    { Connection c = OpenShopDatabase(); Exec(c.db(), "insert into 基本资料 values ('00001', 'A', '啊', '', '', '', '')"); }
    Typzl w;
    TestKit::Type(Find<QLineEdit>(&w, "Editpm"), "新名");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，请选择要修改的数据"});
    QCOMPARE(goodsRows(), QStringList{"00001|A|啊||||"});
  }

  void noCodeAfter99999() {
    { Connection c = OpenShopDatabase(); Exec(c.db(), "insert into 基本资料 values ('99999', 'M', '末', '', '', '', '')"); }
    Typzl w;
    TestKit::Type(Find<QLineEdit>(&w, "Editpm"), "新品");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts().size(), 1);
    QVERIFY(TestKit::MessageTexts().first().contains("99999"));
    QCOMPARE(goodsRows(), QStringList{"99999|M|末||||"});
    QCOMPARE(Find<QLineEdit>(&w, "Editpm")->text(), QString("新品"));
  }

  void unitBoxListsUnitsOnEntryAndPickAndEmptiesOnLeaving() {
    {
      Connection c = OpenShopDatabase();
      for (const char* unit : {"盒", "瓶", "支"}) Exec(c.db(), "insert into 单位 values (?)", {QString(unit)});
    }
    Typzl w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* unit = Find<QComboBox>(&w, "ComboBoxdw");
    unit->setEditText("自填");
    unit->setFocus();
    QCOMPARE(unit->count(), 3);
    QCOMPARE(unit->currentText(), QString("自填"));
    QTest::keyClick(unit, Qt::Key_Down);  // a pick from the list
    QCOMPARE(unit->count(), 6);
    QCOMPARE(unit->itemText(3), QString("盒"));
    // A pick in the drop-down list: the list taking the focus is no leaving.
    unit->showPopup();
    QAbstractItemView* list = unit->view();
    QTRY_VERIFY(list->isVisible());
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(unit->count(), 9);
    const QString picked = unit->currentText();
    QCOMPARE(picked, QString("瓶"));
    Find<QLineEdit>(&w, "Editge")->setFocus();
    QCOMPARE(unit->count(), 0);
    QCOMPARE(unit->currentText(), picked);
  }

  void tabGoesFromBoxToBoxInTheShopsOrder() {
    Typzl w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QStringList order = {"Editpm", "Editlbh", "Editge", "Editpysx", "ComboBoxdw",
                               "Edit1",  "Edit2",   "BitBtn1", "BitBtn2", "Edit3"};
    Find<QWidget>(&w, order.first())->setFocus();
    for (int i = 1; i < order.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, order[i]));
    }
  }

  void enterMovesAlongTheChains() {
    Typzl w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QStringList chain = {"Editpm", "Editpysx", "ComboBoxdw", "Editge", "Edit3"};
    Find<QWidget>(&w, chain.first())->setFocus();
    for (int i = 1; i < chain.size(); ++i) {
      TestKit::PressEnter(QApplication::focusWidget());
      QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, chain[i]));
    }
    TestKit::PressEnter(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "Edit3"));
    Find<QWidget>(&w, "Edit1")->setFocus();
    TestKit::PressEnter(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "DBGrid1"));
    TestKit::PressEnter(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "Editpm"));
    Find<QWidget>(&w, "Edit2")->setFocus();
    TestKit::PressEnter(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "BitBtn1"));
    // Enter on the add button presses it.
    TestKit::PressEnter(QApplication::focusWidget());
    QCOMPARE(goodsRows().size(), 1);
  }
};

BRIMWICK_TEST_MAIN(CatalogueWindowTest)
#include "ypzlwh.moc"
