// Several desks at once on the same visits and batches: patient returns
// and refunds, returns to the supplier and write-offs, one account
// confirming at one desk while it stages at another. Afterwards nothing is
// below zero, every stock figure moved by exactly what the staged and
// committed rows record, and no staged row is lost or doubled.
#include <QAtomicInt>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <thread>

#include "clinicledger.h"
#include "clinicseed.h"
#include "frontdesk/patientreturnposting.h"
#include "frontdesk/stagingconfirm.h"
#include "support/testkit.h"

using namespace ClinicSeed;
using ClinicFixture::InsertRow;

namespace {
const QStringList kCodes{"00001", "00002", "00003"};
const QStringList kBatches{"B1", "B2"};
const int kVisits = 4;
const qint64 kRunMs = 1500;

// Counted by the desks: what succeeded, to compare with the rows.
struct Done {
  QAtomicInt returns;
  QAtomicInt refunds;
  QAtomicInt corrections;
  QAtomicInt failures;
};

void Seed(const QSqlDatabase& db) {
  for (const QString& code : kCodes) {
    Goods(db, code, "药" + code, "Y" + code, 2 * 40);
    for (const QString& batch : kBatches) {
      Batch(db, code, batch, 40);
      Receipt(db, code, batch, 30);
      Receipt(db, code, batch, 10);
    }
  }
  for (int v = 1; v <= kVisits; ++v) {
    const VisitKey visit{double(v), v % 2 ? "acc1" : "acc2"};
    InsertRow(db, "患者信息", {{"收费类别", "门诊"}, {"流水号", visit.serial}, {"姓名", "患者" + QString::number(v)},
                               {"时间", DayText(kPaid)}, {"药费(元)", 3 * 20 * 12}, {"服务费(元)", 60},
                               {"划价人帐号", visit.account}});
    for (const QString& code : kCodes)
      InsertRow(db, "出库信息", {{"流水号", visit.serial}, {"编号", code}, {"时间", DayText(kPaid)}, {"数量", 20},
                                 {"单价(元)", 12}, {"划价人帐号", visit.account}});
    for (int line = 0; line < 2; ++line)
      InsertRow(db, "服务信息", {{"服务类别", "注射"}, {"流水号", visit.serial}, {"时间", DayText(kPriced)},
                                 {"服务费(元)", 30}, {"划价人帐号", visit.account}});
  }
}

// One desk: its own connection, made and used by its own thread only.
void Desk(int number, Done& done, QStringList& errors, QStringList& storeErrors, std::mutex& lock) {
  QRandomGenerator random(1000 + number);
  // Two desks per operator: one may confirm while the other stages.
  const QString who = QStringLiteral("desk%1").arg(number % (number < 4 ? 2 : 4));
  try {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    const QList<qint64> receipts = [&] {
      QList<qint64> ids;
      for (const QVariantList& row : ReadAll(db, "select 行号 from 入库信息")) ids << row[0].toLongLong();
      return ids;
    }();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kRunMs) {
      const int v = 1 + random.bounded(kVisits);
      const VisitKey visit{double(v), v % 2 ? "acc1" : "acc2"};
      bool ok = true;
      switch (random.bounded(6)) {
        case 0:
        case 1: {
          // Now and then to a batch used up and gone, which two desks may make at once.
          const QString batch = random.bounded(3) == 0 ? QStringLiteral("GONE") : kBatches[random.bounded(2)];
          const LineReturn line{visit, kCodes[random.bounded(kCodes.size())], batch,
                                QString::number(0.5 * (1 + random.bounded(4))), "365", kPaid, kReturned, who};
          QString failure;
          ok = ReturnDispensedLine(db, line, &failure) == ReturnOutcome::Done;
          if (!ok && failure != "refused") {
            std::lock_guard<std::mutex> guard(lock);
            storeErrors << failure;
          }
          if (ok) done.returns.ref();
          break;
        }
        case 2: {
          const QList<QVariantList> lines =
              ReadAll(db, "select 行号 from 服务信息 where 流水号 = ? and 划价人帐号 = ?", visit.Values());
          if (lines.isEmpty()) break;
          const RefundOutcome outcome =
              RefundServiceLine(db, lines[random.bounded(lines.size())][0].toLongLong(),
                                QString::number(1 + random.bounded(20)), kReturned, who);
          ok = outcome == RefundOutcome::Whole || outcome == RefundOutcome::Part;
          if (ok) done.refunds.ref();
          break;
        }
        case 3: CommitPatientReturn(db, visit, who, kReturned); break;
        case 4: {
          const CorrectionRequest request{random.bounded(2) ? Correction::SupplierReturn : Correction::WriteOff,
                                          receipts[random.bounded(receipts.size())],
                                          QString::number(1 + random.bounded(3)), "", who, kReturned};
          QString failure;
          const StagingOutcome outcome = StageCorrection(db, request, &failure);
          ok = outcome == StagingOutcome::Staged || outcome == StagingOutcome::ShortStock;
          if (!ok) {
            std::lock_guard<std::mutex> guard(lock);
            storeErrors << failure;
          }
          if (outcome == StagingOutcome::Staged) done.corrections.ref();
          break;
        }
        case 5:
          ok = StagingConfirm(db, random.bounded(2) ? Correction::SupplierReturn : Correction::WriteOff, who) >= 0;
          break;
      }
      if (!ok) done.failures.ref();
    }
  } catch (const std::exception& error) {
    std::lock_guard<std::mutex> guard(lock);
    errors << QString::fromUtf8(error.what());
  }
}

int Rows(const QSqlDatabase& db, const QStringList& tables) {
  int rows = 0;
  for (const QString& table : tables) rows += ScalarText(db, "select count(*) from " + table).toInt();
  return rows;
}
}  // namespace

class ConcurrencyTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void desksMeetOnTheSameVisitsAndBatches() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    Seed(db);
    const ClinicLedger::Figures before = ClinicLedger::Read(db);
    const int desks = ClinicFixture::CurrentStore() == "postgres" ? 8 : 4;
    Done done;
    QStringList errors;
    QStringList storeErrors;
    std::mutex lock;
    std::vector<std::thread> threads;
    for (int i = 0; i < desks; ++i) threads.emplace_back([&, i] { Desk(i, done, errors, storeErrors, lock); });
    for (std::thread& thread : threads) thread.join();
    QCOMPARE(errors, QStringList{});
    storeErrors.removeDuplicates();
    if (!storeErrors.isEmpty()) qInfo("returns the store refused: %s", qPrintable(storeErrors.join("; ")));
    // Every posting takes batches before stock: none meets another in a circle.
    QCOMPARE(storeErrors.filter("deadlock", Qt::CaseInsensitive), QStringList{});

    const ClinicLedger::Figures after = ClinicLedger::Read(db);
    QCOMPARE(ClinicLedger::Faults(before, after), QStringList{});
    // Each row staged is still staged or in its final table, once.
    QCOMPARE(Rows(db, {"退药临时信息", "退药信息"}), done.returns.loadRelaxed());
    QCOMPARE(Rows(db, {"服务费退还临时信息", "服务费退还信息"}), done.refunds.loadRelaxed());
    QCOMPARE(Rows(db, {"临时反库信息", "药品反库信息", "药品报损临时信息", "药品报损信息"}),
             done.corrections.loadRelaxed());
    QVERIFY(done.returns.loadRelaxed() > desks);
    QVERIFY(done.corrections.loadRelaxed() > desks);
    QVERIFY(Rows(db, {"退药信息", "药品反库信息", "药品报损信息"}) > 0);
    qInfo("%d returns, %d refunds, %d stagings, %d refused or failed", done.returns.loadRelaxed(),
          done.refunds.loadRelaxed(), done.corrections.loadRelaxed(), done.failures.loadRelaxed());
  }
};

BRIMWICK_TEST_MAIN(ConcurrencyTest)
#include "concurrency.moc"
