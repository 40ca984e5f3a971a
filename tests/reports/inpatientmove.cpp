// Moving a visit to the inpatient account, and the admission before it, on
// both stores: all three visit tables and the ledger move together or not
// at all, and the amount booked is the one stored when the move runs.
#include <QDateEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlQuery>
#include <atomic>
#include <latch>
#include <thread>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "reports/hzxibb.h"
#include "reports/inpatientmove.h"
#include "reportwindow.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "support/throwawayserver.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

namespace {
const QString kDay = QStringLiteral("2026-11-03");
const ListedVisit kVisit{{7, "acc01"}, kDay, "张三"};
const QStringList kVisitTables{"患者信息", "出库信息", "服务信息", "住院患者押金表"};

void SeedVisit(const QSqlDatabase& db, const QString& category = "门诊") {
  InsertRow(db, "患者信息", {{"收费类别", category}, {"流水号", 7}, {"姓名", "张三"}, {"时间", kDay},
                             {"药费(元)", 30}, {"服务费(元)", 12.5}, {"划价人帐号", "acc01"}, {"收银人帐号", "收银01"}});
  for (const double price : {10.0, 5.0})
    InsertRow(db, "出库信息", {{"流水号", 7}, {"编号", "00001"}, {"时间", kDay}, {"数量", 2}, {"单价(元)", price},
                               {"划价人帐号", "acc01"}, {"收费类别", category}});
  InsertRow(db, "服务信息", {{"服务类别", "注射"}, {"流水号", 7}, {"时间", kDay}, {"服务费(元)", 12.5},
                             {"划价人帐号", "acc01"}, {"收费类别", category}});
  // The same serial of another account, and a line of the visit's serial
  // on another day: neither belongs to the visit.
  InsertRow(db, "出库信息", {{"流水号", 7}, {"编号", "00002"}, {"时间", kDay}, {"数量", 1}, {"单价(元)", 4},
                             {"划价人帐号", "acc02"}, {"收费类别", "门诊"}});
  InsertRow(db, "服务信息", {{"服务类别", "换药"}, {"流水号", 7}, {"时间", "2026-11-04"}, {"服务费(元)", 3},
                             {"划价人帐号", "acc01"}, {"收费类别", "门诊"}});
}

QString Scalar(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
  return ScalarText(db, sql, values);
}

QMap<QString, QStringList> Snapshot(const QSqlDatabase& db) {
  QMap<QString, QStringList> tables;
  for (const QString& table : kVisitTables) tables[table] = TableRows(db, table);
  return tables;
}
}  // namespace

class InpatientMoveTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void moveReclassesTheVisitAndBooksItsStoredAmount() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedVisit(db);
    // A return after the list was read lowered the medicine fee.
    Exec(db, R"~(update 患者信息 set "药费(元)" = 20 where 流水号 = 7)~");
    QVERIFY(MoveToInpatient(db, kVisit, "收银01"));

    QCOMPARE(Scalar(db, "select 收费类别 from 患者信息 where 流水号 = 7"), QString("住院"));
    QCOMPARE(Scalar(db, "select count(*) from 出库信息 where 划价人帐号 = 'acc01' and 收费类别 = '住院'"), QString("2"));
    QCOMPARE(Scalar(db, "select 收费类别 from 出库信息 where 划价人帐号 = 'acc02'"), QString("门诊"));
    QCOMPARE(Scalar(db, "select 收费类别 from 服务信息 where 服务类别 = '注射'"), QString("住院"));
    QCOMPARE(Scalar(db, "select 收费类别 from 服务信息 where 服务类别 = '换药'"), QString("门诊"));
    const QStringList ledger = TableRows(db, "住院患者押金表");
    QCOMPARE(ledger.size(), 1);
    QCOMPARE(Scalar(db, "select 金额 from 住院患者押金表").toDouble(), 32.5);
    QCOMPARE(Scalar(db, "select 收费类别 || '|' || 操作人帐号 || '|' || 姓名 from 住院患者押金表"),
             QString("支出|收银01|张三"));
    QCOMPARE(Scalar(db, "select cast(时间 as text) from 住院患者押金表"), kDay);
  }

  void visitThatIsNotOneOutpatientRowMovesNothing_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<int>("copies");
    QTest::addColumn<QString>("why");
    QTest::newRow("already inpatient") << "住院" << 1 << "这次就诊已转入住院，不再是门诊就诊";
    QTest::newRow("staff") << "职工用药" << 1 << "这次就诊是职工用药，不是门诊就诊，不能转入住院";
    QTest::newRow("gone") << "门诊" << 0 << "这次就诊的记录已不存在";
    QTest::newRow("twice") << "门诊" << 2 << "这次就诊有2条门诊记录，无法确定转入哪一条";
  }
  void visitThatIsNotOneOutpatientRowMovesNothing() {
    QFETCH(QString, category);
    QFETCH(int, copies);
    QFETCH(QString, why);
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedVisit(db, category);
    if (copies == 0) Exec(db, "delete from 患者信息");
    if (copies == 2) Exec(db, "insert into 患者信息 (收费类别, 流水号, 姓名, 时间, 划价人帐号) values ('门诊', 7, '张三', ?, 'acc01')", {kDay});
    const auto before = Snapshot(db);
    QString failure;
    QVERIFY(!MoveToInpatient(db, kVisit, "收银01", &failure));
    QCOMPARE(failure, why);
    QCOMPARE(Snapshot(db), before);
  }

  void failingLedgerLeavesTheVisitAsItWas() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedVisit(db);
    const auto before = Snapshot(db);
    ExecDirect(db, "alter table 住院患者押金表 rename to 押金表备份");
    QString failure;
    QVERIFY(!MoveToInpatient(db, kVisit, "收银01", &failure));
    // Said as the statement that failed, never as a server out of reach.
    const QString said = PostingFailedText(db);
    QVERIFY2(failure.contains("住院患者押金表") && !said.contains("无法连接"), qPrintable(said + "\n" + failure));
    if (ClinicFixture::CurrentStore() == "sqlite")
      QVERIFY2(said.startsWith("对不起，操作失败：本次操作已全部撤销，没有写入任何数据。\n") && !said.contains("服务器"),
               qPrintable(said));
    ExecDirect(db, "alter table 押金表备份 rename to 住院患者押金表");
    QCOMPARE(Snapshot(db), before);
  }

  // The server stops while the clerk answers the move's question: the move
  // is undone whole, and the clerk reads that in one box, not in a second
  // one for the list the window reads again after it.
  void aServerLostDuringTheMoveIsSaidOnce() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("runs once, on a server of its own");
    ThrowAwayServer server;
    QVERIFY2(server.Error().isEmpty(), qPrintable(server.Error()));
    qputenv("BRIMWICK_CLINIC_SERVER", server.ConnectionString().toUtf8());
    {
      Connection c = OpenClinicDatabase();
      SeedVisit(c.db());
      InsertRow(c.db(), "入院信息表", {{"姓名", "张三"}});
    }
    const ReportLogin login;
    TFormhzxibb window;
    for (const char* picker : {"DateTimePicker1", "DateTimePicker2"})
      Find<QDateEdit>(&window, picker)->setDate(QDate::fromString(kDay, Qt::ISODate));
    TestKit::Click(Find<QPushButton>(&window, "BitBtn1"));
    TestKit::ClickRow(Find<DataGrid>(&window, "DBGrid1"), 0);
    const auto restore = qScopeGuard([] { TestKit::Start(); });
    Messages::InstallResponder([&](const MessageRecord& box) { return !box.question || server.Stop(); });
    TestKit::Click(Find<QPushButton>(&window, "BitBtn2"));
    const QStringList said = TestKit::MessageTexts();
    QCOMPARE(said.size(), 2);  // the question, then the failure
    QVERIFY2(said[1].startsWith("对不起，操作失败：本次操作已全部撤销，没有写入任何数据。\n无法连接诊所数据库服务器"),
             qPrintable(said[1]));
    QVERIFY(server.Start());
    Connection c = OpenClinicDatabase();
    QCOMPARE(Scalar(c.db(), "select 收费类别 from 患者信息 where 流水号 = 7"), QString("门诊"));
    QCOMPARE(TableRows(c.db(), "住院患者押金表"), QStringList{});
  }

  void twoDesksMovingOneVisitBookItOnce() {
    {
      Connection c = OpenClinicDatabase();
      SeedVisit(c.db());
    }
    std::latch ready(2);
    std::atomic<int> moved = 0;
    std::atomic<int> refused = 0;
    auto desk = [&](const QString& user) {
      Connection c = OpenClinicDatabase();
      ready.arrive_and_wait();
      (MoveToInpatient(c.db(), kVisit, user) ? moved : refused)++;
    };
    std::thread first(desk, QString("收银01"));
    std::thread second(desk, QString("收银02"));
    first.join();
    second.join();
    QCOMPARE(moved.load(), 1);
    QCOMPARE(refused.load(), 1);
    Connection c = OpenClinicDatabase();
    QCOMPARE(TableRows(c.db(), "住院患者押金表").size(), 1);
    QCOMPARE(Scalar(c.db(), "select sum(金额) from 住院患者押金表").toDouble(), 42.5);
  }

  void admissionStoresThePinyinCodeOnce() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    QVERIFY(!IsAdmitted(db, "张三"));
    QVERIFY(AdmitPatient(db, {" 张三 ", "男", " 45 ", "HZ001", "东街1号"}));
    QVERIFY(IsAdmitted(db, "张三"));
    QCOMPARE(TableRows(db, "入院信息表"), QStringList{"ZS|张三|男|45|HZ001|东街1号"});
    // Admitted meanwhile at another desk: the first admission stands.
    QVERIFY(!AdmitPatient(db, {"张三", "女", "50", "", ""}));
    QCOMPARE(TableRows(db, "入院信息表").size(), 1);
  }
};

BRIMWICK_TEST_MAIN(InpatientMoveTest)
#include "inpatientmove.moc"
