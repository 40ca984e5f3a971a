// Times the window of today's patient fees on the report benchmarks' store
// (three busy years, or factor times as many, with a thousand visits on its
// last day, taken as today): making it, opening it (purge, list, sums,
// counts) and a click that lists a visit's lines, through the window
// against the same statements bare through the engine's C interface (every
// row read). todayfeesbench [folder] [factor]
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "bench/bare.h"
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
const int kRuns = 21;

Connection Open(const QString& folder, double factor) {
  return OpenBenchStore(folder, ReportBenchScale(factor), [](const QString& step) {
    std::printf("  %s\n", qPrintable(step));
    std::fflush(stdout);
  });
}

QList<Comparison> Measure(const QSqlDatabase& db) {
  BareStore bare;
  QList<Comparison> figures;
  const QString day = DayText(Clock::today());
  const auto opening = [&] {
    bare.Run(kPurgeVisitsWithoutIncome);
    bare.Run(kSelectTodayVisits, {day, day});
    for (const char* category : {"门诊", "住院"}) {
      bare.Run(kSumVisitIncome, {day, day, QString::fromUtf8(category)});
      bare.Run(kCountVisits, {day, day, QString::fromUtf8(category)});
    }
  };
  // The whole window, its controls and connection included, against a
  // bare connection of the engine's own opened to run the statements.
  figures.append(CompareByTurns("window made (controls, connection, reads)", kRuns, nullptr,
                                [] { TFormjrhzxi window; },
                                [&] {
                                  BareStore fresh;
                                  (void)fresh;
                                  opening();
                                }));
  // What opening reads, through the window's statements and grid models.
  TFormjrhzxi window;
  figures.append(CompareByTurns("opening's reads (purge, list, sums, counts)", kRuns, nullptr,
                                [&] { window.FormCreate(); }, opening));

  // A visit of today with medicine and services, in the middle of the list.
  auto* visits = window.findChild<DataGrid*>(QStringLiteral("DBGrid1"));
  int row = visits->RecordCount() / 2;
  while (row < visits->RecordCount() &&
         (visits->Model()->Value(row, 4).toDouble() == 0 || visits->Model()->Value(row, 5).toDouble() == 0))
    ++row;
  if (row >= visits->RecordCount()) row = visits->RecordCount() / 2;
  visits->setCurrentIndex(visits->model()->index(row, 0));
  const VisitKey visit = VisitKey::FromText(visits->Cell(0), visits->Cell(7));
  figures.append(CompareByTurns("click: the visit's medicine and service lines", kRuns, nullptr,
                                [&] { emit visits->CellClick(); },
                                [&] {
                                  bare.Run(kSelectVisitMedicine, visit.Values());
                                  bare.Run(kSelectVisitServices, visit.Values());
                                }));
  std::printf("  %s visits, %d today\n", qPrintable(ScalarText(db, "select count(*) from 患者信息")),
              visits->RecordCount());
  return figures;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InstallPlatformDefaults();
  QTemporaryDir temporary;
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.filePath("report-x1");
  const double factor = argc > 2 ? QString::fromUtf8(argv[2]).toDouble() : 1.0;
  try {
    Connection store = Open(folder, factor);
    const QSqlDatabase db = store.db();
    // Today is the store's last day, with its thousand visits.
    Clock::Set(QDateTime(LastStoreDay(db), QTime(10, 0)));
    const QString table = ComparisonTable(Measure(db));
    std::printf("\n%s", qPrintable(table));
    WriteResults(QString("Today's patient fees, %1, %2× history").arg(IsPostgres(db) ? "PostgreSQL" : "SQLite").arg(factor),
                 QString("%1 visits, store %2 MB")
                     .arg(ScalarText(db, "select count(*) from 患者信息"))
                     .arg(ClinicStoreMegabytes(), 0, 'f', 0),
                 table);
  } catch (const DbError& e) {
    std::fprintf(stderr, "todayfeesbench: %s\n", qPrintable(e.text()));
    return 1;
  }
  return 0;
}
