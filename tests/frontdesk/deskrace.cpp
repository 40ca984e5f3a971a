// Several desks at once on one store (8 on the server, 4 on the SQLite
// file), each on its own connection in its own thread: admissions of one
// name, deposits racing a discharge, and service items added everywhere
// leave the store whole.
#include <QMutex>
#include <atomic>
#include <functional>
#include <latch>
#include <thread>
#include <vector>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/inpatients.h"
#include "frontdesk/servicelists.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

namespace {
const QDate kDay(2024, 6, 3);

int Desks() { return ClinicFixture::CurrentStore() == "postgres" ? 8 : 4; }

// Runs work(desk, db) on every desk at once, each in a thread of its own
// with a connection it opened itself; returns the failures they met.
QStringList RunDesks(int desks, const std::function<void(int, const QSqlDatabase&)>& work) {
  QMutex mutex;
  QStringList failures;
  std::latch ready(desks);
  std::vector<std::thread> threads;
  for (int desk = 0; desk < desks; ++desk) {
    threads.emplace_back([&, desk] {
      bool arrived = false;
      try {
        Connection connection = OpenClinicDatabase();
        arrived = true;
        ready.arrive_and_wait();
        work(desk, connection.db());
      } catch (const std::exception& error) {
        // A desk that could not even connect must not hold the others back.
        if (!arrived) ready.count_down();
        QMutexLocker lock(&mutex);
        failures << QStringLiteral("desk %1: %2").arg(desk).arg(QString::fromStdString(error.what()));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  return failures;
}

void Check(bool condition, const QString& what) {
  if (!condition) throw std::runtime_error(what.toStdString());
}
}  // namespace

class DeskRaceTest : public QObject {
  Q_OBJECT

  Connection store_;
  QSqlDatabase db() const { return store_.db(); }
  QString scalar(const QString& sql, const QVariantList& values = {}) { return ScalarText(db(), sql, values); }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    store_ = OpenClinicDatabase();
  }
  void cleanup() { store_ = Connection(); }

  void oneNameAdmittedFromEveryDeskGivesOneRow() {
    const int names = 12;
    std::atomic<int> admitted = 0;
    const QStringList failures = RunDesks(Desks(), [&](int desk, const QSqlDatabase& db) {
      for (int i = 0; i < names; ++i) {
        // Each desk walks the names from another starting point.
        const QString name = QStringLiteral("病人%1").arg((i + desk) % names);
        const AdmissionOutcome outcome = AdmitInpatient(db, {"BR", name, "男", "30", "", ""});
        Check(outcome != AdmissionOutcome::Incomplete, "refused as incomplete");
        if (outcome == AdmissionOutcome::Admitted) ++admitted;
      }
    });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    QCOMPARE(admitted.load(), names);
    QCOMPARE(scalar("select count(*) from 入院信息表"), QString::number(names));
    QCOMPARE(scalar("select count(distinct 姓名) from 入院信息表"), QString::number(names));
  }

  void depositsRacingADischargeLeaveNoLedgerRow() {
    for (int round = 0; round < 3; ++round) {
      const QString name = QStringLiteral("张三%1").arg(round);
      QCOMPARE(AdmitInpatient(db(), {"ZS", name, "男", "", "", ""}), AdmissionOutcome::Admitted);
      std::atomic<int> booked = 0;
      std::atomic<int> depositDesksDone = 0;
      const QStringList failures = RunDesks(Desks(), [&](int desk, const QSqlDatabase& db) {
        if (desk == 0) {
          // Let the other desks book a few before the discharge comes.
          while (booked.load() < 2 * (Desks() - 1) && depositDesksDone.load() < Desks() - 1)
            std::this_thread::yield();
          Check(DischargePatient(db, name), "discharge failed");
          return;
        }
        struct Done {
          std::atomic<int>& count;
          ~Done() { ++count; }
        } done{depositDesksDone};
        for (int i = 0; i < 15; ++i) {
          const DepositOutcome outcome = BookDeposit(db, name, "10", kDay, QStringLiteral("desk%1").arg(desk));
          Check(outcome == DepositOutcome::Booked || outcome == DepositOutcome::Failed, "deposit refused");
          if (outcome == DepositOutcome::Booked) ++booked;
        }
      });
      QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
      QCOMPARE(scalar("select count(*) from 住院患者押金表 where 姓名 = ?", {name}), QString("0"));
      QCOMPARE(scalar("select count(*) from 入院信息表 where 姓名 = ?", {name}), QString("0"));
    }
  }

  void withoutADischargeTheLedgerHoldsWhatWasReportedBooked() {
    QCOMPARE(AdmitInpatient(db(), {"LS", "李四", "女", "", "", ""}), AdmissionOutcome::Admitted);
    std::atomic<int> bookedCents = 0;
    const QStringList failures = RunDesks(Desks(), [&](int desk, const QSqlDatabase& db) {
      for (int i = 0; i < 20; ++i) {
        const int cents = 100 * (desk + 1) + i + 1;
        if (BookDeposit(db, "李四", QString::number(cents / 100.0, 'f', 2), kDay, "desk") == DepositOutcome::Booked)
          bookedCents += cents;
      }
    });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    QCOMPARE(scalar("select count(*) from 住院患者押金表"), QString::number(20 * Desks()));
    QCOMPARE(DepositBalance(db(), "李四").deposits, QString::number(bookedCents.load() / 100.0, 'f', 2));
  }

  void oneServiceItemAddedFromEveryDeskGivesOneRowInEachTable() {
    const int names = 10;
    std::atomic<int> added = 0;
    const QStringList failures = RunDesks(Desks(), [&](int desk, const QSqlDatabase& db) {
      for (int i = 0; i < names; ++i) {
        const QString name = QStringLiteral("项目%1").arg((i + desk) % names);
        const ListChange outcome = AddServiceItem(db, "XM", name, "5");
        Check(outcome == ListChange::Done || outcome == ListChange::Duplicate, "service add failed");
        if (outcome == ListChange::Done) ++added;
        const ListChange unit = AddListEntry(db, ReferenceList::Units, QStringLiteral("单位%1").arg(i));
        Check(unit == ListChange::Done || unit == ListChange::Duplicate, "unit add failed");
      }
    });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    QCOMPARE(added.load(), names);
    QCOMPARE(scalar("select count(*) from 服务项目"), QString::number(names));
    QCOMPARE(scalar("select count(*) from 比例分配表"), QString::number(names));
    QCOMPARE(scalar("select count(*) from 比例分配表 as b where exists (select 1 from 服务项目 as s where "
                    "s.服务项目 = b.项目)"),
             QString::number(names));
    QCOMPARE(scalar("select count(*) from 药品单位"), QString::number(names));
  }
};

BRIMWICK_TEST_MAIN(DeskRaceTest)
#include "deskrace.moc"
