#include "bench/bare.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "platform/messages.h"

struct BareStore::Engine {
  sqlite3* lite = nullptr;
  PGconn* pg = nullptr;
  QHash<QString, sqlite3_stmt*> prepared;

  ~Engine() {
    for (sqlite3_stmt* statement : prepared) sqlite3_finalize(statement);
    if (lite) sqlite3_close(lite);
    if (pg) PQfinish(pg);
  }

  [[noreturn]] void Fail(const QString& what) const {
    throw DbError(what + QStringLiteral(": ") +
                  QString::fromUtf8(lite ? sqlite3_errmsg(lite) : PQerrorMessage(pg)).trimmed());
  }

  int RunSqlite(const QString& sql, const QVariantList& values, QList<QVariantList>* kept) {
    sqlite3_stmt*& statement = prepared[sql];
    if (!statement) {
      const QByteArray text = sql.toUtf8();
      if (sqlite3_prepare_v2(lite, text.constData(), static_cast<int>(text.size()), &statement, nullptr) != SQLITE_OK)
        Fail(sql);
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    for (int i = 0; i < values.size(); ++i) {
      const QVariant value = BoundValue(values[i]);
      int rc = SQLITE_OK;
      if (value.isNull()) {
        rc = sqlite3_bind_null(statement, i + 1);
      } else if (value.typeId() == QMetaType::Double) {
        rc = sqlite3_bind_double(statement, i + 1, value.toDouble());
      } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
        rc = sqlite3_bind_int64(statement, i + 1, value.toLongLong());
      } else {
        const QByteArray text = value.toString().toUtf8();
        rc = sqlite3_bind_text(statement, i + 1, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      }
      if (rc != SQLITE_OK) Fail(sql);
    }
    int rows = 0;
    const int columns = sqlite3_column_count(statement);
    for (;;) {
      const int rc = sqlite3_step(statement);
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) Fail(sql);
      ++rows;
      QVariantList* row = kept ? &kept->emplace_back() : nullptr;
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(statement, c)) {
          case SQLITE_INTEGER: {
            const qint64 integer = sqlite3_column_int64(statement, c);
            if (row) row->append(qlonglong(integer));
            break;
          }
          case SQLITE_FLOAT: {
            const double real = sqlite3_column_double(statement, c);
            if (row) row->append(real);
            break;
          }
          case SQLITE_NULL:
            if (row) row->append(QVariant(QMetaType::fromType<QString>()));
            break;
          default: {
            const unsigned char* text = sqlite3_column_text(statement, c);
            if (row)
              row->append(QString::fromUtf8(reinterpret_cast<const char*>(text), sqlite3_column_bytes(statement, c)));
          }
        }
      }
    }
    sqlite3_reset(statement);
    return rows;
  }

  int RunPostgres(const QString& written, const QVariantList& values, QList<QVariantList>* kept) {
    // '?' becomes $1, $2, … in order; the statements hold no '?' of their own.
    QString sql = ForEngine(true, written);
    int number = 0;
    for (int at = sql.indexOf(QLatin1Char('?')); at >= 0; at = sql.indexOf(QLatin1Char('?'), at))
      sql.replace(at, 1, QStringLiteral("$%1").arg(++number));
    std::vector<QByteArray> texts;
    std::vector<const char*> pointers;
    texts.reserve(values.size());
    for (const QVariant& v : values) {
      const QVariant value = BoundValue(v);
      texts.push_back(value.isNull() ? QByteArray() : value.toString().toUtf8());
      pointers.push_back(value.isNull() ? nullptr : texts.back().constData());
    }
    // Planned afresh with its values each time, as the windows' statements
    // are: a statement prepared once is planned for any values after a few
    // runs, and a date window planned blind reads far more.
    const QByteArray text = sql.toUtf8();
    PGresult* result = PQexecParams(pg, text.constData(), static_cast<int>(values.size()), nullptr,
                                    pointers.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
      PQclear(result);
      Fail(sql);
    }
    const int rows = PQntuples(result);
    const int columns = PQnfields(result);
    for (int r = 0; r < rows; ++r) {
      QVariantList* row = kept ? &kept->emplace_back() : nullptr;
      for (int c = 0; c < columns; ++c) {
        const char* text = PQgetvalue(result, r, c);
        if (row)
          row->append(PQgetisnull(result, r, c) ? QVariant(QMetaType::fromType<QString>())
                                                : QVariant(QString::fromUtf8(text, PQgetlength(result, r, c))));
      }
    }
    PQclear(result);
    return rows;
  }
};

BareStore::BareStore() : engine_(std::make_unique<Engine>()) {
  const QString server = ClinicConnectionString();
  if (server.isEmpty()) {
    if (sqlite3_open_v2(ClinicDatabasePath().toUtf8().constData(), &engine_->lite, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
      engine_->Fail(QStringLiteral("open"));
    sqlite3_busy_timeout(engine_->lite, 30000);
    // As the program's own connection reads the store.
    Run(QStringLiteral("pragma mmap_size = 1073741824"));
  } else {
    engine_->pg = PQconnectdb(server.toUtf8().constData());
    if (PQstatus(engine_->pg) != CONNECTION_OK) engine_->Fail(QStringLiteral("connect"));
    Run(QStringLiteral("set client_min_messages = warning"));
  }
}

BareStore::~BareStore() = default;

bool BareStore::postgres() const { return engine_->pg != nullptr; }

int BareStore::Run(const QString& sql, const QVariantList& values) {
  return postgres() ? engine_->RunPostgres(sql, values, nullptr) : engine_->RunSqlite(sql, values, nullptr);
}

QList<QVariantList> BareStore::Rows(const QString& sql, const QVariantList& values) {
  QList<QVariantList> rows;
  if (postgres())
    engine_->RunPostgres(sql, values, &rows);
  else
    engine_->RunSqlite(sql, values, &rows);
  return rows;
}

int RunAll(BareStore& store, const QList<BareStatement>& statements) {
  int rows = 0;
  for (const BareStatement& s : statements) rows += store.Run(s.sql, s.values);
  return rows;
}

QString TodaysStatement(const QString& sql) {
  static const QRegularExpression pin(QStringLiteral(R"~(\s+indexed by\s+"[^"]*")~"));
  QString today = QString(sql).remove(pin);
  today.replace(QStringLiteral(" cross join "), QStringLiteral(", "));
  // The sums read the computed columns themselves.
  today.replace(QStringLiteral(R"~(sum("药费(元)" + "服务费(元)"))~"), QStringLiteral(R"~(sum("收入金额(元)"))~"));
  today.replace(QStringLiteral(R"~(sum(ckxx.数量 * ckxx."单价(元)"))~"), QStringLiteral(R"~(sum(ckxx."总价(元)"))~"));
  today.replace(QStringLiteral(R"~(sum(数量 * "单价(元)"))~"), QStringLiteral(R"~(sum("总价(元)"))~"));
  // The issue report grouped by the line's code and the goods' columns.
  today.replace(QStringLiteral("select ypxx.编号, ypxx.品名, sum(ckxx.数量)"),
                QStringLiteral("select ckxx.编号, ypxx.品名, sum(ckxx.数量)"));
  today.replace(QStringLiteral("group by ypxx.编号 order by ypxx.编号"),
                QStringLiteral("group by ckxx.编号, ypxx.品名, ypxx.单位 order by ckxx.编号"));
  return today;
}

namespace {
// Reads the rest of every grid's rows, as a clerk scrolling to the end would.
void ReadGridsWhole() {
  for (QWidget* widget : QApplication::allWidgets())
    if (auto* grid = qobject_cast<DataGrid*>(widget)) grid->Model()->FetchAll();
}
}  // namespace

double Median(std::vector<double> times) {
  if (times.empty()) return 0;
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

Comparison CompareByTurns(const QString& what, int runs, const std::function<void()>& today,
                          const std::function<void()>& window, const std::function<void()>& best,
                          const std::function<void()>& setup, bool warmEach) {
  if (SmokeRun()) runs = 1;
  std::vector<double> times[3];
  const std::function<void()>* ways[3] = {&today, &window, &best};
  // Turns run the sides forward and backward by turns, so that the bare
  // sides, which share a connection, each follow the window's connection as
  // often as each other: a side run right after another connection wrote
  // finds its page cache emptied.
  for (int i = SmokeRun() ? 0 : -1; i < runs; ++i) {
    for (int step = 0; step < 3; ++step) {
      const int way = i % 2 == 0 ? step : 2 - step;
      if (!*ways[way]) continue;
      if (setup) setup();
      // A side that writes empties the other connection's page cache: run
      // untimed first, each side is timed warm, as the others.
      if (warmEach && !SmokeRun()) {
        (*ways[way])();
        if (way == 1) ReadGridsWhole();
      }
      QElapsedTimer timer;
      timer.start();
      (*ways[way])();
      // The bare statements read every row; so must the window's grids,
      // which read beyond their first screen in the background.
      if (way == 1) ReadGridsWhole();
      if (i >= 0) times[way].push_back(timer.nsecsElapsed() / 1e6);
    }
  }
  const Comparison line{what, today ? Median(times[0]) : Median(times[2]), Median(times[1]), Median(times[2])};
  std::printf("%-56s today %9.2f  window %9.2f  best %9.2f ms\n", qPrintable(what), line.today, line.window, line.best);
  std::fflush(stdout);
  return line;
}

QString ComparisonTable(const QList<Comparison>& lines) {
  bool withRows = false;
  for (const Comparison& line : lines) withRows = withRows || line.rows >= 0;
  QString text = withRows ? QStringLiteral("| what | rows | today's statement | window | best statement | window / best | today / best |\n|---|---:|---:|---:|---:|---:|---:|\n")
                          : QStringLiteral("| what | today's statement | window | best statement | window / best | today / best |\n|---|---:|---:|---:|---:|---:|\n");
  const auto ms = [](double value) { return QString::number(value, 'f', value < 10 ? 2 : 1) + QStringLiteral(" ms"); };
  for (const Comparison& line : lines) {
    text += QStringLiteral("| ") + line.what + QStringLiteral(" | ");
    if (withRows) text += (line.rows >= 0 ? QString::number(line.rows) : QString()) + QStringLiteral(" | ");
    text += ms(line.today) + QStringLiteral(" | ") + ms(line.window) + QStringLiteral(" | ") + ms(line.best) +
            QStringLiteral(" | %1 | %2 |\n").arg(line.window / line.best, 0, 'f', 2).arg(line.today / line.best, 0, 'f', 2);
  }
  return text;
}

bool SmokeRun() { return !qEnvironmentVariableIsEmpty("BRIMWICK_BENCH_SMOKE"); }

void DrawOffScreenUnlessNamed() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

void PrintMessagesToStderr() {
  Messages::InstallResponder([](const MessageRecord& record) {
    std::fprintf(stderr, "message: %s\n", qPrintable(record.text));
    return false;
  });
}

double ClinicStoreMegabytes() {
  const QString server = ClinicConnectionString();
  if (server.isEmpty()) {
    qint64 bytes = 0;
    for (const char* suffix : {"", "-wal"}) bytes += QFileInfo(ClinicDatabasePath() + QLatin1String(suffix)).size();
    return bytes / 1048576.0;
  }
  Connection store = OpenClinicStore();
  return ScalarText(store.db(), QStringLiteral("select pg_database_size(current_database())")).toDouble() / 1048576.0;
}

namespace {
QString ResultsPath() {
  const QString chosen = qEnvironmentVariable("BRIMWICK_BENCH_RESULTS");
  return chosen.isEmpty() ? QStringLiteral(BRIMWICK_SOURCE_DIR "/bench/RESULTS.md") : chosen;
}

QString MachineLoad() {
  QFile file(QStringLiteral("/proc/loadavg"));
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("unknown");
  const QStringList parts = QString::fromLatin1(file.readAll()).split(QLatin1Char(' '));
  return QStringLiteral("%1 / %2 / %3 over 1 / 5 / 15 minutes on %4 cores")
      .arg(parts.value(0), parts.value(1), parts.value(2))
      .arg(QThread::idealThreadCount());
}
}  // namespace

void WriteResults(const QString& title, const QString& store, const QString& text) {
  if (SmokeRun()) return;
  const QString path = ResultsPath();
  QString whole;
  {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) whole = QString::fromUtf8(file.readAll());
  }
  if (whole.isEmpty())
    whole = QStringLiteral(
        "# Benchmark results\n\n"
        "Written by the benchmark commands themselves (scripts/bench*.sh), each into its own section, which its\n"
        "next run replaces. Times are medians in milliseconds; \"today\" is the statement the window ran before\n"
        "its indexes and query shape were chosen, \"best\" the best statement found for the same rows, both run\n"
        "bare through the engine's C interface (SQLite's, or libpq), every row and cell read.\n");
  const QString head = QStringLiteral("\n## %1\n").arg(title);
  const QString section =
      head + QStringLiteral("\n%1; machine load %2; %3.\n\n%4")
                 .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")), MachineLoad(),
                      store, text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n'));
  const int start = whole.indexOf(head);
  if (start < 0) {
    whole += section;
  } else {
    const int next = whole.indexOf(QStringLiteral("\n## "), start + head.size());
    whole.replace(start, (next < 0 ? whole.size() : next) - start, section);
  }
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(whole.toUtf8()) < 0)
    throw DbError(QStringLiteral("cannot write ") + path);
  std::printf("figures written to %s\n", qPrintable(path));
}

int RunBench(int argc, char** argv, const std::function<void(const QString& folder, double factor)>& work) {
  const QByteArray name = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toLocal8Bit();
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [factor]\n", name.constData());
    return 2;
  }
  try {
    work(QString::fromLocal8Bit(argv[1]), argc > 2 ? QString::fromUtf8(argv[2]).toDouble() : 1.0);
  } catch (const DbError& e) {
    std::fprintf(stderr, "%s: %s\n", name.constData(), qPrintable(e.text()));
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", name.constData(), e.what());
    return 1;
  }
  return 0;
}

std::function<void(const QString&)> TimedProgress() {
  auto timer = std::make_shared<QElapsedTimer>();
  timer->start();
  return [timer](const QString& step) {
    std::printf("%7.1f s  %s\n", timer->elapsed() / 1000.0, qPrintable(step));
    std::fflush(stdout);
  };
}
