// Times the window of today's patient fees on a store of three busy years
// and on one ten times as old: opening it (purge, list, sums, counts) and a
// click that lists a visit's lines, through the window against the same
// statements run bare (Exec and every row read). todayfeesbench [folder]
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "bench/clinicgen.h"
#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/hzxi.h"
#include "frontdesk/todayfees.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/widgets.h"

namespace {
const QDate kLastDay(2026, 6, 30);
const int kRuns = 21;

struct Figures {
  double newWindow = 0;
  double newBare = 0;
  double openWindow = 0;
  double openBare = 0;
  double clickWindow = 0;
  double clickBare = 0;
};

ClinicHistoryScale Scale(double factor) {
  ClinicHistoryScale scale;
  scale.paidVisits = 300000;
  scale.dispensedLines = 1200000;
  scale.serviceLines = 300000;
  scale.lastDay = kLastDay;
  scale = scale.Times(factor);
  // A clinic ten times as old sees as many patients today.
  scale.todayVisits = 300;
  return scale;
}

void ReadEvery(const QSqlDatabase& db, const QString& sql, const QVariantList& values) { ReadAll(db, sql, values); }

Figures Measure(const QString& folder, double factor) {
  Connection store = OpenBenchStore(folder, Scale(factor), [](const QString& step) {
    std::printf("  %s\n", qPrintable(step));
    std::fflush(stdout);
  });
  Figures figures;
  const QString day = DayText(Clock::today());
  const auto bare = [&](const QSqlDatabase& db) {
    PurgeVisitsWithoutIncome(db);
    ReadEvery(db, kSelectTodayVisits, {day, day});
    for (const char* category : {"门诊", "住院"}) {
      ScalarText(db, kSumVisitIncome, {day, day, QString::fromUtf8(category)});
      ScalarText(db, kCountVisits, {day, day, QString::fromUtf8(category)});
    }
  };
  // The whole window, its controls and connection included, against a
  // bare connection running the statements.
  figures.newWindow = MedianMs(kRuns, [] { TFormjrhzxi window; });
  figures.newBare = MedianMs(kRuns, [&] {
    Connection c = OpenClinicDatabase();
    bare(c.db());
  });
  // What opening reads, through the window's statements and grid models.
  TFormjrhzxi window;
  figures.openWindow = MedianMs(kRuns, [&] { window.FormCreate(); });
  figures.openBare = MedianMs(kRuns, [&] { bare(store.db()); });

  // A visit of today with medicine and services, in the middle of the list.
  auto* visits = window.findChild<DataGrid*>(QStringLiteral("DBGrid1"));
  int row = visits->RecordCount() / 2;
  while (row < visits->RecordCount() &&
         (visits->Model()->Value(row, 4).toDouble() == 0 || visits->Model()->Value(row, 5).toDouble() == 0))
    ++row;
  if (row >= visits->RecordCount()) row = visits->RecordCount() / 2;
  visits->setCurrentIndex(visits->model()->index(row, 0));
  const VisitKey visit = VisitKey::FromText(visits->Cell(0), visits->Cell(7));
  figures.clickWindow = MedianMs(kRuns, [&] { emit visits->CellClick(); });
  figures.clickBare = MedianMs(kRuns, [&] {
    ReadEvery(store.db(), kSelectVisitMedicine, visit.Values());
    ReadEvery(store.db(), kSelectVisitServices, visit.Values());
  });
  std::printf("  %s: %s visits, %s today; visit %s of %s: %d medicine, %d service lines\n",
              factor == 1 ? "1x" : "10x", qPrintable(ScalarText(store.db(), "select count(*) from 患者信息")),
              qPrintable(QString::number(visits->RecordCount())), qPrintable(visits->Cell(0)),
              qPrintable(visits->Cell(7)), static_cast<int>(ReadAll(store.db(), kSelectVisitMedicine, visit.Values()).size()),
              static_cast<int>(ReadAll(store.db(), kSelectVisitServices, visit.Values()).size()));
  return figures;
}

void Row(const char* name, double window, double bare, double windowAt10, double bareAt10) {
  std::printf("%-18s %9.2f %9.2f %7.2f %9.2f %9.2f %7.2f %9.2f\n", name, window, bare, window / bare, windowAt10,
              bareAt10, windowAt10 / bareAt10, windowAt10 / window);
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InstallPlatformDefaults();
  Clock::Set(QDateTime(kLastDay, QTime(10, 0)));
  QTemporaryDir temporary;
  const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
  try {
    std::printf("store of 1x history\n");
    const Figures one = Measure(QDir(base).filePath(QStringLiteral("todayfees-1x")), 1);
    std::printf("store of 10x history\n");
    const Figures ten = Measure(QDir(base).filePath(QStringLiteral("todayfees-10x")), 10);
    std::printf("\nmedian ms           window      bare   ratio   win 10x  bare 10x   ratio  10x/1x\n");
    Row("window made", one.newWindow, one.newBare, ten.newWindow, ten.newBare);
    Row("open (purge, list)", one.openWindow, one.openBare, ten.openWindow, ten.openBare);
    Row("click (lines)", one.clickWindow, one.clickBare, ten.clickWindow, ten.clickBare);
  } catch (const DbError& e) {
    std::fprintf(stderr, "todayfeesbench: %s\n", qPrintable(e.text()));
    return 1;
  }
  return 0;
}
