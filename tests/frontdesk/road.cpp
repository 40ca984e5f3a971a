// A clinic visit's road from the main window, as the front desk walks it
// on both stores: priced at "职工用药", settled at "收银台", dispensed at
// "付药台", each opened by its menu command; and every front-desk and
// dispensary window walked on the shipped demo data.
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTextStream>

#include "app/denglu.h"
#include "app/zjm.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskseed.h"
#include "platform/clock.h"
#include "platform/datadir.h"
#include "platform/grid.h"
#include "platform/printcanvas.h"
#include "support/clinicfixture.h"
#include "support/loginframe.h"
#include "support/testkit.h"
#include "tools/lib/loadcommand.h"

using ClinicFixture::TableRows;

namespace {
int RowOf(DataGrid* grid, int column, const QString& text) {
  for (int row = 0; row < grid->RecordCount(); ++row)
    if (grid->Model()->data(grid->Model()->index(row, column)).toString().trimmed() == text) return row;
  return -1;
}
}  // namespace

class ClinicRoadTest : public QObject {
  Q_OBJECT
  LoginFrame frame_;

  QWidget* command(const char* name) {
    QAction* action = Find<QAction>(frame_.main.get(), name);
    if (!action || !action->isEnabled()) return nullptr;
    action->trigger();
    QMdiSubWindow* window = frame_.main->MdiArea()->activeSubWindow();
    return window ? window->widget() : nullptr;
  }

  // Picks the list's item of that text however a user can, here by making
  // it current, and confirms with Enter.
  static void choose(QComboBox* combo, const QString& item) {
    combo->setFocus(Qt::TabFocusReason);
    const int index = combo->findText(item);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    TestKit::PressEnter(combo);
  }

  // The administrator logs in; the main window comes up active.
  void logIn() {
    Tdl* login = frame_.login.get();
    TestKit::Type(Find<QLineEdit>(login, "Edit4"), "admin");
    TestKit::Type(Find<QLineEdit>(login, "Edit1"), "管理员");
    TestKit::Type(Find<QLineEdit>(login, "Edit3"), "admin");
    TestKit::PressEnter(Find<QLineEdit>(login, "Edit3"));
    QVERIFY(frame_.main->isVisible());
    QApplication::setActiveWindow(frame_.main.get());
    QVERIFY(QTest::qWaitForWindowActive(frame_.main.get()));
    TestKit::ClearMessages();
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    Clock::Set(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    frame_.Open();
  }
  void cleanup() {
    frame_.Close();
    Clock::Reset();
  }

  void visitIsPricedSettledAndDispensedFromTheMainWindow() {
    {
      Connection store = OpenClinicDatabase();
      DeskSeed::AddCatalogue(store.db());
    }
    logIn();
    if (QTest::currentTestFailed()) return;

    QWidget* pricing = command("N25");
    QVERIFY(pricing);
    QCOMPARE(pricing->windowTitle(), QString("职工用药"));
    TestKit::Type(Find<QLineEdit>(pricing, "Edit1"), "张三");
    TestKit::PressEnter(Find<QLineEdit>(pricing, "Edit1"));
    for (const char* choice : {"ComboBox3", "ComboBoxys"}) {
      QComboBox* combo = Find<QComboBox>(pricing, choice);
      QTest::keyClick(combo, Qt::Key_Down);
      TestKit::PressEnter(combo);
    }
    for (const auto& [pinyin, quantity] : {std::pair{"AMX", "5"}, {"BLG", "2"}}) {
      TestKit::Type(Find<QLineEdit>(pricing, "Editpysx"), pinyin);
      TestKit::ClickRow(Find<DataGrid>(pricing, "DBGrid3"), 0);
      TestKit::Type(Find<QLineEdit>(pricing, "Editsl"), quantity);
      TestKit::Click(Find<QPushButton>(pricing, "BitBtn3"));
    }
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QCOMPARE(Find<QLineEdit>(pricing, "Edit2")->text(), QString("51.40"));
    TestKit::Click(Find<QPushButton>(pricing, "BitBtn2"));

    QWidget* cashier = command("N26");
    QVERIFY(cashier);
    QCOMPARE(cashier->windowTitle(), QString("收银台"));
    TestKit::ClickRow(Find<DataGrid>(cashier, "DBGrid1"), 0);
    QCOMPARE(Find<QLineEdit>(cashier, "Edit2")->text(), QString("51.40"));
    TestKit::Type(Find<QLineEdit>(cashier, "Edit1"), "60");
    TestKit::PressEnter(Find<QLineEdit>(cashier, "Edit1"));
    TestKit::Click(Find<QPushButton>(cashier, "BitBtn1"));
    QCOMPARE(Find<QLineEdit>(cashier, "Editjrzsr")->text(), QString("51.40"));

    QWidget* dispensary = command("N10");
    QVERIFY(dispensary);
    QCOMPARE(dispensary->windowTitle(), QString("付药台"));
    DataGrid* queue = Find<DataGrid>(dispensary, "DBGrid1");
    QCOMPARE(queue->RecordCount(), 1);
    QTest::mouseDClick(queue->viewport(), Qt::LeftButton, {}, queue->visualRect(queue->model()->index(0, 0)).center());
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您确定这个患者药品出库吗？"});

    Connection store = OpenClinicDatabase();
    QCOMPARE(TableRows(store.db(), "患者信息"), QStringList{"职工用药|1|张三|2026-12-07|51.4|0|admin|管理员|51.4"});
    QCOMPARE(TableRows(store.db(), "出库信息").size(), 2);
    QCOMPARE(ScalarText(store.db(), "select sum(数量) from 药品过期表 where 编号 = '1001'"), QString("8"));
    QCOMPARE(DeskSeed::Stock(store.db(), "1001"), 8.0);
    QVERIFY(TableRows(store.db(), "出库患者信息").isEmpty());
  }
  // The shipped demo data, as a user meets it after the first start: a
  // visit priced, settled and dispensed, a services-only voucher settled,
  // part of the visit and a fee given back, a batch returned to its
  // supplier and one written off, and both warning lists.
  void demoDataWalksTheWholeRoad() {
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const QString demo = TestKit::DemoFolder();
    QCOMPARE(RunClinicLoad({DataDir(), demo}, out, err), 0);
    Connection store = OpenClinicDatabase();
    const QSqlDatabase db = store.db();
    const auto number = [&](const QString& sql) { return ScalarText(db, sql).toDouble(); };
    PrintOutput::RecordInstead();
    PrintOutput::ClearRecordedJobs();
    logIn();
    if (QTest::currentTestFailed()) return;

    // The pricing window opens with the focus in the name box, which draws
    // the account's next serial: the demo's vouchers hold 1 to 3.
    QWidget* pricing = command("N25");
    QVERIFY(pricing);
    QCOMPARE(pricing->windowTitle(), QString("职工用药"));
    auto* name = Find<QLineEdit>(pricing, "Edit1");
    QVERIFY(name->hasFocus());
    QCOMPARE(Find<QLineEdit>(pricing, "Editlsh")->text(), QString("4"));
    QCOMPARE(Find<QLineEdit>(pricing, "Edit2")->text(), QString("0.00"));
    TestKit::Type(name, "赵一");
    TestKit::PressEnter(name);
    choose(Find<QComboBox>(pricing, "ComboBox3"), "职工用药");
    choose(Find<QComboBox>(pricing, "ComboBoxys"), "院长");
    QCOMPARE(Find<QComboBox>(pricing, "ComboBox3")->currentText(), QString("职工用药"));
    QCOMPARE(Find<QComboBox>(pricing, "ComboBoxys")->currentText(), QString("院长"));
    for (const auto& [pinyin, quantity] : {std::pair{"AMXLJN", "12"}, {"NFSXJN", "2"}}) {
      TestKit::Type(Find<QLineEdit>(pricing, "Editpysx"), pinyin);
      TestKit::PressEnter(Find<QLineEdit>(pricing, "Editpysx"));
      TestKit::Type(Find<QLineEdit>(pricing, "Editsl"), quantity);
      TestKit::Click(Find<QPushButton>(pricing, "BitBtn3"));
    }
    QVERIFY(TestKit::MessageTexts().isEmpty());
    // 12 × 8.60 + 2 × 4.20, the receipt prices.
    QCOMPARE(Find<QLineEdit>(pricing, "Edit2")->text(), QString("111.60"));
    QCOMPARE(number("select 数量 from 库存 where 编号 = '1001'"), 28.0);
    TestKit::Click(Find<QPushButton>(pricing, "BitBtn2"));
    QCOMPARE(TableRows(db, "收银信息").filter("赵一"),
             QStringList{"职工用药|4|赵一|2026-12-07|111.6|0|admin"});

    // The cashier settles it and a services-only voucher of the demo.
    QWidget* cashier = command("N26");
    QVERIFY(cashier);
    auto* vouchers = Find<DataGrid>(cashier, "DBGrid1");
    QCOMPARE(vouchers->RecordCount(), 4);
    for (const auto& [who, paid] : {std::pair{"赵一", "120"}, {"林美华", "30"}}) {
      TestKit::ClickRow(vouchers, RowOf(vouchers, 2, who));
      TestKit::Type(Find<QLineEdit>(cashier, "Edit1"), paid);
      TestKit::PressEnter(Find<QLineEdit>(cashier, "Edit1"));
      TestKit::Click(Find<QPushButton>(cashier, "BitBtn1"));
    }
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QCOMPARE(vouchers->RecordCount(), 2);
    QCOMPARE(Find<QLineEdit>(cashier, "Editjrzsr")->text(), QString("141.60"));
    QCOMPARE(TableRows(db, "服务信息").size(), 3);

    // The dispensary takes the 12 from the older batch of 10, then 2 more.
    QWidget* dispensary = command("N10");
    QVERIFY(dispensary);
    auto* queue = Find<DataGrid>(dispensary, "DBGrid1");
    QCOMPARE(queue->RecordCount(), 1);
    QTest::mouseDClick(queue->viewport(), Qt::LeftButton, {}, queue->visualRect(queue->model()->index(0, 0)).center());
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您确定这个患者药品出库吗？"});
    QCOMPARE(number("select 数量 from 药品过期表 where 编号 = '1001' and 药品批号 = '2025060201'"), 0.0);
    QCOMPARE(number("select 数量 from 药品过期表 where 编号 = '1001' and 药品批号 = '2026010101'"), 28.0);
    QCOMPARE(TableRows(db, "出库信息").size(), 2);
    QCOMPARE(queue->RecordCount(), 0);

    // The patient brings 2 back to the newer batch, voucher printed, committed.
    TestKit::ClearMessages();
    QWidget* returns = command("N24");
    QVERIFY(returns);
    QCOMPARE(returns->windowTitle(), QString("患者退药"));
    auto* day = Find<QDateEdit>(returns, "DateTimePicker1");
    day->setFocus();
    TestKit::PressEnter(day);
    TestKit::Type(Find<QLineEdit>(returns, "Edit1"), "赵一");
    auto* visits = Find<DataGrid>(returns, "DBGrid1");
    QCOMPARE(visits->RecordCount(), 1);
    TestKit::ClickRow(visits, 0);
    auto* lines = Find<DataGrid>(returns, "DBGrid2");
    TestKit::ClickRow(lines, RowOf(lines, 0, "1001"));
    TestKit::Type(Find<QLineEdit>(returns, "Editph"), "2026010101");
    TestKit::Type(Find<QLineEdit>(returns, "Editsl"), "2");
    TestKit::Click(Find<QPushButton>(returns, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您确定给这个患者退药品吗？"});
    QCOMPARE(Find<QLineEdit>(returns, "Edit5")->text(), QString("17.20"));
    TestKit::Click(Find<QPushButton>(returns, "BitBtn2"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    QCOMPARE(number("select 数量 from 库存 where 编号 = '1001'"), 30.0);
    QCOMPARE(number("select 数量 from 药品过期表 where 编号 = '1001' and 药品批号 = '2026010101'"), 30.0);
    QCOMPARE(number("select \"药费(元)\" from 患者信息 where 姓名 = '赵一'"), 94.4);
    QCOMPARE(TableRows(db, "住院患者押金表"), QStringList{"赵一|2026-12-07|退方存入|17.2|管理员"});

    // One patient per opening: closed and opened again for the next, whose
    // blood test fee is refunded in part.
    frame_.main->MdiArea()->activeSubWindow()->close();
    TestKit::ClearMessages();
    returns = command("N24");
    QVERIFY(returns);
    day = Find<QDateEdit>(returns, "DateTimePicker1");
    day->setFocus();
    TestKit::PressEnter(day);
    TestKit::Type(Find<QLineEdit>(returns, "Edit1"), "林美华");
    TestKit::ClickRow(Find<DataGrid>(returns, "DBGrid1"), 0);
    auto* services = Find<DataGrid>(returns, "DBGrid4");
    QCOMPARE(services->RecordCount(), 3);
    TestKit::ClickRow(services, RowOf(services, 0, "血常规"));
    QCOMPARE(Find<QLineEdit>(returns, "Edit6")->text(), QString("15.00"));
    TestKit::Type(Find<QLineEdit>(returns, "Edit6"), "5");
    TestKit::Click(Find<QPushButton>(returns, "BitBtn3"));
    QCOMPARE(Find<QLineEdit>(returns, "Edit5")->text(), QString("5.00"));
    TestKit::Click(Find<QPushButton>(returns, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"打印成功，请按，此单不能更改"});
    QCOMPARE(number("select \"服务费(元)\" from 服务信息 where 服务类别 = '血常规'"), 10.0);
    QCOMPARE(number("select \"服务费(元)\" from 患者信息 where 姓名 = '林美华'"), 25.0);
    QCOMPARE(TableRows(db, "服务费退还信息").size(), 1);

    // The newer batch partly back to its supplier, then written off.
    TestKit::ClearMessages();
    for (const char* which : {"N23", "N29"}) {
      QWidget* window = command(which);
      QVERIFY(window);
      TestKit::Type(Find<QLineEdit>(window, "Editph"), "2026010101");
      TestKit::PressEnter(Find<QLineEdit>(window, "Editph"));
      TestKit::Type(Find<QLineEdit>(window, "Editpysx"), "AMX");
      TestKit::ClickRow(Find<DataGrid>(window, "DBGrid2"), 0);
      TestKit::Type(Find<QLineEdit>(window, "Editfksl"), "5");
      TestKit::Click(Find<QPushButton>(window, "BitBtn1"));
      TestKit::Click(Find<QPushButton>(window, qstrcmp(which, "N23") == 0 ? "BitBtn2" : "BitBtn5"));
    }
    QCOMPARE(TestKit::MessageTexts(),
             (QStringList{"您确定本药要反库吗？确定按\"是\"", "您确定本药要报损吗？确定按\"是\""}));
    QCOMPARE(number("select 数量 from 库存 where 编号 = '1001'"), 20.0);
    QCOMPARE(number("select 数量 from 药品过期表 where 编号 = '1001' and 药品批号 = '2026010101'"), 20.0);
    QCOMPARE(TableRows(db, "药品反库信息").size(), 1);
    QCOMPARE(TableRows(db, "药品报损信息").size(), 1);

    // 1001's stock of 20 is no longer below its minimum of 20; the alarm
    // lists what is.
    QWidget* alarm = command("N28");
    QVERIFY(alarm);
    auto* low = Find<DataGrid>(alarm, "DBGrid1");
    QCOMPARE(low->RecordCount(), ScalarText(db, "select count(*) from 药品信息 as ypxx, 库存 as kc "
                                                  "where kc.数量 < ypxx.下限 and kc.编号 = ypxx.编号")
                                     .toInt());
    QCOMPARE(RowOf(low, 0, "1001"), -1);
    QWidget* expiry = command("N38");
    QVERIFY(expiry);
    QCOMPARE(expiry->windowTitle(), QString("药品过期预警"));
    TestKit::Click(Find<QPushButton>(expiry, "BitBtn1"));
    TestKit::Click(Find<QPushButton>(expiry, "BitBtn2"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 4);
  }
};

BRIMWICK_TEST_MAIN(ClinicRoadTest)
#include "road.moc"
