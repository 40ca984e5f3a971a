// Inpatient accounts on both stores: admissions, deposits, discharges and
// the sums the desk shows, through the postings and through the window.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/inpatients.h"
#include "frontdesk/zyhzfy.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/session.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

namespace {
const QDate kToday(2024, 6, 3);

void Admit(const QSqlDatabase& db, const QString& name, const QString& pinyin) {
  InsertRow(db, "入院信息表", {{"拼音缩写", pinyin}, {"姓名", name}, {"性别", "男"}, {"年龄", "40"}});
}
void Ledger(const QSqlDatabase& db, const QString& name, const QString& kind, double amount) {
  InsertRow(db, "住院患者押金表",
            {{"姓名", name}, {"时间", "2024-06-01"}, {"收费类别", kind}, {"金额", amount}, {"操作人帐号", "某"}});
}
QStringList Totals(const DepositTotals& t) { return {t.deposits, t.spending, t.balance}; }
}  // namespace

class InpatientsTest : public QObject {
  Q_OBJECT

  Connection store_;
  QLabel accountPanel_;
  QLabel namePanel_;

  QSqlDatabase db() const { return store_.db(); }
  QString count(const QString& sql, const QVariantList& values = {}) { return ScalarText(db(), sql, values); }

  static QLineEdit* box(QWidget& w, const char* name) { return Find<QLineEdit>(&w, name); }
  static QStringList shownTotals(QWidget& w) {
    return {box(w, "Edit3")->text(), box(w, "Edit4")->text(), box(w, "Edit5")->text()};
  }
  static void show(QWidget& w) {
    w.resize(1200, 800);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
  }
  static void pickRow(QWidget& w, int row) { TestKit::ClickRow(Find<DataGrid>(&w, "DBGrid2"), row); }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    Clock::Set(QDateTime(kToday, QTime(9, 0)));
    Session::SetPanels(&accountPanel_, &namePanel_);
    Session::SetLogin("acc01", "王护士");
    store_ = OpenClinicDatabase();
  }
  void cleanup() {
    store_ = Connection();
    Clock::Reset();
  }

  void balanceAddsCashAndRefundsAndTakesSpending() {
    Ledger(db(), "张三", "现金存入", 500);
    Ledger(db(), "张三", "退方存入", 20);
    Ledger(db(), "张三", "支出", 120);
    Ledger(db(), "李四", "现金存入", 70);
    QCOMPARE(Totals(DepositBalance(db(), "张三")), (QStringList{"520.00", "120.00", "400"}));
    QCOMPARE(Totals(DepositBalance(db(), "王五")), (QStringList{"0.0", "0.0", "0"}));
    Ledger(db(), "李四", "支出", 70.25);
    QCOMPARE(Totals(DepositBalance(db(), "李四")), (QStringList{"70.00", "70.25", "-0.25"}));
  }

  void admissionTakesEachNameOnce() {
    const InpatientAdmission patient{"ZS", " 张三 ", "男", "40", "A1", "东街"};
    QCOMPARE(AdmitInpatient(db(), patient), AdmissionOutcome::Admitted);
    QCOMPARE(TableRows(db(), "入院信息表"), QStringList{"ZS|张三|男|40|A1|东街"});
    QCOMPARE(AdmitInpatient(db(), {"ZS", "张三", "女", "", "", ""}), AdmissionOutcome::Duplicate);
    QCOMPARE(AdmitInpatient(db(), {"", "  ", "男", "", "", ""}), AdmissionOutcome::Incomplete);
    QCOMPARE(AdmitInpatient(db(), {"LS", "李四", "性别", "", "", ""}), AdmissionOutcome::Incomplete);
    QCOMPARE(count("select count(*) from 入院信息表"), QString("1"));
    // The store itself holds the name once, whoever writes.
    QVERIFY_THROWS_EXCEPTION(DbError, Admit(db(), "张三", "ZS"));
  }

  void depositIsBookedOnlyForAnAdmittedPatientAndAnAmountAboveZero() {
    Admit(db(), "张三", "ZS");
    for (const char* amount : {"", " ", ".", "1..2", "-5", "abc", "12元"})
      QCOMPARE(BookDeposit(db(), "张三", amount, kToday, "王护士"), DepositOutcome::Incomplete);
    QCOMPARE(BookDeposit(db(), "", "100", kToday, "王护士"), DepositOutcome::Incomplete);
    // The box's own "0" asks for nothing, patient or not.
    for (const char* patient : {"", "张三"})
      QCOMPARE(BookDeposit(db(), patient, "0", kToday, "王护士"), DepositOutcome::NothingBooked);
    for (const char* amount : {"0", "0.00", "00", ".0"})
      QCOMPARE(BookDeposit(db(), "张三", amount, kToday, "王护士"), DepositOutcome::NothingBooked);
    QCOMPARE(BookDeposit(db(), "李四", "100", kToday, "王护士"), DepositOutcome::Failed);
    QCOMPARE(TableRows(db(), "住院患者押金表"), QStringList());
    QCOMPARE(BookDeposit(db(), " 张三 ", " 12.5 ", kToday, "王护士"), DepositOutcome::Booked);
    QCOMPARE(TableRows(db(), "住院患者押金表"), QStringList{"张三|2024-06-03|现金存入|12.5|王护士"});
  }

  void dischargeDeletesThePatientAndTheLedgerTogether() {
    Admit(db(), "张三", "ZS");
    Admit(db(), "李四", "LS");
    Ledger(db(), "张三", "现金存入", 500);
    Ledger(db(), "张三", "支出", 20);
    Ledger(db(), "李四", "现金存入", 30);
    Ledger(db(), "", "现金存入", 1);
    QVERIFY(DischargePatient(db(), "张三"));
    QCOMPARE(count("select count(*) from 入院信息表 where 姓名 = '张三'"), QString("0"));
    QCOMPARE(TableRows(db(), "住院患者押金表"), (QStringList{"|2024-06-01|现金存入|1|某", "李四|2024-06-01|现金存入|30|某"}));
    // No patient chosen: nothing goes.
    QVERIFY(DischargePatient(db(), "  "));
    QCOMPARE(count("select count(*) from 住院患者押金表"), QString("2"));
    QCOMPARE(count("select count(*) from 入院信息表"), QString("1"));
  }

  void dischargeWhoseLedgerStatementFailsChangesNothing() {
    Admit(db(), "张三", "ZS");
    Ledger(db(), "张三", "现金存入", 500);
    ExecDirect(db(), "alter table 住院患者押金表 rename to 押金表旧");
    QVERIFY(!DischargePatient(db(), "张三"));
    ExecDirect(db(), "alter table 押金表旧 rename to 住院患者押金表");
    QCOMPARE(TableRows(db(), "入院信息表"), QStringList{"ZS|张三|男|40||"});
    QCOMPARE(TableRows(db(), "住院患者押金表"), QStringList{"张三|2024-06-01|现金存入|500|某"});
  }

  void windowAdmitsAndRefusesAndClearsTheTypedData() {
    Tzyhzfygl w;
    show(w);
    QCOMPARE(w.windowTitle(), QString("住院患者费用管理"));
    QCOMPARE(box(w, "Edit7")->text(), QString("0"));
    auto* sex = Find<QComboBox>(&w, "ComboBox1");
    QCOMPARE(sex->currentText(), QString("性别"));
    TestKit::Type(box(w, "Edit1"), "张三");
    QCOMPARE(box(w, "Editpysx")->text(), QString("ZS"));
    // The sex is picked, never typed.
    sex->setFocus();
    QTest::keyClicks(sex, "x");
    QCOMPARE(sex->currentText(), QString("性别"));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"数据不全！"});
    QCOMPARE(box(w, "Edit1")->text(), QString());
    sex->setCurrentIndex(1);
    TestKit::Type(box(w, "Edit1"), "张三");
    TestKit::Type(box(w, "Editnl"), "4a2");
    QCOMPARE(box(w, "Editnl")->text(), QString("42"));
    TestKit::Type(box(w, "Edithzylzh"), "HZ-1");
    TestKit::Type(box(w, "Editzz"), "西街");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(TableRows(db(), "入院信息表"), QStringList{"ZS|张三|女|42|HZ-1|西街"});
    for (const char* name : {"Edit1", "Editnl", "Edithzylzh", "Editzz"}) QCOMPARE(box(w, name)->text(), QString());
    QCOMPARE(sex->currentText(), QString("女"));
    QCOMPARE(box(w, "Edit7")->text(), QString("1"));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid2")->RecordCount(), 1);
    TestKit::ClearMessages();
    TestKit::Type(box(w, "Edit1"), "张三");
    TestKit::Type(box(w, "Editzz"), "北街");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，姓名重复，请重新录入！"});
    QCOMPARE(box(w, "Editzz")->text(), QString());
    QCOMPARE(count("select count(*) from 入院信息表"), QString("1"));
  }

  void windowTakesDepositsForTheChosenPatient() {
    Admit(db(), "张三", "ZS");
    Admit(db(), "李四", "LS");
    Ledger(db(), "张三", "现金存入", 500);
    Ledger(db(), "张三", "退方存入", 20);
    Ledger(db(), "张三", "支出", 120);
    Tzyhzfygl w;
    show(w);
    QCOMPARE(box(w, "Edit7")->text(), QString("2"));
    QCOMPARE(shownTotals(w), (QStringList{"0.0", "0.0", "0.0"}));
    // No patient chosen yet: the box's "0" books nothing and says nothing,
    // an amount is refused.
    QCOMPARE(box(w, "Edit2")->text(), QString("0"));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList());
    TestKit::Type(box(w, "Edit2"), "100");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"数据不全！"});
    pickRow(w, 0);
    QCOMPARE(box(w, "Edit6")->text(), QString("张三"));
    QCOMPARE(shownTotals(w), (QStringList{"520.00", "120.00", "400"}));
    auto* ledger = Find<DataGrid>(&w, "DBGrid1");
    QCOMPARE(ledger->RecordCount(), 3);
    QCOMPARE(ledger->model()->headerData(2, Qt::Horizontal).toString(), QString("收费类别"));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(box(w, "Edit2")->text(), QString("0"));
    QCOMPARE(shownTotals(w), (QStringList{"620.00", "120.00", "500"}));
    QCOMPARE(count("select count(*) from 住院患者押金表 where 操作人帐号 = '王护士' and 时间 = '2024-06-03'"),
             QString("1"));
    TestKit::ClearMessages();
    for (const char* refused : {".", ""}) {
      TestKit::Type(box(w, "Edit2"), refused);
      TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    }
    TestKit::Type(box(w, "Edit2"), "0");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), (QStringList{"数据不全！", "数据不全！"}));
    QCOMPARE(count("select count(*) from 住院患者押金表"), QString("4"));
    // An amount the box holds, that would take the deposits past the digits.
    TestKit::ClearMessages();
    TestKit::Type(box(w, "Edit2"), "9999999999999");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"数据不全！"});
    QCOMPARE(count("select count(*) from 住院患者押金表"), QString("4"));
    QCOMPARE(shownTotals(w), (QStringList{"620.00", "120.00", "500"}));
    // Another desk discharged the patient meanwhile.
    Exec(db(), "delete from 入院信息表 where 姓名 = '张三'");
    TestKit::Type(box(w, "Edit2"), "50");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts().last(), QString("对不起，操作失败"));
    QCOMPARE(count("select count(*) from 住院患者押金表"), QString("4"));
  }

  void arrowKeysChooseAPatientAndTheNameBoxDrivesTheLedger() {
    Admit(db(), "张三", "ZS");
    Admit(db(), "李四", "LS");
    Ledger(db(), "李四", "现金存入", 30);
    Ledger(db(), "张三", "现金存入", 8);
    Tzyhzfygl w;
    show(w);
    auto* patients = Find<DataGrid>(&w, "DBGrid2");
    pickRow(w, 0);
    const QString first = box(w, "Edit6")->text();
    QTest::keyClick(patients, Qt::Key_Down);
    const QString second = box(w, "Edit6")->text();
    QCOMPARE(QStringList({first, second}).join(','), patients->Model()->Value(0, 0).toString() + "," +
                                                         patients->Model()->Value(1, 0).toString());
    QCOMPARE(box(w, "Edit3")->text(), second == "李四" ? QString("30.00") : QString("8.00"));
    // Typing in the address box shows the ledger of the name box.
    TestKit::Type(box(w, "Edit1"), "张");
    TestKit::Type(box(w, "Editzz"), "东");
    QCOMPARE(shownTotals(w), (QStringList{"0.0", "0.0", "0"}));
    TestKit::Type(box(w, "Edit1"), "张三");
    TestKit::Type(box(w, "Editzz"), "东街");
    QCOMPARE(shownTotals(w), (QStringList{"8.00", "0.0", "8"}));
    // The search code filters the list.
    TestKit::Type(box(w, "Editpysx"), "l");
    QCOMPARE(patients->RecordCount(), 1);
    QCOMPARE(patients->Cell(0), QString("李四"));
  }

  void enterWalksTheAdmissionAndTheDepositRows() {
    Admit(db(), "张三", "ZS");
    Tzyhzfygl w;
    show(w);
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* sex = Find<QComboBox>(&w, "ComboBox1");
    const auto enter = [] { TestKit::PressEnter(QApplication::focusWidget()); };
    const auto focused = [](QWidget* widget) {
      return QApplication::focusWidget() == widget || QApplication::focusWidget()->focusProxy() == widget ||
             widget->isAncestorOf(QApplication::focusWidget());
    };
    TestKit::Type(box(w, "Edit1"), "李四");
    enter();
    QVERIFY(focused(sex));
    sex->setCurrentIndex(0);
    enter();
    QVERIFY(focused(box(w, "Editnl")));
    TestKit::Type(box(w, "Editnl"), "30");
    enter();
    QVERIFY(focused(box(w, "Edithzylzh")));
    enter();
    QVERIFY(focused(box(w, "Editzz")));
    enter();
    QVERIFY(focused(Find<QPushButton>(&w, "BitBtn3")));
    enter();
    QCOMPARE(TableRows(db(), "入院信息表"), (QStringList{"LS|李四|男|30||", "ZS|张三|男|40||"}));
    QVERIFY(focused(box(w, "Edit1")));
    QCOMPARE(TestKit::MessageTexts(), QStringList());
    // The deposit row: the list, the amount, the button, back to the list.
    auto* patients = Find<DataGrid>(&w, "DBGrid2");
    pickRow(w, 0);
    const QString chosen = box(w, "Edit6")->text();
    patients->setFocus();
    enter();
    QVERIFY(focused(box(w, "Edit2")));
    TestKit::Type(box(w, "Edit2"), "25");
    enter();
    QVERIFY(focused(Find<QPushButton>(&w, "BitBtn1")));
    enter();
    QVERIFY(focused(patients));
    QCOMPARE(TableRows(db(), "住院患者押金表"), QStringList{chosen + "|2024-06-03|现金存入|25|王护士"});
  }

  void dischargeWithNoPatientChosenDeletesNothing() {
    Admit(db(), "张三", "ZS");
    Ledger(db(), "张三", "现金存入", 500);
    Ledger(db(), "", "现金存入", 1);
    Tzyhzfygl w;
    show(w);
    TestKit::Type(box(w, "Edit1"), "张三");
    TestKit::AnswerNext({true});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTitles(), QStringList{"患者出院提示"});
    QCOMPARE(TableRows(db(), "入院信息表").size(), 1);
    QCOMPARE(TableRows(db(), "住院患者押金表").size(), 2);
    QCOMPARE(box(w, "Edit1")->text(), QString());
    QCOMPARE(box(w, "Edit7")->text(), QString("1"));
  }

  void dischargeAsksAndOnYesEmptiesEverything() {
    Admit(db(), "张三", "ZS");
    Ledger(db(), "张三", "现金存入", 500);
    Tzyhzfygl w;
    show(w);
    pickRow(w, 0);
    TestKit::AnswerNext({false});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您确认该患者出院吗？，如果出院点\"是\""});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"患者出院提示"});
    QCOMPARE(count("select count(*) from 住院患者押金表"), QString("1"));
    QCOMPARE(box(w, "Edit6")->text(), QString("张三"));
    TestKit::AnswerNext({true});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(count("select count(*) from 住院患者押金表"), QString("0"));
    QCOMPARE(count("select count(*) from 入院信息表"), QString("0"));
    QCOMPARE(box(w, "Edit6")->text(), QString());
    QCOMPARE(box(w, "Edit2")->text(), QString("0"));
    QCOMPARE(box(w, "Edit7")->text(), QString("0"));
    QCOMPARE(shownTotals(w), (QStringList{"0.0", "0.0", "0"}));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 0);
  }
};

BRIMWICK_TEST_MAIN(InpatientsTest)
#include "inpatients.moc"
