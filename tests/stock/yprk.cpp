#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "stock/goods.h"
#include "stock/yprk.h"
#include "support/testkit.h"

namespace {
const QString kPendingColumns = "编号, 流水号, 拼音码, 进价, 数量, 售价, 金额, 进货时间, 有效期";

QStringList rows(const QString& table) {
  Connection c = OpenShopDatabase();
  QSqlQuery q = Exec(c.db(), "select " + kPendingColumns + " from " + table + " order by 流水号");
  QStringList all;
  while (q.next()) {
    QStringList cells;
    for (int i = 0; i < 9; ++i) cells << q.value(i).toString();
    all << cells.join('|');
  }
  return all;
}

QStringList everyTable() {
  QStringList all;
  for (const char* table : {"临时入库", "进货历史记录", "库存"}) all << QString(table) << rows(table);
  return all;
}

void seedGoods() {
  Connection c = OpenShopDatabase();
  AddGoods(c.db(), {"板蓝根颗粒", "BLGKL", "10g", "袋", "A1", "东川"});
  AddGoods(c.db(), {"医用口罩", "YYKZ", "10只", "包", "B1", "长河"});
}

void seedPending(const QString& goods, const QString& serial, double amount) {
  Connection c = OpenShopDatabase();
  Exec(c.db(), "insert into 临时入库 values (?, ?, 'YYKZ', 1, 1, 1, ?, '2024-03-01', '2025-03-01')",
       {goods, serial, amount});
}

QPoint rowCentre(DataGrid* grid, int row) { return grid->visualRect(grid->model()->index(row, 0)).center(); }

void doubleClickRow(DataGrid* grid, int row) {
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(grid, row));
}

QString text(QWidget& w, const char* box) { return Find<QLineEdit>(&w, box)->text(); }
}  // namespace

class ReceiptWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    TestKit::FreshDataDir();
    TestKit::ClearMessages();
    Clock::Set(QDateTime(QDate(2024, 3, 15), QTime(10, 0)));
    seedGoods();
  }
  void cleanup() { Clock::Reset(); }

  void linesAddedThenSavedAsBatches() {
    Typrk w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(Find<QDateEdit>(&w, "DateTimePicker1")->date(), QDate(2024, 3, 15));
    QCOMPARE(text(w, "Editdj"), QString());
    QCOMPARE(text(w, "Editsl"), QString("0"));
    auto* goods = Find<DataGrid>(&w, "DBGrid2");
    QCOMPARE(goods->RecordCount(), 2);
    TestKit::Type(Find<QLineEdit>(&w, "Edit2"), "kz");
    QCOMPARE(goods->RecordCount(), 1);
    TestKit::ClickRow(goods, 0);
    QCOMPARE(text(w, "Editbh"), QString("00002"));
    QCOMPARE(text(w, "Editpm"), QString("医用口罩"));
    QCOMPARE(text(w, "Editcxm"), QString("YYKZ"));
    TestKit::Type(Find<QLineEdit>(&w, "Editdj"), "2.5");
    TestKit::Type(Find<QLineEdit>(&w, "Editsl"), "4");
    QCOMPARE(text(w, "Editck"), QString("10"));
    TestKit::Type(Find<QLineEdit>(&w, "Editsj"), "3.8");
    Find<QDateEdit>(&w, "DateTimePicker1")->setDate(QDate(2026, 1, 31));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(rows("临时入库"), QStringList{"00002|00001|YYKZ|2.5|4|3.8|10|2024-03-15|2026-01-31"});
    QCOMPARE(text(w, "Edit1"), QString("1"));
    QCOMPARE(text(w, "Editzj"), QString("10"));
    for (const char* box : {"Editdj", "Editsl", "Editsj"}) QCOMPARE(text(w, box), QString("0"));
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "Edit2"));

    // The same goods again: a second batch under the next serial.
    TestKit::Type(Find<QLineEdit>(&w, "Editdj"), "1.5");
    TestKit::Type(Find<QLineEdit>(&w, "Editsl"), "2");
    TestKit::Type(Find<QLineEdit>(&w, "Editsj"), "2");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(rows("临时入库").value(1), QString("00002|00002|YYKZ|1.5|2|2|3|2024-03-15|2026-01-31"));
    QCOMPARE(text(w, "Edit1"), QString("2"));
    QCOMPARE(text(w, "Editzj"), QString("13"));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 2);

    const QStringList lines = rows("临时入库");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(rows("进货历史记录"), lines);
    QCOMPARE(rows("库存"), lines);
    QVERIFY(rows("临时入库").isEmpty());
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 0);
    QCOMPARE(text(w, "Edit1"), QString("2"));  // the totals are not read again on saving
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void amountIsComputedAtTheAddWhateverTheOrderOfTyping() {
    Typrk w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    TestKit::ClickRow(Find<DataGrid>(&w, "DBGrid2"), 0);
    TestKit::Type(Find<QLineEdit>(&w, "Editsl"), "4");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，请输入进货价"});
    TestKit::Type(Find<QLineEdit>(&w, "Editdj"), "2.5");
    QCOMPARE(text(w, "Editck"), QString("0"));
    TestKit::Type(Find<QLineEdit>(&w, "Editsj"), "3");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(rows("临时入库"), QStringList{"00001|00001|BLGKL|2.5|4|3|10|2024-03-15|2024-03-15"});
    QCOMPARE(text(w, "Editck"), QString("10"));

    // A price changed after the quantity still counts.
    TestKit::Type(Find<QLineEdit>(&w, "Editdj"), "2");
    TestKit::Type(Find<QLineEdit>(&w, "Editsl"), "5");
    TestKit::Type(Find<QLineEdit>(&w, "Editdj"), "3");
    TestKit::Type(Find<QLineEdit>(&w, "Editsj"), "4");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(rows("临时入库").value(1), QString("00001|00002|BLGKL|3|5|4|15|2024-03-15|2024-03-15"));
  }

  void refusedLinesLeaveEveryTableAsItWas() {
    Typrk w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    seedPending("00001", "00001", 7);
    const QStringList before = everyTable();
    auto* price = Find<QLineEdit>(&w, "Editdj");
    auto* quantity = Find<QLineEdit>(&w, "Editsl");
    auto* sale = Find<QLineEdit>(&w, "Editsj");
    auto tryAdd = [&](const QString& p, const QString& q, const QString& s) {
      price->setText(p);
      quantity->setText(q);
      sale->setText(s);
      TestKit::ClearMessages();
      TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
      return TestKit::MessageTexts().value(0);
    };
    QCOMPARE(tryAdd("2", "3", "4"), QString("对不起，没有选择数据！"));
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "Edit2"));
    TestKit::ClickRow(Find<DataGrid>(&w, "DBGrid2"), 1);
    QCOMPARE(tryAdd("abc", "3", "4"), QString("对不起，入库单价必须是大于零的数字！"));
    QCOMPARE(QApplication::focusWidget(), price);
    QCOMPARE(tryAdd("", "3", "4"), QString("对不起，入库单价必须是大于零的数字！"));
    QCOMPARE(tryAdd("2", "0", "4"), QString("对不起，入库数量必须是大于零的数字！"));
    QCOMPARE(tryAdd("2", "-3", "4"), QString("对不起，入库数量必须是大于零的数字！"));
    QCOMPARE(tryAdd("2", "3", ""), QString("对不起，零售单价必须是大于零的数字！"));
    QCOMPARE(tryAdd("2", "3", "4'); delete from 库存; --"), QString("对不起，零售单价必须是大于零的数字！"));
    QCOMPARE(everyTable(), before);

    // No serial is left after 99999.
    { Connection c = OpenShopDatabase(); Exec(c.db(), "update 临时入库 set 流水号 = '99999'"); }
    const QStringList full = everyTable();
    QVERIFY(tryAdd("2", "3", "4").contains("99999"));
    QCOMPARE(everyTable(), full);
  }

  void priceTypedWithNothingPickedSaysSo() {
    Typrk w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    TestKit::Type(Find<QLineEdit>(&w, "Editdj"), "5");
    QVERIFY(TestKit::MessageTexts().contains("对不起，没有选择数据！"));
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "Edit2"));
  }

  void doubleClickRemovesALineAfterAYes() {
    seedPending("00001", "00001", 7);
    seedPending("00002", "00002", 5);
    Typrk w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* pending = Find<DataGrid>(&w, "DBGrid1");
    QCOMPARE(pending->RecordCount(), 2);       // lines left from before show
    QCOMPARE(text(w, "Edit1"), QString("0"));  // while the count waits for a change
    TestKit::ClickRow(pending, 1);
    TestKit::AnswerNext({false});
    doubleClickRow(pending, 1);
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您是要删除这个记吗？"});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"记录删除提示"});
    QCOMPARE(rows("临时入库").size(), 2);
    TestKit::AnswerNext({true});
    doubleClickRow(pending, 1);
    QCOMPARE(rows("临时入库"), QStringList{"00001|00001|YYKZ|1|1|1|7|2024-03-01|2025-03-01"});
    QCOMPARE(pending->RecordCount(), 1);
    QCOMPARE(text(w, "Edit1"), QString("1"));
    QCOMPARE(text(w, "Editzj"), QString("7"));

    // A line whose goods are gone is counted but cannot be shown or removed.
    { Connection c = OpenShopDatabase(); Exec(c.db(), "delete from 基本资料 where 编号 = '00001'"); }
    TestKit::Type(Find<QLineEdit>(&w, "Edit2"), "kz");
    TestKit::ClickRow(Find<DataGrid>(&w, "DBGrid2"), 0);
    TestKit::Type(Find<QLineEdit>(&w, "Editdj"), "1");
    TestKit::Type(Find<QLineEdit>(&w, "Editsl"), "1");
    TestKit::Type(Find<QLineEdit>(&w, "Editsj"), "1");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(pending->RecordCount(), 1);
    QCOMPARE(text(w, "Edit1"), QString("2"));
    QCOMPARE(pending->Cell(1), QString("00002"));
    TestKit::AnswerNext({true});
    doubleClickRow(pending, 0);
    QCOMPARE(pending->RecordCount(), 0);
    TestKit::ClearMessages();
    QTest::mouseDClick(pending->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，表中无数据可删"});
    QCOMPARE(rows("临时入库").size(), 1);
  }

  void aFailedSaveSaysSoAndChangesNothing() {
    seedPending("00001", "00001", 7);
    seedPending("00002", "00002", 5);
    {
      Connection c = OpenShopDatabase();
      Exec(c.db(), "insert into 库存 values ('00002', '00002', 'Y', 1, 1, 1, 1, '2024-01-01', '2025-01-01')");
    }
    const QStringList before = everyTable();
    Typrk w;
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(TestKit::MessageTexts().size(), 1);
    QVERIFY(TestKit::MessageTexts().first().startsWith("对不起，入库保存失败"));
    QCOMPARE(everyTable(), before);
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 2);
  }

  void aMessageDoesNotComeBackFromTheKeyThatClosedIt() {
    Typrk w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    TestKit::ClickRow(Find<DataGrid>(&w, "DBGrid2"), 0);
    auto* price = Find<QLineEdit>(&w, "Editdj");
    auto* quantity = Find<QLineEdit>(&w, "Editsl");
    price->clear();
    quantity->setFocus();
    TestKit::ClearMessages();
    QTest::keyClick(quantity, Qt::Key_3);
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，请输入进货价"});
    // The Enter or Escape that closed the box is released in the quantity
    // box again; it was pressed in the box, not here.
    QTest::keyRelease(quantity, Qt::Key_Return);
    QTest::keyRelease(quantity, Qt::Key_Escape);
    QCOMPARE(TestKit::MessageTexts().size(), 1);
  }

  void enterInAnOtherBoxDoesNothing() {
    Typrk w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    for (const char* name : {"Editcxm", "Editbh", "Editpm", "Editck", "Edit1", "Editzj", "DBGrid1"}) {
      QWidget* control = Find<QWidget>(&w, name);
      control->setFocus();
      TestKit::PressEnter(control);
      QCOMPARE(QApplication::focusWidget(), control);
    }
    // With no control focused, the window's Enter goes to 入库单价.
    QApplication::focusWidget()->clearFocus();
    QTest::keyClick(&w, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "Editdj"));
  }

  // A price, quantity or amount past the 13 integer digits every clinic
  // amount keeps to is refused at the box that holds it; nothing is stored.
  void aLinePastThirteenDigitsIsRefused() {
    Typrk w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    TestKit::ClickRow(Find<DataGrid>(&w, "DBGrid2"), 0);
    const auto add = [&w](const char* price, const char* quantity, const char* salePrice) {
      TestKit::Type(Find<QLineEdit>(&w, "Editdj"), price);
      TestKit::Type(Find<QLineEdit>(&w, "Editsl"), quantity);
      TestKit::Type(Find<QLineEdit>(&w, "Editsj"), salePrice);
      TestKit::ClearMessages();
      TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
      return TestKit::MessageTexts().value(0) + "@" + QApplication::focusWidget()->objectName();
    };
    QCOMPARE(add("99999999999999999999", "1", "4"), QString("对不起，金额超出范围@Editdj"));
    QCOMPARE(add("5000000000000", "2", "4"), QString("对不起，金额超出范围@Editsl"));
    QCOMPARE(add("1e200", "1e200", "4"), QString("对不起，金额超出范围@Editdj"));
    QCOMPARE(text(w, "Editck"), QString());
    QCOMPARE(add("2", "3", "10000000000000"), QString("对不起，金额超出范围@Editsj"));
    QCOMPARE(everyTable(), QStringList({"临时入库", "进货历史记录", "库存"}));
    QCOMPARE(add("9999999999999", "1", "4"), QString("@Edit2"));
    QCOMPARE(rows("临时入库"), QStringList{"00001|00001|BLGKL|9999999999999|1|4|9999999999999|2024-03-15|2024-03-15"});
  }

  void enterWalksTheBoxesToTheAddButton() {
    Typrk w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    Find<QWidget>(&w, "Edit2")->setFocus();
    const QStringList chain = {"DBGrid2", "Editdj", "Editsl", "Editsj", "DateTimePicker1", "BitBtn1"};
    for (const QString& next : chain) {
      TestKit::PressEnter(QApplication::focusWidget());
      QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, next));
      if (next == "Editdj") TestKit::Type(Find<QLineEdit>(&w, "Editdj"), "2");
      if (next == "Editsl") TestKit::Type(Find<QLineEdit>(&w, "Editsl"), "3");
      if (next == "Editsj") TestKit::Type(Find<QLineEdit>(&w, "Editsj"), "4");
    }
    // Entering the goods grid picked its first row; Enter on the button adds the line.
    TestKit::PressEnter(QApplication::focusWidget());
    QCOMPARE(rows("临时入库"), QStringList{"00001|00001|BLGKL|2|3|4|6|2024-03-15|2024-03-15"});
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "Edit2"));
  }
};

BRIMWICK_TEST_MAIN(ReceiptWindowTest)
#include "yprk.moc"
