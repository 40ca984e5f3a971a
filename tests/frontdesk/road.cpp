// A clinic visit's road from the main window, as the front desk walks it
// on both stores: priced at "职工用药", settled at "收银台", dispensed at
// "付药台", each opened by its menu command.
#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "app/denglu.h"
#include "app/zjm.h"
#include "db/clinicdb.h"
#include "frontdesk/deskseed.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "support/clinicfixture.h"
#include "support/loginframe.h"
#include "support/testkit.h"

using ClinicFixture::TableRows;

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
    Tdl* login = frame_.login.get();
    TestKit::Type(Find<QLineEdit>(login, "Edit4"), "admin");
    TestKit::Type(Find<QLineEdit>(login, "Edit1"), "管理员");
    TestKit::Type(Find<QLineEdit>(login, "Edit3"), "admin");
    TestKit::PressEnter(Find<QLineEdit>(login, "Edit3"));
    QVERIFY(frame_.main->isVisible());
    QApplication::setActiveWindow(frame_.main.get());
    QVERIFY(QTest::qWaitForWindowActive(frame_.main.get()));

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
};

BRIMWICK_TEST_MAIN(ClinicRoadTest)
#include "road.moc"
