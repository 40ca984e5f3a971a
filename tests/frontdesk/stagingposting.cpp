// Staging and confirming returns to the supplier and write-offs, on both
// stores.
#include "clinicseed.h"
#include "frontdesk/stagingconfirm.h"
#include "support/testkit.h"

using namespace ClinicSeed;
using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

Q_DECLARE_METATYPE(Correction)

namespace {
const QStringList kTouched{"库存", "药品过期表", "入库信息", "临时反库信息", "药品反库信息", "药品报损临时信息",
                           "药品报损信息"};
const QDate kToday{2026, 4, 1};

QMap<QString, QStringList> Snapshot(const QSqlDatabase& db) {
  QMap<QString, QStringList> tables;
  for (const QString& table : kTouched) tables[table] = TableRows(db, table);
  return tables;
}

qint64 ReceiptId(const QSqlDatabase& db, const QString& batch = kBatch) {
  return ScalarText(db, "select 行号 from 入库信息 where 药品批号 = ?", {batch}).toLongLong();
}

StagingOutcome Stage(const QSqlDatabase& db, Correction kind, qint64 receipt, const QString& quantity,
                     const QString& account = "acc1", const QString& reason = "破损") {
  return StageCorrection(db, {kind, receipt, quantity, reason, account, kToday});
}

void BothKinds() {
  QTest::addColumn<Correction>("kind");
  QTest::newRow("supplier return") << Correction::SupplierReturn;
  QTest::newRow("write-off") << Correction::WriteOff;
}

QString StagingTable(Correction kind) {
  return kind == Correction::SupplierReturn ? "临时反库信息" : "药品报损临时信息";
}
QString FinalTable(Correction kind) { return kind == Correction::SupplierReturn ? "药品反库信息" : "药品报损信息"; }
}  // namespace

class StagingPostingTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void supplierReturnLowersStockBatchAndReceipt() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Stock(db);
    Receipt(db, kCode, kBatch, 10, 9);  // a second receipt of the same batch at another price
    const qint64 second = ScalarText(db, R"~(select 行号 from 入库信息 where "单价(元)" = 9)~").toLongLong();
    QCOMPARE(Stage(db, Correction::SupplierReturn, second, "4", "acc1", "过量"), StagingOutcome::Staged);
    QCOMPARE(Number(db, "select 数量 from 库存"), 16.0);
    QCOMPARE(Number(db, "select 数量 from 药品过期表"), 6.0);
    QCOMPARE(TableRows(db, "入库信息"),
             (QStringList{"00001|2026-01-05|B1|10|8|80|供货商甲|rk01|1", "00001|2026-01-05|B1|6|9|54|供货商甲|rk01|2"}));
    QCOMPARE(TableRows(db, "临时反库信息"),
             QStringList{"00001|2026-01-05|2026-04-01|B1|4|9|12.5|供货商甲|acc1|rk01|过量|36"});

    // The whole rest of the batch: every empty receipt and batch row goes.
    InsertRow(db, "入库信息", {{"编号", "00009"}, {"时间", "2026-01-01"}, {"药品批号", "Z"}, {"数量", 0}});
    QCOMPARE(Stage(db, Correction::SupplierReturn, second, "6"), StagingOutcome::Staged);
    QCOMPARE(TableRows(db, "药品过期表"), QStringList{});
    QCOMPARE(TableRows(db, "入库信息"), QStringList{"00001|2026-01-05|B1|10|8|80|供货商甲|rk01|1"});
    QCOMPARE(Number(db, "select 数量 from 库存"), 10.0);

    QCOMPARE(StagingConfirm(db, Correction::SupplierReturn, "acc1"), 2);
    QCOMPARE(TableRows(db, "临时反库信息"), QStringList{});
    QCOMPARE(TableRows(db, "药品反库信息"),
             (QStringList{"00001|2026-01-05|2026-04-01|B1|4|9|12.5|供货商甲|rk01|acc1|过量|36|50",
                          "00001|2026-01-05|2026-04-01|B1|6|9|12.5|供货商甲|rk01|acc1|破损|54|75"}));
  }

  void writeOffKeepsReceiptAndEmptyBatch() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Stock(db);
    QCOMPARE(Stage(db, Correction::WriteOff, ReceiptId(db), "10"), StagingOutcome::Staged);
    QCOMPARE(TableRows(db, "药品过期表"), QStringList{"00001|B1|0|2026-01-01|730|2028-01-01"});
    QCOMPARE(TableRows(db, "入库信息"), QStringList{"00001|2026-01-05|B1|10|8|80|供货商甲|rk01|1"});
    QCOMPARE(Number(db, "select 数量 from 库存"), 10.0);
    QCOMPARE(TableRows(db, "药品报损临时信息"),
             QStringList{"00001|2026-01-05|2026-04-01|B1|10|8|12.5|供货商甲|acc1|rk01|破损|80"});
    QCOMPARE(StagingConfirm(db, Correction::WriteOff, "acc1"), 1);
    QCOMPARE(TableRows(db, "药品报损信息"),
             QStringList{"00001|2026-01-05|2026-04-01|B1|10|8|12.5|供货商甲|rk01|acc1|破损|80|125"});
  }

  void refusalsChangeNothing_data() { BothKinds(); }
  void refusalsChangeNothing() {
    QFETCH(Correction, kind);
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Stock(db);
    Goods(db, "00002", "维C", "WC", 3);
    Batch(db, "00002", "C1", 50);
    Receipt(db, "00002", "C1", 50);
    const auto before = Snapshot(db);
    for (const char* quantity : {"0.0", ".", "abc", "", "0", "-2"})
      QCOMPARE(Stage(db, kind, ReceiptId(db), quantity), StagingOutcome::BadQuantity);
    QCOMPARE(Stage(db, kind, ReceiptId(db), "10.5"), StagingOutcome::ShortStock);  // batch holds 10
    QCOMPARE(Stage(db, kind, ReceiptId(db, "C1"), "4"), StagingOutcome::ShortStock);  // stock holds 3
    QCOMPARE(Stage(db, kind, 999, "1"), StagingOutcome::ShortStock);                   // no such receipt
    QCOMPARE(Snapshot(db), before);
    QCOMPARE(StagingConfirm(db, kind, "acc1"), 0);
    QCOMPARE(Snapshot(db), before);
  }

  void supplierReturnLimitedByTheReceiptRow() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Goods(db, kCode, "阿莫西林", "AMXL", 20);
    Batch(db, kCode, kBatch, 20);
    Receipt(db, kCode, kBatch, 5);
    const auto before = Snapshot(db);
    QCOMPARE(Stage(db, Correction::SupplierReturn, ReceiptId(db), "6"), StagingOutcome::ShortStock);
    QCOMPARE(Snapshot(db), before);
    QCOMPARE(Stage(db, Correction::WriteOff, ReceiptId(db), "6"), StagingOutcome::Staged);
  }

  // Quantities that leave binary noise still empty a batch exactly.
  void emptyingByTenthsPurgesTheRows() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Goods(db, kCode, "阿莫西林", "AMXL", 0.3);
    Batch(db, kCode, kBatch, 0.3);
    Receipt(db, kCode, kBatch, 0.3);
    for (int i = 0; i < 3; ++i)
      QCOMPARE(Stage(db, Correction::SupplierReturn, ReceiptId(db), "0.1"), StagingOutcome::Staged);
    QCOMPARE(TableRows(db, "药品过期表"), QStringList{});
    QCOMPARE(TableRows(db, "入库信息"), QStringList{});
  }

  void eachAccountConfirmsOnlyItsOwn_data() { BothKinds(); }
  void eachAccountConfirmsOnlyItsOwn() {
    QFETCH(Correction, kind);
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Stock(db);
    QCOMPARE(Stage(db, kind, ReceiptId(db), "1", "acc1", "甲"), StagingOutcome::Staged);
    QCOMPARE(Stage(db, kind, ReceiptId(db), "2", "acc2", "乙"), StagingOutcome::Staged);
    QCOMPARE(StagingConfirm(db, kind, "acc2"), 1);
    QCOMPARE(TableRows(db, StagingTable(kind)).size(), 1);
    QVERIFY(TableRows(db, StagingTable(kind))[0].contains("|acc1|"));
    QCOMPARE(TableRows(db, FinalTable(kind)).size(), 1);
    QVERIFY(TableRows(db, FinalTable(kind))[0].contains("|乙|"));
  }

  void stagingFailingAnywhereLeavesEverything_data() {
    QTest::addColumn<Correction>("kind");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("event");
    for (const Correction kind : {Correction::SupplierReturn, Correction::WriteOff}) {
      const char* name = kind == Correction::SupplierReturn ? "return" : "write-off";
      QTest::addRow("%s batch", name) << kind << "药品过期表" << "update";
      QTest::addRow("%s stock", name) << kind << "库存" << "update";
      QTest::addRow("%s staged", name) << kind << StagingTable(kind) << "insert";
    }
    QTest::addRow("return receipt") << Correction::SupplierReturn << "入库信息" << "update";
  }
  void stagingFailingAnywhereLeavesEverything() {
    QFETCH(Correction, kind);
    QFETCH(QString, table);
    QFETCH(QString, event);
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Stock(db);
    const auto before = Snapshot(db);
    FailOn(db, table, event);
    QCOMPARE(Stage(db, kind, ReceiptId(db), "10"), StagingOutcome::Failed);
    StopFailing(db, table, event);
    QCOMPARE(Snapshot(db), before);
  }

  // The purge of emptied rows runs apart from the staging: when it fails
  // the staging stands, and the next purge takes the rows left.
  void purgeFailingLeavesTheStagingAndTheEmptyRows() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Stock(db);
    FailOn(db, "药品过期表", "delete");
    QCOMPARE(Stage(db, Correction::SupplierReturn, ReceiptId(db), "10"), StagingOutcome::Staged);
    StopFailing(db, "药品过期表", "delete");
    QCOMPARE(Number(db, "select 数量 from 药品过期表"), 0.0);
    QCOMPARE(TableRows(db, "临时反库信息").size(), 1);
    InsertRow(db, "药品过期表", {{"编号", "00009"}, {"药品批号", "Z"}, {"数量", 1}});
    InsertRow(db, "入库信息", {{"编号", "00009"}, {"时间", "2026-01-01"}, {"药品批号", "Z"}, {"数量", 1}});
    Goods(db, "00009", "药9", "Y9", 1);
    QCOMPARE(Stage(db, Correction::SupplierReturn, ReceiptId(db, "Z"), "1"), StagingOutcome::Staged);
    QVERIFY(TableRows(db, "药品过期表").isEmpty());
    QVERIFY(TableRows(db, "入库信息").isEmpty());
  }

  void confirmFailingAnywhereLeavesEverything_data() {
    QTest::addColumn<Correction>("kind");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("event");
    for (const Correction kind : {Correction::SupplierReturn, Correction::WriteOff}) {
      QTest::addRow("%s take", qPrintable(FinalTable(kind))) << kind << StagingTable(kind) << "delete";
      QTest::addRow("%s copy", qPrintable(FinalTable(kind))) << kind << FinalTable(kind) << "insert";
    }
  }
  void confirmFailingAnywhereLeavesEverything() {
    QFETCH(Correction, kind);
    QFETCH(QString, table);
    QFETCH(QString, event);
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Stock(db);
    QCOMPARE(Stage(db, kind, ReceiptId(db), "1"), StagingOutcome::Staged);
    QCOMPARE(Stage(db, kind, ReceiptId(db), "2"), StagingOutcome::Staged);
    const auto before = Snapshot(db);
    FailOn(db, table, event);
    QCOMPARE(StagingConfirm(db, kind, "acc1"), -1);
    StopFailing(db, table, event);
    QCOMPARE(Snapshot(db), before);
  }
};

BRIMWICK_TEST_MAIN(StagingPostingTest)
#include "stagingposting.moc"
