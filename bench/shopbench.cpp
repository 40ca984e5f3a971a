// Shop benchmark: fills a shop store at the scale of a busy shop's three
// years, then times the owner's four queries over one year and the issue
// window's stock search, each through the window itself (its handler, its
// grid and its total) and as the same SQL read bare to its last row on the
// same file, twice: through SQLite's C interface and through Qt's driver.
//
//   shopbench [folder]   the store is made in folder (a new temporary one
//                        by default) and reused when it already holds the
//                        generated data.
#include <sqlite3.h>

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

#include "bench/bare.h"
#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "stock/hjt.h"
#include "stock/yzcx.h"

namespace {
// A smoke run makes a hundredth of the store.
const int kShare = SmokeRun() ? 100 : 1;
const int kGoods = 5000 / kShare;
const int kBatches = 100000 / kShare;
const int kReceipts = 300000 / kShare;
const int kIssues = 1000000 / kShare;
const QDate kFirstDay(2022, 1, 1);
const QDate kLastDay(2024, 12, 31);
const QDate kYearStart(2024, 1, 1);
const int kRuns = 7;
const int kMaximumRuns = 101;
const qint64 kMinimumMs = 300;

// The initials that pinyin codes are made of (no I, U or V).
const char kInitials[] = "ABCDEFGHJKLMNOPQRSTWXYZ";

void check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

class Bare {
 public:
  explicit Bare(const QString& path, int flags) {
    check(sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr), db_, "open");
    sqlite3_busy_timeout(db_, 30000);
  }
  ~Bare() { sqlite3_close(db_); }
  sqlite3* db() const { return db_; }
  void exec(const char* sql) { check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), db_, sql); }

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(sqlite3* db, const QString& sql) : db_(db) {
    const QByteArray text = sql.toUtf8();
    check(sqlite3_prepare_v2(db, text.constData(), text.size(), &stmt_, nullptr), db, "prepare");
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement& text(int i, const QString& value) {
    const QByteArray bytes = value.toUtf8();
    check(sqlite3_bind_text(stmt_, i, bytes.constData(), bytes.size(), SQLITE_TRANSIENT), db_, "bind");
    return *this;
  }
  Statement& number(int i, double value) {
    check(sqlite3_bind_double(stmt_, i, value), db_, "bind");
    return *this;
  }
  void insert() {
    check(sqlite3_step(stmt_), db_, "insert");
    sqlite3_reset(stmt_);
  }
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

QString day(const QDate& d) { return d.toString(Qt::ISODate); }

QString code5(int n, int width = 5) { return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0')); }

// ---- the generator -------------------------------------------------------

struct Batch {
  int goods;
  QString serial;
  double price;
  double salePrice;
};

void generate(const QString& path) {
  { Connection schema = OpenShopDatabase(); }  // the store's own tables and indexes
  Bare store(path, SQLITE_OPEN_READWRITE);
  store.exec("pragma synchronous = off");
  store.exec("begin");
  QRandomGenerator random(20240601);
  const int days = kFirstDay.daysTo(kLastDay) + 1;

  std::vector<QString> codes(kGoods + 1);
  {
    Statement goods(store.db(), "insert into 基本资料 values (?, ?, ?, ?, ?, ?, ?)");
    const QString units[] = {"盒", "瓶", "袋", "支", "板"};
    for (int g = 1; g <= kGoods; ++g) {
      QString code, name;
      const int length = 2 + random.bounded(4);
      for (int c = 0; c < length; ++c) {
        code += QLatin1Char(kInitials[random.bounded(int(sizeof kInitials) - 1)]);
        name += QChar(0x4E00 + random.bounded(0x5000));
      }
      codes[g] = code;
      goods.text(1, code5(g)).text(2, code).text(3, name).text(4, units[g % 5]);
      goods.text(5, QStringLiteral("%1mg").arg(10 * (1 + g % 50))).text(6, QStringLiteral("A%1").arg(g % 40));
      goods.text(7, QStringLiteral("厂家%1").arg(g % 300)).insert();
    }
  }

  // Receipt lines day by day, as a shop books them; the last ones are still in stock.
  std::vector<Batch> batches;
  batches.reserve(kReceipts);
  {
    Statement history(store.db(), "insert into 进货历史记录 values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Statement stock(store.db(), "insert into 库存 values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int i = 0; i < kReceipts; ++i) {
      const QDate received = kFirstDay.addDays(qint64(i) * days / kReceipts);
      const int g = 1 + random.bounded(kGoods);
      const double price = 0.5 + random.bounded(20000) / 100.0;
      const double salePrice = std::round(price * 1.3 * 100) / 100;
      const double quantity = 10 + random.bounded(200);
      const QString serial = code5(i + 1, 6);
      const QDate expiry = received.addDays(180 + random.bounded(900));
      for (Statement* table : {&history, &stock}) {
        if (table == &stock && i < kReceipts - kBatches) continue;
        const double left = table == &stock ? quantity - random.bounded(int(quantity)) : quantity;
        table->text(1, code5(g)).text(2, serial).text(3, codes[g]).number(4, price).number(5, left);
        table->number(6, salePrice).number(7, price * left).text(8, day(received)).text(9, day(expiry)).insert();
      }
      batches.push_back({g, serial, price, salePrice});
    }
  }
  {
    Statement issue(store.db(), "insert into 出库记录 values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int i = 0; i < kIssues; ++i) {
      const QDate sold = kFirstDay.addDays(qint64(i) * days / kIssues);
      // A batch received before the sale.
      const int upTo = std::max(1, int(qint64(kReceipts) * (kFirstDay.daysTo(sold) + 1) / days));
      const Batch& b = batches[random.bounded(upTo)];
      const double quantity = 1 + random.bounded(5);
      issue.text(1, code5(b.goods)).text(2, b.serial).text(3, codes[b.goods]).number(4, quantity);
      issue.number(5, b.price).number(6, b.salePrice).number(7, b.price * quantity);
      issue.number(8, b.salePrice * quantity).text(9, day(sold)).insert();
    }
  }
  store.exec("commit");
}

bool generated(const QString& path) {
  if (!QFile::exists(path)) return false;
  Bare store(path, SQLITE_OPEN_READONLY);
  Statement count(store.db(), "select count(*) from 出库记录");
  return sqlite3_step(count.get()) == SQLITE_ROW && sqlite3_column_int(count.get(), 0) == kIssues;
}

// ---- the measurements ----------------------------------------------------

struct Result {
  int rows = 0;
  double total = 0;
};

// Runs a statement bare and reads every cell, summing the given column.
Result bareRun(sqlite3* db, const QString& sql, const QStringList& values, int sumColumn) {
  Statement statement(db, sql);
  for (int i = 0; i < values.size(); ++i) statement.text(i + 1, values[i]);
  Result result;
  const int columns = sqlite3_column_count(statement.get());
  int rc;
  while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    ++result.rows;
    for (int c = 0; c < columns; ++c) {
      switch (sqlite3_column_type(statement.get(), c)) {
        case SQLITE_FLOAT:
        case SQLITE_INTEGER: {
          const double v = sqlite3_column_double(statement.get(), c);
          if (c == sumColumn) result.total += v;
          break;
        }
        default:
          sqlite3_column_text(statement.get(), c);
      }
    }
  }
  check(rc, db, "step");
  return result;
}


// Milliseconds of one call: the median of several runs after a warm-up,
// and of more runs when each takes a millisecond or two, so that one late
// wake-up does not decide a short figure.
double timeIt(const std::function<void()>& run) {
  run();
  std::vector<double> times;
  QElapsedTimer total;
  total.start();
  const int runs = SmokeRun() ? 1 : kRuns;
  while (int(times.size()) < runs || (!SmokeRun() && total.elapsed() < kMinimumMs && int(times.size()) < kMaximumRuns)) {
    QElapsedTimer timer;
    timer.start();
    run();
    times.push_back(timer.nsecsElapsed() / 1e6);
  }
  return Median(times);
}

// The same statement read to its end through Qt's SQLite driver on a
// connection opened as the windows open theirs, every cell taken as a value.
Result qtRun(const QSqlDatabase& db, const QString& sql, const QStringList& values, int sumColumn) {
  QVariantList bound;
  for (const QString& v : values) bound << v;
  QSqlQuery query = Exec(db, sql, bound);
  const int columns = query.record().count();
  Result result;
  while (query.next()) {
    ++result.rows;
    for (int c = 0; c < columns; ++c) {
      const QVariant v = query.value(c);
      if (c == sumColumn) result.total += v.toDouble();
    }
  }
  return result;
}

struct Case {
  const char* name;
  std::function<void()> window;
  std::function<int()> windowRows;
  QString sql;
  QStringList values;
  int sumColumn;
};

// The cases that miss a target, by name and search code.
struct Verdict {
  QStringList sqlite;  // window over 1.3 times SQLite's interface
  QStringList qt;      // window over 1.3 times Qt's driver
  QStringList slow;    // window at 100 ms or more

  static std::string text(const QStringList& misses) {
    return misses.isEmpty() ? "met" : "not met by " + misses.join(QStringLiteral("; ")).toStdString();
  }
};

// The figures for the results file; the statements are today's and the
// best found alike.
QList<Comparison> figures;

void report(const Case& c, const QString& search, sqlite3* bare, const QSqlDatabase& qt, Verdict& verdict) {
  Result sqliteResult, qtResult;
  const double windowMs = timeIt(c.window);
  const double sqliteMs = timeIt([&] { sqliteResult = bareRun(bare, c.sql, c.values, c.sumColumn); });
  const double qtMs = timeIt([&] { qtResult = qtRun(qt, c.sql, c.values, c.sumColumn); });
  const int rows = c.windowRows();
  std::printf("%-30s %7d rows  window %7.1f ms  sqlite %7.1f ms (x%.2f)  qt %7.1f ms (x%.2f)\n", c.name, rows, windowMs,
              sqliteMs, windowMs / sqliteMs, qtMs, windowMs / qtMs);
  figures.append({QStringLiteral("%1, code \"%2\"").arg(QString::fromUtf8(c.name), search), sqliteMs, windowMs, sqliteMs,
                  rows});
  if (rows != sqliteResult.rows || rows != qtResult.rows)
    throw std::runtime_error(std::string(c.name) + ": the window and the bare runs found different rows");
  const QString which = QStringLiteral("%1 (code \"%2\")").arg(QString::fromUtf8(c.name), search);
  if (windowMs / sqliteMs > 1.3) verdict.sqlite << which;
  if (windowMs / qtMs > 1.3) verdict.qt << which;
  if (windowMs >= 100) verdict.slow << which;
}

template <typename T>
T* child(QWidget* w, const char* name) {
  T* found = w->findChild<T*>(QString::fromUtf8(name));
  if (!found) throw std::runtime_error(std::string("no component ") + name);
  return found;
}

void runCases(const QString& path, const QString& search, const QString& label, Verdict& verdict) {
  const QString pattern = QStringLiteral("%") + search + QStringLiteral("%");
  // Read as the windows' connections read: Qt's driver opens without
  // SQLite's own locking, and the store's read settings apply.
  Bare bare(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE);
  for (const QString& pragma : ShopReadPragmas()) bare.exec(pragma.toUtf8().constData());
  const QStringList window = {day(kYearStart), day(kLastDay)};
  TFormyzcx owner;
  child<QDateEdit>(&owner, "DateTimePicker1")->setDate(kYearStart);
  child<QDateEdit>(&owner, "DateTimePicker2")->setDate(kLastDay);
  child<QLineEdit>(&owner, "Edit1")->setText(search);
  auto* result = child<DataGrid>(&owner, "DBGrid1");
  auto press = [&](const char* type, const char* button) {
    return [&owner, type, button] {
      child<QRadioButton>(&owner, type)->click();
      child<QPushButton>(&owner, button)->click();
    };
  };
  auto rows = [result] { return result->RecordCount(); };

  TFormhjt issue;
  auto* searchBox = child<QLineEdit>(&issue, "Edit3");
  auto* stock = child<DataGrid>(&issue, "DBGrid1");
  auto searchStock = [searchBox, &search] {
    searchBox->blockSignals(true);
    searchBox->setText(QStringLiteral("-"));
    searchBox->blockSignals(false);
    searchBox->setText(search);
  };

  std::printf("\nsearch code %s\n", qPrintable(label));
  const Case cases[] = {
      {"receipts, one year", press("RadioGroup1_0", "BitBtn3"), rows, kSelectReceipts.For(search),
       window + QStringList{pattern}, 6},
      {"stock", press("RadioGroup1_1", "BitBtn2"), rows, kSelectStock.For(search), {pattern}, 6},
      {"profit, one year", press("RadioGroup1_2", "BitBtn4"), rows, kSelectSales.For(search),
       window + QStringList{pattern}, 10},
      {"expired", press("RadioGroup1_3", "BitBtn5"), rows, kSelectExpired, {day(Clock::today())}, 6},
      {"issue window stock search", searchStock, [stock] { return stock->RecordCount(); }, kSelectStockBySearch,
       {pattern}, 8},
  };
  Connection qt = OpenShopDatabase();
  for (const Case& c : cases) report(c, search, bare.db(), qt.db(), verdict);
}
}  // namespace

int main(int argc, char** argv) {
  DrawOffScreenUnlessNamed();
  QApplication app(argc, argv);
  PrintMessagesToStderr();
  QTemporaryDir temporary;
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
  QDir().mkpath(folder);
  qputenv("BRIMWICK_DATA_DIR", QDir(folder).absolutePath().toUtf8());
  const QString path = ShopDatabasePath();
  try {
    if (!generated(path)) {
      QFile::remove(path);
      QElapsedTimer timer;
      timer.start();
      generate(path);
      std::printf("generated %d goods, %d stock batches, %d receipt lines, %d issue lines in %.1f s\n", kGoods,
                  kBatches, kReceipts, kIssues, timer.elapsed() / 1000.0);
    }
    std::printf("store %s (%.0f MB), SQLite %s\n", qPrintable(path), QFileInfo(path).size() / 1e6,
                sqlite3_libversion());
    std::printf("window: the window's own handler, statement, grid and total; median of %d runs or more after a warm-up\n"
                "sqlite: the same statement read to its last row through SQLite's C interface (x: window/sqlite)\n"
                "qt:     the same statement read to its last row through Qt's SQLite driver (x: window/qt)\n"
                "both bare readers run on the SQLite library the windows use, on connections set as theirs\n",
                kRuns);
    Clock::Set(QDateTime(kLastDay.addDays(1), QTime(9, 0)));
    Verdict verdict;
    runCases(path, QStringLiteral("ZX"), QStringLiteral("\"ZX\" (a typical typed code)"), verdict);
    runCases(path, QStringLiteral("Z"), QStringLiteral("\"Z\" (one letter)"), verdict);
    runCases(path, QString(), QStringLiteral("empty (every goods item)"), verdict);
    std::printf("\nwindow/sqlite <= 1.3: %s\n", Verdict::text(verdict.sqlite).c_str());
    std::printf("window/qt <= 1.3: %s\n", Verdict::text(verdict.qt).c_str());
    std::printf("every window under 100 ms: %s\n", Verdict::text(verdict.slow).c_str());
    WriteResults(QStringLiteral("Shop searches, SQLite"),
                 QStringLiteral("%1 goods, %2 batches, %3 issue lines, store %4 MB")
                     .arg(kGoods)
                     .arg(kBatches)
                     .arg(kIssues)
                     .arg(QFileInfo(path).size() / 1048576.0, 0, 'f', 0),
                 ComparisonTable(figures));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
