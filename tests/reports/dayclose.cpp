// The day close and the void as postings, on both stores: what they give
// back, what they leave, that a failure changes nothing, and that two
// closes, or a close among busy desks, lose and double nothing.
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <atomic>
#include <mutex>
#include <thread>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/grid.h"
#include "frontdesk/dispensing.h"
#include "frontdesk/pricing.h"
#include "frontdesk/settlement.h"
#include "frontdesk/visitserial.h"
#include "reports/dayclose.h"
#include "reports/reconciliationsums.h"
#include "support/clinicfixture.h"
#include "reports/clinicday.h"
#include "support/testkit.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

namespace {
const QStringList kClosedTables{"收银信息", "临时出库信息", "服务信息临时表", "库存", "药品过期表", "时间表"};

QMap<QString, QStringList> Snapshot(const QSqlDatabase& db) {
  QMap<QString, QStringList> tables;
  for (const QString& table : kClosedTables) tables[table] = TableRows(db, table);
  return tables;
}

// The grids and boxes as a test reads them.
class RecordedSums : public ReconciliationTargets {
 public:
  void ShowGrid(ReconciliationGrid grid, QSqlQuery& rows) override {
    QStringList texts;
    while (rows.next()) {
      QStringList cells;
      for (int i = 0; i < rows.record().count(); ++i) cells << CellText(rows.value(i)).trimmed();
      texts << cells.join('|');
    }
    grids[grid] = texts;
    order << QString("grid%1").arg(static_cast<int>(grid));
  }
  void ShowSum(ReconciliationSum sum, const QString& text) override {
    sums[sum] = text;
    order << QString("sum%1").arg(static_cast<int>(sum));
  }
  QMap<ReconciliationGrid, QStringList> grids;
  QMap<ReconciliationSum, QString> sums;
  QStringList order;
};

// Every goods with batches: its count and its open lines make its batches.
void VerifyStockBalances(const QSqlDatabase& db) {
  const auto rows = ReadAll(db,
                            "select k.编号, k.数量, (select sum(p.数量) from 药品过期表 as p where p.编号 = k.编号), "
                            "(select coalesce(sum(l.数量), 0) from 临时出库信息 as l where l.编号 = k.编号) "
                            "from 库存 as k where k.编号 in (select 编号 from 药品过期表)");
  QVERIFY(!rows.isEmpty());
  for (const QVariantList& row : rows) {
    const double difference = row[1].toDouble() + row[3].toDouble() - row[2].toDouble();
    if (std::abs(difference) > kQuantityTolerance)
      QFAIL(qPrintable(QString("goods %1: stock %2 + open %3 != batches %4")
                           .arg(row[0].toString(), row[1].toString(), row[3].toString(), row[2].toString())));
  }
}

void InjectFailureOnStockOf999(const QSqlDatabase& db) {
  if (IsPostgres(db)) {
    ExecDirect(db, "create function injected_failure() returns trigger language plpgsql as "
                   "$$ begin raise exception 'injected failure'; end $$");
    ExecDirect(db, "create trigger injected before update on 库存 for each row when (new.数量 = 999) "
                   "execute function injected_failure()");
  } else {
    ExecDirect(db, "create trigger injected before update on 库存 when new.数量 = 999 "
                   "begin select raise(abort, 'injected failure'); end");
  }
}
}  // namespace

class DayCloseTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void closeRoadGivesStockBackOnceAndSumsTheDay() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);

    // Two accounts' visits of one serial are two visits.
    QCOMPARE(UnpaidVisitCount(db), QString("2"));
    QVERIFY(VoidUnpaidVisits(db));
    QCOMPARE(Stock(db, "A"), 95.0);  // today's 3 and yesterday's 2
    QCOMPARE(Stock(db, "C"), 24.0);
    QCOMPARE(Stock(db, "B"), 49.0);
    QCOMPARE(Count(db, "收银信息"), 0);
    QCOMPARE(Count(db, "服务信息临时表"), 0);
    QCOMPARE(TableRows(db, "临时出库信息").size(), 1);  // the paid line stays
    QCOMPARE(UnpaidVisitCount(db), QString("0"));

    // A paid line still waits: the close refuses and changes nothing.
    QCOMPARE(PaidUndispensedCount(db), QString("1"));
    const auto before = Snapshot(db);
    const DayCloseResult refused = DayClose(db);
    QCOMPARE(refused.outcome, DayCloseResult::PaidWaiting);
    QCOMPARE(refused.waiting, QString("1"));
    QCOMPARE(Snapshot(db), before);

    DispenseWaiting(db);
    const DayCloseResult closed = DayClose(db);
    QCOMPARE(closed.outcome, DayCloseResult::Closed);
    QCOMPARE(Stock(db, "A"), 100.0);
    QCOMPARE(Stock(db, "B"), 49.0);
    QCOMPARE(Stock(db, "D"), 10.0);
    QCOMPARE(Stock(db, "C"), 24.0);  // no batch: keeps its count and what came back
    QCOMPARE(Count(db, "时间表"), 0);

    RecordedSums day;
    ReconciliationSums(db, kToday, kToday, CashierOrder::ByDay, day);
    QCOMPARE(day.order.first(), QString("grid0"));
    QCOMPARE(day.order.size(), 13);
    QCOMPARE(day.sums[ReconciliationSum::Outpatient], QString("52.50"));
    QCOMPARE(day.sums[ReconciliationSum::Inpatient], QString("28.00"));
    QCOMPARE(day.sums[ReconciliationSum::All], QString("85.75"));
    QCOMPARE(day.sums[ReconciliationSum::Staff], QString("5.25"));
    QCOMPARE(day.sums[ReconciliationSum::OutpatientMedicine], QString("42.50"));
    QCOMPARE(day.sums[ReconciliationSum::InpatientMedicine], QString("8.00"));
    QCOMPARE(day.sums[ReconciliationSum::OutpatientServices], QString("10.00"));
    QCOMPARE(day.sums[ReconciliationSum::InpatientServices], QString("20.00"));
    QCOMPARE(day.grids[ReconciliationGrid::Cashiers], QStringList({kT + "|收银01|50.5", kT + "|收银02|35.25"}));
    QCOMPARE(day.grids[ReconciliationGrid::OutpatientMedicine], QStringList({"中成药|30", "西药|12.5"}));
    QCOMPARE(day.grids[ReconciliationGrid::InpatientMedicine], QStringList({"西药|8"}));
    QCOMPARE(day.grids[ReconciliationGrid::OutpatientServices], QStringList({"换药|1|4", "诊疗费|1|6"}));
    QCOMPARE(day.grids[ReconciliationGrid::InpatientServices], QStringList({"诊疗费|1|20"}));

    // A window of one day gives the close's sums, rows by cashier first;
    // over two days yesterday's visit joins in.
    RecordedSums period;
    ReconciliationSums(db, kYesterday, kToday, CashierOrder::ByCashier, period);
    QCOMPARE(period.sums[ReconciliationSum::Outpatient], QString("152.50"));
    QCOMPARE(period.grids[ReconciliationGrid::Cashiers],
             QStringList({kY + "|收银01|100", kT + "|收银01|50.5", kT + "|收银02|35.25"}));
    RecordedSums oneDay;
    ReconciliationSums(db, kToday, kToday, CashierOrder::ByCashier, oneDay);
    QCOMPARE(oneDay.sums, day.sums);
    QCOMPARE(oneDay.grids, day.grids);

    // A reversed window finds nothing.
    RecordedSums reversed;
    ReconciliationSums(db, kToday, kYesterday, CashierOrder::ByCashier, reversed);
    for (const QString& text : reversed.sums) QCOMPARE(text, QString("0.00"));
    QCOMPARE(reversed.sums.size(), 8);
    for (const QStringList& rows : reversed.grids) QVERIFY(rows.isEmpty());
  }

  void closeVoidsWhatWasPricedSinceTheQuestion() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);
    DispenseWaiting(db);
    // Nothing asked first: the close itself voids both visits.
    QCOMPARE(DayClose(db).outcome, DayCloseResult::Closed);
    QCOMPARE(Stock(db, "A"), 100.0);
    QCOMPARE(Stock(db, "C"), 24.0);
    QCOMPARE(Count(db, "临时出库信息"), 0);
    QCOMPARE(Count(db, "收银信息"), 0);
    QCOMPARE(Count(db, "服务信息临时表"), 0);
  }

  void confirmVoidsButNeverTouchesPaidLines() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);
    const QStringList paidLine{TableRows(db, "临时出库信息").filter("|是|")};
    QCOMPARE(paidLine.size(), 1);

    QVERIFY(ConfirmDayClose(db, false, kToday));
    QCOMPARE(TableRows(db, "时间表"), QStringList({kT}));
    QCOMPARE(Count(db, "临时出库信息"), 4);
    QCOMPARE(Count(db, "收银信息"), 2);
    QCOMPARE(Stock(db, "A"), 90.0);

    QVERIFY(ConfirmDayClose(db, true, kToday));
    QCOMPARE(TableRows(db, "时间表"), QStringList({kT, kT}));
    QCOMPARE(TableRows(db, "临时出库信息"), paidLine);
    QCOMPARE(Count(db, "收银信息"), 0);
    QCOMPARE(Count(db, "服务信息临时表"), 0);
    QCOMPARE(Stock(db, "A"), 95.0);
    QCOMPARE(Stock(db, "C"), 24.0);
    QCOMPARE(Stock(db, "B"), 49.0);
  }

  void anErrorInsideTheCloseChangesNothing() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedDay(db);
    DispenseWaiting(db);
    // The re-sync, after the void, meets the failure.
    Exec(db, "update 药品过期表 set 数量 = 999 where 编号 = 'D'");
    InjectFailureOnStockOf999(db);
    const auto before = Snapshot(db);
    const DayCloseResult failed = DayClose(db);
    QCOMPARE(failed.outcome, DayCloseResult::Failed);
    QVERIFY2(failed.failure.contains("injected failure"), qPrintable(failed.failure));
    QCOMPARE(Snapshot(db), before);

    // The confirm's void and its day row go together too.
    Exec(db, "update 库存 set 数量 = 996 where 编号 = 'A'");
    Exec(db, "update 临时出库信息 set 数量 = 1 where 编号 = 'A' and 时间 = ?", {kT});
    const auto beforeConfirm = Snapshot(db);
    QVERIFY(!ConfirmDayClose(db, true, kToday));
    QCOMPARE(Snapshot(db), beforeConfirm);
  }

  void twoClosesAtOnceGiveEachLineBackOnce() {
    {
      Connection c = OpenClinicDatabase();
      SeedDay(c.db());
      DispenseWaiting(c.db());
    }
    std::atomic<int> closed = 0;
    auto close = [&] {
      Connection own = OpenClinicDatabase();
      if (DayClose(own.db()).outcome == DayCloseResult::Closed) ++closed;
    };
    std::thread first(close);
    std::thread second(close);
    first.join();
    second.join();
    QCOMPARE(closed.load(), 2);
    Connection c = OpenClinicDatabase();
    QCOMPARE(Stock(c.db(), "A"), 100.0);
    QCOMPARE(Stock(c.db(), "C"), 24.0);  // given back once
    QCOMPARE(Count(c.db(), "临时出库信息"), 0);
  }

  // The front desk's own postings run at full speed on several desks
  // (pricing with its voucher, settling, dispensing) while closes run
  // among them.
  void closeDuringTheFrontDeskLoadLosesNothing() {
    const bool postgres = ClinicFixture::CurrentStore() == "postgres";
    const int desks = postgres ? 8 : 4;
    const QStringList codes{"A", "B", "D"};
    {
      Connection c = OpenClinicDatabase();
      for (const QString& code : codes) {
        Goods(c.db(), code, "西药", 100000);
        Batch(c.db(), code, code + "1", 100000, "2025-01-01");
      }
    }
    std::atomic<bool> stop = false;
    std::atomic<int> failures = 0;
    std::atomic<int> voided = 0;
    std::atomic<int> emptyVouchers = 0;
    QList<QList<VisitKey>> paid(desks);
    QStringList failureTexts;
    std::mutex failureLock;
    auto failed = [&](const QString& what, const QString& text) {
      ++failures;
      const std::lock_guard<std::mutex> guard(failureLock);
      failureTexts << what + ": " + text;
    };
    auto desk = [&](int number) {
      Connection own = OpenClinicDatabase();
      const QSqlDatabase db = own.db();
      const QString account = QString("acc%1").arg(number, 2, 10, QChar('0'));
      const QString cashier = QString("收银%1").arg(number);
      for (int i = 0; !stop; ++i) {
        const PricedLine line{codes[i % 3], double(1 + i % 4), 2, "医师01", "门诊", kToday};
        VisitKey key{0, account};
        try {
          key.serial = double(NextVisitSerial(db, account));
        } catch (const DbError& e) {
          failed("serial", e.text());
          continue;
        }
        QString failure;
        if (AddPricedLine(db, key, line, true, &failure) != PricingResult::Done) {
          failed("pricing", failure);
          continue;
        }
        // A close in between takes the line: no voucher then.
        if (MakeVoucher(db, key, "患者", "门诊", kToday) != PricingResult::Done) {
          ++voided;
          continue;
        }
        if (i % 3 == 0) continue;  // left at the cashier
        if (SettleVoucher(db, key, cashier, kToday, 1e6) != SettlementResult::Settled) {
          ++voided;
          continue;
        }
        // A voucher made while a close voided its lines carries no
        // medicine: the pricing desk read the lines before the close and
        // wrote the voucher after it. Nothing waits to be dispensed then.
        if (ScalarText(db, "select count(*) from 出库患者信息 where " + VisitKey::Condition(), key.Values()) == "0") {
          ++emptyVouchers;
          continue;
        }
        paid[number - 1] << key;
        if (DispenseVisit(db, key, "药房01", &failure) != DispensingResult::Dispensed) failed("dispensing", failure);
      }
    };
    QList<std::thread*> running;
    for (int d = 1; d <= desks; ++d) running << new std::thread(desk, d);
    int closes = 0;
    int refused = 0;
    {
      Connection own = OpenClinicDatabase();
      for (int round = 0; round < 6; ++round) {
        QThread::msleep(40);
        const DayCloseResult result = DayClose(own.db());
        QVERIFY2(result.outcome != DayCloseResult::Failed, qPrintable(result.failure));
        if (result.outcome == DayCloseResult::Closed) ++closes;
        if (result.outcome == DayCloseResult::PaidWaiting) ++refused;
      }
    }
    stop = true;
    for (std::thread* t : running) {
      t->join();
      delete t;
    }
    int settled = 0;
    for (const QList<VisitKey>& list : paid) settled += int(list.size());
    qInfo("%d closes done, %d refused for paid medicine waiting; %d visits voided at a desk, %d settled, "
          "%d settled with an empty voucher, %d desk postings failed",
          closes, refused, voided.load(), settled, emptyVouchers.load(), failures.load());
    QVERIFY2(failures.load() == 0, qPrintable(failureTexts.join(" / ")));
    QVERIFY(settled > 0);

    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    VerifyStockBalances(db);
    // Every visit a desk settled keeps its one line, dispensed or waiting.
    const QString lines = "select count(*) from 出库信息 where " + VisitKey::Condition();
    const QString waiting = "select count(*) from 临时出库信息 where 收银标志 = '是' and " + VisitKey::Condition();
    for (const QList<VisitKey>& list : paid)
      for (const VisitKey& key : list)
        QCOMPARE(ScalarText(db, lines, key.Values()).toInt() + ScalarText(db, waiting, key.Values()).toInt(), 1);
    for (const QVariantList& row : ReadAll(db, "select 数量 from 库存"))
      QVERIFY(row[0].toDouble() > -kQuantityTolerance);
  }
};

BRIMWICK_TEST_MAIN(DayCloseTest)
#include "dayclose.moc"
