// The patient returns window driven as a user would, on both stores.
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QPushButton>

#include "clinicseed.h"
#include "frontdesk/hzty.h"
#include "frontdesk/patientreturnposting.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/printcanvas.h"
#include "platform/session.h"
#include "support/testkit.h"

using namespace ClinicSeed;
using ClinicFixture::TableRows;

namespace {
const VisitKey kSecondVisit{8, QStringLiteral("acc1")};
const QString kNotOurs = QStringLiteral("对不起，您的药品不是本医院药品!对您的行为表示遗憾");

QPoint At(const DrawnText& text) { return {text.x, text.y}; }
}  // namespace

class PatientReturnsWindowTest : public QObject {
  Q_OBJECT
  QLabel account_;
  QLabel name_;
  Connection store_;
  std::unique_ptr<TFormhzty> window_;

  QSqlDatabase db() const { return store_.db(); }
  template <typename T>
  T* find(const char* name) {
    return Find<T>(window_.get(), name);
  }

  void open() {
    window_ = std::make_unique<TFormhzty>();
    window_->resize(1400, 1000);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  // Day, name, then the visit chosen by the arrow keys.
  void choosePatient(int visitRow) {
    auto* picker = find<QDateEdit>("DateTimePicker1");
    picker->setFocus();
    TestKit::PressEnter(picker);
    QVERIFY(find<QLineEdit>("Edit1")->isVisible());
    QVERIFY(find<QLineEdit>("Edit1")->hasFocus());
    TestKit::Type(find<QLineEdit>("Edit1"), "张三");
    auto* visits = find<DataGrid>("DBGrid1");
    QCOMPARE(visits->RecordCount(), 2);
    TestKit::PressEnter(find<QLineEdit>("Edit1"));  // chooses the visit under the cursor
    QVERIFY(visits->hasFocus());
    for (int i = 0; i < visitRow; ++i) QTest::keyClick(visits, Qt::Key_Down);
    QCOMPARE(find<QLineEdit>("Editlsh")->text(), QString::number(visitRow == 0 ? 7 : 8));
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void initTestCase() {
    Session::SetPanels(&account_, &name_);
    PrintOutput::RecordInstead();
  }
  void init() {
    ClinicFixture::Prepare();
    Session::SetLogin(kPricer, kOperator);
    Clock::Set(QDateTime(kPaid, QTime(10, 0)));
    TestKit::ClearMessages();
    PrintOutput::ClearRecordedJobs();
    store_ = OpenClinicDatabase();
    Stock(db());
    PaidVisit(db(), kVisit, "张三", 3);
    PaidVisit(db(), kSecondVisit, "张三", 2);
  }
  void cleanup() {
    window_.reset();
    store_ = Connection();
    Clock::Reset();
  }

  // The second visit, chosen by the arrow key, is the one returned,
  // refunded, printed and committed; the first visit's staged row stays.
  void returnRefundPrintAndCommit() {
    QCOMPARE(ReturnDispensedLine(db(), {kVisit, kCode, kBatch, "1", "0", kPaid, kPaid, kOperator}),
             ReturnOutcome::Done);
    Clock::Set(QDateTime(kReturned, QTime(9, 0)));
    open();
    find<QDateEdit>("DateTimePicker1")->setDate(kPaid);
    choosePatient(1);
    auto* lines = find<DataGrid>("DBGrid2");
    QCOMPARE(lines->RecordCount(), 1);
    TestKit::ClickRow(lines, 0);
    QCOMPARE(find<QLineEdit>("Editsl")->text(), QString("2"));
    TestKit::Type(find<QLineEdit>("Editph"), "B1");
    TestKit::Type(find<QLineEdit>("Editsl"), "9");  // cut back to what was dispensed
    QCOMPARE(find<QLineEdit>("Editsl")->text(), QString("2"));
    TestKit::Type(find<QLineEdit>("Editsl"), "1");
    TestKit::Click(find<QPushButton>("BitBtn1"));
    QCOMPARE(find<DataGrid>("DBGrid3")->RecordCount(), 1);
    QCOMPARE(find<QLineEdit>("Edit3")->text(), QString("12.00"));
    // Reloaded after the return with seven widths; the rest as opened anew.
    const int plain = lines->horizontalHeader()->defaultSectionSize();
    QCOMPARE(TestKit::LeastWidths(lines, 10), (QList<int>{60, 120, 60, 60, 60, 60, 160, plain, plain, plain}));

    auto* services = find<DataGrid>("DBGrid4");
    QCOMPARE(services->RecordCount(), 2);
    // A key in the service list locks the visits as a click does.
    find<DataGrid>("DBGrid1")->setEnabled(true);
    services->setFocus();
    QTest::keyClick(services, Qt::Key_Down);
    QVERIFY(!find<DataGrid>("DBGrid1")->isEnabled());
    TestKit::ClickRow(services, 1);
    QCOMPARE(find<QLineEdit>("Edit6")->text(), QString("15.00"));
    QVERIFY(!find<QLineEdit>("Edit6")->isReadOnly());
    TestKit::Type(find<QLineEdit>("Edit6"), "5");
    TestKit::Click(find<QPushButton>("BitBtn3"));
    QCOMPARE(find<QLineEdit>("Edit4")->text(), QString("5.00"));
    QCOMPARE(find<QLineEdit>("Edit5")->text(), QString("17.00"));

    TestKit::Click(find<QPushButton>("BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(),
             (QStringList{"您确定给这个患者退药品吗？", "打印成功，请按，此单不能更改"}));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    const RecordingCanvas& voucher = PrintOutput::RecordedJobs()[0].canvas;
    QCOMPARE(At(voucher.Find("Fenmarrow患者退药凭证")[0]), QPoint(300, 33));
    QCOMPARE(voucher.Find("Fenmarrow患者退药凭证")[0].size, 18);
    QCOMPARE(At(voucher.Find("患者姓名：")[0]), QPoint(50, 83));
    QCOMPARE(voucher.Find("患者姓名：")[0].size, 8);
    QCOMPARE(At(voucher.Find("张三")[0]), QPoint(100, 83));
    QCOMPARE(At(voucher.Find("17.00")[0]), QPoint(300, 83));
    QCOMPARE(At(voucher.Find("退药总金额(元)：")[0]), QPoint(350, 83));
    QCOMPARE(At(voucher.Find("12.00")[0]), QPoint(450, 83));
    QCOMPARE(At(voucher.Find("服务费总金额(元)：")[0]), QPoint(500, 83));
    QCOMPARE(At(voucher.Find("品      名")[0]), QPoint(100, 102));
    QCOMPARE(voucher.Find("阿莫西林").size(), 1);  // the first visit's row stays off
    QCOMPARE(At(voucher.Find("阿莫西林")[0]), QPoint(40, 127));
    QCOMPARE(At(voucher.Find("B1")[0]), QPoint(40 + 254 + 70 + 40 + 25, 127));
    QCOMPARE(At(voucher.Find("服务类别")[0]), QPoint(40, 167));
    QCOMPARE(At(voucher.Find("5.00")[1]), QPoint(294, 187));
    QCOMPARE(At(voucher.Find("打印制表人帐号")[0]), QPoint(200, 207));
    QCOMPARE(At(voucher.Find(kOperator)[0]), QPoint(300, 207));

    // Committed: the second visit lowered and booked, the first untouched.
    QCOMPARE(TableRows(db(), "患者信息"),
             (QStringList{"门诊|7|张三|2026-03-02|36|30|acc1|收银01|66", "门诊|8|张三|2026-03-02|12|25|acc1|收银01|37"}));
    QCOMPARE(TableRows(db(), "住院患者押金表"), QStringList{"张三|2026-03-03|退方存入|17|药房01"});
    QCOMPARE(TableRows(db(), "退药信息"), QStringList{"00001|2026-03-02|2026-03-03|1|12|B1|药房01|8|acc1|12"});
    QCOMPARE(TableRows(db(), "退药临时信息"), QStringList{"00001|2026-03-02|2026-03-02|1|12|B1|药房01|7|acc1|12"});
    QVERIFY(!find<QLineEdit>("Edit1")->isVisible());
    QVERIFY(find<QDateEdit>("DateTimePicker1")->isEnabled());
    QVERIFY(!find<QPushButton>("BitBtn2")->isVisible());
    QCOMPARE(find<DataGrid>("DBGrid3")->RecordCount(), 1);  // every operator's staged rows
    QCOMPARE(TestKit::LeastWidths(find<DataGrid>("DBGrid3")).mid(0, 7), (QList<int>{50, 120, 60, 60, 60, 60, plain}));
  }

  // A visit holding two lines of one goods (as stores from before a visit
  // kept one line per goods may): each return lowers the line picked and
  // refunds at its own price.
  void returnLowersTheLinePicked() {
    ClinicFixture::InsertRow(db(), "出库信息",
                             {{"流水号", kSecondVisit.serial}, {"编号", kCode}, {"时间", DayText(kPriced)},
                              {"数量", 2}, {"单价(元)", 5}, {"划价人帐号", kSecondVisit.account},
                              {"收银人帐号", "收银01"}});
    open();
    choosePatient(1);
    auto* lines = find<DataGrid>("DBGrid2");
    QCOMPARE(lines->RecordCount(), 2);
    for (int row : {1, 0}) {
      TestKit::ClickRow(lines, row);
      TestKit::Type(find<QLineEdit>("Editph"), "B1");
      TestKit::Type(find<QLineEdit>("Editsl"), "1");
      TestKit::Click(find<QPushButton>("BitBtn1"));
      QCOMPARE(find<QLineEdit>("Edit3")->text(), QString(row == 1 ? "5.00" : "17.00"));
    }
    QCOMPARE(TableRows(db(), "退药临时信息"), (QStringList{"00001|2026-03-01|2026-03-02|1|5|B1|药房01|8|acc1|5",
                                                       "00001|2026-03-02|2026-03-02|1|12|B1|药房01|8|acc1|12"}));
    QCOMPARE(ScalarText(db(), "select sum(数量) from 出库信息 where 流水号 = 8"), QString("2"));
  }

  void failedPrintAsksNothingAndCommitsNothing() {
    QCOMPARE(RefundServiceLine(db(), 1, "15", kPaid, kOperator), RefundOutcome::Whole);
    open();
    choosePatient(0);
    QCOMPARE(find<QLineEdit>("Edit5")->text(), QString("15.00"));
    const QStringList before = TableRows(db(), "服务费退还临时信息");
    PrintOutput::FailNext("打印机没有纸");
    TestKit::ClearMessages();
    TestKit::Click(find<QPushButton>("BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"打印机没有纸"});
    QCOMPARE(TableRows(db(), "服务费退还临时信息"), before);
    QCOMPARE(TableRows(db(), "服务费退还信息"), QStringList{});
    QCOMPARE(TableRows(db(), "住院患者押金表"), QStringList{});

    // No at the question keeps everything staged too.
    TestKit::AnswerNext({false});
    TestKit::Click(find<QPushButton>("BitBtn2"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    QCOMPARE(TableRows(db(), "服务费退还临时信息"), before);
  }

  void refusals() {
    open();
    choosePatient(0);
    TestKit::Click(find<QPushButton>("BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，不能退费！"});
    QCOMPARE(PrintOutput::RecordedJobs().size(), 0);

    TestKit::ClearMessages();
    TestKit::ClickRow(find<DataGrid>("DBGrid2"), 0);
    TestKit::Type(find<QLineEdit>("Editph"), "ZZ9");
    TestKit::Click(find<QPushButton>("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{kNotOurs});

    TestKit::ClearMessages();
    TestKit::Type(find<QLineEdit>("Editph"), "B1");
    TestKit::Type(find<QLineEdit>("Editsl"), ".");
    TestKit::Click(find<QPushButton>("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), (QStringList{"您确定给这个患者退药品吗？", "对不起，请输入药品数量"}));

    TestKit::ClearMessages();
    TestKit::Click(find<QPushButton>("BitBtn3"));  // no service line picked: the fee box holds 0.00
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，操作失败"});
    QCOMPARE(TableRows(db(), "退药临时信息"), QStringList{});
    QCOMPARE(TableRows(db(), "服务费退还临时信息"), QStringList{});
  }
};

BRIMWICK_TEST_MAIN(PatientReturnsWindowTest)
#include "hzty.moc"
