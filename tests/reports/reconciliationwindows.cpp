// The day close, period reconciliation and finance summary windows driven
// as a user drives them, on both stores, with the cash income sheets
// recorded instead of printed.
#include <QDateTimeEdit>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/printcanvas.h"
#include "platform/session.h"
#include "reports/cashincome.h"
#include "reports/clinicday.h"
#include "reports/cwzhbb.h"
#include "reports/jrdzbb.h"
#include "reports/yyhzbb.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

namespace {
const QStringList kSumBoxes{"Editmz", "Editzy", "Edit1", "Editzgyy", "Edit2", "Edit4", "Edit3", "Edit5"};

QStringList GridRows(DataGrid* grid) {
  QStringList rows;
  for (int r = 0; r < grid->RecordCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < grid->Model()->columnCount(); ++c)
      cells << grid->Model()->index(r, c).data().toString().trimmed();
    rows << cells.join('|');
  }
  return rows;
}

QString Box(QWidget* window, const QString& name) { return Find<QLineEdit>(window, name)->text(); }

void ServiceItems(const QSqlDatabase& db, int count) {
  for (int i = 1; i <= count; ++i)
    InsertRow(db, "服务项目", {{"拼音缩写", QString("X%1").arg(i)}, {"服务项目", QString("项目%1").arg(i)},
                               {"项目单价(元)", 1}});
}

const RecordingCanvas& LastSheet() { return PrintOutput::RecordedJobs().last().canvas; }

QString TextAt(const RecordingCanvas& canvas, int page, int x, int y) {
  for (const DrawnText& t : canvas.TextsOnPage(page))
    if (t.x == x && t.y == y) return t.text;
  return "<none>";
}

const MessageRecord& LastMessage() { return Messages::Recorded().last(); }
}  // namespace

class ReconciliationWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    Clock::Set(QDateTime(kToday, QTime(18, 30)));
    Session::SetPanels(&accountPanel_, &namePanel_);
    Session::SetLogin("acc01", "管理员");
    PrintOutput::RecordInstead(100);
    PrintOutput::ClearRecordedJobs();
    TestKit::ClearMessages();
  }
  void cleanup() {
    Clock::Reset();
    PrintOutput::PrintNormally();
  }

  // A month list answers the arrow keys as it answers a click.
  void financeMonthListsFollowTheArrowKeys() {
    Clock::Set(QDateTime(QDate(2026, 3, 25), QTime(9, 0)));
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);
    for (const char* doctor : {"医师02", "医师01"}) InsertRow(db, "服务人", {{"姓名", doctor}, {"职务", "医师"}});
    for (const char* cashier : {"收银02", "收银01"}) InsertRow(db, "服务人", {{"姓名", cashier}, {"职务", "收银员"}});
    TFormcwzhbb window;
    window.resize(1200, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // The focus comes to the first name; the arrow moves on to the second.
    auto* people = Find<QListWidget>(&window, "ListBox1");
    people->setFocus();
    QTest::keyClick(people, Qt::Key_Down);
    QCOMPARE(people->currentItem()->text(), QString("医师01"));
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid2")), QStringList({"换药|1|4.00", "诊疗费|2|26.00"}));
    auto* cashiers = Find<QListWidget>(&window, "ListBox3");
    cashiers->setFocus();
    QTest::keyClick(cashiers, Qt::Key_Down);
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid6")), QStringList({kY + "|100.00", kT + "|50.50"}));
    QCOMPARE(Find<DataGrid>(&window, "DBGrid2")->RecordCount(), 0);
  }

  void dayCloseRoad() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);
    ServiceItems(db, 2);
    Exec(db, "update 服务信息 set 服务类别 = '项目1' where 服务类别 = '诊疗费'");

    TFormdzbb window;
    QCOMPARE(window.windowTitle(), QString("今日对账报表"));
    auto* close = Find<QPushButton>(&window, "BitBtn4");
    auto* confirm = Find<QPushButton>(&window, "BitBtn3");
    auto* outpatient = Find<QPushButton>(&window, "BitBtn1");
    auto* inpatient = Find<QPushButton>(&window, "BitBtn2");
    QVERIFY(!close->isHidden() && confirm->isHidden() && outpatient->isHidden() && inpatient->isHidden());
    QVERIFY(Find<QDateTimeEdit>(&window, "DateTimePicker1")->isHidden());
    for (const QString& name : kSumBoxes) {
      QCOMPARE(Box(&window, name), QString("0.00"));
      QVERIFY2(Find<QLineEdit>(&window, name)->isReadOnly(), qPrintable(name));
    }

    // The first question voids (stock back at once); the paid line then
    // stops the close.
    TestKit::AnswerNext({true});
    TestKit::Click(close);
    QCOMPARE(Messages::Recorded().size(), 2);
    const MessageRecord question = Messages::Recorded().first();
    QCOMPARE(question.text, QString("还有2张处方没收银，是否要作废。如果确定作废点击\"是\"，不作废点击\"否\",去收银"));
    QCOMPARE(question.title, QString("对账提示"));
    QCOMPARE(question.icon, MessageIcon::Exclamation);
    QVERIFY(question.question);
    QCOMPARE(LastMessage().text, QString("不能进行结帐操作，还有1人药品没有出库，请出库后再结帐。"));
    QCOMPARE(LastMessage().title, QString("提示"));
    QCOMPARE(LastMessage().icon, MessageIcon::Exclamation);
    QVERIFY(!LastMessage().question);
    QCOMPARE(Stock(db, "A"), 95.0);
    QVERIFY(!close->isHidden() && confirm->isHidden());

    // Dispensed: straight to the close question; No changes nothing.
    DispenseWaiting(db);
    TestKit::ClearMessages();
    TestKit::AnswerNext({false});
    TestKit::Click(close);
    QCOMPARE(TestKit::MessageTexts(), QStringList({"此操作后，没收银的处方全部作废。如果确定点击\"是\""}));
    QCOMPARE(LastMessage().icon, MessageIcon::Question);
    QCOMPARE(Stock(db, "A"), 95.0);

    TestKit::AnswerNext({true});
    TestKit::Click(close);
    QCOMPARE(Stock(db, "A"), 100.0);
    QCOMPARE(Stock(db, "D"), 10.0);
    QVERIFY(close->isHidden() && !confirm->isHidden() && !outpatient->isHidden() && !inpatient->isHidden());
    const QStringList expected{"52.50", "28.00", "85.75", "5.25", "42.50", "8.00", "10.00", "20.00"};
    for (int i = 0; i < kSumBoxes.size(); ++i) QCOMPARE(Box(&window, kSumBoxes[i]), expected[i]);
    auto* cashiers = Find<DataGrid>(&window, "DBGrid5");
    QCOMPARE(GridRows(cashiers), QStringList({kT + "|收银01|50.50", kT + "|收银02|35.25"}));
    QCOMPARE(cashiers->Model()->headerData(1, Qt::Horizontal).toString(), QString("收银人姓名"));
    QCOMPARE(cashiers->LeastWidth(0), 80);
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid3")), QStringList({"中成药|30.00", "西药|12.50"}));
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid4")), QStringList({"项目1|1|20.00"}));

    // The outpatient sheet of the day.
    TestKit::Click(outpatient);
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    const RecordingCanvas& sheet = LastSheet();
    QCOMPARE(sheet.PageCount(), 1);
    QCOMPARE(TextAt(sheet, 1, 160, 33), QString("Fenmarrow门诊现金收入汇总表"));
    QCOMPARE(TextAt(sheet, 1, 160, 80), QString("汇总时间:"));
    QCOMPARE(TextAt(sheet, 1, 293, 80), kT);
    QCOMPARE(TextAt(sheet, 1, 100, 98 + 325 + 5),
             QString("合计金额：伍拾贰元伍角整    ￥：52.50元      打印帐号:acc01   打印时间:") + kT + " 18:30:00");
    QCOMPARE(TextAt(sheet, 1, 110, 125), QString("西药"));
    QCOMPARE(TextAt(sheet, 1, 210, 125), QString("12.50"));
    QCOMPARE(TextAt(sheet, 1, 210, 150), QString("30.00"));
    QCOMPARE(TextAt(sheet, 1, 120, 175), QString("饮片"));
    QCOMPARE(TextAt(sheet, 1, 220, 175), QString());  // nothing sold
    QCOMPARE(TextAt(sheet, 1, 110, 200), QString("项目1"));
    QCOMPARE(TextAt(sheet, 1, 210, 200), QString("6.00"));
    QCOMPARE(TextAt(sheet, 1, 210, 225), QString());
    QCOMPARE(TextAt(sheet, 1, 710, 280), QString("_______"));
    TestKit::Click(inpatient);
    QCOMPARE(TextAt(LastSheet(), 1, 710, 280), QString("_________"));
    QCOMPARE(TextAt(LastSheet(), 1, 210, 200), QString("20.00"));

    // A failed print says so and leaves no sheet.
    TestKit::ClearMessages();
    PrintOutput::FailNext("打印机缺纸");
    TestKit::Click(outpatient);
    QCOMPARE(TestKit::MessageTexts(), QStringList({"打印机缺纸"}));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 2);

    // The confirm: No records the day only; Yes voids too, paid lines stay.
    Line(db, 7, "acc01", "A", kT, 4, "否");
    Line(db, 8, "acc01", "B", kT, 1, "是");
    Exec(db, "update 库存 set 数量 = 96 where 编号 = 'A'");
    TestKit::AnswerNext({false});
    TestKit::Click(confirm);
    QCOMPARE(LastMessage().text, QString("此操作将使所有未结帐的处方作废，如果要操作请点\"是\""));
    QCOMPARE(LastMessage().title, QString("未结帐处方作废提示"));
    QVERIFY(outpatient->isHidden() && inpatient->isHidden() && close->isHidden() && !confirm->isHidden());
    QCOMPARE(Count(db, "时间表"), 1);
    QCOMPARE(Count(db, "临时出库信息"), 2);
    TestKit::AnswerNext({true});
    TestKit::Click(confirm);
    QCOMPARE(Count(db, "时间表"), 2);
    QCOMPARE(Count(db, "临时出库信息"), 1);
    QCOMPARE(Stock(db, "A"), 100.0);
  }

  // The day closed but its reconciliation failed: a print button says why.
  void dayClosePrintAfterAFailedReconciliation() {
    Connection c = OpenClinicDatabase();
    TFormdzbb window;
    ExecDirect(c.db(), "alter table 服务信息 rename to 服务信息旧");
    TestKit::AnswerNext({true});
    TestKit::Click(Find<QPushButton>(&window, "BitBtn4"));
    QCOMPARE(TestKit::MessageTexts().size(), 2);
    const QString error = TestKit::MessageTexts().last();
    TestKit::ClearMessages();
    TestKit::Click(Find<QPushButton>(&window, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，对账没有完成，不能打印报表：" + error});
    QCOMPARE(PrintOutput::RecordedJobs().size(), 0);
  }

  void dayCloseAnsweredNoChangesNothing() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);
    const QStringList before = ClinicFixture::TableRows(db, "临时出库信息");
    TFormdzbb window;
    TestKit::AnswerNext({false});
    TestKit::Click(Find<QPushButton>(&window, "BitBtn4"));
    QCOMPARE(TestKit::MessageTexts().size(), 1);
    QCOMPARE(ClinicFixture::TableRows(db, "临时出库信息"), before);
    QCOMPARE(Stock(db, "A"), 90.0);
    QVERIFY(Find<QPushButton>(&window, "BitBtn1")->isHidden());
  }

  void periodWindow() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);
    ServiceItems(db, 34);
    TFormhzb window;
    QCOMPARE(window.windowTitle(), QString("汇总对账报表"));
    auto* grid7 = Find<DataGrid>(&window, "DBGrid7");
    auto* grid8 = Find<DataGrid>(&window, "DBGrid8");
    auto* first = Find<QDateTimeEdit>(&window, "DateTimePicker1");
    auto* last = Find<QDateTimeEdit>(&window, "DateTimePicker2");
    QVERIFY(grid8->isHidden() && Find<QPushButton>(&window, "BitBtn1")->isHidden());
    for (const QString& name : kSumBoxes) QVERIFY(Find<QLineEdit>(&window, name)->isReadOnly());

    // Nothing reconciled yet: a click on the empty summary shows nothing.
    QVERIFY(QMetaObject::invokeMethod(&window, "DBGrid7CellClick"));
    QVERIFY(grid8->isHidden());

    first->setDate(kYesterday);
    last->setDate(kToday);
    TestKit::Click(Find<QPushButton>(&window, "BitBtn3"));
    QCOMPARE(Box(&window, "Editmz"), QString("152.50"));
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid5")),
             QStringList({kY + "|收银01|100.00", kT + "|收银01|50.50", kT + "|收银02|35.25"}));
    QCOMPARE(Find<DataGrid>(&window, "DBGrid5")->LeastWidth(0), 65);
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid6")), QStringList({"收银01|150.50", "收银02|35.25"}));
    QCOMPARE(GridRows(grid7), QStringList({"acc01|150.50", "acc02|35.25"}));
    QVERIFY(!Find<QPushButton>(&window, "BitBtn1")->isHidden());

    TestKit::ClickRow(grid7, 0);
    QVERIFY(!grid8->isHidden());
    QCOMPARE(GridRows(grid8), QStringList({"西药|120.50"}));
    QCOMPARE(grid8->LeastWidth(0), 40);
    QTest::mouseDClick(grid8->viewport(), Qt::LeftButton, {}, grid8->visualRect(grid8->model()->index(0, 0)).center());
    QVERIFY(grid8->isHidden());

    // The pickers move on; the sheet still prints the reconciliation shown.
    first->setDate(kToday.addDays(5));
    last->setDate(kToday.addDays(6));
    TestKit::Click(Find<QPushButton>(&window, "BitBtn1"));
    const RecordingCanvas& sheet = LastSheet();
    QCOMPARE(TextAt(sheet, 1, 160, 80), "统计时间: " + kY + "---------------" + kT);
    QVERIFY(TextAt(sheet, 1, 100, 428).startsWith("合计金额：壹佰伍拾贰元伍角整    ￥：152.50元"));
    QCOMPARE(TextAt(sheet, 1, 210, 125), QString("112.50"));
    QCOMPARE(TextAt(sheet, 1, 710, 280), QString("_______"));
    // 34 service items: 33 fill the table, the 34th starts a second page
    // with the same grid and heads.
    QCOMPARE(sheet.PageCount(), 2);
    QCOMPARE(TextAt(sheet, 1, 510, 400), QString("项目33"));
    QCOMPARE(TextAt(sheet, 2, 110, 125), QString("项目34"));
    QCOMPARE(sheet.TextsOnPage(2).size(), 2 + 6);
    QCOMPARE(sheet.LinesOnPage(2).size(), sheet.LinesOnPage(1).size() - 2);
    QCOMPARE(TextAt(sheet, 2, 120, 100), QString("收入项目"));
    TestKit::Click(Find<QPushButton>(&window, "BitBtn2"));
    QCOMPARE(TextAt(LastSheet(), 1, 160, 33), QString("Fenmarrow住院现金收入汇总表"));
    QVERIFY(TextAt(LastSheet(), 1, 100, 428).startsWith("合计金额：贰拾捌元整    ￥：28.00元"));
    QCOMPARE(TextAt(LastSheet(), 1, 210, 125), QString("8.00"));
    QCOMPARE(TextAt(LastSheet(), 1, 710, 380), QString("_______"));

    // A reversed window: "0.00" and empty grids.
    first->setDate(kToday);
    last->setDate(kYesterday);
    TestKit::Click(Find<QPushButton>(&window, "BitBtn3"));
    for (const QString& name : kSumBoxes) QCOMPARE(Box(&window, name), QString("0.00"));
    QVERIFY(TestKit::MessageTexts().isEmpty());
    for (const char* name : {"DBGrid1", "DBGrid2", "DBGrid3", "DBGrid4", "DBGrid5", "DBGrid6", "DBGrid7"})
      QCOMPARE(Find<DataGrid>(&window, name)->RecordCount(), 0);
    QVERIFY(QMetaObject::invokeMethod(&window, "DBGrid7CellClick"));
    QVERIFY(grid8->isHidden());
  }

  void sheetsWithThirtyThreeItemsTakeOnePage() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    ServiceItems(db, 33);
    const CashIncomeSheet sheet{IncomeKind::Outpatient, SheetOrigin::DayClose, kToday, kToday, "0.00", "acc01"};
    QVERIFY(PrintReport("sheet", CashIncomeSummaryPrint(db, sheet)));
    QCOMPARE(LastSheet().PageCount(), 1);
    QCOMPARE(TextAt(LastSheet(), 1, 510, 400), QString("项目33"));
    QCOMPARE(LastSheet().Lines().size(), 13 * 9 + 1 + 2);
    const CashIncomeSheet tooLarge{IncomeKind::Outpatient, SheetOrigin::Period, kToday, kToday, "12345678901234",
                                   "acc01"};
    QVERIFY_THROWS_EXCEPTION(AmountOutOfRange, CashIncomeSummaryPrint(db, tooLarge));
  }

  // A price changed in the service lists leaves the items where they were
  // entered on the sheet.
  void sheetKeepsServiceItemsInTheOrderEntered() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    ServiceItems(db, 3);
    Exec(db, "update 服务项目 set \"项目单价(元)\" = 9 where 服务项目 = '项目1'");
    const CashIncomeSheet sheet{IncomeKind::Outpatient, SheetOrigin::DayClose, kToday, kToday, "0.00", "acc01"};
    QVERIFY(PrintReport("sheet", CashIncomeSummaryPrint(db, sheet)));
    QCOMPARE(TextAt(LastSheet(), 1, 110, 200), QString("项目1"));
    QCOMPARE(TextAt(LastSheet(), 1, 110, 225), QString("项目2"));
    QCOMPARE(TextAt(LastSheet(), 1, 110, 250), QString("项目3"));
  }

  void sheetPrintsToPdf() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);
    ServiceItems(db, 3);
    DispenseWaiting(db);
    QTemporaryDir folder;
    qputenv("BRIMWICK_PRINT_DIR", folder.path().toUtf8());
    PrintOutput::PrintNormally();
    TFormdzbb window;
    TestKit::AnswerNext({true, true});
    TestKit::Click(Find<QPushButton>(&window, "BitBtn4"));
    TestKit::Click(Find<QPushButton>(&window, "BitBtn1"));
    qunsetenv("BRIMWICK_PRINT_DIR");
    QVERIFY2(TestKit::MessageTexts().size() == 2, qPrintable(TestKit::MessageTexts().join(" / ")));
    const QStringList files = QDir(folder.path()).entryList({"*.pdf"}, QDir::Files);
    QCOMPARE(files.size(), 1);
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-enc", "UTF-8", folder.filePath(files.first()), "-"});
    QVERIFY(pdftotext.waitForFinished(20000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QVERIFY2(text.contains("Fenmarrow门诊现金收入汇总表"), qPrintable(text));
    QVERIFY(text.contains("伍拾贰元伍角整"));
  }

  void financeSummary_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("monthShown");
    QTest::newRow("24th") << QDate(2026, 3, 24) << false;
    QTest::newRow("25th") << QDate(2026, 3, 25) << true;
  }
  void financeSummary() {
    QFETCH(QDate, today);
    QFETCH(bool, monthShown);
    Clock::Set(QDateTime(today, QTime(9, 0)));
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);
    InsertRow(db, "服务人", {{"姓名", "医师01"}, {"职务", "医师"}});
    InsertRow(db, "服务人", {{"姓名", "化验01"}, {"职务", "化验师"}});
    InsertRow(db, "服务人", {{"姓名", "护士01"}, {"职务", "护士"}});
    InsertRow(db, "服务人", {{"姓名", "收银01"}, {"职务", "收银员"}});
    InsertRow(db, "财务综合报表", {{"时间", kT}, {"药品利润(元)", 12.345}, {"服务项目利润(元)", 1},
                                   {"本月购药金额(元)", 2}, {"耗材金额(元)", 3}, {"本月库存金额(元)", 4},
                                   {"本月库存零售金额(元)", 5}});

    TFormcwzhbb window;
    QCOMPARE(window.windowTitle(), QString("财务综合报表"));
    auto* people = Find<QListWidget>(&window, "ListBox1");
    auto* cashiers = Find<QListWidget>(&window, "ListBox3");
    QCOMPARE(people->isHidden(), !monthShown);
    QCOMPARE(Find<QLabel>(&window, "Label3")->isHidden(), !monthShown);
    QCOMPARE(Find<DataGrid>(&window, "DBGrid6")->isHidden(), !monthShown);
    // Both totals open on "0.00"; only the outpatient one is read-only.
    QCOMPARE(Box(&window, "Editmz"), QString("0.00"));
    QCOMPARE(Box(&window, "Editzy"), QString("0.00"));
    QVERIFY(Find<QLineEdit>(&window, "Editmz")->isReadOnly());
    QVERIFY(!Find<QLineEdit>(&window, "Editzy")->isReadOnly());
    for (const char* hidden : {"Edit1", "Edit2", "Edit3"}) QVERIFY(Find<QLineEdit>(&window, hidden)->isHidden());

    auto* first = Find<QDateTimeEdit>(&window, "DateTimePicker1");
    first->setDate(kYesterday);
    Find<QDateTimeEdit>(&window, "DateTimePicker2")->setDate(kToday);
    TestKit::Click(Find<QPushButton>(&window, "BitBtn1"));
    QCOMPARE(Box(&window, "Editmz"), QString("152.50"));
    QCOMPARE(Box(&window, "Editzy"), QString("28.00"));
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid5")),
             QStringList({"门诊|" + kY + "|100.00", "住院|" + kT + "|28.00", "门诊|" + kT + "|52.50"}));
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGridcw")),
             QStringList({kT + "|12.35|1.00|2.00|3.00|4.00|5.00"}));
    QCOMPARE(Box(&window, "Edit2"), monthShown ? QString("2026-02-25") : QString());
    QCOMPARE(Box(&window, "Edit3"), monthShown ? QString("2026-03-24") : QString());
    if (!monthShown) return;

    QCOMPARE(people->count(), 2);
    QCOMPARE(cashiers->count(), 1);
    // No selection yet: a click does nothing.
    QVERIFY(QMetaObject::invokeMethod(&window, "ListBox1Click"));
    QCOMPARE(Find<DataGrid>(&window, "DBGrid1")->RecordCount(), 0);

    TestKit::ClickRow(people, 0);
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid2")), QStringList({"换药|1|4.00", "诊疗费|2|26.00"}));
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid3")), QStringList({"中成药|35.25", "西药|120.50"}));
    QCOMPARE(Find<DataGrid>(&window, "DBGrid3")->LeastWidth(0), 50);
    QCOMPARE(Find<DataGrid>(&window, "DBGrid6")->RecordCount(), 0);

    TestKit::ClickRow(cashiers, 0);
    QCOMPARE(GridRows(Find<DataGrid>(&window, "DBGrid6")), QStringList({kY + "|100.00", kT + "|50.50"}));
    QCOMPARE(Find<DataGrid>(&window, "DBGrid2")->RecordCount(), 0);
    QCOMPARE(Find<DataGrid>(&window, "DBGrid3")->RecordCount(), 0);
  }

 private:
  QLabel accountPanel_;
  QLabel namePanel_;
};

BRIMWICK_TEST_MAIN(ReconciliationWindowsTest)
#include "reconciliationwindows.moc"
