#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/session.h"
#include "stock/hjt.h"
#include "stock/issueposting.h"
#include "support/testkit.h"

// Goods issue: the window driven by its component names, and the posting
// that completes a document.
class IssueTest : public QObject {
  Q_OBJECT

  Connection store_;

  QSqlDatabase db() const { return store_.db(); }

  void addGoods(const QString& code, const QString& search, const QString& name) {
    Exec(db(), "insert into 基本资料 (编号, 拼音缩写, 品名, 单位, 规格, 仓位, 产地) values (?, ?, ?, '盒', '', '', '')",
         {code, search, name});
  }
  void addBatch(const QString& code, const QString& serial, const QString& search, double price, double quantity,
                double salePrice) {
    Exec(db(), "insert into 库存 values (?, ?, ?, ?, ?, ?, ?, '2024-01-02', '2026-01-01')",
         {code, serial, search, price, quantity, salePrice, price * quantity});
  }
  QString cell(const QString& sql, const QVariantList& values = {}) { return ScalarText(db(), sql, values); }
  // Every row of the three tables an issue touches, as text: what a refusal must leave alone.
  QString everything() {
    QStringList rows;
    for (const char* table : {"库存", "临时出库", "出库记录"}) {
      QSqlQuery q = Exec(db(), QString("select * from %1 order by 1, 2").arg(table));
      while (q.next()) {
        QStringList cells;
        for (int c = 0; c < q.record().count(); ++c) cells << q.value(c).toString();
        rows << QString(table) + ": " + cells.join('|');
      }
    }
    return rows.join('\n');
  }

  // Searches the stock and picks the first batch found, as a user clicks it.
  void pick(TFormhjt& w, const QString& search) {
    TestKit::Type(Find<QLineEdit>(&w, "Edit3"), search);
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    QVERIFY(grid->RecordCount() > 0);
    const QRect rect = grid->visualRect(grid->Model()->index(0, 3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
  }
  void add(TFormhjt& w, const QString& quantity) {
    TestKit::Type(Find<QLineEdit>(&w, "Editsl"), quantity);
    TestKit::Click(Find<QPushButton>(&w, "BitBtn4"));
  }
  void show(TFormhjt& w) {
    w.resize(1200, 800);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
  }

 private slots:
  void init() {
    TestKit::FreshDataDir();
    TestKit::ClearMessages();
    Clock::Set(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
    store_ = OpenShopDatabase();
    addGoods("00001", "ASPL", "阿司匹林");
    addGoods("00002", "BLG", "板蓝根");
    addBatch("00001", "00001", "ASPL", 2, 10, 3.5);
    addBatch("00002", "00002", "BLG", 1.5, 4, 2);
  }
  void cleanup() {
    store_ = Connection();
    Clock::Reset();
  }

  void issueEndToEnd() {
    TFormhjt w;
    show(w);
    QCOMPARE(w.windowTitle(), QString("商品出库"));
    pick(w, "ASP");
    QCOMPARE(Find<QLineEdit>(&w, "Editbh")->text(), QString("00001"));
    QCOMPARE(Find<QLineEdit>(&w, "Editlsh")->text(), QString("00001"));
    QCOMPARE(Find<QLineEdit>(&w, "Editpm")->text(), QString("阿司匹林"));
    QCOMPARE(Find<QLineEdit>(&w, "Editkcsl")->text(), QString("10"));
    QCOMPARE(Find<QLineEdit>(&w, "Editsj")->text(), QString("3.5"));
    TestKit::Type(Find<QLineEdit>(&w, "Editsl"), "3.3");
    QCOMPARE(Find<QLineEdit>(&w, "Editxsje")->text(), QString("11.55"));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn4"));
    QCOMPARE(TestKit::MessageTexts(), QStringList());
    QCOMPARE(cell("select count(*) from 临时出库"), QString("1"));
    QCOMPARE(cell("select 拼音码 || '|' || 数量 || '|' || 进价 || '|' || 售价 || '|' || 金额 || '|' || 销售金额 || '|' || "
                  "出货时间 from 临时出库"),
             QString("ASPL|3.3|2.0|3.5|6.6|11.55|2024-03-05"));
    QCOMPARE(Find<QLineEdit>(&w, "Edit9")->text(), QString("1"));
    QCOMPARE(Find<QLineEdit>(&w, "Edit5")->text(), QString("11.55"));
    QCOMPARE(Find<QLineEdit>(&w, "Editbh")->text(), QString());
    QCOMPARE(Find<QLineEdit>(&w, "Editsl")->text(), QString("0"));
    QVERIFY(Find<QLineEdit>(&w, "Edit3")->hasFocus());

    pick(w, "BLG");
    add(w, "4");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid3")->RecordCount(), 2);
    QCOMPARE(Find<QLineEdit>(&w, "Edit5")->text(), QString("19.55"));

    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList());
    QCOMPARE(cell("select count(*) from 临时出库"), QString("0"));
    QCOMPARE(cell("select count(*) from 出库记录"), QString("2"));
    QCOMPARE(cell("select sum(销售金额) from 出库记录"), QString("19.55"));
    // 10 - 3.3 leaves 6.7 exactly as the shop writes it, and its cost value follows.
    QSqlQuery left = Exec(db(), "select 数量, 金额 from 库存 where 编号 = '00001' and 流水号 = '00001'");
    QVERIFY(left.next());
    // Exact comparisons: QCOMPARE on doubles would forgive the noise.
    QVERIFY(left.value(0).toDouble() == 6.7);
    QVERIFY(left.value(1).toDouble() == 13.4);
    // The batch issued down to zero is gone, and the stock grid no longer offers it.
    QCOMPARE(cell("select count(*) from 库存 where 流水号 = '00002'"), QString("0"));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 0);
    QCOMPARE(Find<DataGrid>(&w, "DBGrid3")->RecordCount(), 0);
    QCOMPARE(Find<QLineEdit>(&w, "Edit5")->text(), QString("0.00"));
  }

  void refusedQuantitiesChangeNothing() {
    TFormhjt w;
    show(w);
    const QString before = everything();
    for (const QString& quantity : {QString("0"), QString("-2"), QString("abc"), QString("")}) {
      TestKit::ClearMessages();
      pick(w, "ASPL");
      add(w, quantity);
      // Text that is no number says so at each key release already.
      QCOMPARE(TestKit::MessageTexts().last(), QString("对不起，数量必须是大于零的数字"));
      QCOMPARE(TestKit::MessageTexts().contains("'abc' is not a valid floating point value"), quantity == "abc");
      QCOMPARE(everything(), before);
    }
    // A sale price that is no number is refused as well.
    TestKit::ClearMessages();
    pick(w, "ASPL");
    TestKit::Type(Find<QLineEdit>(&w, "Editsj"), "3,5x");
    add(w, "1");
    QCOMPARE(TestKit::MessageTexts(),
             QStringList({"'3,5x' is not a valid floating point value", "对不起，售价必须是不小于零的数字"}));
    QCOMPARE(everything(), before);
  }

  void quantityAboveTheBatchIsRefusedAtTheKeyAndAtTheAdd() {
    TFormhjt w;
    show(w);
    pick(w, "ASPL");
    TestKit::Type(Find<QLineEdit>(&w, "Editsl"), "11");
    QCOMPARE(TestKit::MessageTexts().value(0), QString("对不起，库存数量不足"));
    QCOMPARE(Find<QLineEdit>(&w, "Editsl")->text(), QString("0"));

    // Equal to the stock is accepted; what is pending counts against the batch.
    TestKit::ClearMessages();
    add(w, "6");
    QCOMPARE(TestKit::MessageTexts(), QStringList());
    const QString before = everything();
    pick(w, "ASPL");
    add(w, "5");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，库存数量不足"});
    QCOMPARE(everything(), before);
    add(w, "4");
    QCOMPARE(cell("select sum(数量) from 临时出库"), QString("10"));
  }

  void stockLoweredElsewhereIsReadAfreshAtTheAdd() {
    TFormhjt w;
    show(w);
    pick(w, "ASPL");
    Exec(db(), "update 库存 set 数量 = 2 where 流水号 = '00001'");
    const QString before = everything();
    add(w, "3");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，库存数量不足"});
    QCOMPARE(everything(), before);
  }

  void batchGoneBeforeCompletionRollsBackWhole() {
    TFormhjt w;
    show(w);
    pick(w, "ASPL");
    add(w, "2");
    pick(w, "BLG");
    add(w, "1");
    Exec(db(), "delete from 库存 where 流水号 = '00002'");
    const QString before = everything();
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起, 操作失败"});
    QCOMPARE(everything(), before);
    QCOMPARE(Find<DataGrid>(&w, "DBGrid3")->RecordCount(), 2);
    // The document is still open, and its boxes say so.
    QCOMPARE(Find<QLineEdit>(&w, "Edit9")->text(), QString("2"));
    QCOMPARE(Find<QLineEdit>(&w, "Edit5")->text(), QString("9"));
  }

  void completionRechecksEveryBatch() {
    Exec(db(), "insert into 临时出库 (编号, 流水号, 拼音码, 数量, 进价, 售价, 金额, 销售金额, 出货时间) values "
               "('00001', '00001', 'ASPL', 6, 2, 3.5, 12, 21, '2024-03-05'), "
               "('00001', '00001', 'ASPL', 5, 2, 3.5, 10, 17.5, '2024-03-05'), "
               "('00002', '00002', 'BLG', 1, 1.5, 2, 1.5, 2, '2024-03-05')");
    const QString before = everything();
    QSqlDatabase conn = db();
    QVERIFY(!CompleteIssue(conn));
    QCOMPARE(everything(), before);
    // Without the line that overdraws the batch the rest goes through.
    Exec(db(), "delete from 临时出库 where 数量 = 5");
    QVERIFY(CompleteIssue(conn));
    QCOMPARE(cell("select 数量 from 库存 where 流水号 = '00001'"), QString("4"));
    QCOMPARE(cell("select 数量 from 库存 where 流水号 = '00002'"), QString("3"));
    QCOMPARE(cell("select count(*) from 出库记录"), QString("2"));
    // Nothing pending: nothing changes.
    const QString after = everything();
    QVERIFY(CompleteIssue(conn));
    QCOMPARE(everything(), after);
  }

  void removingOneOfTwoTwinLinesRemovesOne() {
    TFormhjt w;
    show(w);
    pick(w, "ASPL");
    add(w, "1");
    pick(w, "ASPL");
    add(w, "1");
    auto* pending = Find<DataGrid>(&w, "DBGrid3");
    QCOMPARE(pending->RecordCount(), 2);
    const QRect rect = pending->visualRect(pending->Model()->index(0, 3));
    TestKit::AnswerNext({false});
    QTest::mouseDClick(pending->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(cell("select count(*) from 临时出库"), QString("2"));
    TestKit::ClearMessages();
    TestKit::AnswerNext({true});
    QTest::mouseDClick(pending->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您是要删除这个记吗？"});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"记录删除提示"});
    QCOMPARE(cell("select count(*) from 临时出库"), QString("1"));
    QCOMPARE(pending->RecordCount(), 1);
    QCOMPARE(Find<QLineEdit>(&w, "Edit9")->text(), QString("1"));
    QCOMPARE(Find<QLineEdit>(&w, "Edit5")->text(), QString("3.5"));
  }

  void typedQuotesAreJustText() {
    addGoods("00003", "O'B", "奥'比");
    addBatch("00003", "00003", "O'B", 1, 1, 1);
    TFormhjt w;
    show(w);
    pick(w, "O'");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 1);
    QCOMPARE(Find<QLineEdit>(&w, "Editpm")->text(), QString("奥'比"));
    TestKit::Type(Find<QLineEdit>(&w, "Edit3"), "' or '1'='1");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 0);
    QCOMPARE(TestKit::MessageTexts(), QStringList());
  }

  void priceWithoutPickAndShowButtonAndBackToLogin() {
    TFormhjt w;
    show(w);
    TestKit::Type(Find<QLineEdit>(&w, "Editsj"), "5");
    QCOMPARE(TestKit::MessageTexts().value(0), QString("对不起，没有选择数据！"));
    QVERIFY(Find<QLineEdit>(&w, "Edit3")->hasFocus());

    pick(w, "ASPL");
    auto* show = Find<QPushButton>(&w, "Button1");
    QTest::mousePress(show, Qt::LeftButton);
    QCOMPARE(show->text(), QString("2"));
    QTest::mouseRelease(show, Qt::LeftButton);
    QCOMPARE(show->text(), QString("显示"));

    int returned = 0;
    Session::SetReturnToLogin([&] { ++returned; });
    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(returned, 1);
    Session::SetReturnToLogin(nullptr);
  }

  // A width of 0 hides the column however wide its title: the purchase
  // price and the cost of the stock, and the pending lines' row key, at
  // opening, after a search, an add and a wider window alike.
  void zeroWidthColumnsStayHidden() {
    TFormhjt w;
    show(w);
    auto* stock = Find<DataGrid>(&w, "DBGrid1");
    auto* pending = Find<DataGrid>(&w, "DBGrid3");
    const auto hidden = [](DataGrid* grid) {
      QList<int> columns;
      for (int c = 0; c < grid->model()->columnCount(); ++c) {
        if (grid->isColumnHidden(c)) columns << c;
        else if (grid->columnWidth(c) < grid->LeastWidth(c)) columns << -c;
      }
      return columns;
    };
    QCOMPARE(hidden(stock), (QList<int>{4, 8}));
    pick(w, "ASP");
    add(w, "1");
    QCOMPARE(hidden(stock), (QList<int>{4, 8}));
    QCOMPARE(hidden(pending), QList<int>{11});
    w.resize(1600, 1000);
    QTest::qWait(50);
    QCOMPARE(hidden(stock), (QList<int>{4, 8}));
    QCOMPARE(hidden(pending), QList<int>{11});
  }

  void enterWalksFromSearchToTheAddAndBack() {
    TFormhjt w;
    show(w);
    auto* search = Find<QLineEdit>(&w, "Edit3");
    TestKit::Type(search, "BLG");
    TestKit::PressEnter(search);
    QVERIFY(Find<DataGrid>(&w, "DBGrid1")->hasFocus());
    QCOMPARE(Find<QLineEdit>(&w, "Editbh")->text(), QString("00002"));
    TestKit::PressEnter(Find<DataGrid>(&w, "DBGrid1"));
    QVERIFY(Find<QLineEdit>(&w, "Editsj")->hasFocus());
    TestKit::PressEnter(Find<QLineEdit>(&w, "Editsj"));
    auto* quantity = Find<QLineEdit>(&w, "Editsl");
    QVERIFY(quantity->hasFocus());
    TestKit::Type(quantity, "2");
    TestKit::PressEnter(quantity);
    QVERIFY(Find<QPushButton>(&w, "BitBtn4")->hasFocus());
    TestKit::PressEnter(Find<QPushButton>(&w, "BitBtn4"));
    QCOMPARE(cell("select 数量 || '|' || 销售金额 from 临时出库"), QString("2.0|4.0"));
    QVERIFY(search->hasFocus());
    QCOMPARE(TestKit::MessageTexts(), QStringList());
  }

  void aLabelIsNotTheWindowsBackground() {
    TFormhjt w;
    show(w);
    int returned = 0;
    Session::SetReturnToLogin([&] { ++returned; });
    QLabel* label = nullptr;
    for (QLabel* candidate : w.findChildren<QLabel*>())
      if (candidate->text() == "品名：") label = candidate;
    QVERIFY(label);
    QTest::mouseDClick(label, Qt::LeftButton, {}, label->rect().center());
    QCOMPARE(returned, 0);
    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(returned, 1);
    Session::SetReturnToLogin(nullptr);
  }

  void theReleaseOfAKeyPressedElsewhereRaisesNothing() {
    TFormhjt w;
    show(w);
    pick(w, "ASPL");
    auto* quantity = Find<QLineEdit>(&w, "Editsl");
    TestKit::ClearMessages();
    TestKit::Type(quantity, "x");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"'x' is not a valid floating point value"});
    // The Enter that closed that box is released here: it was never
    // pressed here, and the message does not come back.
    QTest::keyRelease(quantity, Qt::Key_Return);
    QTest::keyRelease(quantity, Qt::Key_Escape);
    QCOMPARE(TestKit::MessageTexts().size(), 1);
    // The hidden purchase price and the stock are read as numbers too.
    TestKit::ClearMessages();
    Find<QLineEdit>(&w, "Editkcsl")->setText("many");
    TestKit::Type(quantity, "1");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"'many' is not a valid floating point value"});
    pick(w, "ASPL");
    TestKit::ClearMessages();
    Find<QLineEdit>(&w, "Editdj")->setText("2元");
    TestKit::Type(quantity, "1");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"'2元' is not a valid floating point value"});
  }

  void anAmountBeyondAnyNumberIsRefused() {
    const QString before = everything();
    // Each number passes alone; the line's amount would not.
    QCOMPARE(AddIssueLine(db(), "00001", "00001", 5, 1e308, QDate(2024, 3, 9)), IssueRefusal::BadQuantity);
    QCOMPARE(everything(), before);
  }

  void roundingLeavesNoBinaryNoise() {
    QVERIFY(RoundQuantity(10 - 3.3) == 6.7);
    QVERIFY(RoundQuantity(0.3 - 0.1 - 0.2) == 0.0);
    QVERIFY(RoundQuantity(0.1 + 0.2 - 0.3) == 0.0);
    QVERIFY(RoundQuantity(1.1 * 3) == 3.3);
    QVERIFY(RoundQuantity(1234567.1 - 0.3) == 1234566.8);
  }
};

BRIMWICK_TEST_MAIN(IssueTest)
#include "issue.moc"
