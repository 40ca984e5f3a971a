// The personal income window driven as a user would: the person list, the
// computation, the key and click chains, and the two slips.
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "db/clinicdb.h"
#include "platform/grid.h"
#include "platform/printcanvas.h"
#include "platform/session.h"
#include "reports/grsrbb.h"
#include "reports/incomeseed.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using namespace IncomeSeed;

namespace {
const QString kUser = QStringLiteral("张会计");

// Column texts of a grid, row by row, joined by "|".
QStringList GridRows(DataGrid* grid) {
  QStringList rows;
  for (int r = 0; r < grid->model()->rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < grid->model()->columnCount(); ++c) cells << grid->model()->index(r, c).data().toString();
    rows << cells.join('|');
  }
  return rows;
}

int RowOf(DataGrid* grid, const QString& first) {
  for (int r = 0; r < grid->model()->rowCount(); ++r)
    if (grid->model()->index(r, 0).data().toString().trimmed() == first) return r;
  return -1;
}

QStringList Heads(DataGrid* grid) {
  QStringList heads;
  for (int c = 0; c < grid->model()->columnCount(); ++c)
    heads << grid->model()->headerData(c, Qt::Horizontal).toString();
  return heads;
}

// Enter as the keyboard delivers it: the press to the control, the release
// to whichever control has the focus by then.
void Enter(QWidget* control) {
  QTest::keyPress(control, Qt::Key_Return);
  QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Return);
}

QString Texts(const RecordingCanvas& canvas) {
  QStringList texts;
  for (const DrawnText& t : canvas.Texts()) texts << t.text;
  return texts.join('\n');
}
}  // namespace

class IncomeWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    Session::SetPanels(&account_, &userName_);
    Session::SetLogin("acc09", kUser);
    PrintOutput::RecordInstead();
    PrintOutput::ClearRecordedJobs();
    TestKit::ClearMessages();
    TestKit::BoxesTurnTheEventLoop(false);
    {
      Connection c = OpenClinicDatabase();
      Seed(c.db());
    }
  }
  void cleanup() {
    window_.reset();
    Session::SetPanels(nullptr, nullptr);
  }

  void OpensEmptyAndAppendsTheStaffAtEachEntry() {
    open();
    QCOMPARE(window_->windowTitle(), QString("个人收入报表"));
    QCOMPARE(combo()->currentText(), QString("选择被统计人"));
    QCOMPARE(combo()->count(), 0);
    for (const char* box : {"Edit1", "Edit2", "Edit3", "Editypje", "Editcfje", "Editfwje", "Edithj"})
      QCOMPARE(edit(box)->text(), QString("0.00"));
    QCOMPARE(Heads(grid("DBGrid1")), (QStringList{"服务项目", "总金额(元)", "提成比例(%)", "提成金额(元)"}));
    QCOMPARE(grid("DBGrid2")->model()->columnCount(), 5);

    enterCombo();
    QCOMPARE(combo()->count(), 3);
    grid("DBGrid1")->setFocus();
    enterCombo();
    QCOMPARE(combo()->count(), 6);
    QCOMPARE(combo()->itemText(3), QString("医师01"));
    // Filling the list is no pick.
    QCOMPARE(combo()->currentText(), QString("选择被统计人"));
    Connection c = OpenClinicDatabase();
    QVERIFY(ClinicFixture::TableRows(c.db(), "医生药品提成统计表").isEmpty());
    // Typed characters never reach it.
    QTest::keyClicks(QApplication::focusWidget(), "abc");
    QCOMPARE(combo()->currentText(), QString("选择被统计人"));
  }

  void PickingAPersonComputesAndShowsAllSevenAmounts() {
    open();
    pick("医师01");
    QCOMPARE(edit("Editypje")->text(), QString("2.00"));
    QCOMPARE(edit("Editcfje")->text(), QString("8.00"));
    QCOMPARE(edit("Editfwje")->text(), QString("9.00"));
    QCOMPARE(edit("Edithj")->text(), QString("19.00"));
    QCOMPARE(edit("Edit1")->text(), QString("28.00"));
    QCOMPARE(edit("Edit2")->text(), QString("40.00"));
    QCOMPARE(edit("Edit3")->text(), QString("30.00"));
    QCOMPARE(GridRows(grid("DBGrid2")), QStringList{"注射|2|40.00|20|8.00"});
    QCOMPARE(GridRows(grid("DBGrid3")), QStringList{"注射|1|30.00|30|9.00"});
    QCOMPARE(grid("DBGrid1")->model()->rowCount(), 2);
    QVERIFY(GridRows(grid("DBGrid1")).contains("中成药|8.00||"));
    // The first count after opening takes the empty category of the empty
    // grid: no detail rows.
    QCOMPARE(grid("DBGrid4")->model()->rowCount(), 0);
    QCOMPARE(QApplication::focusWidget(), grid("DBGrid1"));

    // The next count's detail list takes the category chosen before.
    TestKit::ClickRow(grid("DBGrid1"), RowOf(grid("DBGrid1"), "西药"));
    pick("医师02");
    QCOMPARE(GridRows(grid("DBGrid4")), QStringList{"阿莫西林|2026-12-05|10"});
    QCOMPARE(edit("Edit1")->text(), QString("10.00"));
    // The dates alone count nothing.
    date("DateTimePicker1")->setDate(kTo);
    QCOMPARE(edit("Edit1")->text(), QString("10.00"));
  }

  // A pick from the list whose count fails: one box, though the box turns
  // the event loop before the pick's activated signal comes.
  void AFailedCountSaysSoOnce() {
    open();
    enterCombo();
    {
      Connection c = OpenClinicDatabase();
      ExecDirect(c.db(), "alter table 服务信息 rename to 服务信息旧");
    }
    TestKit::BoxesTurnTheEventLoop(true);
    combo()->showPopup();
    QAbstractItemView* list = combo()->view();
    const QModelIndex item = list->model()->index(combo()->findText("医师01"), 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    TestKit::BoxesTurnTheEventLoop(false);
    QCOMPARE(combo()->currentText(), QString("医师01"));
    QCOMPARE(TestKit::MessageTexts().size(), 1);
    QCOMPARE(edit("Edithj")->text(), QString("0.00"));
  }

  void KeyAndClickChains() {
    open();
    pick("医师01");
    DataGrid* g1 = grid("DBGrid1");
    DataGrid* g2 = grid("DBGrid2");
    DataGrid* g3 = grid("DBGrid3");
    DataGrid* g4 = grid("DBGrid4");
    const QStringList prescribed{"注射|2026-12-05|15", "注射|2026-12-09|25", "换药|2026-12-09|10"};
    const QStringList performed{"注射|2026-12-05|30", "换药|2026-12-05|5"};

    // A click on a category: its lines and the quantity per goods name.
    TestKit::ClickRow(g1, RowOf(g1, "西药"));
    QCOMPARE(GridRows(g4), (QStringList{"阿莫西林|2026-12-05|2", "阿莫西林|2026-12-09|4"}));
    QCOMPARE(GridRows(grid("DBGrid5")), QStringList{"阿莫西林|6"});

    // Enter in the medicine grid: on to the prescriptions, listed; its
    // release there lists them again.
    Enter(g1);
    QCOMPARE(QApplication::focusWidget(), g2);
    QCOMPARE(GridRows(g4), prescribed);

    // Enter in the prescriptions: the press lists the performed services,
    // its release the prescriptions again.
    QTest::keyPress(g2, Qt::Key_Return);
    QCOMPARE(GridRows(g4), performed);
    QTest::keyRelease(g2, Qt::Key_Return);
    QCOMPARE(GridRows(g4), prescribed);

    // Any key released in the performed grid lists its services.
    g3->setFocus();
    QTest::keyClick(g3, Qt::Key_Down);
    QCOMPARE(GridRows(g4), performed);
    // Enter there: back to the medicine grid, whose release lists the
    // current category's lines.
    g1->setCurrentIndex(g1->model()->index(RowOf(g1, "中成药"), 0));
    Enter(g3);
    QCOMPARE(QApplication::focusWidget(), g1);
    QCOMPARE(GridRows(g4), QStringList{"板蓝根|2026-12-09|1"});

    // Enter in the person box: the medicine grid, and its release there.
    combo()->setFocus();
    g1->setCurrentIndex(g1->model()->index(RowOf(g1, "西药"), 0));
    Enter(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget(), g1);
    QCOMPARE(GridRows(g4), (QStringList{"阿莫西林|2026-12-05|2", "阿莫西林|2026-12-09|4"}));

    // Clicks on a service item: its lines with the patients' names.
    TestKit::ClickRow(g2, 0);
    QCOMPARE(GridRows(g4), (QStringList{"注射|2026-12-05|15|张三|护士01", "注射|2026-12-09|25|李四|护士01"}));
    TestKit::ClickRow(g3, 0);
    QCOMPARE(GridRows(g4), QStringList{"注射|2026-12-05|30|王五|医师02"});
  }

  // Enter sent as one click to the control pressed, release and all (as a
  // driver that addresses both to one control does): the release still
  // runs the list of the grid the focus went to.
  void EnterAsOneClickOnTheControlPressed() {
    open();
    pick("医师01");
    DataGrid* g1 = grid("DBGrid1");
    DataGrid* g4 = grid("DBGrid4");
    const QStringList prescribed{"注射|2026-12-05|15", "注射|2026-12-09|25", "换药|2026-12-09|10"};
    const QStringList westernLines{"阿莫西林|2026-12-05|2", "阿莫西林|2026-12-09|4"};
    g1->setCurrentIndex(g1->model()->index(RowOf(g1, "西药"), 0));
    combo()->setFocus();
    TestKit::PressEnter(combo());
    QCOMPARE(QApplication::focusWidget(), g1);
    QCOMPARE(GridRows(g4), westernLines);
    TestKit::PressEnter(g1);
    QCOMPARE(QApplication::focusWidget(), grid("DBGrid2"));
    QCOMPARE(GridRows(g4), prescribed);
    TestKit::PressEnter(grid("DBGrid2"));
    QCOMPARE(GridRows(g4), prescribed);
    grid("DBGrid3")->setFocus();
    TestKit::PressEnter(grid("DBGrid3"));
    QCOMPARE(QApplication::focusWidget(), g1);
    QCOMPARE(GridRows(g4), westernLines);
  }

  void NamesFollowThePricingAccount() {
    {
      Connection c = OpenClinicDatabase();
      // Serial 1 drawn by a second pricing account on the same day.
      Visit(c.db(), 1, "赵六", kInside, 0, 12, "acc02");
      Service(c.db(), 1, "注射", kInside, 12, "医师01", "护士01", "acc02");
    }
    open();
    pick("医师01");
    TestKit::ClickRow(grid("DBGrid2"), 0);
    QStringList rows = GridRows(grid("DBGrid4"));
    rows.sort();
    QCOMPARE(rows, (QStringList{"注射|2026-12-05|12|赵六|护士01", "注射|2026-12-05|15|张三|护士01",
                                "注射|2026-12-09|25|李四|护士01"}));
  }

  void SlipsBeforeAnyCount() {
    open();
    TestKit::Click(button("BitBtn1"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    const RecordingCanvas& pay = PrintOutput::RecordedJobs().last().canvas;
    QCOMPARE(PrintOutput::RecordedJobs().last().title, QString("Fenmarrow职工效益工资单"));
    QCOMPARE(pay.Find("姓名: 选择被统计人").size(), 1);
    QCOMPARE(pay.Find("药品提成:0.00元").size(), 1);
    QCOMPARE(pay.Find("合计:0.00元").size(), 1);
    // An empty table: the next section starts 2/3 and 1 below its head's
    // text line (at 100 dpi: medicine heads at 180).
    QCOMPARE(pay.Find("药品类别").first().y, 180);
    QCOMPARE(pay.Find("处        方         费").first().y, 180 + 67);
    QCOMPARE(pay.Find("服务数目").first().y, 180 + 100 + 5);
    QCOMPARE(pay.Find("服         务        费").first().y, 285 + 67);
    // The slip's own footer: the user's name, no page number.
    QCOMPARE(pay.Find("打印制表人姓名").size(), 1);
    QCOMPARE(pay.Find(kUser).size(), 1);
    QCOMPARE(pay.Find("当前页码：").size(), 0);
  }

  void SlipsPrintTheLastCountNotThePickersSince() {
    open();
    pick("医师01");
    date("DateTimePicker1")->setDate(QDate(2027, 1, 1));
    date("DateTimePicker2")->setDate(QDate(2027, 1, 31));
    TestKit::Click(button("BitBtn1"));
    const RecordingCanvas& pay = PrintOutput::RecordedJobs().last().canvas;
    QCOMPARE(pay.Find("统计时间: 2026-12-01----2026-12-31").size(), 1);
    for (const char* text : {"药品提成:2.00元", "处方提成:8.00元", "服务提成:9.00元", "合计:19.00元"})
      QVERIFY2(pay.Find(text).size() == 1, text);
    // Cells in the general number form.
    QVERIFY(Texts(pay).contains("\n西药\n20\n10\n2\n"));
    QCOMPARE(pay.PageCount(), 1);

    TestKit::Click(button("BitBtn2"));
    const RecordingCanvas& sales = PrintOutput::RecordedJobs().last().canvas;
    QCOMPARE(PrintOutput::RecordedJobs().last().title, QString("Fenmarrow职工销售单"));
    QCOMPARE(sales.Find("药品:28.00元").size(), 1);
    QCOMPARE(sales.Find("服务:30.00元").size(), 1);
    // Medicine and prescriptions only.
    QCOMPARE(sales.Find("合计:68元").size(), 1);
    QCOMPARE(sales.Find("统计时间: 2026-12-01----2026-12-31").size(), 1);
    QCOMPARE(sales.Find("打印制表人姓名").size(), 0);
    // The two service tables side by side.
    QCOMPARE(sales.Find("处        方         费").first().y, sales.Find("服         务        费").first().y);
  }

  void ALongSlipContinuesAndAFailedPrintSaysSo() {
    {
      Connection c = OpenClinicDatabase();
      const QString me = "选择被统计人";
      for (int i = 0; i < 86; ++i) {
        const QString item = QString("项目%1").arg(i);
        ClinicFixture::InsertRow(c.db(), "服务费提成统计表",
                                 {{"服务项目", item}, {"服务数目", 1.0}, {"总金额", 2.0}, {"提成比例", 10.0},
                                  {"服务人", me}, {"统计人", kUser}});
        if (i < 60)
          ClinicFixture::InsertRow(c.db(), "医生处方提成统计表",
                                   {{"服务项目", "处方" + item}, {"服务数目", 1.0}, {"总金额", 2.0},
                                    {"提成比例", 10.0}, {"开方医师", me}, {"统计人", kUser}});
        if (i < 47)
          ClinicFixture::InsertRow(c.db(), "医生药品提成统计表",
                                   {{"服务项目", "药" + item}, {"总金额", 2.0}, {"提成比例", 10.0},
                                    {"开方医师", me}, {"统计人", kUser}});
      }
    }
    open();
    const int foot = 1169;  // an A4 page at 100 dpi
    // 47 medicine rows leave no room for the next head: its title goes
    // over with it.
    TestKit::Click(button("BitBtn1"));
    const RecordingCanvas& withMedicine = PrintOutput::RecordedJobs().last().canvas;
    const DrawnText title = withMedicine.Find("处        方         费").first();
    QCOMPARE(title.page, withMedicine.Find("服务数目").first().page);
    QVERIFY(title.y < foot);

    {
      Connection c = OpenClinicDatabase();
      ExecDirect(c.db(), "delete from 医生药品提成统计表");
    }
    // The last row ends so low that the footer needs a page of its own.
    TestKit::Click(button("BitBtn1"));
    const RecordingCanvas& pay = PrintOutput::RecordedJobs().last().canvas;
    QVERIFY(pay.PageCount() >= 2);
    QCOMPARE(pay.Find("项目85").first().page, pay.PageCount() - 1);
    const DrawnText footer = pay.Find("核对人签字：______________").first();
    QCOMPARE(footer.page, pay.PageCount());
    QVERIFY(footer.y + 12 <= foot);

    // The sales slip's performed services start beside the prescribed ones
    // and go on in the right half of the next page.
    TestKit::Click(button("BitBtn2"));
    const RecordingCanvas& sales = PrintOutput::RecordedJobs().last().canvas;
    QCOMPARE(sales.PageCount(), 2);
    const QList<DrawnText> heads = sales.Find("服务项目");
    QCOMPARE(heads.size(), 4);
    QCOMPARE(heads.at(0).y, heads.at(1).y);
    QCOMPARE(sales.Find("项目0").first().page, 1);
    QCOMPARE(sales.Find("项目0").first().y, sales.Find("处方项目0").first().y);
    const DrawnText last = sales.Find("项目85").first();
    QCOMPARE(last.page, 2);
    QCOMPARE(last.x, 450);
    QCOMPARE(sales.Find("处方项目59").first().page, 2);

    PrintOutput::FailNext("打印机没有准备好");
    TestKit::Click(button("BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"打印机没有准备好"});
  }

 private:
  void open() {
    window_ = std::make_unique<TFormgrsrbb>();
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    Find<QDateEdit>(window_.get(), "DateTimePicker1")->setDate(kFrom);
    Find<QDateEdit>(window_.get(), "DateTimePicker2")->setDate(kTo);
  }
  QComboBox* combo() { return Find<QComboBox>(window_.get(), "ComboBoxys"); }
  DataGrid* grid(const char* name) { return Find<DataGrid>(window_.get(), name); }
  QLineEdit* edit(const char* name) { return Find<QLineEdit>(window_.get(), name); }
  QPushButton* button(const char* name) { return Find<QPushButton>(window_.get(), name); }
  QDateEdit* date(const char* name) { return Find<QDateEdit>(window_.get(), name); }
  void enterCombo() { combo()->setFocus(Qt::TabFocusReason); }
  // The user's pick from the drop-down list.
  void pick(const QString& name) {
    if (combo()->count() == 0) enterCombo();
    const int index = combo()->findText(name);
    QVERIFY(index >= 0);
    combo()->setCurrentIndex(index);
  }

  QLabel account_;
  QLabel userName_;
  std::unique_ptr<TFormgrsrbb> window_;
};

BRIMWICK_TEST_MAIN(IncomeWindowTest)
#include "grsrbb.moc"
