// Front-desk benchmark: on the report benchmarks' store (three busy years,
// or factor times as many), times a 5-line visit priced, settled and
// dispensed through the desks' posting functions, on the store and on its
// twin with the earlier indexes by turns, and the same statements run
// bare (each read to its last row) in the same transactions, on the
// posting's own connection: they share its scratch table.
//
//   frontdeskbench <folder> [factor]   the store is made in folder by the
//                                      clinic generator on first use and
//                                      reused afterwards.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cstdio>

#include "bench/bare.h"
#include "bench/beforeindexes.h"
#include "bench/clinicgen.h"
#include "db/clinicdb.h"
#include "frontdesk/deskstatements.h"
#include "frontdesk/dispensing.h"
#include "frontdesk/pricing.h"
#include "frontdesk/settlement.h"
#include "frontdesk/visitserial.h"
#include "platform/clock.h"

namespace {
const int kRounds = 200;
// Rounds run first and not counted: caches warm, and the write-ahead log
// of each store grows to its working size (a commit that lengthens the file
// syncs far more than one that reuses it).
const int kWarmRounds = 50;
const int kLines = 5;
const QString kAccount = QStringLiteral("acc01");
using namespace DeskStatements;

// Runs a statement and reads every row it returns.
QList<QVariantList> Bare(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
  return ReadAll(db, sql, values);
}

struct Figures {
  std::vector<double> price, settle, dispense;
};

double Ms(const std::function<void()>& fn) {
  QElapsedTimer timer;
  timer.start();
  fn();
  return timer.nsecsElapsed() / 1e6;
}

void Check(bool ok, const char* what) {
  if (!ok) throw DbError(QStringLiteral("the benchmark's %1 failed").arg(QString::fromUtf8(what)));
}

// One round through the postings.
void Postings(const QSqlDatabase& db, const QStringList& goods, Figures& figures) {
  const QDate day = Clock::today();
  VisitKey key;
  figures.price.push_back(Ms([&] {
    key = {double(NextVisitSerial(db, kAccount)), kAccount};
    for (int i = 0; i < kLines; ++i)
      Check(AddPricedLine(db, key, {goods[i], 1, 2.5, "医师01", "门诊", day}, i == 0) == PricingResult::Done,
            "pricing");
    Check(MakeVoucher(db, key, "患者", "门诊", day) == PricingResult::Done, "voucher");
  }));
  figures.settle.push_back(
      Ms([&] { Check(SettleVoucher(db, key, "收银01", day, 1000) == SettlementResult::Settled, "settling"); }));
  figures.dispense.push_back(
      Ms([&] { Check(DispenseVisit(db, key, "药房01") == DispensingResult::Dispensed, "dispensing"); }));
}

void InWrite(const QSqlDatabase& db, const std::function<void()>& work) {
  BeginWrite(db);
  work();
  CommitWrite(db);
}

// The same round as the bare statements.
void Statements(const QSqlDatabase& db, const QStringList& goods, Figures& figures) {
  const QString day = DayText(Clock::today());
  const QString rowId = PhysicalRowId(db);
  double serial = 0;
  QVariantList accountTimes;
  for (int i = 0; i < kSerialTables; ++i) accountTimes << kAccount;
  figures.price.push_back(Ms([&] {
    // The serial, reserved in a transaction of its own as the desk does.
    InWrite(db, [&] {
      Bare(db, kStartSerialCounter, {kAccount});
      const double largest = Bare(db, kLargestSerial, accountTimes)[0][0].toDouble();
      serial = Bare(db, kAdvanceSerialCounter, {largest, largest, kAccount})[0][0].toDouble();
    });
    const QVariantList key{serial, kAccount};
    // Whether the visit is still open to pricing, as every line and the
    // voucher ask.
    const auto openVisit = [&] {
      Bare(db, kClosedVisitRows, key + key + key + key);
      Bare(db, kOpenVisitLines, key);
    };
    for (int i = 0; i < kLines; ++i)
      InWrite(db, [&] {
        Bare(db, kLowerStock, {1.0, kQuantityTolerance, 1.0, goods[i], kQuantityTolerance, 1.0});
        openVisit();
        Bare(db, kAddToLine, {1.0, serial, kAccount, goods[i], 2.5});
        Bare(db, kInsertLine, {serial, goods[i], day, 1.0, 2.5, "医师01", kAccount, "门诊"});
      });
    InWrite(db, [&] {
      openVisit();
      Bare(db, kInsertVoucher, {"门诊", serial, "患者", day, kAccount, serial, kAccount});
    });
  }));
  figures.settle.push_back(Ms([&] {
    InWrite(db, [&] {
      const QList<QVariantList> voucher = Bare(db, kTakeVoucher, {serial, kAccount});
      Bare(db, kQueueVisit, {"患者", serial, day, kAccount, "收银01"});
      Bare(db, kMarkLinesPaid, {"收银01", serial, kAccount});
      Bare(db, kInsertIncome, {"门诊", serial, "患者", day, voucher[0][2], 0, kAccount, "收银01"});
    });
  }));
  figures.dispense.push_back(Ms([&] {
    InWrite(db, [&] {
      Bare(db, kTakeFromQueue, {serial, kAccount});
      Bare(db, kSignLines, {"药房01", serial, kAccount});
      CreateScratchTable(db, *FindClinicScratchTable(QStringLiteral("ckb")));
      Bare(db, kStageLines, {serial, kAccount});
      const QString oldestBatch = kOldestBatch.arg(rowId) + RowLockClause(db);
      for (const QVariantList& line : Bare(db, kStagedLines)) {
        double need = line[1].toDouble();
        while (need > 0) {
          const QList<QVariantList> batch = Bare(db, oldestBatch, {line[0], kQuantityTolerance, day});
          Check(!batch.isEmpty(), "batch for the bare dispensing");
          const double rest = batch[0][1].toDouble() - need;
          Bare(db, kSetBatch.arg(rowId), {rest > 0 ? rest : 0.0, batch[0][0]});
          need = rest < 0 ? -rest : 0;
        }
      }
      DropScratchTable(db, QStringLiteral("ckb"));
      Bare(db, kMoveLines, {serial, kAccount});
      Bare(db, kDeleteLines, {serial, kAccount, "药房01"});
    });
  }));
}

struct StoreFigures {
  Figures postings, before, statements;
};

// As the desks commit, and with commits that do not wait for the disk.
struct Passes {
  StoreFigures synced, unsynced;
  QString sizes;
};

Passes Measure(const QString& folder, const ClinicHistoryScale& scale) {
  QElapsedTimer timer;
  timer.start();
  OpenBenchStore(folder, scale, [&](const QString& step) {
    std::printf("  %6.1f s  %s: %s\n", timer.elapsed() / 1000.0, qPrintable(folder), qPrintable(step));
    std::fflush(stdout);
  });
  const StoreBeforeReportIndexes twin;
  Connection store = OpenClinicStore();
  const QSqlDatabase db = store.db();
  // The visits land on the store's last day, so that the reports' windows
  // over it stay as they were made.
  Clock::Set(QDateTime(LastStoreDay(db), QTime(11, 0)));
  // Goods with stock enough for every round, as a busy desk prices them:
  // stock not yet expired, the only stock dispensed.
  QStringList goods;
  for (const QVariantList& row :
       ReadAll(db, "select 编号 from 药品过期表 where 过期时间 is null or 过期时间 > ? group by 编号 "
                   "order by sum(数量) desc limit 5",
               {DayText(Clock::today())}))
    goods << row[0].toString().trimmed();
  // Each round on both stores, which goes first by turns, so that a busy
  // machine's load falls on both alike. The twin runs the bare statements
  // too, untimed: both stores then hold as many rows written and deleted,
  // which PostgreSQL keeps until a vacuum and its scans step over.
  Figures untimed;
  const auto round = [&](int number, StoreFigures& into) {
    for (int turn = 0; turn < 2; ++turn) {
      if ((number + turn) % 2 == 0)
        Postings(db, goods, into.postings);
      else
        Postings(twin.db(), goods, into.before);
    }
    Statements(db, goods, into.statements);
    Statements(twin.db(), goods, untimed);
  };
  Passes passes;
  for (StoreFigures* figures : {&passes.synced, &passes.unsynced}) {
    if (figures == &passes.unsynced) {
      CommitWithoutDiskWait(db);
      CommitWithoutDiskWait(twin.db());
    }
    StoreFigures warm;
    for (int number = 0; number < (SmokeRun() ? 0 : kWarmRounds); ++number) round(number, warm);
    for (int number = 0; number < (SmokeRun() ? 1 : kRounds); ++number) round(number, *figures);
  }
  passes.sizes = ReportIndexSizes(db, twin);
  return passes;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return RunBench(argc, argv, [&](const QString& folder, double factor) {
    const Passes passes = Measure(folder, ReportBenchScale(factor));
    const QString engine = qEnvironmentVariableIsEmpty("BRIMWICK_BENCH_PG") ? "SQLite" : "PostgreSQL";
    QString table =
        "| posting | earlier indexes | postings | now / earlier | bare statements | postings / bare |\n"
        "|---|---:|---:|---:|---:|---:|\n";
    const auto row = [&](const StoreFigures& one, const QString& name, auto member) {
      const double w = Median(one.before.*member), p = Median(one.postings.*member),
                   b = Median(one.statements.*member);
      table += QString("| %1 | %2 ms | %3 ms | %4 | %5 ms | %6 |\n")
                   .arg(name)
                   .arg(w, 0, 'f', 2)
                   .arg(p, 0, 'f', 2)
                   .arg(p / w, 0, 'f', 2)
                   .arg(b, 0, 'f', 2)
                   .arg(p / b, 0, 'f', 2);
    };
    for (const StoreFigures* one : {&passes.synced, &passes.unsynced}) {
      const QString unsynced = one == &passes.unsynced ? QStringLiteral(", commits not waiting for the disk") : QString();
      row(*one, "price a 5-line visit" + unsynced, &Figures::price);
      row(*one, "settle it" + unsynced, &Figures::settle);
      row(*one, "dispense it" + unsynced, &Figures::dispense);
    }
    table += "\nStore size: " + passes.sizes + ".\n";
    std::printf("\n%s, median of %d rounds\n%s", qPrintable(engine), kRounds, qPrintable(table));
    WriteResults(QString("Front desk postings, %1, %2× history").arg(engine).arg(factor),
                 QString("store %1 MB; the postings on the store and on a copy with the earlier indexes by turns; "
                         "the bare statements run through Qt's driver in the postings' transactions")
                     .arg(ClinicStoreMegabytes(), 0, 'f', 0),
                 table);
  });
}
