#include "tools/lib/loadcommand.h"

#include <QFile>
#include <QFileInfo>

#include "db/clinicdb.h"
#include "db/connection.h"
#include "db/sql.h"
#include "tools/lib/csvload.h"

namespace {

const char kUsage[] =
    "usage: clinicload [--only-new] <datadir> <table>=<file.csv>...\n"
    "       clinicload [--only-new] <datadir> <folder>\n"
    "Loads CSV files (UTF-8, a header row naming the columns) into the clinic\n"
    "store of the data folder; a folder stands for every <table>.csv in it.\n"
    "With --only-new nothing is loaded once any of the tables holds a row.\n";

// The first table of the load that already holds a row, or empty. A table
// the store does not have yet holds nothing.
QString TableInUse(const QSqlDatabase& db, const std::vector<CsvFile>& files) {
  for (const CsvFile& f : files) {
    // The name comes from the loader's own list, never from typed text.
    try {
      if (!ScalarText(db, QStringLiteral("select 1 from %1 limit 1").arg(QuotedName(f.table))).isEmpty())
        return f.table;
    } catch (const DbError&) {
    }
  }
  return {};
}

// The files of a SQLite store that did not exist before a load.
QStringList NewStoreFiles() {
  if (!ClinicConnectionString().isEmpty()) return {};
  const QString store = ClinicDatabasePath();
  QStringList files;
  for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
    if (!QFileInfo::exists(store + suffix)) files << store + suffix;
  return files;
}

// Whether a program has the SQLite store open.
bool StoreInUse() {
  const QString store = ClinicDatabasePath();
  return QFileInfo::exists(store + QStringLiteral("-wal")) || QFileInfo::exists(store + QStringLiteral("-shm"));
}

}  // namespace

int RunClinicLoad(const QStringList& arguments, QTextStream& out, QTextStream& err) {
  QStringList args = arguments;
  const bool onlyNew = args.removeAll(QStringLiteral("--only-new")) > 0;
  if (args.size() < 2 || args.front().startsWith(QLatin1Char('-'))) {
    err << kUsage;
    return 2;
  }
  const QString dataDir = args.takeFirst();
  if (!QFileInfo(dataDir).isDir()) {
    err << dataDir << ": no such data folder\n";
    return 1;
  }

  LoadResult result;
  std::vector<CsvFile> files;
  for (const QString& arg : args) {
    const qsizetype eq = arg.indexOf(QLatin1Char('='));
    if (QFileInfo(arg).isDir()) {
      const std::vector<CsvFile> found = CsvFilesOfFolder(arg, result);
      if (found.empty() && result.ok()) result.problems.push_back({arg, 0, {}, QStringLiteral("holds no .csv file")});
      files.insert(files.end(), found.begin(), found.end());
    } else if (eq > 0) {
      files.push_back({arg.left(eq), arg.mid(eq + 1)});
    } else {
      result.problems.push_back({arg, 0, {}, QStringLiteral("neither a folder nor <table>=<file.csv>")});
    }
  }

  if (result.ok()) {
    try {
      qputenv("BRIMWICK_DATA_DIR", dataDir.toUtf8());
      const QStringList created = NewStoreFiles();
      {
        // The tables are made by the load itself, so that a refused load
        // leaves even a new store untouched.
        Connection store = OpenClinicStore();
        if (onlyNew) {
          const QString inUse = TableInUse(store.db(), files);
          if (!inUse.isEmpty()) {
            out << "The clinic store already holds rows in " << inUse << "; nothing loaded.\n";
            return 0;
          }
        }
        result = LoadCsvFiles(store.db(), files);
      }
      // A file the refused load brought into being goes again, unless
      // another program opened the store meanwhile: SQLite takes the -wal
      // and -shm away when the store's last user closes it, so while they
      // stay they hold that program's writes, and the store is its too.
      if (!result.ok() && !StoreInUse())
        for (const QString& file : created) QFile::remove(file);
    } catch (const DbError& e) {
      result.problems.push_back({dataDir, 0, {}, e.text()});
    }
  }

  if (!result.ok()) {
    for (const LoadProblem& p : result.problems) err << p.Describe() << '\n';
    err << "Nothing loaded.\n";
    return 1;
  }
  out << "Loaded " << result.rows << " rows from " << files.size() << " files.\n";
  return 0;
}
