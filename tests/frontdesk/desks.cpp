// Several desks at once on one store, each with its own connection in its
// own thread, pricing, settling and dispensing the same few goods for a
// couple of seconds, two desks to an account, each desk logging in with
// the other account now and then, all starting their visits together, and
// day closes running among their lines, goods priced again on their visit
// and parts of dispensed lines returned; then the store must still add up:
// nothing below zero, nothing settled or dispensed twice, 库存 lowered by
// exactly the lines it holds, every visit its own patient's, one line per
// goods, and every voucher, fee and refund the sum its lines make.
#include <atomic>
#include <barrier>
#include <thread>

#include "frontdesk/deskwork.h"
#include "reports/dayclose.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using namespace DeskWork;

namespace {
const int kRunMs = 2000;

void RunDesk(int desk, int accounts, std::atomic<bool>& stop, std::barrier<>& together, Tally& tally) {
  // Two desks share each pricing account, so that they draw serials against
  // each other too; every few rounds a desk logs in with the next account.
  Desk who{QString(), QStringLiteral("收银%1").arg(desk), QStringLiteral("药房%1").arg(desk)};
  QRandomGenerator random(4711 + desk);
  Connection c = OpenClinicDatabase();
  const QSqlDatabase db = c.db();
  for (int round = 0; !stop; ++round) {
    who.account = QStringLiteral("acc%1").arg((desk + round / 3) % accounts + 1, 2, 10, QLatin1Char('0'));
    together.arrive_and_wait();
    Round(db, who, random, tally);
  }
  together.arrive_and_drop();
}

struct Closes {
  int done = 0, paidWaiting = 0;
  QStringList failures;
};

void RunCloses(std::atomic<bool>& stop, Closes& closes) {
  Connection c = OpenClinicDatabase();
  while (!stop) {
    // Soon again when paid medicine still waited at the dispensary.
    QThread::msleep(closes.paidWaiting > 2 * closes.done ? 5 : 60);
    const DayCloseResult result = DayClose(c.db());
    if (result.outcome == DayCloseResult::Closed) ++closes.done;
    if (result.outcome == DayCloseResult::PaidWaiting) ++closes.paidWaiting;
    if (result.outcome == DayCloseResult::Failed) closes.failures << result.failure;
  }
}
}  // namespace

class DesksAtOnceTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void desksPricingSettlingAndDispensingTogetherKeepTheStoreWhole() {
    const int desks = ClinicFixture::CurrentStore() == "postgres" ? 8 : 4;
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    for (const Goods& goods : BusyGoods()) DeskSeed::AddGoods(db, goods);
    // The busiest goods' oldest batch has expired: it counts in 库存 (the
    // close sums every batch) but no desk may hand it out.
    ClinicFixture::InsertRow(db, "药品过期表", {{"编号", "2001"}, {"药品批号", "a0"}, {"数量", 500},
                                                {"生产时间", "2023-01-01"}, {"有效期", 30}});
    Exec(db, "update 库存 set 数量 = 数量 + 500 where 编号 = '2001'");
    const QMap<QString, double> stockBefore = SumByCode(db, "库存");
    const QMap<QString, double> batchesBefore = SumByCode(db, "药品过期表");

    std::atomic<bool> stop = false;
    std::barrier together(desks);
    std::vector<Tally> tallies(desks);
    std::vector<std::thread> threads;
    for (int i = 0; i < desks; ++i)
      threads.emplace_back([&, i] {
        try {
          RunDesk(i, desks / 2, stop, together, tallies[i]);
        } catch (const DbError& error) {
          together.arrive_and_drop();
          tallies[i].Fail(error.text());
        }
      });
    Closes closes;
    threads.emplace_back([&] { RunCloses(stop, closes); });
    QThread::msleep(kRunMs);
    stop = true;
    for (std::thread& t : threads) t.join();

    Tally total;
    for (const Tally& t : tallies) total.Add(t);
    qInfo("%d desks: %d postings; %d visits priced, %d settled, %d dispensed; %d day closes, %d refused for paid "
          "medicine waiting; refused: %d lines for stock, %d postings on a visit a close voided, %d settlements or "
          "dispensings whose visit was taken; failed: %d postings, %d closes",
          desks, total.postings, total.visits, total.settled, total.dispensed, closes.done, closes.paidWaiting,
          total.refusedStock, total.visitTaken, total.lostRaces, total.failed, int(closes.failures.size()));
    for (const QString& failure : total.failures + closes.failures) qInfo("failed: %s", qPrintable(failure));
    QVERIFY(total.visits > desks);
    QVERIFY(total.settled > 0);
    QVERIFY(total.dispensed > 0);
    QVERIFY(closes.done > 0);
    // Nothing failed but for a real refusal.
    QCOMPARE(total.failed, 0);
    QCOMPARE(closes.failures, QStringList());
    QCOMPARE(total.shortBatches, 0);
    QCOMPARE(ScalarText(db, "select 数量 from 药品过期表 where 药品批号 = 'a0'"), QString("500"));
    // No serial was handed to two visits.
    QCOMPARE(total.sharedSerials, 0);

    const QStringList broken = BrokenRules(db) + VisitFaults(db, total);
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join('\n')));
    QVERIFY(total.pricedAgain > 0);
    QVERIFY(total.returns > 0);
    QVERIFY(total.commits > 0);
    // 库存 fell by exactly the lines the store holds (the rest a close gave
    // back); what left the batches is what was dispensed.
    const QMap<QString, double> stock = SumByCode(db, "库存");
    const QMap<QString, double> batches = SumByCode(db, "药品过期表");
    const QMap<QString, double> dispensed = SumByCode(db, "出库信息");
    const QMap<QString, double> open = SumByCode(db, "临时出库信息");
    for (const Goods& goods : BusyGoods()) {
      const QString code = goods.code;
      QVERIFY2(qAbs(stockBefore[code] - stock[code] - open[code] - dispensed[code]) < 1e-6, qPrintable(code));
      QVERIFY2(qAbs(batchesBefore[code] - batches[code] - dispensed[code]) < 1e-6, qPrintable(code));
    }
  }

  // Desks pricing the same goods onto one visit at once, each typing a
  // price of its own: the visit keeps one line per goods, at the price of
  // whichever desk wrote it first, holding every quantity.
  void desksPricingOneVisitAtOnceKeepOneLinePerGoods() {
    const int desks = ClinicFixture::CurrentStore() == "postgres" ? 8 : 4;
    const int each = 10;
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    for (const Goods& goods : BusyGoods()) DeskSeed::AddGoods(db, goods);
    const VisitKey key{double(NextVisitSerial(db, "acc01")), "acc01"};
    QCOMPARE(AddPricedLine(db, key, {"2001", 1, 1.5, "周文涛", "门诊", kDay}, true), PricingResult::Done);
    std::barrier together(desks);
    // What each desk's refused lines said (a refusal without words too).
    std::vector<QStringList> failures(desks);
    std::vector<std::thread> threads;
    for (int d = 0; d < desks; ++d)
      threads.emplace_back([&, d] {
        Connection own = OpenClinicDatabase();
        together.arrive_and_wait();
        for (int i = 0; i < each; ++i) {
          QString failure;
          const PricedLine line{i % 2 ? "2001" : "2002", 1, 2.0 + d, "周文涛", "门诊", kDay};
          if (AddPricedLine(own.db(), key, line, false, &failure) != PricingResult::Done) failures[d] << failure;
        }
      });
    for (std::thread& t : threads) t.join();
    QCOMPARE(failures, std::vector<QStringList>(desks));
    const QList<QVariantList> lines =
        ReadAll(db, "select 编号, count(*), sum(数量), min(\"单价(元)\") from 临时出库信息 group by 编号 order by 编号");
    const double half = desks * each / 2;
    QCOMPARE(lines.size(), 2);
    QCOMPARE(QList<double>({lines[0][1].toDouble(), lines[0][2].toDouble(), lines[0][3].toDouble(),
                            lines[1][1].toDouble(), lines[1][2].toDouble()}),
             QList<double>({1, 1 + half, 1.5, 1, half}));
    QCOMPARE(*VisitTotal(db, key), 1.5 * (1 + half) + lines[1][3].toDouble() * half);
  }
};

BRIMWICK_TEST_MAIN(DesksAtOnceTest)
#include "desks.moc"
