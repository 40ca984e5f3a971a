// Several desks at once on one store, each with its own connection in its
// own thread, pricing, settling and dispensing the same few goods for a
// couple of seconds; then the store must still add up: nothing below
// zero, nothing settled or dispensed twice, 库存 lowered by exactly what
// was priced and not removed.
#include <QRandomGenerator>
#include <atomic>
#include <mutex>
#include <thread>

#include "db/clinicdb.h"
#include "frontdesk/clinicseed.h"
#include "frontdesk/dispensing.h"
#include "frontdesk/pricing.h"
#include "frontdesk/settlement.h"
#include "frontdesk/visitserial.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using namespace ClinicSeed;

namespace {
const QDate kDay(2026, 12, 7);
const int kRunMs = 2000;
// Plenty of one and little of another, so that desks also meet at zero.
const QList<Goods> kGoods{
    {"2001", "复方甘草片", "FFGCP", 1.5, {{"a1", 2000, "2024-01-01"}, {"a2", 1500, "2024-02-01"}, {"a3", 1500, "2024-03-01"}}},
    {"2002", "维生素C片", "WSSCP", 0.8, {{"b1", 0.5, "2024-01-01"}, {"b2", 3000, "2024-05-01"}}},
    {"2003", "感冒灵颗粒", "GMLKL", 3.2, {{"c1", 12, "2024-01-01"}, {"c2", 6.5, "2024-04-01"}}},
};

struct DeskTally {
  QMap<QString, double> priced;  // quantity per goods, priced and not removed
  int visits = 0, settled = 0, dispensed = 0, refusedStock = 0, failed = 0, lostRaces = 0;
  QStringList failures;
};

void RunDesk(int desk, int accounts, std::atomic<bool>& stop, DeskTally& tally) {
  const QString account = QStringLiteral("acc%1").arg(desk % accounts + 1, 2, 10, QLatin1Char('0'));
  const QString cashier = QStringLiteral("收银%1").arg(desk);
  const QString pharmacist = QStringLiteral("药房%1").arg(desk);
  QRandomGenerator random(4711 + desk);
  auto note = [&](const QString& failure) {
    ++tally.failed;
    if (tally.failures.size() < 5) tally.failures << failure;
  };
  Connection c = OpenClinicDatabase();
  const QSqlDatabase db = c.db();
  while (!stop) {
    // Price a visit of one to three lines, now and then taking one back.
    VisitKey key{double(NextVisitSerial(db, account)), account};
    QMap<QString, double> lines;
    for (int n = 1 + random.bounded(3); n > 0; --n) {
      const QString code = kGoods[random.bounded(kGoods.size())].code;
      const double quantity = (1 + random.bounded(40)) / 10.0;
      QString failure;
      switch (AddPricedLine(db, key, {code, quantity, 2.5, "周文涛", "门诊", kDay}, lines.isEmpty(), &failure)) {
        case PricingResult::Done: lines[code] += quantity; break;
        case PricingResult::ShortStock: ++tally.refusedStock; break;
        default: note(failure);
      }
    }
    if (lines.size() > 1 && random.bounded(4) == 0) {
      const QString code = lines.firstKey();
      QString failure;
      if (RemovePricedLine(db, key, code, &failure) == PricingResult::Done)
        lines.remove(code);
      else
        note(failure);
    }
    for (auto it = lines.cbegin(); it != lines.cend(); ++it) tally.priced[it.key()] += it.value();
    if (!lines.isEmpty()) {
      QString failure;
      if (MakeVoucher(db, key, "患者", "门诊", kDay, &failure) == PricingResult::Done)
        ++tally.visits;
      else
        note(failure);
    }
    // Settle and dispense whatever any desk left waiting, as desks do.
    const QList<QVariantList> vouchers = ReadAll(db, "select 流水号, 划价人帐号 from 收银信息");
    if (!vouchers.isEmpty()) {
      const QVariantList& pick = vouchers[random.bounded(vouchers.size())];
      if (SettleVoucher(db, {pick[0].toDouble(), pick[1].toString().trimmed()}, cashier, kDay, 1e6) ==
          SettlementResult::Settled)
        ++tally.settled;
      else
        ++tally.lostRaces;
    }
    const QList<QVariantList> queue = ReadAll(db, "select 流水号, 划价人帐号 from 出库患者信息");
    if (!queue.isEmpty()) {
      const QVariantList& pick = queue[random.bounded(queue.size())];
      if (DispenseVisit(db, {pick[0].toDouble(), pick[1].toString().trimmed()}, pharmacist) ==
          DispensingResult::Dispensed)
        ++tally.dispensed;
      else
        ++tally.lostRaces;
    }
  }
}

QMap<QString, double> SumByCode(const QSqlDatabase& db, const QString& table) {
  QMap<QString, double> sums;
  for (const QVariantList& row : ReadAll(db, "select 编号, sum(数量) from " + table + " group by 编号"))
    sums[row[0].toString().trimmed()] = row[1].toDouble();
  return sums;
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
    for (const Goods& goods : kGoods) AddGoods(db, goods);
    const QMap<QString, double> stockBefore = SumByCode(db, "库存");
    const QMap<QString, double> batchesBefore = SumByCode(db, "药品过期表");

    std::atomic<bool> stop = false;
    std::vector<DeskTally> tallies(desks);
    std::vector<std::thread> threads;
    for (int i = 0; i < desks; ++i)
      threads.emplace_back([&, i] {
        try {
          RunDesk(i, desks / 2, stop, tallies[i]);
        } catch (const DbError& error) {
          tallies[i].failures << error.text();
          ++tallies[i].failed;
        }
      });
    QThread::msleep(kRunMs);
    stop = true;
    for (std::thread& t : threads) t.join();

    DeskTally total;
    for (const DeskTally& t : tallies) {
      for (auto it = t.priced.cbegin(); it != t.priced.cend(); ++it) total.priced[it.key()] += it.value();
      total.visits += t.visits;
      total.settled += t.settled;
      total.dispensed += t.dispensed;
      total.refusedStock += t.refusedStock;
      total.failed += t.failed;
      total.lostRaces += t.lostRaces;
      total.failures << t.failures;
    }
    qInfo("%d desks: %d visits priced, %d settled, %d dispensed, %d lines refused for stock, %d postings failed, %d settlements or dispensings found their visit taken",
          desks, total.visits, total.settled, total.dispensed, total.refusedStock, total.failed, total.lostRaces);
    for (const QString& failure : total.failures) qInfo("failed: %s", qPrintable(failure));
    QVERIFY(total.visits > desks);
    QVERIFY(total.settled > 0);
    QVERIFY(total.dispensed > 0);

    // Nothing below zero.
    QVERIFY(Number(db, "select min(数量) from 库存") >= -kQuantityTolerance);
    QVERIFY(Number(db, "select min(数量) from 药品过期表") >= -kQuantityTolerance);
    // No visit settled twice, none dispensed twice, no line dispensed twice.
    const QString twice = "select count(*) from (select 流水号 from %1 group by %2 having count(*) > 1) as twice";
    QCOMPARE(ScalarText(db, twice.arg("患者信息", "流水号, 划价人帐号")), QString("0"));
    QCOMPARE(ScalarText(db, twice.arg("出库信息", "流水号, 划价人帐号, 编号")), QString("0"));
    // A voucher is either waiting or paid, a paid visit either queued (its
    // lines marked paid, none dispensed) or dispensed (no line left).
    QCOMPARE(ScalarText(db, "select count(*) from 收银信息 as v, 患者信息 as p where v.流水号 = p.流水号 and "
                            "v.划价人帐号 = p.划价人帐号"),
             QString("0"));
    QCOMPARE(ScalarText(db, "select count(*) from 出库患者信息 as q where not exists (select 1 from 临时出库信息 as l "
                            "where l.流水号 = q.流水号 and l.划价人帐号 = q.划价人帐号 and l.收银标志 = '是') or "
                            "exists (select 1 from 出库信息 as o where o.流水号 = q.流水号 and o.划价人帐号 = q.划价人帐号)"),
             QString("0"));
    QCOMPARE(ScalarText(db, "select count(*) from 出库信息 as o where exists (select 1 from 临时出库信息 as l where "
                            "l.流水号 = o.流水号 and l.划价人帐号 = o.划价人帐号) or not exists (select 1 from 患者信息 "
                            "as p where p.流水号 = o.流水号 and p.划价人帐号 = o.划价人帐号)"),
             QString("0"));
    // Each paid visit's medicine fee is the sum of its lines.
    QCOMPARE(ScalarText(db, "select count(*) from 患者信息 as p where abs(\"药费(元)\" - (select coalesce(sum(\"总价(元)\"), 0) "
                            "from 出库信息 as o where o.流水号 = p.流水号 and o.划价人帐号 = p.划价人帐号) - (select "
                            "coalesce(sum(\"总价(元)\"), 0) from 临时出库信息 as l where l.流水号 = p.流水号 and "
                            "l.划价人帐号 = p.划价人帐号)) > 0.005"),
             QString("0"));
    // 库存 fell by what was priced and kept; what left the batches is what
    // was dispensed; and stock plus open lines is what the batches hold.
    const QMap<QString, double> stock = SumByCode(db, "库存");
    const QMap<QString, double> batches = SumByCode(db, "药品过期表");
    const QMap<QString, double> open = SumByCode(db, "临时出库信息");
    const QMap<QString, double> dispensed = SumByCode(db, "出库信息");
    for (const Goods& goods : kGoods) {
      const QString code = goods.code;
      QVERIFY2(qAbs(stockBefore[code] - stock[code] - total.priced[code]) < 1e-6, qPrintable(code));
      QVERIFY2(qAbs(batchesBefore[code] - batches[code] - dispensed[code]) < 1e-6, qPrintable(code));
      QVERIFY2(qAbs(stock[code] + open[code] - batches[code]) < 1e-6, qPrintable(code));
    }
  }
};

BRIMWICK_TEST_MAIN(DesksAtOnceTest)
#include "desks.moc"
