// An inpatient visit walked along the desks on both stores: priced one day,
// settled at the cashier and dispensed the next; today's patient fees then
// list it with its lines, and the inpatient desk shows its amount spent.
#include <QLabel>
#include <QLineEdit>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskseed.h"
#include "frontdesk/dispensing.h"
#include "frontdesk/hzxi.h"
#include "frontdesk/inpatients.h"
#include "frontdesk/pricing.h"
#include "frontdesk/settlement.h"
#include "frontdesk/visitserial.h"
#include "frontdesk/zyhzfy.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/session.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using ClinicFixture::InsertRow;

namespace {
const QDate kPricingDay(2026, 12, 6);
const QDate kToday(2026, 12, 7);
const QString kAccount = "acc01";
}  // namespace

class FeesRoadTest : public QObject {
  Q_OBJECT
  QLabel accountPanel_;
  QLabel namePanel_;

  static QString text(QWidget& w, const char* name) { return Find<QLineEdit>(&w, name)->text(); }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    Session::SetPanels(&accountPanel_, &namePanel_);
    Session::SetLogin(kAccount, "王护士");
    Clock::Set(QDateTime(kToday, QTime(9, 0)));
  }
  void cleanup() { Clock::Reset(); }

  void settledAndDispensedInpatientVisitShowsOnBothDesks() {
    {
      Connection c = OpenClinicDatabase();
      const QSqlDatabase db = c.db();
      DeskSeed::AddCatalogue(db);
      QCOMPARE(AdmitInpatient(db, {"ZS", "张三", "男", "40", "", ""}), AdmissionOutcome::Admitted);
      QCOMPARE(BookDeposit(db, "张三", "500", kPricingDay, "王护士"), DepositOutcome::Booked);

      // Priced yesterday: two medicine lines and one service.
      VisitKey key{double(NextVisitSerial(db, kAccount)), kAccount};
      QCOMPARE(AddPricedLine(db, key, {"1001", 2, 8.6, "周文涛", "住院", kPricingDay}, true), PricingResult::Done);
      QCOMPARE(AddPricedLine(db, key, {"1002", 1, 4.2, "周文涛", "住院", kPricingDay}, false), PricingResult::Done);
      QCOMPARE(MakeVoucher(db, key, "张三", "住院", kPricingDay), PricingResult::Done);
      InsertRow(db, "服务信息临时表",
                {{"服务类别", "注射"}, {"流水号", key.serial}, {"时间", DayText(kPricingDay)}, {"服务费(元)", 15},
                 {"开方医师", "周文涛"}, {"服务人", "护士01"}, {"划价人帐号", kAccount}, {"收费类别", "住院"}});
      Exec(db, R"~(update 收银信息 set "服务费(元)" = 15 where 流水号 = ? and 划价人帐号 = ?)~", key.Values());

      // Paid and dispensed today.
      QString failure;
      QCOMPARE(SettleVoucher(db, key, "收银01", kToday, 100, &failure), SettlementResult::Settled);
      QCOMPARE(DispenseVisit(db, key, "药房01", &failure), DispensingResult::Dispensed);
    }

    TFormjrhzxi fees;
    fees.resize(1200, 800);
    fees.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fees));
    QCOMPARE(text(fees, "Editzy"), QString("36.40"));
    QCOMPARE(text(fees, "Edit4"), QString("1"));
    QCOMPARE(text(fees, "Editmz"), QString("0.00"));
    QCOMPARE(text(fees, "Editzj"), QString("36.4"));
    auto* visits = Find<DataGrid>(&fees, "DBGrid1");
    QCOMPARE(visits->RecordCount(), 1);
    TestKit::ClickRow(visits, 0);
    auto* medicine = Find<DataGrid>(&fees, "DBGrid2");
    auto* services = Find<DataGrid>(&fees, "DBGrid3");
    QVERIFY(medicine->isVisible());
    QVERIFY(services->isVisible());
    QCOMPARE(medicine->RecordCount(), 2);
    QCOMPARE(services->RecordCount(), 1);
    QCOMPARE(services->Cell(0), QString("注射"));

    Tzyhzfygl inpatients;
    inpatients.resize(1200, 800);
    inpatients.show();
    QVERIFY(QTest::qWaitForWindowExposed(&inpatients));
    TestKit::ClickRow(Find<DataGrid>(&inpatients, "DBGrid2"), 0);
    QCOMPARE(text(inpatients, "Edit6"), QString("张三"));
    QCOMPARE(QStringList({text(inpatients, "Edit3"), text(inpatients, "Edit4"), text(inpatients, "Edit5")}),
             (QStringList{"500.00", "36.40", "463.6"}));
    QCOMPARE(Find<DataGrid>(&inpatients, "DBGrid1")->RecordCount(), 2);
  }
};

BRIMWICK_TEST_MAIN(FeesRoadTest)
#include "feesroad.moc"
