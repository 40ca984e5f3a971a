// Returning dispensed medicine, refunding service fees and committing a
// patient return, on both stores.
#include <QSqlQuery>

#include "clinicseed.h"
#include "frontdesk/patientreturnposting.h"
#include "support/testkit.h"

using namespace ClinicSeed;
using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

namespace {
const QStringList kTouched{"出库信息", "库存", "药品过期表", "退药临时信息", "服务信息", "服务费退还临时信息",
                           "退药信息", "服务费退还信息", "患者信息", "住院患者押金表"};

QMap<QString, QStringList> Snapshot(const QSqlDatabase& db) {
  QMap<QString, QStringList> tables;
  for (const QString& table : kTouched) tables[table] = TableRows(db, table);
  return tables;
}

LineReturn Line(const QString& batch, const QString& quantity, const QString& shelfLife = "0",
                const VisitKey& visit = kVisit) {
  return {visit, kCode, batch, quantity, shelfLife, QDate(2025, 12, 1), kReturned, kOperator};
}

// A store with the goods on the shelves and 张三's visit paid and dispensed.
Connection PaidStore(double quantity) {
  Connection c = OpenClinicDatabase();
  Stock(c.db());
  PaidVisit(c.db(), kVisit, "张三", quantity);
  return c;
}

QList<qint64> ServiceRowIds(const QSqlDatabase& db, const VisitKey& visit = kVisit) {
  QList<qint64> ids;
  for (const QVariantList& row : ReadAll(db, "select 行号 from 服务信息 where 流水号 = ? and 划价人帐号 = ? order by 行号",
                                         visit.Values()))
    ids << row[0].toLongLong();
  return ids;
}
}  // namespace

class PatientReturnPostingTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  // Priced on day 1, paid and dispensed on day 2, returned on day 3: the
  // line is found by the visit and code whatever the days.
  void returnLowersLineRaisesBatchAndStock() {
    Connection c = PaidStore(3);
    const QSqlDatabase db = c.db();
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "2")), ReturnOutcome::Done);
    QCOMPARE(Number(db, "select 数量 from 出库信息"), 1.0);
    QCOMPARE(Number(db, "select 数量 from 库存"), 22.0);
    QCOMPARE(Number(db, "select 数量 from 药品过期表 where 药品批号 = 'B1'"), 12.0);
    QCOMPARE(TableRows(db, "退药临时信息"),
             QStringList{"00001|2026-03-02|2026-03-03|2|12|B1|药房01|7|acc1|24"});

    // A batch used up and gone is made again with its day and shelf life.
    QCOMPARE(ReturnDispensedLine(db, Line("B0", "1", "365")), ReturnOutcome::Done);
    QCOMPARE(TableRows(db, "药品过期表").filter("|B0|"), QStringList{"00001|B0|1|2025-12-01|365|2026-12-01"});
    QCOMPARE(Number(db, "select 数量 from 出库信息"), 0.0);

    // Nothing is left to return: refused, nothing moves.
    const auto before = Snapshot(db);
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "0.5")), ReturnOutcome::Failed);
    QCOMPARE(Snapshot(db), before);
  }

  void refusedReturnsChangeNothing() {
    Connection c = PaidStore(3);
    const QSqlDatabase db = c.db();
    const auto before = Snapshot(db);
    for (const char* quantity : {"0", "abc", "", "-1", "0.0"})
      QCOMPARE(ReturnDispensedLine(db, Line(kBatch, quantity)), ReturnOutcome::BadQuantity);
    QCOMPARE(ReturnDispensedLine(db, Line("NEW", "1", "abc")), ReturnOutcome::BadShelfLife);
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "4")), ReturnOutcome::Failed);
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "1", "0", VisitKey{7, "other"})), ReturnOutcome::Failed);
    QCOMPARE(Snapshot(db), before);
  }

  // Two identical lines: one refunded whole, the other 0.01 short of its fee.
  void serviceRefundChangesExactlyTheLinePicked() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    PaidVisit(db, kVisit, "张三", 1);
    const QList<qint64> ids = ServiceRowIds(db);
    QCOMPARE(ids.size(), 2);
    QCOMPARE(RefundServiceLine(db, ids[0], "20", kReturned, kOperator), RefundOutcome::Whole);
    QCOMPARE(ServiceRowIds(db), QList<qint64>{ids[1]});
    QCOMPARE(Number(db, R"~(select "服务费(元)" from 服务信息)~"), 15.0);
    QCOMPARE(RefundServiceLine(db, ids[1], "14.99", kReturned, kOperator), RefundOutcome::Part);
    QVERIFY(qAbs(Number(db, R"~(select "服务费(元)" from 服务信息)~") - 0.01) < 1e-9);
    QCOMPARE(TableRows(db, "服务费退还临时信息"),
             (QStringList{"注射|7|2026-03-01|2026-03-03|14.99|医师01|护士01|acc1|药房01",
                          "注射|7|2026-03-01|2026-03-03|15|医师01|护士01|acc1|药房01"}));
    const auto before = Snapshot(db);
    for (const char* amount : {"0", "abc", "0.00"})
      QCOMPARE(RefundServiceLine(db, ids[1], amount, kReturned, kOperator), RefundOutcome::BadAmount);
    QCOMPARE(RefundServiceLine(db, ids[0], "1", kReturned, kOperator), RefundOutcome::Failed);
    QCOMPARE(Snapshot(db), before);
  }

  // 20 @ 2.00 and 2 @ 5.00 of one goods in one visit, as stores made
  // before a visit kept one line per goods hold them: each return lowers
  // the line its row names, at that line's own price, and the visit's fee
  // ends where its lines do.
  void twoLinesOfOneGoodsReturnLineByLine() {
    Connection c = PaidStore(20);
    const QSqlDatabase db = c.db();
    Exec(db, R"~(update 出库信息 set "单价(元)" = 2)~");
    InsertRow(db, "出库信息", {{"流水号", kVisit.serial}, {"编号", kCode}, {"时间", "2026-03-01"}, {"数量", 2},
                               {"单价(元)", 5}, {"划价人帐号", kVisit.account}, {"收银人帐号", "收银01"}});
    Exec(db, R"~(update 患者信息 set "药费(元)" = 50)~");
    const QList<QVariantList> rows =
        ReadAll(db, "select " + DispensedLineRowId(db) + R"~( from 出库信息 order by "单价(元)")~");
    const auto returning = [&](int line, const char* quantity) {
      LineReturn r = Line(kBatch, quantity);
      r.lineRow = rows[line][0];
      return ReturnDispensedLine(db, r);
    };
    // Without a row, which of the two is meant cannot be told.
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "1")), ReturnOutcome::Failed);
    QCOMPARE(returning(0, "10"), ReturnOutcome::Done);
    QCOMPARE(returning(1, "3"), ReturnOutcome::Failed);
    QCOMPARE(returning(1, "1"), ReturnOutcome::Done);
    QCOMPARE(TableRows(db, "退药临时信息"), (QStringList{"00001|2026-03-01|2026-03-03|1|5|B1|药房01|7|acc1|5",
                                                       "00001|2026-03-02|2026-03-03|10|2|B1|药房01|7|acc1|20"}));
    QVERIFY(CommitPatientReturn(db, kVisit, kOperator, kReturned));
    QCOMPARE(ScalarText(db, R"~(select "药费(元)" from 患者信息)~"), QString("25"));
    QCOMPARE(Number(db, R"~(select sum("总价(元)") from 出库信息)~"), 25.0);
  }

  // What the visit's staged refunds come to stays within the amounts'
  // digits, medicine and services apart and together.
  void refundsStayWithinTheDigits() {
    Connection c = PaidStore(2);
    const QSqlDatabase db = c.db();
    Exec(db, R"~(update 出库信息 set "单价(元)" = 6e12)~");
    Exec(db, R"~(update 服务信息 set "服务费(元)" = 5e12)~");
    const QList<qint64> ids = ServiceRowIds(db);
    QCOMPARE(RefundServiceLine(db, ids[0], "5000000000000", kReturned, kOperator), RefundOutcome::Whole);
    const auto before = Snapshot(db);
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "1")), ReturnOutcome::BadQuantity);
    QCOMPARE(Snapshot(db), before);
    QCOMPARE(RefundServiceLine(db, ids[1], "4999999999999.99", kReturned, kOperator), RefundOutcome::Part);
    const auto full = Snapshot(db);
    QCOMPARE(RefundServiceLine(db, ids[1], "0.01", kReturned, kOperator), RefundOutcome::BadAmount);
    QCOMPARE(Snapshot(db), full);
  }

  // A part refund writes the line once: each write rewrites the line in
  // every index that holds the fee, and rounds it again.
  void partRefundWritesTheLineOnce() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    if (IsPostgres(db)) QSKIP("counted by a temporary trigger of SQLite's");
    PaidVisit(db, kVisit, "张三", 1);
    ExecDirect(db, "create temp table writes (n integer)");
    ExecDirect(db, "create temp trigger counted after update on 服务信息 begin insert into writes values (1); end");
    QCOMPARE(RefundServiceLine(db, ServiceRowIds(db)[0], "5", kReturned, kOperator), RefundOutcome::Part);
    QCOMPARE(Number(db, "select count(*) from writes"), 1.0);
  }

  // The commit moves this operator's rows of this visit only and lowers
  // the visit by exactly what it moved.
  void commitMovesOnlyThisVisitsRows() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Stock(db);
    const VisitKey sameSerial{7, "acc2"};
    PaidVisit(db, kVisit, "张三", 3);
    PaidVisit(db, sameSerial, "李四", 3);
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "1")), ReturnOutcome::Done);
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "2", "0", sameSerial)), ReturnOutcome::Done);
    QCOMPARE(RefundServiceLine(db, ServiceRowIds(db)[0], "5", kReturned, kOperator), RefundOutcome::Part);
    LineReturn otherDesk = Line(kBatch, "1");
    otherDesk.operatorName = "药房09";
    QCOMPARE(ReturnDispensedLine(db, otherDesk), ReturnOutcome::Done);

    const RefundTotals sums = RefundSums(db, kVisit, kOperator);
    QCOMPARE(sums.medicine, QString("12.00"));
    QCOMPARE(sums.service, QString("5.00"));
    QCOMPARE(sums.total, QString("17.00"));

    CommittedReturn moved;
    QVERIFY(CommitPatientReturn(db, kVisit, kOperator, kReturned, &moved));
    QCOMPARE(moved.medicineRows, 1);
    QCOMPARE(moved.serviceRows, 1);
    QCOMPARE(TableRows(db, "退药信息"), QStringList{"00001|2026-03-02|2026-03-03|1|12|B1|药房01|7|acc1|12"});
    QCOMPARE(TableRows(db, "服务费退还信息"),
             QStringList{"注射|7|2026-03-01|2026-03-03|5|医师01|护士01|药房01|acc1"});
    QCOMPARE(TableRows(db, "退药临时信息").size(), 2);  // the other visit's and the other desk's
    QCOMPARE(TableRows(db, "患者信息"),
             (QStringList{"门诊|7|张三|2026-03-02|24|25|acc1|收银01|49", "门诊|7|李四|2026-03-02|36|30|acc2|收银01|66"}));
    QCOMPARE(TableRows(db, "住院患者押金表"), QStringList{"张三|2026-03-03|退方存入|17|药房01"});
    QCOMPARE(RefundSums(db, kVisit, kOperator).total, QString("0.00"));

    // Nothing left to commit: refused, nothing changes.
    const auto before = Snapshot(db);
    QVERIFY(!CommitPatientReturn(db, kVisit, kOperator, kReturned));
    QCOMPARE(Snapshot(db), before);
  }

  void servicesOnlyCommitKeepsTheMedicineFee() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    PaidVisit(db, kVisit, "张三", 2);
    QCOMPARE(RefundServiceLine(db, ServiceRowIds(db)[1], "15", kReturned, kOperator), RefundOutcome::Whole);
    QVERIFY(CommitPatientReturn(db, kVisit, kOperator, kReturned));
    QCOMPARE(Number(db, R"~(select "药费(元)" from 患者信息)~"), 24.0);
    QCOMPARE(Number(db, R"~(select "服务费(元)" from 患者信息)~"), 15.0);
    QCOMPARE(TableRows(db, "住院患者押金表"), QStringList{"张三|2026-03-03|退方存入|15|药房01"});
  }

  // A commit that fails at any of its statements leaves every table as it
  // was, the staged rows still staged.
  void commitFailingAnywhereLeavesEverything_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("event");
    QTest::newRow("copy medicine") << "退药信息" << "insert";
    QTest::newRow("copy services") << "服务费退还信息" << "insert";
    QTest::newRow("take services") << "服务费退还临时信息" << "delete";
    QTest::newRow("lower visit") << "患者信息" << "update";
    QTest::newRow("book refund") << "住院患者押金表" << "insert";
  }
  void commitFailingAnywhereLeavesEverything() {
    QFETCH(QString, table);
    QFETCH(QString, event);
    Connection c = PaidStore(2);
    const QSqlDatabase db = c.db();
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "1")), ReturnOutcome::Done);
    QCOMPARE(RefundServiceLine(db, ServiceRowIds(db)[0], "3", kReturned, kOperator), RefundOutcome::Part);
    const auto before = Snapshot(db);
    FailOn(db, table, event);
    QVERIFY(!CommitPatientReturn(db, kVisit, kOperator, kReturned));
    StopFailing(db, table, event);
    QCOMPARE(Snapshot(db), before);
  }

  void returnFailingAnywhereLeavesEverything_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("event");
    QTest::newRow("batch") << "药品过期表" << "update";
    QTest::newRow("stock") << "库存" << "update";
    QTest::newRow("line") << "出库信息" << "update";
    QTest::newRow("staged") << "退药临时信息" << "insert";
  }
  void returnFailingAnywhereLeavesEverything() {
    QFETCH(QString, table);
    QFETCH(QString, event);
    Connection c = PaidStore(2);
    const QSqlDatabase db = c.db();
    const auto before = Snapshot(db);
    FailOn(db, table, event);
    QCOMPARE(ReturnDispensedLine(db, Line(kBatch, "1")), ReturnOutcome::Failed);
    StopFailing(db, table, event);
    QCOMPARE(Snapshot(db), before);
  }
};

BRIMWICK_TEST_MAIN(PatientReturnPostingTest)
#include "patientreturnposting.moc"
