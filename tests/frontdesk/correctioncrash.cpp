// A desk killed at any moment leaves no half posting behind: a child
// process stages, confirms, returns and commits in a loop and is killed
// with SIGKILL at random, fifty times; the rows must then still add up.
#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <cstdio>

#include "clinicledger.h"
#include "clinicseed.h"
#include "frontdesk/patientreturnposting.h"
#include "frontdesk/stagingconfirm.h"
#include "support/testkit.h"

using namespace ClinicSeed;
using ClinicFixture::InsertRow;

namespace {
const char* const kChildVariable = "BRIMWICK_CRASH_CHILD";
const int kKills = 50;

void Seed(const QSqlDatabase& db) {
  Goods(db, kCode, "阿莫西林", "AMXL", 1e6);
  Batch(db, kCode, kBatch, 1e6);
  Receipt(db, kCode, kBatch, 1e6);
  InsertRow(db, "患者信息", {{"收费类别", "门诊"}, {"流水号", kVisit.serial}, {"姓名", "张三"}, {"时间", DayText(kPaid)},
                             {"药费(元)", 1e6}, {"服务费(元)", 1e6}, {"划价人帐号", kVisit.account}});
  InsertRow(db, "出库信息", {{"流水号", kVisit.serial}, {"编号", kCode}, {"时间", DayText(kPaid)}, {"数量", 1e5},
                             {"单价(元)", 12}, {"划价人帐号", kVisit.account}});
  InsertRow(db, "服务信息", {{"服务类别", "注射"}, {"流水号", kVisit.serial}, {"时间", DayText(kPriced)},
                             {"服务费(元)", 1e6}, {"划价人帐号", kVisit.account}});
}

// The child: every posting of the pharmacy in turn, until it is killed.
int RunChild() {
  try {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    const qint64 receipt = ScalarText(db, "select 行号 from 入库信息").toLongLong();
    const qint64 service = ScalarText(db, "select 行号 from 服务信息").toLongLong();
    for (int i = 0;; ++i) {
      // Ready once a whole round has been written, so that every kill
      // lands on a desk that has posted, however slow the server.
      if (i == 1) {
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
      }
      const Correction kind = i % 2 ? Correction::SupplierReturn : Correction::WriteOff;
      StageCorrection(db, {kind, receipt, "1", "", "acc1", kReturned});
      StageCorrection(db, {kind, receipt, "2", "", "acc1", kReturned});
      StagingConfirm(db, kind, "acc1");
      ReturnDispensedLine(db, {kVisit, kCode, i % 3 ? kBatch : QStringLiteral("NEW"), "1", "30", kPaid, kReturned,
                               kOperator});
      RefundServiceLine(db, service, "1", kReturned, kOperator);
      CommitPatientReturn(db, kVisit, kOperator, kReturned);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
}  // namespace

class CrashTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void killedDeskLeavesNoHalfPosting() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Seed(db);
    const ClinicLedger::Figures before = ClinicLedger::Read(db);
    QRandomGenerator random(42);
    for (int kill = 0; kill < kKills; ++kill) {
      QProcess child;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert(kChildVariable, "1");
      child.setProcessEnvironment(environment);
      child.start(QCoreApplication::applicationFilePath(), {});
      QVERIFY(child.waitForStarted());
      QVERIFY2(child.waitForReadyRead(10000), child.readAllStandardError().constData());
      QTest::qSleep(1 + random.bounded(15));
      child.kill();  // SIGKILL
      QVERIFY(child.waitForFinished());
    }
    const ClinicLedger::Figures after = ClinicLedger::Read(db);
    QCOMPARE(ClinicLedger::Faults(before, after), QStringList{});
    QVERIFY(ScalarText(db, "select count(*) from 药品报损信息").toInt() > 0);
    QVERIFY(ScalarText(db, "select count(*) from 退药信息").toInt() > 0);
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsSet(kChildVariable)) {
    QCoreApplication app(argc, argv);
    return RunChild();
  }
  QApplication app(argc, argv);
  TestKit::Start();
  CrashTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "correctioncrash.moc"
