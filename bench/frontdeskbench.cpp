// Front-desk benchmark: on the clinic store of three busy years, and on one
// ten times as old, times a 5-line visit priced, settled and dispensed
// through the desks' posting functions, and the same statements run bare
// (each read to its last row) in the same transactions.
//
//   frontdeskbench <folder>   the stores are x1/ and x10/ in folder, made
//                             by the clinic generator on first use and
//                             reused afterwards.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cstdio>

#include "bench/clinicgen.h"
#include "db/clinicdb.h"
#include "frontdesk/dispensing.h"
#include "frontdesk/pricing.h"
#include "frontdesk/settlement.h"
#include "frontdesk/visitserial.h"
#include "platform/clock.h"

namespace {
const int kRounds = 40;
const int kLines = 5;
const QString kAccount = QStringLiteral("acc01");

// The postings' statements as they stand, run bare.
const QString kLargestSerial = QStringLiteral(
    "select max(最大流水号) from ("
    "select max(流水号) as 最大流水号 from 收银信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 患者信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 临时出库信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 出库患者信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 出库信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 服务信息临时表 where 划价人帐号 = ? "
    "union all select max(流水号) from 服务信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 退药信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 服务费退还信息 where 划价人帐号 = ?) as 各表流水号");
const QString kLowerStock = QStringLiteral(
    "update 库存 set 数量 = case when 数量 - ? <= ? then 0 else 数量 - ? end where 编号 = ? and 数量 + ? >= ?");
const QString kAddToLine = QStringLiteral(
    "update 临时出库信息 set 数量 = 数量 + ? where 流水号 = ? and 划价人帐号 = ? and 编号 = ? and 收银标志 = '否'");
const QString kInsertLine = QStringLiteral(
    "insert into 临时出库信息 (流水号, 编号, 时间, 数量, \"单价(元)\", 开方医师, 划价人帐号, 收银标志, 收费类别) "
    "values (?, ?, ?, ?, ?, ?, ?, '否', ?)");
const QString kCountLines =
    QStringLiteral("select count(*) from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 收银标志 = '否'");
const QString kInsertVoucher = QStringLiteral(
    "insert into 收银信息 (收费类别, 流水号, 姓名, 时间, \"药费(元)\", \"服务费(元)\", 划价人帐号) "
    "values (?, ?, ?, ?, (select round(cast(coalesce(sum(\"总价(元)\"), 0) as numeric), 2) from 临时出库信息 "
    "where 流水号 = ? and 划价人帐号 = ? and 收银标志 = '否'), 0, ?)");
const QString kTakeVoucher = QStringLiteral(
    "delete from 收银信息 where 流水号 = ? and 划价人帐号 = ? returning 收费类别, 姓名, \"药费(元)\", \"服务费(元)\"");
const QString kQueueVisit = QStringLiteral(
    "insert into 出库患者信息 (姓名, 流水号, 时间, 划价人帐号, 收银人帐号) values (?, ?, ?, ?, ?)");
const QString kMarkLinesPaid = QStringLiteral(
    "update 临时出库信息 set 收银人帐号 = ?, 收银标志 = '是' where 流水号 = ? and 划价人帐号 = ?");
const QString kInsertIncome = QStringLiteral(
    "insert into 患者信息 (收费类别, 流水号, 姓名, 时间, \"药费(元)\", \"服务费(元)\", 划价人帐号, 收银人帐号) "
    "values (?, ?, ?, ?, ?, ?, ?, ?)");
const QString kTakeFromQueue = QStringLiteral("delete from 出库患者信息 where 流水号 = ? and 划价人帐号 = ?");
const QString kSignLines =
    QStringLiteral("update 临时出库信息 set 出库人帐号 = ? where 流水号 = ? and 划价人帐号 = ?");
const QString kStageLines =
    QStringLiteral("insert into ckb (编号, 数量) select 编号, 数量 from 临时出库信息 where 流水号 = ? and 划价人帐号 = ?");
const QString kStagedLines = QStringLiteral("select 编号, 数量 from ckb order by 编号");
const QString kBatches = QStringLiteral(
    "select %1, 数量 from 药品过期表 where 编号 = ? and 数量 > ? order by 生产时间 is not null, 生产时间, 药品批号");
const QString kSetBatch = QStringLiteral("update 药品过期表 set 数量 = ? where %1 = ?");
const QString kMoveLines = QStringLiteral(
    "insert into 出库信息 (流水号, 编号, 时间, 数量, \"单价(元)\", 出库人帐号, 划价人帐号, 收银人帐号, 开方医师, 收费类别) "
    "select 流水号, 编号, 时间, 数量, \"单价(元)\", 出库人帐号, 划价人帐号, 收银人帐号, 开方医师, 收费类别 "
    "from 临时出库信息 where 流水号 = ? and 划价人帐号 = ?");
const QString kDeleteLines =
    QStringLiteral("delete from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 出库人帐号 = ?");

// Runs a statement and reads every row it returns.
QList<QVariantList> Bare(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
  return ReadAll(db, sql, values);
}

struct Figures {
  std::vector<double> price, settle, dispense;
  double Median(std::vector<double> times) const {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }
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
  for (int i = 0; i < 9; ++i) accountTimes << kAccount;
  figures.price.push_back(Ms([&] {
    serial = Bare(db, kLargestSerial, accountTimes)[0][0].toDouble() + 1;
    for (int i = 0; i < kLines; ++i)
      InWrite(db, [&] {
        if (i == 0) Bare(db, kLargestSerial, accountTimes);
        Bare(db, kLowerStock, {1.0, kQuantityTolerance, 1.0, goods[i], kQuantityTolerance, 1.0});
        Bare(db, kAddToLine, {1.0, serial, kAccount, goods[i]});
        Bare(db, kInsertLine, {serial, goods[i], day, 1.0, 2.5, "医师01", kAccount, "门诊"});
      });
    InWrite(db, [&] {
      Bare(db, kCountLines, {serial, kAccount});
      Bare(db, kInsertVoucher, {"门诊", serial, "患者", day, serial, kAccount, kAccount});
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
      for (const QVariantList& line : Bare(db, kStagedLines)) {
        double need = line[1].toDouble();
        for (const QVariantList& batch :
             Bare(db, kBatches.arg(rowId) + RowLockClause(db), {line[0], kQuantityTolerance})) {
          const double rest = batch[1].toDouble() - need;
          Bare(db, kSetBatch.arg(rowId), {rest > 0 ? rest : 0.0, batch[0]});
          need = rest < 0 ? -rest : 0;
          if (need == 0) break;
        }
      }
      DropScratchTable(db, QStringLiteral("ckb"));
      Bare(db, kMoveLines, {serial, kAccount});
      Bare(db, kDeleteLines, {serial, kAccount, "药房01"});
    });
  }));
}

struct StoreFigures {
  Figures postings, statements;
};

StoreFigures Measure(const QString& folder, const ClinicHistoryScale& scale) {
  QElapsedTimer timer;
  timer.start();
  Connection store = OpenBenchStore(folder, scale, [&](const QString& step) {
    std::printf("  %6.1f s  %s: %s\n", timer.elapsed() / 1000.0, qPrintable(folder), qPrintable(step));
    std::fflush(stdout);
  });
  const QSqlDatabase db = store.db();
  // Goods with stock enough for every round, as a busy desk prices them.
  QStringList goods;
  for (const QVariantList& row : ReadAll(db, "select 编号 from 库存 order by 数量 desc limit 5"))
    goods << row[0].toString().trimmed();
  StoreFigures figures;
  for (int round = 0; round < kRounds; ++round) {
    Postings(db, goods, figures.postings);
    Statements(db, goods, figures.statements);
  }
  return figures;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: frontdeskbench <folder>\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  const ClinicHistoryScale scale;
  try {
    const StoreFigures one = Measure(folder.filePath(QStringLiteral("x1")), scale);
    const StoreFigures ten = Measure(folder.filePath(QStringLiteral("x10")), scale.Times(10));
    std::printf("\n%s, median of %d rounds, milliseconds\n\n",
                qEnvironmentVariableIsEmpty("BRIMWICK_BENCH_PG") ? "SQLite" : "PostgreSQL", kRounds);
    std::printf("| posting | history | postings | bare statements | ratio | 10x / 1x |\n");
    std::printf("|---|---|---:|---:|---:|---:|\n");
    const auto row = [&](const char* name, auto member) {
      const double p1 = one.postings.Median(one.postings.*member), b1 = one.statements.Median(one.statements.*member);
      const double p10 = ten.postings.Median(ten.postings.*member), b10 = ten.statements.Median(ten.statements.*member);
      std::printf("| %s | 1x | %.2f | %.2f | %.2f | |\n", name, p1, b1, p1 / b1);
      std::printf("| %s | 10x | %.2f | %.2f | %.2f | %.2f |\n", name, p10, b10, p10 / b10, p10 / p1);
    };
    row("price a 5-line visit", &Figures::price);
    row("settle it", &Figures::settle);
    row("dispense it", &Figures::dispense);
  } catch (const DbError& e) {
    std::fprintf(stderr, "frontdeskbench: %s\n", qPrintable(e.text()));
    return 1;
  }
  return 0;
}
