// Times the clinic loader on a generated file of receipts (入库信息) of a
// given size, into a new SQLite store and, when a server is named, into an
// empty PostgreSQL database; reports rows, seconds and the process's peak
// memory, which stays put whatever the file's size.
//   loadbench [megabytes] [postgres connection string]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <sys/resource.h>

#include "bench/bare.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "tools/lib/csvload.h"

namespace {
long PeakMegabytes() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

QString WriteReceipts(const QString& path, qint64 megabytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  file.write("编号,时间,药品批号,数量,单价(元),药品来源,入库人帐号\n");
  const QByteArray sources[] = {"长河医药公司", "东川药业", "南屏制药厂"};
  for (qint64 i = 0; file.size() < megabytes * 1024 * 1024; ++i) {
    const QString line = QStringLiteral("%1,2024-%2-%3,B%4,%5,%6.%7,%8,admin\n")
                             .arg(10000 + i % 5000)
                             .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                             .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                             .arg(i)
                             .arg(1 + i % 200)
                             .arg(i % 90 + 1)
                             .arg(i % 100, 2, 10, QLatin1Char('0'))
                             .arg(QString::fromUtf8(sources[i % 3]));
    file.write(line.toUtf8());
  }
  return path;
}

// The figures' table for the results file.
QString figures = QStringLiteral("| store | rows | time | rows a second | peak memory |\n|---|---:|---:|---:|---:|\n");

void Time(QTextStream& out, const QString& store, const QString& csv) {
  Connection connection = OpenClinicStore();
  QElapsedTimer timer;
  timer.start();
  const LoadResult result = LoadCsvFile(connection.db(), QStringLiteral("入库信息"), csv);
  const double seconds = timer.elapsed() / 1000.0;
  if (!result.ok()) {
    out << store << ": refused: " << result.problems.front().Describe() << "\n";
    return;
  }
  out << store << ": " << result.rows << " rows in " << QString::number(seconds, 'f', 1) << " s ("
      << QString::number(result.rows / seconds, 'f', 0) << " rows/s), peak memory " << PeakMegabytes() << " MB\n";
  figures += QStringLiteral("| %1 | %2 | %3 s | %4 | %5 MB |\n")
                 .arg(store)
                 .arg(result.rows)
                 .arg(seconds, 0, 'f', 1)
                 .arg(result.rows / seconds, 0, 'f', 0)
                 .arg(PeakMegabytes());
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  const QStringList args = app.arguments().mid(1);
  const qint64 megabytes = args.value(0, QStringLiteral("10")).toLongLong();
  const QString server = args.value(1);
  QTemporaryDir folder;
  qputenv("BRIMWICK_DATA_DIR", folder.path().toUtf8());
  const QString csv = WriteReceipts(QDir(folder.path()).filePath("入库信息.csv"), megabytes);
  out << "file: " << QFile(csv).size() / (1024 * 1024) << " MB, peak memory before loading " << PeakMegabytes()
      << " MB\n";
  out.flush();
  qputenv("BRIMWICK_CLINIC_SERVER", QByteArray());
  Time(out, QStringLiteral("SQLite"), csv);
  out.flush();
  if (!server.isEmpty()) {
    {
      // An empty database: what an earlier run left goes first.
      Connection connection = OpenPostgres(server);
      for (const ClinicTable& table : ClinicTables())
        ExecDirect(connection.db(), QStringLiteral("drop table if exists %1 cascade").arg(QuotedName(table.name)));
    }
    qputenv("BRIMWICK_CLINIC_SERVER", server.toUtf8());
    Time(out, QStringLiteral("PostgreSQL"), csv);
  }
  WriteResults(QStringLiteral("Loader"), QStringLiteral("a receipts file of %1 MB").arg(QFile(csv).size() / (1024 * 1024)),
               figures);
  return 0;
}
