// The front desk's postings without a window, on both stores: a visit
// priced, settled and dispensed, and every way each step refuses or rolls
// back whole.
#include "db/clinicdb.h"
#include "frontdesk/dispensing.h"
#include "frontdesk/pricing.h"
#include "frontdesk/settlement.h"
#include "frontdesk/visitserial.h"
#include "frontdesk/deskseed.h"
#include "platform/textrule.h"
#include "reports/dayclose.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;
using namespace DeskSeed;

namespace {
const QDate kDay(2026, 12, 7);
const QString kAccount = "acc01";

PricedLine Line(const QString& code, double quantity, double price, const QString& category = "门诊") {
  return {code, quantity, price, "周文涛", category, kDay};
}

// Prices a visit of the given (code, quantity) lines and makes its voucher.
VisitKey PriceVisit(const QSqlDatabase& db, const QList<QPair<QString, double>>& lines,
                    const QString& category = "门诊") {
  VisitKey key{double(NextVisitSerial(db, kAccount)), kAccount};
  bool first = true;
  for (const auto& [code, quantity] : lines) {
    QString failure;
    const PricingResult added = AddPricedLine(db, key, Line(code, quantity, 2, category), first, &failure);
    if (added != PricingResult::Done) qFatal("pricing refused: %s", qPrintable(failure));
    first = false;
  }
  QString failure;
  if (MakeVoucher(db, key, "张三", category, kDay, &failure) != PricingResult::Done)
    qFatal("no voucher: %s", qPrintable(failure));
  return key;
}

QMap<QString, QStringList> Snapshot(const QSqlDatabase& db) {
  QMap<QString, QStringList> tables;
  for (const char* table : {"库存", "药品过期表", "临时出库信息", "收银信息", "出库患者信息", "患者信息", "出库信息",
                            "服务信息临时表", "服务信息", "住院患者押金表"})
    tables[table] = TableRows(db, table);
  return tables;
}
}  // namespace

class FrontDeskPostingsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void visitIsPricedSettledAndDispensed() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    VisitKey key{double(NextVisitSerial(db, kAccount)), kAccount};
    QCOMPARE(key.serial, 1.0);
    QCOMPARE(AddPricedLine(db, key, Line("1001", 2, 8.6), true), PricingResult::Done);
    // A second quantity of the same goods adds to its line.
    QCOMPARE(AddPricedLine(db, key, Line("1001", 3, 8.6), false), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 4, 4.2), false), PricingResult::Done);
    QCOMPARE(Stock(db, "1001"), 8.0);
    QCOMPARE(Stock(db, "1002"), 16.0);
    QCOMPARE(TableRows(db, "临时出库信息"),
             QStringList({"1|1001|2026-12-07|5|8.6|周文涛|acc01|否|门诊|||43", "1|1002|2026-12-07|4|4.2|周文涛|acc01|否|门诊|||16.8"}));
    QCOMPARE(*VisitTotal(db, key), 59.8);
    QCOMPARE(MakeVoucher(db, key, "张三", "门诊", kDay), PricingResult::Done);
    QCOMPARE(TableRows(db, "收银信息"), QStringList{"门诊|1|张三|2026-12-07|59.8|0|acc01"});
    QCOMPARE(NextVisitSerial(db, kAccount), 2);

    QCOMPARE(SettleVoucher(db, key, "收银01", kDay.addDays(1), 100), SettlementResult::Settled);
    QVERIFY(TableRows(db, "收银信息").isEmpty());
    QCOMPARE(TableRows(db, "出库患者信息"), QStringList{"张三|1|2026-12-08|acc01|收银01"});
    QCOMPARE(ScalarText(db, "select count(*) from 临时出库信息 where 收银标志 = '是' and 收银人帐号 = '收银01'"),
             QString("2"));
    QCOMPARE(TableRows(db, "患者信息"), QStringList{"门诊|1|张三|2026-12-08|59.8|0|acc01|收银01|59.8"});
    QVERIFY(TableRows(db, "住院患者押金表").isEmpty());

    QCOMPARE(DispenseVisit(db, key, "药房01"), DispensingResult::Dispensed);
    QCOMPARE(TableRows(db, "药品过期表"),
             QStringList({"1001|b-new|8|2024-06-01|7300|2044-05-27", "1001|b-old|0|2024-01-01|7300|2043-12-27",
                          "1002|c1|16|2024-03-01|7300|2044-02-25"}));
    // The lines keep their pricing day; 库存 was lowered at pricing only.
    QCOMPARE(TableRows(db, "出库信息"),
             QStringList({"1|1001|2026-12-07|5|8.6|药房01|acc01|收银01|周文涛|门诊|43",
                          "1|1002|2026-12-07|4|4.2|药房01|acc01|收银01|周文涛|门诊|16.8"}));
    QVERIFY(TableRows(db, "临时出库信息").isEmpty());
    QVERIFY(TableRows(db, "出库患者信息").isEmpty());
    QCOMPARE(Stock(db, "1001"), 8.0);
    QVERIFY(!ScratchTableExists(db, "ckb"));
  }

  void pricingRefusesWhatWouldTakeStockBelowZero() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    VisitKey key{1, kAccount};
    const auto before = Snapshot(db);
    QCOMPARE(AddPricedLine(db, key, Line("1001", 13.5, 1), true), PricingResult::ShortStock);
    QCOMPARE(AddPricedLine(db, key, Line("1003", 1, 1), true), PricingResult::ShortStock);
    QCOMPARE(AddPricedLine(db, key, Line("没有", 1, 1), true), PricingResult::ShortStock);
    QCOMPARE(AddPricedLine(db, key, Line("1001", 0, 1), true), PricingResult::BadQuantity);
    QCOMPARE(AddPricedLine(db, key, Line("1001", -1, 1), true), PricingResult::BadQuantity);
    QCOMPARE(AddPricedLine(db, key, Line("1001", qQNaN(), 1), true), PricingResult::BadQuantity);
    QCOMPARE(AddPricedLine(db, key, Line("1001", 1, -0.5), true), PricingResult::BadPrice);
    QCOMPARE(Snapshot(db), before);
    // The whole stock may go; binary noise left over counts as nothing.
    QCOMPARE(AddPricedLine(db, key, Line("1002", 19.7, 1), true), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 0.1, 1), false), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 0.1, 1), false), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 0.1, 1), false), PricingResult::Done);
    QCOMPARE(Stock(db, "1002"), 0.0);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 0.001, 1), false), PricingResult::ShortStock);
  }

  void removingALineGivesItsStockBack() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    VisitKey key{1, kAccount};
    QCOMPARE(AddPricedLine(db, key, Line("1001", 2, 8.6), true), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, key, Line("1001", 3, 8.6), false), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 1, 4.2), false), PricingResult::Done);
    QCOMPARE(RemovePricedLine(db, key, "1001"), PricingResult::Done);
    QCOMPARE(Stock(db, "1001"), 13.0);
    QCOMPARE(TableRows(db, "临时出库信息").size(), 1);
    QCOMPARE(RemovePricedLine(db, key, "1001"), PricingResult::NoLine);
    QCOMPARE(Stock(db, "1001"), 13.0);
    // Without its stock row the quantity would be lost: the line stays.
    Exec(db, "delete from 库存 where 编号 = '1002'");
    QCOMPARE(RemovePricedLine(db, key, "1002"), PricingResult::Failed);
    QCOMPARE(TableRows(db, "临时出库信息").size(), 1);
  }

  void voucherCarriesTheSumOfTheLinesOnce() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    VisitKey key{1, kAccount};
    QCOMPARE(MakeVoucher(db, key, "张三", "门诊", kDay), PricingResult::NoLine);
    QCOMPARE(AddPricedLine(db, key, Line("1001", 3, 0.1), true), PricingResult::Done);
    QCOMPARE(MakeVoucher(db, key, "张三", "门诊", kDay), PricingResult::Done);
    QCOMPARE(MakeVoucher(db, key, "张三", "门诊", kDay), PricingResult::VisitTaken);
    QCOMPARE(TableRows(db, "收银信息"), QStringList{"门诊|1|张三|2026-12-07|0.3|0|acc01"});
    // A waiting or paid visit takes no more lines: they would ride on
    // another patient's voucher.
    QCOMPARE(AddPricedLine(db, key, Line("1002", 1, 4.2), false), PricingResult::VisitTaken);
    QCOMPARE(RemovePricedLine(db, key, "1001"), PricingResult::VisitTaken);
    QCOMPARE(SettleVoucher(db, key, "收银01", kDay, 100), SettlementResult::Settled);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 1, 4.2), false), PricingResult::VisitTaken);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 1, 4.2), true), PricingResult::VisitTaken);
    QCOMPARE(Stock(db, "1002"), 20.0);
    QCOMPARE(TableRows(db, "临时出库信息").size(), 1);
  }

  void serialIsNeverDrawnTwice() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    QCOMPARE(NextVisitSerial(db, kAccount), 1);
    // Rows that outlive a visit's voucher and income row keep its serial.
    InsertRow(db, "退药信息", {{"编号", "1001"}, {"流水号", 41}, {"划价人帐号", kAccount}});
    InsertRow(db, "服务费退还信息", {{"流水号", 40}, {"划价人帐号", kAccount}});
    InsertRow(db, "出库信息", {{"流水号", 12}, {"编号", "1001"}, {"划价人帐号", kAccount}});
    InsertRow(db, "服务信息", {{"流水号", 9}, {"划价人帐号", kAccount}});
    InsertRow(db, "患者信息", {{"流水号", 99}, {"划价人帐号", "other"}});
    QCOMPARE(NextVisitSerial(db, kAccount), 42);
    QCOMPARE(NextVisitSerial(db, "other"), 100);
    // A desk that takes a serial another visit holds is refused, and
    // writes nothing.
    VisitKey first{42, kAccount}, stale{42, kAccount};
    QCOMPARE(AddPricedLine(db, first, Line("1001", 1, 1), true), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, stale, Line("1002", 1, 1), true), PricingResult::VisitTaken);
    QCOMPARE(ScalarText(db, "select count(*) from 临时出库信息 where 流水号 = 42"), QString("1"));
    QCOMPARE(Stock(db, "1002"), 20.0);
    // A serial handed out stays handed out: whether its first line was
    // refused, or the day close voided every row of its visit.
    QCOMPARE(NextVisitSerial(db, kAccount), 43);
    QCOMPARE(AddPricedLine(db, {43, kAccount}, Line("1003", 1, 1), true), PricingResult::ShortStock);
    QVERIFY(VoidUnpaidVisits(db));
    QCOMPARE(NextVisitSerial(db, kAccount), 44);
    // The voided visit takes no more lines and makes no voucher.
    QCOMPARE(AddPricedLine(db, first, Line("1002", 1, 1), false), PricingResult::VisitTaken);
    QCOMPARE(MakeVoucher(db, first, "张三", "门诊", kDay), PricingResult::NoLine);
    QCOMPARE(RemovePricedLine(db, first, "1001"), PricingResult::NoLine);
    QVERIFY(TableRows(db, "临时出库信息").isEmpty());
    QCOMPARE(Stock(db, "1002"), 20.0);
  }

  // A visit holds one line per goods: a second quantity adds to it at its
  // own price, whatever price comes with it. What a line or the visit
  // would come to past the amounts' digits writes nothing.
  void goodsPricedAgainAddToTheirLine() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    const VisitKey key{double(NextVisitSerial(db, kAccount)), kAccount};
    QCOMPARE(AddPricedLine(db, key, Line("1002", 1, 4.2), true), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 2, 5), false), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, key, {"1002", 1, std::nullopt, "周文涛", "门诊", kDay}, false), PricingResult::Done);
    // No price, and no line to add to.
    QCOMPARE(AddPricedLine(db, key, {"1001", 1, std::nullopt, "周文涛", "门诊", kDay}, false), PricingResult::BadPrice);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 1, 1e13), false), PricingResult::BadPrice);
    QCOMPARE(AddPricedLine(db, key, Line("1002", 1e13, 1), false), PricingResult::BadQuantity);
    QCOMPARE(TableRows(db, "临时出库信息"), QStringList{"1|1002|2026-12-07|4|4.2|周文涛|acc01|否|门诊|||16.8"});
    QCOMPARE(Stock(db, "1002"), 16.0);

    // 9,999,999,999,999.99 is an amount, and 2 a quantity; together they
    // are not.
    const VisitKey big{double(NextVisitSerial(db, kAccount)), kAccount};
    QCOMPARE(AddPricedLine(db, big, Line("1001", 2, 9999999999999.99), true), PricingResult::BadPrice);
    QCOMPARE(AddPricedLine(db, big, Line("1001", 1, 6e12), true), PricingResult::Done);
    QCOMPARE(AddPricedLine(db, big, Line("1001", 1, 6e12), false), PricingResult::BadQuantity);
    QCOMPARE(AddPricedLine(db, big, Line("1002", 1, 5e12), false), PricingResult::BadQuantity);
    QCOMPARE(AddPricedLine(db, big, Line("1002", 1, 3e12), false), PricingResult::Done);
    QCOMPARE(*VisitTotal(db, big), 9e12);
    QCOMPARE(Stock(db, "1001"), 12.0);
    QCOMPARE(Stock(db, "1002"), 15.0);

    // A store that holds two lines of one goods from before adds to one.
    for (const int price : {9, 8})
      InsertRow(db, "临时出库信息", {{"流水号", key.serial}, {"编号", "1001"}, {"时间", "2026-12-07"}, {"数量", 1},
                                     {"单价(元)", price}, {"划价人帐号", kAccount}, {"收银标志", "否"}});
    QCOMPARE(AddPricedLine(db, key, Line("1001", 2, 7), false), PricingResult::Done);
    QStringList twins;
    for (const QVariantList& row : ReadAll(db, "select 数量, \"单价(元)\" from 临时出库信息 where 编号 = '1001' and "
                                               "流水号 = ? order by \"单价(元)\"", {key.serial}))
      twins << row[0].toString() + '@' + row[1].toString();
    QCOMPARE(twins, QStringList({"3@8", "1@9"}));
  }

  void settlingMovesTheVisitOn_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<double>("medicine");
    QTest::addColumn<double>("services");
    QTest::newRow("outpatient medicine only") << "门诊" << 6.0 << 0.0;
    QTest::newRow("inpatient with services") << "住院" << 6.0 << 30.0;
    QTest::newRow("services only") << "门诊" << 0.0 << 30.0;
  }
  void settlingMovesTheVisitOn() {
    QFETCH(QString, category);
    QFETCH(double, medicine);
    QFETCH(double, services);
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    const VisitKey key{5, kAccount};
    if (medicine != 0)
      InsertRow(db, "临时出库信息", {{"流水号", 5}, {"编号", "1001"}, {"时间", "2026-12-07"}, {"数量", 3},
                                     {"单价(元)", 2}, {"划价人帐号", kAccount}, {"收银标志", "否"}});
    InsertRow(db, "收银信息", {{"收费类别", category}, {"流水号", 5}, {"姓名", "李四"}, {"时间", "2026-12-07"},
                              {"药费(元)", medicine}, {"服务费(元)", services}, {"划价人帐号", kAccount}});
    for (const char* service : {"诊查费", "血常规"})
      InsertRow(db, "服务信息临时表", {{"服务类别", service}, {"流水号", 5}, {"时间", "2026-12-07"},
                                       {"服务费(元)", 15}, {"开方医师", "周文涛"}, {"服务人", "吴海燕"},
                                       {"划价人帐号", kAccount}, {"收费类别", category}});
    const double due = medicine + services;
    const auto before = Snapshot(db);
    QCOMPARE(SettleVoucher(db, key, "收银01", kDay, due - 0.01), SettlementResult::ShortPaid);
    QCOMPARE(Snapshot(db), before);
    QCOMPARE(SettleVoucher(db, key, "收银01", kDay, due), SettlementResult::Settled);
    QVERIFY(TableRows(db, "收银信息").isEmpty());
    QCOMPARE(TableRows(db, "出库患者信息").size(), medicine != 0 ? 1 : 0);
    QCOMPARE(ScalarText(db, "select count(*) from 临时出库信息 where 收银标志 = '是'"),
             QString(medicine != 0 ? "1" : "0"));
    QCOMPARE(TableRows(db, "服务信息").size(), services != 0 ? 2 : 0);
    QCOMPARE(TableRows(db, "服务信息临时表").size(), services != 0 ? 0 : 2);
    if (services != 0)
      QCOMPARE(ScalarText(db, "select 服务类别 || 服务人 || 划价人帐号 from 服务信息 order by 行号 limit 1"),
               QString("诊查费吴海燕acc01"));
    QCOMPARE(TableRows(db, "患者信息"),
             QStringList{QString("%1|5|李四|2026-12-07|%2|%3|acc01|收银01|%4")
                             .arg(category).arg(medicine).arg(services).arg(due)});
    QCOMPARE(TableRows(db, "住院患者押金表"),
             category == "住院" ? QStringList{"李四|2026-12-07|支出|36|收银01"} : QStringList());
    // The voucher is gone: a second settlement (another desk) changes nothing.
    const auto after = Snapshot(db);
    QString failure;
    QCOMPARE(SettleVoucher(db, key, "收银02", kDay, 100, &failure), SettlementResult::Failed);
    QVERIFY(!failure.isEmpty());
    QCOMPARE(Snapshot(db), after);
  }

  void dispensingShortOfBatchesChangesNothing() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    const VisitKey key = PriceVisit(db, {{"1002", 2}, {"1001", 13}});
    QCOMPARE(SettleVoucher(db, key, "收银01", kDay, 100), SettlementResult::Settled);
    // Another window took one of the batches meanwhile.
    Exec(db, "update 药品过期表 set 数量 = 9.5 where 药品批号 = 'b-new'");
    const auto before = Snapshot(db);
    QCOMPARE(DispenseVisit(db, key, "药房01"), DispensingResult::ShortBatches);
    QCOMPARE(Snapshot(db), before);
    QVERIFY(!ScratchTableExists(db, "ckb"));
    Exec(db, "update 药品过期表 set 数量 = 10 where 药品批号 = 'b-new'");
    QCOMPARE(DispenseVisit(db, key, "药房01"), DispensingResult::Dispensed);
    // Both batches emptied exactly; a second desk finds the visit gone.
    QCOMPARE(Number(db, "select sum(数量) from 药品过期表 where 编号 = '1001'"), 0.0);
    const auto after = Snapshot(db);
    QCOMPARE(DispenseVisit(db, key, "药房02"), DispensingResult::NotQueued);
    QCOMPARE(Snapshot(db), after);
  }

  void batchesAreTakenOldestFirst() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    for (const auto& [batch, quantity, made] :
         {std::tuple{"n1", 4.0, "2024-05-01"}, {"o1", 0.3, "2024-01-01"}, {"z0", 0.0000001, "2023-01-01"},
          {"m1", 2.0, "2024-03-01"}, {"neg", -1.0, "2022-01-01"}})
      InsertRow(db, "药品过期表", {{"编号", "X"}, {"药品批号", batch}, {"数量", quantity}, {"生产时间", made}});
    BeginWrite(db);
    for (int i = 0; i < 3; ++i) FifoBatchDecrement(db, "X", 0.1, kDay);
    // A batch exactly emptied is left at 0 and the next is not touched.
    FifoBatchDecrement(db, "X", -2, kDay);
    FifoBatchDecrement(db, "X", 3.5, kDay);
    CommitWrite(db);
    QCOMPARE(TableRows(db, "药品过期表"),
             QStringList({"X|m1|0|2024-03-01||", "X|n1|0.5|2024-05-01||", "X|neg|-1|2022-01-01||",
                          "X|o1|0|2024-01-01||", "X|z0|1e-07|2023-01-01||"}));
    BeginWrite(db);
    QVERIFY_THROWS_EXCEPTION(BatchShortError, FifoBatchDecrement(db, "X", 0.6, kDay));
    RollbackWrite(db);
    // A batch of unknown production day counts as the oldest on both stores.
    InsertRow(db, "药品过期表", {{"编号", "Y"}, {"药品批号", "dated"}, {"数量", 2}, {"生产时间", "2020-01-01"}});
    InsertRow(db, "药品过期表", {{"编号", "Y"}, {"药品批号", "undated"}, {"数量", 2}});
    BeginWrite(db);
    FifoBatchDecrement(db, "Y", 3, kDay);
    CommitWrite(db);
    QCOMPARE(ScalarText(db, "select 数量 from 药品过期表 where 药品批号 = 'undated'"), QString("0"));
    QCOMPARE(ScalarText(db, "select 数量 from 药品过期表 where 药品批号 = 'dated'"), QString("1"));
  }

  // No text reaches either store holding a character no box takes: a
  // voucher whose name holds a NUL (SQLite kept the text up to it) or a
  // direction override is refused whole, with the clerk's sentence.
  void textWithHiddenCharactersNeverReachesTheStore() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    const VisitKey key{1, kAccount};
    QCOMPARE(AddPricedLine(db, key, Line("1002", 2, 4.2), true), PricingResult::Done);
    const auto before = Snapshot(db);
    for (const QString& name : {QString::fromUtf8("甲\0乙", 7), QStringLiteral("王\u202E五")}) {
      QString failure;
      QCOMPARE(MakeVoucher(db, key, name, "门诊", kDay, &failure), PricingResult::Failed);
      QCOMPARE(failure, RefusedTextMessage());
    }
    QCOMPARE(Snapshot(db), before);
  }

  void zeroMedicineFeeQueuesNothing() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    AddCatalogue(db);
    VisitKey key{1, kAccount};
    QCOMPARE(AddPricedLine(db, key, Line("1002", 2, 0), true), PricingResult::Done);
    QCOMPARE(MakeVoucher(db, key, "王五", "职工用药", kDay), PricingResult::Done);
    QCOMPARE(SettleVoucher(db, key, "收银01", kDay, 0), SettlementResult::Settled);
    QVERIFY(TableRows(db, "出库患者信息").isEmpty());
    QCOMPARE(TableRows(db, "患者信息"), QStringList{"职工用药|1|王五|2026-12-07|0|0|acc01|收银01|0"});
  }
};

BRIMWICK_TEST_MAIN(FrontDeskPostingsTest)
#include "postings.moc"
