// Every report window walked on the clinic demo shipped with the sources,
// after the demo's vouchers were settled and a day's visits priced, settled
// and dispensed: each opens, queries, shows its rows and prints or exports
// without a single error box, on both stores.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>

#include "db/clinicdb.h"
#include "db/datadir.h"
#include "db/sql.h"
#include "frontdesk/dispensing.h"
#include "frontdesk/pricing.h"
#include "frontdesk/settlement.h"
#include "frontdesk/visitserial.h"
#include "platform/clock.h"
#include "platform/desktopopen.h"
#include "platform/grid.h"
#include "platform/printcanvas.h"
#include "platform/savedialog.h"
#include "reportkit.h"
#include "reports/cwzhbb.h"
#include "reports/grsrbb.h"
#include "reports/hcbb.h"
#include "reports/hzxibb.h"
#include "reports/inpatientmove.h"
#include "reports/jrdzbb.h"
#include "reports/ypbsbb.h"
#include "reports/ypckbb.h"
#include "reports/ypfkbb.h"
#include "reports/yphztybb.h"
#include "reports/yprkbb.h"
#include "reports/yyhzbb.h"
#include "reports/zyhzhzb.h"
#include "tools/lib/loadcommand.h"

using namespace ReportKit;

namespace {
const QDate kDay(2026, 12, 4);
const QDate kFirst(2026, 12, 1);
const QDate kLast(2026, 12, 31);
const QString kDoctor = QStringLiteral("周文涛");

// One visit of medicine by the demo's doctor, priced, settled, dispensed.
void MedicineVisit(const QSqlDatabase& db, const QString& name, const QString& category) {
  const VisitKey key{double(NextVisitSerial(db, QStringLiteral("acc01"))), QStringLiteral("acc01")};
  bool first = true;
  for (const auto& [code, quantity] : {std::pair{"1001", 2.0}, std::pair{"2001", 1.0}, std::pair{"3001", 50.0}}) {
    QString failure;
    const PricedLine line{QString::fromUtf8(code), quantity, 1.5, kDoctor, category, kDay};
    QCOMPARE(AddPricedLine(db, key, line, first, &failure), PricingResult::Done);
    first = false;
  }
  QCOMPARE(MakeVoucher(db, key, name, category, kDay), PricingResult::Done);
  const double due = VisitTotal(db, key).value_or(0);
  QCOMPARE(SettleVoucher(db, key, QStringLiteral("收银01"), kDay, due), SettlementResult::Settled);
  QCOMPARE(DispenseVisit(db, key, QStringLiteral("收银01")), DispensingResult::Dispensed);
}

void Span(QWidget* w) {
  Find<QDateEdit>(w, "DateTimePicker1")->setDate(kFirst);
  Find<QDateEdit>(w, "DateTimePicker2")->setDate(kLast);
}
DataGrid* Grid(QWidget* w, const char* name) { return Find<DataGrid>(w, name); }
QString Box(QWidget* w, const char* name) { return Find<QLineEdit>(w, name)->text(); }
void Press(QWidget* w, const char* name) { TestKit::Click(Find<QPushButton>(w, name)); }
}  // namespace

class DemoWalkTest : public QObject {
  Q_OBJECT

  ReportLogin login_;
  Connection store_;
  QSqlDatabase db() const { return store_.db(); }
  int jobs() const { return PrintOutput::RecordedJobs().size(); }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    PrintOutput::RecordInstead(100);
    PrintOutput::ClearRecordedJobs();
    DesktopOpen::RecordInstead();
    Clock::Set(QDateTime(kDay, QTime(17, 0)));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(RunClinicLoad({DataDir(), TestKit::DemoFolder()}, out, err), 0);
    store_ = OpenClinicDatabase();
    // The demo's priced vouchers paid at the cashier.
    for (const QVariantList& row : ReadAll(db(), "select 流水号, 划价人帐号, \"药费(元)\" + \"服务费(元)\" from 收银信息")) {
      const VisitKey key{row[0].toDouble(), row[1].toString().trimmed()};
      QCOMPARE(SettleVoucher(db(), key, QStringLiteral("收银01"), kDay, row[2].toDouble()), SettlementResult::Settled);
    }
    MedicineVisit(db(), QStringLiteral("马建华"), QStringLiteral("门诊"));
    MedicineVisit(db(), QStringLiteral("何秀英"), QStringLiteral("住院"));
    QVERIFY(AdmitPatient(db(), {QStringLiteral("何秀英"), QStringLiteral("女"), "60", "", ""}));
  }
  void cleanup() {
    store_ = Connection();
    PrintOutput::PrintNormally();
    SaveDialog::RemoveResponder();
    Clock::Reset();
  }

  void suppliesReportListsAndPrints() {
    TFormhcbb w;
    QVERIFY(ShowActive(w));
    Find<QDateEdit>(&w, "DateTimePicker1")->setDate(QDate(2026, 1, 1));
    Find<QDateEdit>(&w, "DateTimePicker2")->setDate(kLast);
    Find<QDateEdit>(&w, "DateTimePicker3")->setDate(QDate(2026, 1, 1));
    Find<QDateEdit>(&w, "DateTimePicker4")->setDate(kLast);
    Press(&w, "BitBtn3");
    Press(&w, "BitBtn4");
    QCOMPARE(Grid(&w, "DBGrid1")->RecordCount(), 10);
    QCOMPARE(Grid(&w, "DBGrid2")->RecordCount(), 20);
    QCOMPARE(Box(&w, "Edithj"), MoneyText(db(), "select sum(\"总价(元)\") from 卫材入库历史记录表"));
    QCOMPARE(Box(&w, "Edit4"), MoneyText(db(), "select sum(\"零售金额(元)\") from 卫材出库表"));
    TestKit::AnswerNext({false, false});
    Press(&w, "BitBtn1");
    Press(&w, "BitBtn2");
    QCOMPARE(jobs(), 2);
    QCOMPARE(TestKit::MessageTexts(), QStringList({"打印成功，请按，此单不能更改", "打印成功，请按，此单不能更改"}));
  }

  void incomeWindowComputesPrintsAndExports() {
    TFormgrsrbb w;
    QVERIFY(ShowActive(w));
    Span(&w);
    auto* person = Find<QComboBox>(&w, "ComboBoxys");
    person->setFocus(Qt::TabFocusReason);
    Pick(person, kDoctor);
    // Medicine of three categories; his share of 诊查费 among the services.
    QCOMPARE(Grid(&w, "DBGrid1")->RecordCount(), 3);
    QVERIFY(Grid(&w, "DBGrid2")->RecordCount() > 0);
    QVERIFY(Box(&w, "Edit1") != "0.00");
    QVERIFY(Box(&w, "Edithj") != "0.00");
    TestKit::ClickRow(Grid(&w, "DBGrid1"), 0);
    QVERIFY(Grid(&w, "DBGrid4")->RecordCount() > 0);
    TestKit::ClickRow(Grid(&w, "DBGrid2"), 0);
    QVERIFY(Grid(&w, "DBGrid4")->RecordCount() > 0);
    Press(&w, "BitBtn1");
    Press(&w, "BitBtn2");
    QCOMPARE(jobs(), 2);
    const QString folder = DataDir();
    SaveDialog::InstallResponder([folder](const SaveRequest& request) { return folder + "/" + request.fileName; });
    Press(&w, "BitBtn3");
    Press(&w, "Button1");
    QCOMPARE(TestKit::MessageTexts(), QStringList({"数据导出成功!", "数据导出成功!"}));
    QCOMPARE(QDir(folder).entryList({"*.xlsx"}).size(), 2);
  }

  void inpatientStatisticsAndPatientInformation() {
    TFormzyhzhz stay;
    QVERIFY(ShowActive(stay));
    auto* patient = Find<QComboBox>(&stay, "ComboBox1");
    patient->setFocus(Qt::TabFocusReason);
    Pick(patient, "何秀英");
    Span(&stay);
    Press(&stay, "BitBtn1");
    QCOMPARE(Grid(&stay, "DBGrid2")->RecordCount(), 3);
    QCOMPARE(Box(&stay, "Edit5"), Box(&stay, "Edit2"));
    QVERIFY(Box(&stay, "Edit5") != "0.00");

    TFormhzxibb info;
    QVERIFY(ShowActive(info));
    Span(&info);
    Press(&info, "BitBtn1");
    QCOMPARE(Grid(&info, "DBGrid1")->RecordCount(), 5);
    QCOMPARE(Box(&info, "Edit3"), QString("4"));
    QCOMPARE(Box(&info, "Edit4"), QString("1"));
    // The outpatient medicine visit: its lines, then the move.
    DataGrid* visits = Grid(&info, "DBGrid1");
    int row = 0;
    while (row < visits->RecordCount() &&
           visits->Model()->data(visits->Model()->index(row, 3)).toString().trimmed() != "马建华")
      ++row;
    TestKit::ClickRow(visits, row);
    QVERIFY(Grid(&info, "DBGrid2")->isVisibleTo(&info));
    QCOMPARE(Grid(&info, "DBGrid2")->RecordCount(), 3);
    Press(&info, "BitBtn2");  // not admitted: the admission fields
    Find<QComboBox>(&info, "ComboBox1")->setCurrentText("男");
    TestKit::Type(Find<QLineEdit>(&info, "Editnl"), "45");
    TestKit::AnswerNext({true});
    Press(&info, "BitBtn3");
    QCOMPARE(TestKit::MessageTexts(), QStringList({"转入，请按＂是＂，不转入，请按＂否＂"}));
    QCOMPARE(Box(&info, "Edit4"), QString("2"));
  }

  void dayCloseAndReconciliationsOnTheDemo() {
    // A visit priced and left at the cashier: its medicine is off the count.
    VisitKey key{0, QStringLiteral("acc02")};
    const QString stockOf1001 = "select 数量 from 库存 where 编号 = '1001'";
    const double before = ScalarText(db(), stockOf1001).toDouble();
    QCOMPARE(AddPricedLine(db(), key, {"1001", 3, 12.5, kDoctor, "门诊", kDay}, true), PricingResult::Done);
    QCOMPARE(MakeVoucher(db(), key, "韩磊", "门诊", kDay), PricingResult::Done);
    QCOMPARE(ScalarText(db(), stockOf1001).toDouble(), before - 3);

    const QString withoutBatches =
        "select 编号, 数量 from 库存 where 编号 not in (select 编号 from 药品过期表) order by 编号";
    const QList<QVariantList> countsWithoutBatches = ReadAll(db(), withoutBatches);
    QVERIFY(!countsWithoutBatches.isEmpty());

    // The void alone (the close itself answered No) already gives the
    // medicine back.
    TFormdzbb close;
    QVERIFY(ShowActive(close));
    TestKit::AnswerNext({true, false});
    Press(&close, "BitBtn4");
    QCOMPARE(TestKit::MessageTitles(), QStringList({"对账提示", "对账提示"}));
    QCOMPARE(TestKit::MessageTexts().first(),
             QString("还有1张处方没收银，是否要作废。如果确定作废点击\"是\"，不作废点击\"否\",去收银"));
    for (const char* table : {"收银信息", "临时出库信息", "服务信息临时表"})
      QCOMPARE(ScalarText(db(), QString("select count(*) from ") + table), QString("0"));
    QCOMPARE(ScalarText(db(), stockOf1001).toDouble(), before);
    QVERIFY(Find<QPushButton>(&close, "BitBtn1")->isHidden());

    // The close: every goods with batches counts what its batches hold, the
    // others keep their counts.
    TestKit::AnswerNext({true});
    Press(&close, "BitBtn4");
    QCOMPARE(TestKit::MessageTitles(), QStringList({"对账提示", "对账提示", "对账提示"}));
    QCOMPARE(ScalarText(db(), "select count(*) from 库存 as k where k.编号 in (select 编号 from 药品过期表) and "
                              "abs(k.数量 - (select sum(p.数量) from 药品过期表 as p where p.编号 = k.编号)) > 0.0001"),
             QString("0"));
    QCOMPARE(ReadAll(db(), withoutBatches), countsWithoutBatches);
    QCOMPARE(ScalarText(db(), stockOf1001), ScalarText(db(), "select sum(数量) from 药品过期表 where 编号 = '1001'"));
    QCOMPARE(Box(&close, "Editmz"),
             MoneyText(db(), "select sum(\"收入金额(元)\") from 患者信息 where 收费类别 = '门诊' and 时间 = ?",
                       {DayText(kDay)}));
    QVERIFY(Box(&close, "Editzy") != "0.00");
    Press(&close, "BitBtn1");
    Press(&close, "BitBtn2");
    QCOMPARE(jobs(), 2);

    TFormhzb period;
    QVERIFY(ShowActive(period));
    Span(&period);
    Press(&period, "BitBtn3");
    QCOMPARE(Box(&period, "Edit1"), Box(&close, "Edit1"));
    QVERIFY(Grid(&period, "DBGrid7")->RecordCount() > 0);
    TestKit::ClickRow(Grid(&period, "DBGrid7"), 0);
    QVERIFY(Grid(&period, "DBGrid8")->isVisibleTo(&period));
    Press(&period, "BitBtn1");
    QCOMPARE(jobs(), 3);

    TFormcwzhbb finance;
    QVERIFY(ShowActive(finance));
    Find<QDateEdit>(&finance, "DateTimePicker1")->setDate(QDate(2026, 1, 1));
    Find<QDateEdit>(&finance, "DateTimePicker2")->setDate(kLast);
    Press(&finance, "BitBtn1");
    QCOMPARE(Box(&finance, "Editmz"), MoneyText(db(), "select sum(\"收入金额(元)\") from 患者信息 where 收费类别 = '门诊'"));
    QVERIFY(Grid(&finance, "DBGridcw")->RecordCount() > 0);
    QCOMPARE(TestKit::MessageTexts().size(), 3);
  }

  void stockReportsOnTheDemo() {
    TFormrkbb receipts;
    QVERIFY(ShowActive(receipts));
    Find<QDateEdit>(&receipts, "DateTimePicker1")->setDate(QDate(2000, 1, 1));
    Find<QDateEdit>(&receipts, "DateTimePicker2")->setDate(kLast);
    Tick(&receipts, "CheckBox1");
    auto* category = Find<QComboBox>(&receipts, "ComboBox1");
    Enter(category);
    Pick(category, "饮片");
    Press(&receipts, "BitBtn1");
    QVERIFY(Grid(&receipts, "DBGrid2")->RecordCount() > 0);
    TestKit::ClickRow(Grid(&receipts, "DBGrid2"), 0);
    QVERIFY(Grid(&receipts, "DBGrid1")->RecordCount() > 0);

    TFormypckbb issues;
    QVERIFY(ShowActive(issues));
    Span(&issues);
    Press(&issues, "BitBtn1");
    QCOMPARE(Grid(&issues, "DBGrid2")->RecordCount(), 3);
    TestKit::ClickRow(Grid(&issues, "DBGrid2"), 0);
    QCOMPARE(Grid(&issues, "DBGrid1")->RecordCount(), 2);

    // Nothing returned or written off in the demo: empty, but working.
    TFormypfkbb returns;
    QVERIFY(ShowActive(returns));
    Span(&returns);
    Press(&returns, "BitBtn2");
    QCOMPARE(Box(&returns, "Edit5"), QString("0.00"));
    TFormbsbb writeOffs;
    QVERIFY(ShowActive(writeOffs));
    Span(&writeOffs);
    Press(&writeOffs, "BitBtn1");
    TestKit::AnswerNext({true});
    Press(&writeOffs, "BitBtn2");
    QCOMPARE(jobs(), 2);
    TFormyphztybb patientReturns;
    QVERIFY(ShowActive(patientReturns));
    Span(&patientReturns);
    Press(&patientReturns, "BitBtn1");
    QCOMPARE(Box(&patientReturns, "Edit1"), QString("0.00"));
    QCOMPARE(TestKit::MessageTexts(), QStringList({"要打印详单吗？打印单击是，不打印击否。"}));
  }
};

BRIMWICK_TEST_MAIN(DemoWalkTest)
#include "demowalk.moc"
