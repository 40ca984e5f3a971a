#include "bench/beforeindexes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bare.h"
#include "db/clinicdb.h"
#include "db/clinicschema.h"
#include "db/sql.h"

namespace {
const char* const kDataDir = "BRIMWICK_DATA_DIR";

// The named indexes: the reports' own and the purges'.
QStringList NamedIndexNames() {
  QStringList names;
  for (const ClinicTable& table : ClinicTables())
    for (const ClinicTable::NamedIndex& index : table.namedIndexes) names << index.name;
  return names;
}
// The reports' own (those without a condition) on the store's engine.
QStringList ReportIndexNames(const QSqlDatabase& db) {
  QStringList names;
  for (const ClinicTable& table : ClinicTables())
    for (const ClinicTable::NamedIndex& index : table.namedIndexes)
      if (index.condition.isEmpty() && (IsPostgres(db) || !index.serverOnly)) names << index.name;
  return names;
}

// The indexes the store has given up since the reports' own came (the
// plain indexes those serve, the purges' and the open work's day indexes),
// as stores had them before: each name with its definition.
std::vector<std::pair<QString, QString>> ReplacedIndexes() {
  std::vector<std::pair<QString, QString>> replaced;
  for (const ClinicTable& table : ClinicTables())
    for (const auto& [name, columns] : table.retiredIndexes) {
      QStringList quoted;
      for (const QString& column : columns) quoted << QuotedName(column);
      if (!quoted.isEmpty())
        replaced.push_back({name, QStringLiteral("%1 (%2)").arg(QuotedName(table.name), quoted.join(", "))});
    }
  return replaced;
}
const std::vector<std::pair<QString, QString>> kReplaced = ReplacedIndexes();

// The named indexes go, those they replaced come back with the statistics
// a store that grew with them would have.
void TakeBackReportIndexes(const QSqlDatabase& db) {
  for (const QString& name : NamedIndexNames())
    ExecDirect(db, QStringLiteral("drop index if exists ") + QuotedName(name));
  QStringList tables;
  for (const auto& [name, definition] : kReplaced) {
    ExecDirect(db, QStringLiteral("create index if not exists %1 on %2").arg(QuotedName(name), definition));
    const QString table = definition.left(definition.indexOf(QLatin1Char(' ')));
    if (!tables.contains(table)) tables << table;
  }
  for (const QString& table : tables) ExecDirect(db, QStringLiteral("analyze ") + table);
}


// Bytes per index name and in all: the pages in use (SQLite), or what the
// server gives the database and each index.
struct Sizes {
  double total = 0;
  double reports = 0;
  double replaced = 0;
};

Sizes SizesOf(const QSqlDatabase& db) {
  Sizes sizes;
  const QStringList reports = ReportIndexNames(db);
  if (IsPostgres(db)) {
    sizes.total = ScalarText(db, QStringLiteral("select pg_database_size(current_database())")).toDouble();
    const QString size = QStringLiteral("select coalesce(pg_relation_size(to_regclass(?)), 0)");
    for (const QString& name : reports) sizes.reports += ScalarText(db, size, {QuotedName(name)}).toDouble();
    for (const auto& [name, definition] : kReplaced) sizes.replaced += ScalarText(db, size, {QuotedName(name)}).toDouble();
    return sizes;
  }
  for (const QVariantList& row : ReadAll(db, QStringLiteral("select name, sum(pgsize) from dbstat group by name"))) {
    const QString name = row[0].toString();
    const double bytes = row[1].toDouble();
    sizes.total += bytes;
    if (reports.contains(name)) sizes.reports += bytes;
    for (const auto& replaced : kReplaced)
      if (name == replaced.first) sizes.replaced += bytes;
  }
  return sizes;
}
}  // namespace

StoreBeforeReportIndexes::StoreBeforeReportIndexes() {
  const QString server = ClinicConnectionString();
  if (server.isEmpty()) {
    const QString source = ClinicDatabasePath();
    folder_ = QFileInfo(source).absolutePath() + QStringLiteral("-before-indexes");
    QDir().mkpath(folder_);
    const QString copy = folder_ + QStringLiteral("/") + QFileInfo(source).fileName();
    for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(copy + QLatin1String(suffix));
    if (QFileInfo::exists(source + QStringLiteral("-wal")) && QFileInfo(source + QStringLiteral("-wal")).size() > 0)
      throw DbError(QStringLiteral("the store's log is not yet folded in: close its connections first"));
    if (!QFile::copy(source, copy)) throw DbError(QStringLiteral("cannot copy ") + source);
    // The copy is opened as the program opens a store, less the schema
    // step that would make the indexes again.
    const QByteArray dataDir = qgetenv(kDataDir);
    qputenv(kDataDir, folder_.toUtf8() + '/');
    try {
      connection_ = OpenClinicStore();
    } catch (...) {
      qputenv(kDataDir, dataDir);
      throw;
    }
    qputenv(kDataDir, dataDir);
  } else {
    const QRegularExpressionMatch named = QRegularExpression(QStringLiteral("dbname=(\\S+)\\s*$")).match(server);
    if (!named.hasMatch()) throw DbError(QStringLiteral("the store's server names no database"));
    const QString source = named.captured(1);
    server_ = server.left(named.capturedStart()).trimmed();
    database_ = source + QStringLiteral("_before_indexes");
    {
      Connection admin = OpenPostgres(server_);
      ExecDirect(admin.db(), QStringLiteral("drop database if exists ") + database_);
      ExecDirect(admin.db(), QStringLiteral("create database %1 template %2").arg(database_, source));
    }
    connection_ = OpenPostgres(server_ + QStringLiteral(" dbname=") + database_);
  }
  TakeBackReportIndexes(db());
}

StoreBeforeReportIndexes::~StoreBeforeReportIndexes() {
  connection_ = Connection();
  try {
    if (!folder_.isEmpty()) {
      QDir(folder_).removeRecursively();
    } else if (!database_.isEmpty()) {
      Connection admin = OpenPostgres(server_);
      ExecDirect(admin.db(), QStringLiteral("drop database if exists ") + database_);
    }
  } catch (const DbError& e) {
    std::fprintf(stderr, "the copy with the earlier indexes stays: %s\n", qPrintable(e.text()));
  }
}

void CommitWithoutDiskWait(const QSqlDatabase& db) {
  ExecDirect(db, IsPostgres(db) ? QStringLiteral("set synchronous_commit = off") : QStringLiteral("pragma synchronous = normal"));
}

PostingTimes PostingByTurns(const QString& what, int runs, const QSqlDatabase& with,
                            const StoreBeforeReportIndexes& without,
                            const std::function<void(const QSqlDatabase&)>& posting,
                            const std::function<void(const QSqlDatabase&)>& setup) {
  if (SmokeRun()) runs = 1;
  const QSqlDatabase stores[2] = {without.db(), with};
  std::vector<double> times[2];
  for (int run = SmokeRun() ? 0 : -1; run < runs; ++run) {
    for (int turn = 0; turn < 2; ++turn) {
      const int side = (run & 1) ? 1 - turn : turn;
      if (setup) setup(stores[side]);
      QElapsedTimer timer;
      timer.start();
      posting(stores[side]);
      if (run >= 0) times[side].push_back(timer.nsecsElapsed() / 1e6);
    }
  }
  const PostingTimes line{what, Median(times[0]), Median(times[1])};
  std::printf("%-48s without %8.2f  with %8.2f ms  %5.2f\n", qPrintable(what), line.without, line.with,
              line.with / line.without);
  std::fflush(stdout);
  return line;
}

QString PostingTable(const QList<PostingTimes>& lines) {
  QString text = QStringLiteral(
      "| posting | earlier indexes | the store's indexes | now / earlier |\n|---|---:|---:|---:|\n");
  for (const PostingTimes& line : lines)
    text += QStringLiteral("| %1 | %2 ms | %3 ms | %4 |\n")
                .arg(line.what)
                .arg(line.without, 0, 'f', 2)
                .arg(line.with, 0, 'f', 2)
                .arg(line.with / line.without, 0, 'f', 2);
  return text;
}

QString ReportIndexSizes(const QSqlDatabase& with, const StoreBeforeReportIndexes& without) {
  const Sizes now = SizesOf(with), before = SizesOf(without.db());
  const double mb = 1048576.0;
  return QStringLiteral(
             "%1: %2 MB with the reports' %3 indexes (%4 MB of it), %5 MB with the earlier indexes instead "
             "(%6 MB of it for the %7 given up since): %8 MB more, +%9%")
      .arg(IsPostgres(with) ? QStringLiteral("database size") : QStringLiteral("pages in use"))
      .arg(now.total / mb, 0, 'f', 0)
      .arg(ReportIndexNames(with).size())
      .arg(now.reports / mb, 0, 'f', 0)
      .arg(before.total / mb, 0, 'f', 0)
      .arg(before.replaced / mb, 0, 'f', 0)
      .arg(kReplaced.size())
      .arg((now.total - before.total) / mb, 0, 'f', 0)
      .arg(100.0 * (now.total - before.total) / before.total, 0, 'f', 1);
}
