// The day close, the period reconciliation and the finance summary opened
// from the main window by their commands, on the clinic demo, as the
// cashier's evening goes: the demo's vouchers and one more visit left
// unpaid are voided with their medicine back, the day's sheets print, the
// period shows the same day, and the finance summary its month.
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTextStream>

#include "app/zjm.h"
#include "db/clinicdb.h"
#include "db/datadir.h"
#include "db/sql.h"
#include "frontdesk/pricing.h"
#include "frontdesk/visitserial.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/printcanvas.h"
#include "support/clinicfixture.h"
#include "support/loginframe.h"
#include "support/testkit.h"
#include "tools/lib/loadcommand.h"

namespace {
const QDate kDay(2026, 12, 4);
const QString kStockOf1001 = QStringLiteral("select 数量 from 库存 where 编号 = '1001'");

// The clinic demo shipped with the sources, loaded into the data folder.
bool LoadDemo() {
  QString outText, errText;
  QTextStream out(&outText), err(&errText);
  const QString demo = TestKit::DemoFolder();
  return RunClinicLoad({DataDir(), demo}, out, err) == 0;
}

QString Scalar(const QString& sql) {
  Connection c = OpenClinicDatabase();
  return ScalarText(c.db(), sql);
}

QString Box(QWidget* w, const char* name) { return Find<QLineEdit>(w, name)->text(); }
QPushButton* Button(QWidget* w, const char* name) { return Find<QPushButton>(w, name); }

bool Maximised(QWidget* window) {
  auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
  return frame && frame->isMaximized();
}
}  // namespace

class MoneyMenuTest : public QObject {
  Q_OBJECT
  LoginFrame frame_;

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    Clock::Set(QDateTime(kDay, QTime(18, 0)));
    frame_.Open();
    QVERIFY(LoadDemo());
    PrintOutput::RecordInstead(100);
    PrintOutput::ClearRecordedJobs();
    frame_.LogInAsAdmin();
    TestKit::ClearMessages();
  }
  void cleanup() {
    frame_.Close();
    PrintOutput::PrintNormally();
    Clock::Reset();
  }

  void eveningFromTheMainWindow() {
    // One more visit priced by another account, with the serial of one of
    // the demo's vouchers, left at the cashier.
    const double before = Scalar(kStockOf1001).toDouble();
    {
      Connection c = OpenClinicDatabase();
      const VisitKey key{double(NextVisitSerial(c.db(), QStringLiteral("acc02"))), QStringLiteral("acc02")};
      QCOMPARE(AddPricedLine(c.db(), key, {"1001", 3, 12.5, "周文涛", "门诊", kDay}, true), PricingResult::Done);
      QCOMPARE(MakeVoucher(c.db(), key, "韩磊", "门诊", kDay), PricingResult::Done);
      QCOMPARE(key.serial, 1.0);
    }
    QCOMPARE(Scalar(kStockOf1001).toDouble(), before - 3);

    QWidget* close = frame_.Command("N35");
    QVERIFY(close);
    QCOMPARE(close->windowTitle(), QString("今日对账报表"));
    QVERIFY(Maximised(close));
    QCOMPARE(Find<QLabel>(close, "Label3")->text(), QString("今     日    对    帐   详   单    "));
    QCOMPARE(Button(close, "BitBtn4")->text(), QString("对账报表"));
    QVERIFY(Button(close, "BitBtn3")->isHidden());

    TestKit::AnswerNext({true, true});
    TestKit::Click(Button(close, "BitBtn4"));
    const QList<MessageRecord> asked = Messages::Recorded();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0].text, QString("还有4张处方没收银，是否要作废。如果确定作废点击\"是\"，不作废点击\"否\",去收银"));
    QCOMPARE(asked[0].title, QString("对账提示"));
    QCOMPARE(asked[0].icon, MessageIcon::Exclamation);
    QCOMPARE(asked[1].text, QString("此操作后，没收银的处方全部作废。如果确定点击\"是\""));
    QCOMPARE(asked[1].title, QString("对账提示"));
    QCOMPARE(asked[1].icon, MessageIcon::Question);
    QCOMPARE(Scalar(kStockOf1001).toDouble(), before);
    QCOMPARE(Scalar("select count(*) from 收银信息"), QString("0"));
    QCOMPARE(Scalar("select count(*) from 服务信息临时表"), QString("0"));
    QVERIFY(Button(close, "BitBtn4")->isHidden());
    for (const char* shown : {"BitBtn1", "BitBtn2", "BitBtn3"}) QVERIFY(!Button(close, shown)->isHidden());
    // Nothing was paid on the demo's day: every figure is nought.
    QCOMPARE(Box(close, "Edit1"), QString("0.00"));
    TestKit::Click(Button(close, "BitBtn1"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    const RecordingCanvas& sheet = PrintOutput::RecordedJobs().last().canvas;
    QCOMPARE(sheet.Find("合计金额：元整    ￥：0.00元      打印帐号:admin   打印时间:2026-12-04 18:00:00").size(), 1);

    TestKit::ClearMessages();
    TestKit::AnswerNext({true});
    TestKit::Click(Button(close, "BitBtn3"));
    QCOMPARE(TestKit::MessageTitles(), QStringList({"未结帐处方作废提示"}));
    QCOMPARE(Messages::Recorded().last().icon, MessageIcon::Question);
    QCOMPARE(Scalar("select count(*) from 时间表"), QString("1"));
    for (const char* hidden : {"BitBtn1", "BitBtn2", "BitBtn4"}) QVERIFY(Button(close, hidden)->isHidden());

    QWidget* period = frame_.Command("N36");
    QVERIFY(period);
    QCOMPARE(period->windowTitle(), QString("汇总对账报表"));
    QVERIFY(Maximised(period));
    QCOMPARE(Find<QLabel>(period, "Label3")->text(), QString("汇     总    对    帐   详   单    "));
    QVERIFY(Find<DataGrid>(period, "DBGrid8")->isHidden());
    TestKit::Click(Button(period, "BitBtn3"));
    QCOMPARE(Box(period, "Edit1"), QString("0.00"));
    QVERIFY(!Button(period, "BitBtn1")->isHidden() && !Button(period, "BitBtn2")->isHidden());

    // The finance summary on the 25th shows last month's 25th to the 24th.
    Clock::Set(QDateTime(QDate(2026, 12, 25), QTime(9, 0)));
    QWidget* finance = frame_.Command("N21");
    QVERIFY(finance);
    QCOMPARE(finance->windowTitle(), QString("财务综合报表"));
    QVERIFY(Maximised(finance));
    QCOMPARE(Find<QLabel>(finance, "Label9")->text(), QString("综   合   报    表"));
    QVERIFY(!Find<QListWidget>(finance, "ListBox1")->isHidden());
    QCOMPARE(QString::number(Find<QListWidget>(finance, "ListBox1")->count()),
             Scalar("select count(*) from 服务人 where 职务 = '医师' or 职务 = '化验师'"));
    TestKit::Click(Button(finance, "BitBtn1"));
    QCOMPARE(Box(finance, "Edit2"), QString("2026-11-25"));
    QCOMPARE(Box(finance, "Edit3"), QString("2026-12-24"));
    QCOMPARE(Box(finance, "Editmz"), QString("0.00"));
    QCOMPARE(TestKit::MessageTexts().size(), 1);
  }
};

BRIMWICK_TEST_MAIN(MoneyMenuTest)
#include "moneymenu.moc"
