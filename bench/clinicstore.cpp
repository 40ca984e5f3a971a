// Makes (or finds) the report benchmarks' store (three busy years, or
// factor times as many) in a folder and says how long it took:
// clinicstore <folder> [factor].
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "bench/clinicgen.h"
#include "db/sql.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: clinicstore <folder> [factor]\n");
    return 2;
  }
  const double factor = argc > 2 ? QString::fromUtf8(argv[2]).toDouble() : 1.0;
  QElapsedTimer timer;
  timer.start();
  try {
    Connection store = OpenBenchStore(QString::fromLocal8Bit(argv[1]), ReportBenchScale(factor),
                                      [&](const QString& step) {
                                        std::printf("%7.1f s  %s\n", timer.elapsed() / 1000.0, qPrintable(step));
                                        std::fflush(stdout);
                                      });
    std::printf("%7.1f s  ready: %s visits, %s dispensed lines\n", timer.elapsed() / 1000.0,
                qPrintable(ScalarText(store.db(), "select count(*) from 患者信息")),
                qPrintable(ScalarText(store.db(), "select count(*) from 出库信息")));
  } catch (const DbError& e) {
    std::fprintf(stderr, "clinicstore: %s\n", qPrintable(e.text()));
    return 1;
  }
  return 0;
}
