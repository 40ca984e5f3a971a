// Makes (or finds) the report benchmarks' store (three busy years, or
// factor times as many) in a folder and says how long it took:
// clinicstore <folder> [factor].
#include <QCoreApplication>

#include "bench/bare.h"
#include "bench/clinicgen.h"
#include "db/sql.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return RunBench(argc, argv, [&](const QString& folder, double factor) {
    const auto progress = TimedProgress();
    Connection store = OpenBenchStore(folder, ReportBenchScale(factor), progress);
    progress(QString("ready: %1 visits, %2 dispensed lines")
                 .arg(ScalarText(store.db(), "select count(*) from 患者信息"),
                      ScalarText(store.db(), "select count(*) from 出库信息")));
  });
}
