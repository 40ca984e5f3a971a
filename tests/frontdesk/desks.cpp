// Several desks at once on one store, each with its own connection in its
// own thread, pricing, settling and dispensing the same few goods for a
// couple of seconds; then the store must still add up: nothing below
// zero, nothing settled or dispensed twice, 库存 lowered by exactly what
// was priced and not removed.
#include <atomic>
#include <thread>

#include "frontdesk/deskwork.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using namespace DeskWork;

namespace {
const int kRunMs = 2000;

void RunDesk(int desk, int accounts, std::atomic<bool>& stop, Tally& tally) {
  // Two desks share each pricing account, so that they draw serials against
  // each other too.
  const Desk who{QStringLiteral("acc%1").arg(desk % accounts + 1, 2, 10, QLatin1Char('0')),
                 QStringLiteral("收银%1").arg(desk), QStringLiteral("药房%1").arg(desk)};
  QRandomGenerator random(4711 + desk);
  Connection c = OpenClinicDatabase();
  const QSqlDatabase db = c.db();
  while (!stop) Round(db, who, random, tally);
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
    const QMap<QString, double> stockBefore = SumByCode(db, "库存");
    const QMap<QString, double> batchesBefore = SumByCode(db, "药品过期表");

    std::atomic<bool> stop = false;
    std::vector<Tally> tallies(desks);
    std::vector<std::thread> threads;
    for (int i = 0; i < desks; ++i)
      threads.emplace_back([&, i] {
        try {
          RunDesk(i, desks / 2, stop, tallies[i]);
        } catch (const DbError& error) {
          tallies[i].Fail(error.text());
        }
      });
    QThread::msleep(kRunMs);
    stop = true;
    for (std::thread& t : threads) t.join();

    Tally total;
    for (const Tally& t : tallies) total.Add(t);
    qInfo("%d desks: %d visits priced, %d settled, %d dispensed, %d lines refused for stock, %d postings failed, "
          "%d settlements or dispensings found their visit taken",
          desks, total.visits, total.settled, total.dispensed, total.refusedStock, total.failed, total.lostRaces);
    for (const QString& failure : total.failures) qInfo("failed: %s", qPrintable(failure));
    QVERIFY(total.visits > desks);
    QVERIFY(total.settled > 0);
    QVERIFY(total.dispensed > 0);
    QCOMPARE(total.shortBatches, 0);

    QCOMPARE(BrokenRules(db), QStringList());
    // 库存 fell by exactly what was priced and kept; what left the batches
    // is what was dispensed.
    const QMap<QString, double> stock = SumByCode(db, "库存");
    const QMap<QString, double> batches = SumByCode(db, "药品过期表");
    const QMap<QString, double> dispensed = SumByCode(db, "出库信息");
    for (const Goods& goods : BusyGoods()) {
      const QString code = goods.code;
      QVERIFY2(qAbs(stockBefore[code] - stock[code] - total.priced[code]) < 1e-6, qPrintable(code));
      QVERIFY2(qAbs(batchesBefore[code] - batches[code] - dispensed[code]) < 1e-6, qPrintable(code));
    }
  }
};

BRIMWICK_TEST_MAIN(DesksAtOnceTest)
#include "desks.moc"
