// A desk killed at any moment leaves no posting half done. This program
// runs itself as the desk: a child pricing, settling and dispensing in a
// loop on the SQLite store, killed with SIGKILL fifty times; after each
// kill the store must be whole.
#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>

#include "frontdesk/deskwork.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using namespace DeskWork;

namespace {
const char* const kChildArgument = "--busy-desk";
const int kKills = 50;

// The child: works until it is killed.
int BusyDesk() {
  QRandomGenerator random(QCoreApplication::applicationPid());
  Connection c = OpenClinicDatabase();
  const QSqlDatabase db = c.db();
  QTextStream(stdout) << "ready" << Qt::endl;
  const Desk desk{QStringLiteral("acc01"), QStringLiteral("收银01"), QStringLiteral("药房01")};
  Tally tally;
  while (true) Round(db, desk, random, tally);
}
}  // namespace

class KilledDeskTest : public QObject {
  Q_OBJECT
 private slots:
  void killedDeskLeavesNoPostingHalfDone() {
    ClinicFixture::Prepare("sqlite");
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    for (const Goods& goods : BusyGoods()) DeskSeed::AddGoods(db, goods);
    QRandomGenerator random(20261207);
    for (int kill = 0; kill < kKills; ++kill) {
      QProcess desk;
      desk.start(QCoreApplication::applicationFilePath(), {kChildArgument});
      QVERIFY(desk.waitForReadyRead(10000));
      QThread::msleep(random.bounded(2, 40));
      desk.kill();  // SIGKILL
      QVERIFY(desk.waitForFinished(10000));
      QCOMPARE(desk.exitStatus(), QProcess::CrashExit);
      const QStringList broken = BrokenRules(db);
      QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("after kill %1: %2").arg(kill).arg(broken.join(", "))));
    }
    // The desk got through every step between the kills.
    for (const char* table : {"患者信息", "出库信息"}) QVERIFY2(DeskSeed::Count(db, table) > 0, table);
  }
};

int main(int argc, char** argv) {
  if (argc == 2 && qstrcmp(argv[1], kChildArgument) == 0) {
    QCoreApplication app(argc, argv);
    return BusyDesk();
  }
  QApplication app(argc, argv);
  TestKit::Start();
  KilledDeskTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "roadcrash.moc"
