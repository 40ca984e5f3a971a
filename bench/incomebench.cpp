// Income benchmark: on the report benchmarks' store (three busy years, or
// factor times as many), times one doctor's commission count and both
// cross-table workbooks over the last month and the last year of the
// history, each through the window's own functions and as the statements
// they ran before their indexes and the best found, both bare through the
// engine's C interface (every row read). The workbooks' files are timed
// alike on all three sides: the window's code lays out what each side read
// and the program's writer writes it.
//
//   incomebench <folder> [factor]
//
// A folder that already holds the generated store is reused.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/bare.h"
#include "bench/clinicgen.h"
#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "reports/commission.h"
#include "reports/crosstable.h"

namespace {
const QString kDoctor = QStringLiteral("医师01");
const QString kUser = QStringLiteral("基准统计人");
const int kRuns = 5;

using namespace CommissionSql;

// How the count set the doctor's shares before, item by item (today's side).
const QString kSelectShares = QStringLiteral("select 项目, 医生比例 from 比例分配表");
const QString kUpdateMedicineShare = QStringLiteral(
    "update 医生药品提成统计表 set 提成比例 = ? where 服务项目 = ? and 统计人 = ? and 开方医师 = ?");
using namespace CrossTableSql;

// The count as the window runs it: the computation, its grids and totals.
void WindowCount(const QSqlDatabase& db, const QDate& d1, const QDate& d2) {
  ComputeCommission(db, kDoctor, d1, d2, kUser);
  for (const QString& sql : {kSelectMedicineResult, kSelectPerformedResult, kSelectPrescribedResult}) ReadAll(db, sql, {kDoctor, kUser});
  ReadCommissionTotals(db, kDoctor, kUser);
}

// The bare statements, as the window runs them (best) or as they ran
// before their indexes (today).
struct Bare {
  BareStore& store;
  bool today;
  QList<QVariantList> shares;  // 比例分配表's items and doctor's shares, read ahead
  void operator()(const QString& sql, const QVariantList& values = {}) const {
    store.Run(today ? TodaysStatement(sql) : sql, values);
  }
  // The same statements kept as rows, for the window's own code to lay out.
  CrossTableReader Reader() const {
    return [this](const QString& sql, const QVariantList& values) {
      return store.Rows(today ? TodaysStatement(sql) : sql, values);
    };
  }
};

// The same statements one after another in one transaction.
void BareCount(const Bare& bare, const QDate& d1, const QDate& d2) {
  const QVariantList window{kDoctor, kUser, DayText(d1), DayText(d2), kDoctor};
  bare(bare.store.postgres() ? "begin" : "begin immediate");
  for (const QString& sql : {kDeletePerformed, kDeleteMedicine, kDeletePrescribed}) bare(sql, {kUser});
  for (const QString& sql : {kInsertPerformed, kInsertMedicine, kInsertPrescribed}) bare(sql, window);
  if (bare.today) {
    // As the window set the shares before, item by item; their values were
    // read ahead.
    bare(kSelectShares);
    for (const QVariantList& share : bare.shares)
      bare(kUpdateMedicineShare, {share.at(1), share.at(0).toString().trimmed(), kUser, kDoctor});
  } else {
    bare(kSetMedicineShares, {kUser, kDoctor});
  }
  bare("commit");
  for (const QString& sql : {kSelectMedicineResult, kSelectPerformedResult, kSelectPrescribedResult,
                             kSumMedicineCommission, kSumPrescribedCommission, kSumPerformedCommission,
                             kSumPrescribedAmount, kSumMedicineAmount, kSumPerformedAmount})
    bare(sql, {kDoctor, kUser});
}

void BareWorkbook(const Bare& bare, CrossTable table, const QDate& d1, const QDate& d2) {
  const QString from = DayText(d1), to = DayText(d2);
  bare(table == CrossTable::DoctorSales ? kSelectDoctors : kSelectServiceStaff);
  bare(kSelectItems);
  if (table == CrossTable::DoctorSales) {
    if (bare.today) {
      // What the window ran before, and still runs on PostgreSQL.
      bare(kSumMedicineByDoctorGrouped, {from, to, "西药", "中成药", "饮片"});
    } else {
      const auto [sql, values] = MedicineByDoctor(bare.store.postgres(), from, to);
      bare(sql, values);
    }
    bare(kSumServicesByDoctor, {from, to});
    bare(kSumByCashier, {from, to});
  } else {
    bare(kSumServicesByPerformer, {from, to});
  }
}

// Whether two workbooks hold the same cells, formats, widths and merges on
// their first sheet.
bool SameSheets(Workbook& one, Workbook& other) {
  const Worksheet& a = one.Sheet(1);
  const Worksheet& b = other.Sheet(1);
  if (a.LastRow() != b.LastRow() || a.LastColumn() != b.LastColumn() || a.Merges() != b.Merges()) return false;
  for (int c = 1; c <= a.LastColumn(); ++c) {
    if (a.ColumnWidth(c) != b.ColumnWidth(c)) return false;
    for (int r = 1; r <= a.LastRow(); ++r)
      if (a.Value(r, c) != b.Value(r, c) || !(a.Format(r, c) == b.Format(r, c))) return false;
  }
  return true;
}

QList<Comparison> Measure(const QSqlDatabase& db) {
  BareStore store;
  const QList<QVariantList> shares = ReadAll(db, kSelectShares);
  const Bare today{store, true, shares}, best{store, false, shares};
  const CrossTableReader todayRows = today.Reader(), bestRows = best.Reader();
  const QDate last = LastStoreDay(db, "出库信息");
  const std::pair<QString, QDate> periods[] = {{"month", last.addMonths(-1).addDays(1)},
                                                {"year", last.addYears(-1).addDays(1)}};
  QTemporaryDir out;
  QList<Comparison> figures;
  for (const auto& [period, first] : periods) {
    const QDate from = first;
    const QString of = QStringLiteral(", ") + period;
    // The count writes: the log is moved into the store before each side,
    // so that no side pays for the checkpoint another side's commits made
    // due, and each side runs warm, after its own connection's writes.
    figures.append(CompareByTurns(
        "commission count" + of, kRuns, [&] { BareCount(today, from, last); }, [&] { WindowCount(db, from, last); },
        [&] { BareCount(best, from, last); },
        [&] {
          if (!store.postgres()) store.Run(QStringLiteral("pragma wal_checkpoint(truncate)"));
        },
        true));
    for (CrossTable table : {CrossTable::DoctorSales, CrossTable::ServiceDetail}) {
      const QString name = CrossTableTitle(table);
      figures.append(CompareByTurns(name + of, kRuns, [&] { BareWorkbook(today, table, from, last); },
                                    [&] { ExcelCrossTableExport(db, table, from, last); },
                                    [&] { BareWorkbook(best, table, from, last); }));
      // Each side writes the same file through the program's own writer,
      // the window's code laying out the rows each side read: today's with
      // the plain grouping of the medicine block, as before its walk.
      const auto save = [&](const Workbook& book) {
        const QString error = book.SaveAs(out.filePath(CrossTableFileName(table, from, last)));
        if (!error.isEmpty()) throw DbError(error);
      };
      Workbook window = ExcelCrossTableExport(db, table, from, last);
      Workbook bareToday = ExcelCrossTableExport(todayRows, true, table, from, last);
      Workbook bareBest = ExcelCrossTableExport(bestRows, store.postgres(), table, from, last);
      if (!SameSheets(window, bareToday) || !SameSheets(window, bareBest))
        throw DbError(name + QStringLiteral(": the bare rows lay out another workbook"));
      figures.append(CompareByTurns(
          name + " and its file" + of, kRuns,
          [&] { save(ExcelCrossTableExport(todayRows, true, table, from, last)); },
          [&] { save(ExcelCrossTableExport(db, table, from, last)); },
          [&] { save(ExcelCrossTableExport(bestRows, store.postgres(), table, from, last)); }));
    }
  }
  ExecDirect(db, "begin");
  for (const QString& sql : {kDeletePerformed, kDeleteMedicine, kDeletePrescribed}) Exec(db, sql, {kUser});
  ExecDirect(db, "commit");
  return figures;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return RunBench(argc, argv, [&](const QString& folder, double factor) {
    Connection store = OpenBenchStore(folder, ReportBenchScale(factor), TimedProgress());
    const QSqlDatabase db = store.db();
    const QString engine = IsPostgres(db) ? "PostgreSQL" : "SQLite";
    const QString lines = ScalarText(db, "select count(*) from 出库信息");
    const QString table = ComparisonTable(Measure(db));
    std::printf("\n%s", qPrintable(table));
    WriteResults(QString("Personal income and cross tables, %1, %2× history").arg(engine).arg(factor),
                 QString("%1 issue lines, store %2 MB").arg(lines).arg(ClinicStoreMegabytes(), 0, 'f', 0), table);
  });
}
