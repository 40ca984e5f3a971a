// Income benchmark: on the clinic store of three busy years (and, when a
// second folder is given, on one ten times as old), times one doctor's
// commission count and both cross-table workbooks over the last month and
// the last year of the history, each through the window's own functions and
// as the same statements run bare (Exec and every row read).
//
//   incomebench <folder> [<folder for ten times the history>]
//
// A folder that already holds the generated store is reused; the indexes
// the income report needs are made when the store lacks them.
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
const double kMostOverBare = 1.3;
const double kMostMonthGrowth = 1.5;

using namespace CommissionSql;
using namespace CrossTableSql;

int ReadEvery(QSqlQuery query) {
  const int columns = query.record().count();
  int cells = 0;
  while (query.next())
    for (int i = 0; i < columns; ++i) cells += query.value(i).isValid();
  return cells;
}

void Bare(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) { ReadEvery(Exec(db, sql, values)); }

// The count as the window runs it: the computation, its grids and totals.
void WindowCount(const QSqlDatabase& db, const QDate& d1, const QDate& d2) {
  ComputeCommission(db, kDoctor, d1, d2, kUser);
  for (const QString& sql : {kSelectMedicineResult, kSelectPerformedResult, kSelectPrescribedResult})
    ReadEvery(Exec(db, sql, {kDoctor, kUser}));
  ReadCommissionTotals(db, kDoctor, kUser);
}

// The same statements one after another in one transaction.
void BareCount(const QSqlDatabase& db, const QDate& d1, const QDate& d2) {
  const QVariantList window{kDoctor, kUser, DayText(d1), DayText(d2), kDoctor};
  ExecDirect(db, "begin");
  for (const QString& sql : {kDeletePerformed, kDeleteMedicine, kDeletePrescribed}) Bare(db, sql, {kUser});
  for (const QString& sql : {kInsertPerformed, kInsertMedicine, kInsertPrescribed}) Bare(db, sql, window);
  for (const QVariantList& share : ReadAll(db, kSelectShares))
    Bare(db, kUpdateMedicineShare, {share.at(1), share.at(0).toString().trimmed(), kUser, kDoctor});
  ExecDirect(db, "commit");
  for (const QString& sql : {kSelectMedicineResult, kSelectPerformedResult, kSelectPrescribedResult,
                             kSumMedicineCommission, kSumPrescribedCommission, kSumPerformedCommission,
                             kSumPrescribedAmount, kSumMedicineAmount, kSumPerformedAmount})
    Bare(db, sql, {kDoctor, kUser});
}

void BareWorkbook(const QSqlDatabase& db, CrossTable table, const QDate& d1, const QDate& d2) {
  const QString from = DayText(d1), to = DayText(d2);
  Bare(db, table == CrossTable::DoctorSales ? kSelectDoctors : kSelectServiceStaff);
  Bare(db, kSelectItems);
  if (table == CrossTable::DoctorSales) {
    Bare(db, kSumMedicineByDoctor, {from, to, "西药", "中成药", "饮片"});
    Bare(db, kSumServicesByDoctor, {from, to});
    Bare(db, kSumByCashier, {from, to});
  } else {
    Bare(db, kSumServicesByPerformer, {from, to});
  }
}

struct Figure {
  QString what;
  QString period;
  double window = 0;
  double bare = 0;
};

std::vector<Figure> Measure(const QString& folder, const ClinicHistoryScale& scale, const QString& label) {
  QElapsedTimer timer;
  timer.start();
  Connection store = OpenBenchStore(folder, scale, [&](const QString& step) {
    std::printf("  %s: %7.1f s  %s\n", qPrintable(label), timer.elapsed() / 1000.0, qPrintable(step));
    std::fflush(stdout);
  });
  const QSqlDatabase db = store.db();
  CreateMissingClinicIndexes(db);
  std::printf("  %s: store ready with its indexes after %.1f s\n", qPrintable(label), timer.elapsed() / 1000.0);
  const QDate last = QDate::fromString(ScalarText(db, "select max(时间) from 出库信息").left(10), Qt::ISODate);
  const std::pair<QString, QDate> periods[] = {{"month", last.addMonths(-1).addDays(1)},
                                                {"year", last.addYears(-1).addDays(1)}};
  QTemporaryDir out;
  std::vector<Figure> figures;
  for (const auto& [period, first] : periods) {
    const QDate from = first;
    figures.push_back({"commission count", period, MedianMs(kRuns, [&] { WindowCount(db, from, last); }),
                       MedianMs(kRuns, [&] { BareCount(db, from, last); })});
    for (CrossTable table : {CrossTable::DoctorSales, CrossTable::ServiceDetail}) {
      const QString name = CrossTableTitle(table);
      const double bare = MedianMs(kRuns, [&] { BareWorkbook(db, table, from, last); });
      figures.push_back({name, period, MedianMs(kRuns, [&] { ExcelCrossTableExport(db, table, from, last); }), bare});
      figures.push_back({name + " + file", period, MedianMs(kRuns, [&] {
                           const QString error = ExcelCrossTableExport(db, table, from, last)
                                                     .SaveAs(out.filePath(CrossTableFileName(table, from, last)));
                           if (!error.isEmpty()) throw DbError(error);
                         }),
                         bare});
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
  if (argc < 2) {
    std::fprintf(stderr, "usage: incomebench <folder> [<folder for ten times the history>]\n");
    return 2;
  }
  try {
    const std::vector<Figure> base = Measure(QString::fromLocal8Bit(argv[1]), ClinicHistoryScale(), "1x");
    std::vector<Figure> tenfold;
    if (argc > 2) tenfold = Measure(QString::fromLocal8Bit(argv[2]), ClinicHistoryScale().Times(10), "10x");
    bool ok = true;
    std::printf("\n%-26s %-6s %10s %10s %7s", "", "period", "window ms", "bare ms", "ratio");
    if (!tenfold.empty()) std::printf(" %12s %7s", "10x window", "growth");
    std::printf("\n");
    for (size_t i = 0; i < base.size(); ++i) {
      const Figure& f = base[i];
      const double ratio = f.window / f.bare;
      const bool file = f.what.endsWith(" + file");
      if (!file && ratio > kMostOverBare) ok = false;
      std::printf("%-*s %-6s %10.1f %10.1f %7.2f", 26 + static_cast<int>(f.what.toUtf8().size() - f.what.size()) / 2,
                  qPrintable(f.what), qPrintable(f.period), f.window, f.bare, ratio);
      if (!tenfold.empty()) {
        const double growth = tenfold[i].window / f.window;
        if (f.period == "month" && !file && growth > kMostMonthGrowth) ok = false;
        std::printf(" %12.1f %7.2f", tenfold[i].window, growth);
      }
      std::printf("\n");
    }
    std::printf("\nwindow/bare at most %.1f (the file written is shown apart); a month at 10x within %.1fx: %s\n",
                kMostOverBare, kMostMonthGrowth, ok ? "yes" : "NO");
    return ok || SmokeRun() ? 0 : 1;
  } catch (const DbError& e) {
    std::fprintf(stderr, "incomebench: %s\n", qPrintable(e.text()));
    return 1;
  }
}
