// The patient information window driven by its component names on both
// stores: the list and its totals, a visit's own lines, and the move to
// inpatient with the admission it may need first.
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/session.h"
#include "reports/hzxibb.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "reportwindow.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

namespace {
void Visit(const QSqlDatabase& db, const QString& category, int serial, const QString& name, const QString& day,
           double medicine, double service) {
  InsertRow(db, "患者信息", {{"收费类别", category}, {"流水号", serial}, {"姓名", name}, {"时间", day},
                             {"药费(元)", medicine}, {"服务费(元)", service}, {"划价人帐号", "acc01"},
                             {"收银人帐号", "收银01"}});
}
void Medicine(const QSqlDatabase& db, int serial, const QString& code, const QString& day, const QString& category,
              double price) {
  InsertRow(db, "出库信息", {{"流水号", serial}, {"编号", code}, {"时间", day}, {"数量", 1}, {"单价(元)", price},
                             {"划价人帐号", "acc01"}, {"收费类别", category}});
}
void Service(const QSqlDatabase& db, int serial, const QString& day, const QString& category, double fee) {
  InsertRow(db, "服务信息", {{"服务类别", "注射"}, {"流水号", serial}, {"时间", day}, {"服务费(元)", fee},
                             {"划价人帐号", "acc01"}, {"收费类别", category}});
}

int RowOf(DataGrid* grid, const QString& name) {
  for (int row = 0; row < grid->RecordCount(); ++row)
    if (grid->Model()->Value(row, 3).toString().trimmed() == name) return row;
  return -1;
}
}  // namespace

class PatientInfoTest : public QObject {
  Q_OBJECT

  ReportLogin login_;
  Connection store_;
  QSqlDatabase db() const { return store_.db(); }
  QString scalar(const QString& sql) { return ScalarText(db(), sql); }

  void query(TFormhzxibb& w, const QString& name) {
    Find<QDateEdit>(&w, "DateTimePicker1")->setDate(QDate(2026, 11, 1));
    Find<QDateEdit>(&w, "DateTimePicker2")->setDate(QDate(2026, 11, 5));
    TestKit::Type(Find<QLineEdit>(&w, "Edit1"), name);
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
  }
  void clickVisit(TFormhzxibb& w, const QString& name) {
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    const int row = RowOf(grid, name);
    QVERIFY2(row >= 0, qPrintable(name));
    TestKit::ClickRow(grid, row);
  }
  QString text(TFormhzxibb& w, const char* box) { return Find<QLineEdit>(&w, box)->text(); }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    Clock::Set(QDateTime(QDate(2026, 11, 5), QTime(9, 0)));
    store_ = OpenClinicDatabase();
    InsertRow(db(), "药品信息", {{"编号", "00001"}, {"品名", "阿莫西林"}, {"厂商", "甲厂"}});
    InsertRow(db(), "药品信息", {{"编号", "00002"}, {"品名", "板蓝根"}, {"厂商", "乙厂"}});
    Visit(db(), "门诊", 1, "张三", "2026-11-03", 30, 0);
    Medicine(db(), 1, "00001", "2026-11-03", "门诊", 10);
    Medicine(db(), 1, "00002", "2026-11-03", "门诊", 20);
    Medicine(db(), 1, "00001", "2026-11-04", "门诊", 7);   // same serial, another day
    Medicine(db(), 1, "00002", "2026-11-03", "住院", 9);   // same day, another category
    Visit(db(), "门诊", 2, "李四", "2026-11-04", 0, 20);
    Service(db(), 2, "2026-11-04", "门诊", 20);
    Visit(db(), "住院", 3, "张小三", "2026-11-02", 10, 5);
    Visit(db(), "门诊", 4, "张三", "2026-10-01", 100, 0);  // before the dates
  }
  void cleanup() {
    store_ = Connection();
    Clock::Reset();
  }

  void totalsCountTheDatesAndTheListTheName() {
    TFormhzxibb w;
    QVERIFY(ShowActive(w));
    QCOMPARE(w.windowTitle(), QString("患者信息报表"));
    QVERIFY(Find<QPushButton>(&w, "BitBtn2")->isHidden());
    QVERIFY(Find<QPushButton>(&w, "BitBtn3")->isHidden());
    QVERIFY(Find<QComboBox>(&w, "ComboBox1")->isHidden());
    query(w, "张");
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    QCOMPARE(grid->RecordCount(), 2);
    QVERIFY(RowOf(grid, "张三") >= 0 && RowOf(grid, "张小三") >= 0);
    QCOMPARE(grid->Model()->headerData(0, Qt::Horizontal).toString(), QString("流水号"));
    QCOMPARE(grid->Model()->data(grid->Model()->index(RowOf(grid, "张三"), 4)).toString(), QString("30.00"));
    QCOMPARE(text(w, "Edit2"), QString("45.00"));
    // The outpatient and inpatient figures ignore the name.
    QCOMPARE(text(w, "Editmz"), QString("50.00"));
    QCOMPARE(text(w, "Edit3"), QString("2"));
    QCOMPARE(text(w, "Editzy"), QString("15.00"));
    QCOMPARE(text(w, "Edit4"), QString("1"));

    query(w, "王");
    QCOMPARE(grid->RecordCount(), 0);
    QCOMPARE(text(w, "Edit2"), QString("0.00"));
    QCOMPARE(text(w, "Editmz"), QString("50.00"));
  }

  void clickShowsTheLinesOfTheVisitsDayAndCategory() {
    TFormhzxibb w;
    QVERIFY(ShowActive(w));
    query(w, "");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 3);
    clickVisit(w, "张三");
    QCOMPARE(text(w, "Edit1"), QString("张三"));
    QVERIFY(!Find<QPushButton>(&w, "BitBtn2")->isHidden());
    auto* medicine = Find<DataGrid>(&w, "DBGrid2");
    auto* services = Find<DataGrid>(&w, "DBGrid3");
    QVERIFY(!medicine->isHidden());
    QVERIFY(services->isHidden());  // no service fee
    QCOMPARE(medicine->RecordCount(), 2);
    QCOMPARE(medicine->Model()->Value(0, 1).toString() + medicine->Model()->Value(1, 1).toString(),
             QString("阿莫西林板蓝根"));

    clickVisit(w, "李四");
    QVERIFY(medicine->isHidden());  // no medicine fee
    QVERIFY(!services->isHidden());
    QCOMPARE(services->RecordCount(), 1);
    QTest::mouseDClick(services->viewport(), Qt::LeftButton, {}, services->visualRect(services->Model()->index(0, 0)).center());
    QVERIFY(services->isHidden());
  }

  void movingAnAdmittedPatientBooksTheStoredAmountOnce() {
    InsertRow(db(), "入院信息表", {{"拼音缩写", "ZS"}, {"姓名", "张三"}});
    TFormhzxibb w;
    QVERIFY(ShowActive(w));
    query(w, "");
    clickVisit(w, "张三");
    // A return after the list was read lowered the visit's amount.
    Exec(db(), R"~(update 患者信息 set "药费(元)" = 25 where 流水号 = 1)~");
    TestKit::AnswerNext({true});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"转入，请按＂是＂，不转入，请按＂否＂"});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"门诊转入住院提示"});
    QCOMPARE(scalar("select 收费类别 from 患者信息 where 流水号 = 1"), QString("住院"));
    QCOMPARE(scalar("select count(*) from 出库信息 where 流水号 = 1 and 收费类别 = '住院'"), QString("3"));
    QCOMPARE(scalar("select 收费类别 from 出库信息 where 时间 = '2026-11-04'"), QString("门诊"));
    QCOMPARE(TableRows(db(), "住院患者押金表"), QStringList{"张三|2026-11-03|支出|25|收银01"});
    // The list was read again for the name; the button waits for a click.
    QVERIFY(Find<QPushButton>(&w, "BitBtn2")->isHidden());
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 1);
    QCOMPARE(text(w, "Editzy"), QString("40.00"));

    // Moving it again is refused and books nothing.
    TestKit::ClearMessages();
    clickVisit(w, "张三");
    TestKit::AnswerNext({true});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts().last(), QString("对不起，操作失败\n这次就诊已转入住院，不再是门诊就诊"));
    QCOMPARE(TableRows(db(), "住院患者押金表").size(), 1);
  }

  void answeringNoMovesNothing() {
    InsertRow(db(), "入院信息表", {{"姓名", "张三"}});
    TFormhzxibb w;
    QVERIFY(ShowActive(w));
    query(w, "");
    clickVisit(w, "张三");
    TestKit::AnswerNext({false});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(scalar("select 收费类别 from 患者信息 where 流水号 = 1"), QString("门诊"));
    QCOMPARE(TableRows(db(), "住院患者押金表").size(), 0);
    QVERIFY(Find<QPushButton>(&w, "BitBtn2")->isHidden());
  }

  void admissionComesFirstForAPatientNotAdmitted() {
    TFormhzxibb w;
    QVERIFY(ShowActive(w));
    query(w, "");
    clickVisit(w, "李四");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    auto* sex = Find<QComboBox>(&w, "ComboBox1");
    QVERIFY(!sex->isHidden());
    QVERIFY(!Find<QPushButton>(&w, "BitBtn3")->isHidden());
    QVERIFY(Find<QPushButton>(&w, "BitBtn2")->isHidden());
    QCOMPARE(sex->currentText(), QString("性别"));
    QCOMPARE(sex->count(), 2);

    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    TestKit::Type(Find<QLineEdit>(&w, "Editnl"), "40");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(TestKit::MessageTexts(), (QStringList{"数据不全！", "数据不全！"}));
    QCOMPARE(TableRows(db(), "入院信息表").size(), 0);

    sex->setFocus();
    QTest::keyClick(sex, Qt::Key_Down);
    QCOMPARE(sex->currentText(), QString("男"));
    TestKit::Type(Find<QLineEdit>(&w, "Editzz"), "西街2号");
    TestKit::ClearMessages();
    TestKit::AnswerNext({true});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(TableRows(db(), "入院信息表"), QStringList{"LS|李四|男|40||西街2号"});
    QVERIFY(sex->isHidden());
    QCOMPARE(Find<QLineEdit>(&w, "Editnl")->text(), QString());
    // Straight on to the move.
    QCOMPARE(TestKit::MessageTitles(), QStringList{"门诊转入住院提示"});
    QCOMPARE(TableRows(db(), "住院患者押金表"), QStringList{"李四|2026-11-04|支出|20|收银01"});
    QCOMPARE(scalar("select 收费类别 from 服务信息 where 流水号 = 2"), QString("住院"));
  }
};

BRIMWICK_TEST_MAIN(PatientInfoTest)
#include "patientinfo.moc"
