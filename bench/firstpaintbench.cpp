// How soon a long list shows its first screen, and what memory it takes:
// one window's query, started as a user starts it, timed to the end of the
// grid's first paint, then to the last row read in the background, with
// the memory the list holds, the heap's peak and the process's peak resident
// memory; then once more with every row read before the paint. One case per
// run, so that the peak is that case's own.
//   firstpaintbench patients|issues|stock <folder> [factor]
// patients: the patient information list over a year (患者信息报表);
// issues:   the drug issue report's summary over a year (药品出库报表);
// stock:    the shop issue window's stock search over every batch
//           (100,000 batches at factor 1), on a shop store made in folder.
// The clinic's lists run on PostgreSQL when BRIMWICK_BENCH_PG names a server.
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <malloc.h>

#include <cstdio>
#include <functional>

#include "bench/bare.h"
#include "bench/clinicgen.h"
#include "db/clinicdb.h"
#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "reports/hzxibb.h"
#include "reports/ypckbb.h"
#include "stock/hjt.h"

namespace {
// The heap in use, in megabytes: what the program's own data takes, apart
// from the store's pages the memory map brings in (which count as resident
// memory but belong to the file).
double HeapMb() {
  const struct mallinfo2 heap = mallinfo2();
  return double(heap.uordblks + heap.hblkhd) / (1024 * 1024);
}

// A figure of /proc/self/status in megabytes.
double StatusMb(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(field)) return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024;
  return 0;
}

template <typename T>
T* Child(QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromUtf8(name));
  if (!found) {
    std::fprintf(stderr, "no component %s\n", name);
    std::exit(1);
  }
  return found;
}

// When a widget first starts to paint, by the timer given.
struct FirstPaint : QObject {
  FirstPaint(QWidget* widget, const QElapsedTimer& timer) : timer(timer) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && at < 0 && timer.isValid()) at = timer.nsecsElapsed() / 1e6;
    return false;
  }
  const QElapsedTimer& timer;
  double at = -1;
};

// Starts the query as a user does, until the grid paints (at the latest
// once the handler is done), then lets the program read the rest.
// Each case writes a section of its own: one case per process, so that the
// peak is that case's own.
void Measure(const QString& what, const QString& store, QWidget& window, DataGrid* grid,
             const std::function<void()>& start) {
  window.resize(1366, 768);
  window.show();
  QApplication::processEvents();
  const double heapBefore = HeapMb();
  double heapPeak = heapBefore;
  QElapsedTimer timer;
  FirstPaint painted(grid->viewport(), timer);
  timer.start();
  start();
  if (painted.at < 0) grid->viewport()->repaint();
  const double firstPaint = painted.at;
  const int shownAtFirst = grid->model()->rowCount();
  while (grid->Model()->Pending()) {
    QApplication::processEvents();
    heapPeak = qMax(heapPeak, HeapMb());
  }
  const double allRead = timer.nsecsElapsed() / 1e6;
  // The clerk scrolls to the end and back: the rows shown come back from
  // where the list put them away.
  grid->scrollToBottom();
  grid->viewport()->repaint();
  grid->scrollToTop();
  grid->viewport()->repaint();
  heapPeak = qMax(heapPeak, HeapMb());
  const double held = grid->Model()->Rows().HeldBytes() / (1024.0 * 1024);
  const double peak = StatusMb("VmHWM:");
  // The same with every row read before the paint, as a grid read before.
  timer.restart();
  start();
  grid->Model()->FetchAll();
  grid->viewport()->repaint();
  const double wholeFirst = timer.nsecsElapsed() / 1e6;
  // The clerk asks again and again: a server plans a statement it keeps
  // prepared once for any values after its fifth run.
  for (int run = 3; run < 7; ++run) {
    start();
    grid->Model()->FetchAll();
  }
  FirstPaint again(grid->viewport(), timer);
  timer.restart();
  start();
  if (again.at < 0) grid->viewport()->repaint();
  const double seventhPaint = again.at;
  grid->Model()->FetchAll();
  const QString row = QString::asprintf(
      "| %s | %d | %d | %.1f ms | %.1f ms | %.1f ms | %.1f ms | %.1f MB | %.1f MB | %.0f MB |\n", qPrintable(what),
      grid->RecordCount(), shownAtFirst, firstPaint, allRead, wholeFirst, seventhPaint, held, heapPeak - heapBefore,
      peak);
  std::printf("%s", qPrintable(row));
  WriteResults(QStringLiteral("First paint and peak memory, %1").arg(what), store,
               QStringLiteral("| list | rows | rows read first | first paint | all rows read | painted after reading "
                              "all | first paint, the seventh query | rows held in memory | heap at its peak, over before | "
                              "peak resident, the store's mapped pages included |\n"
                              "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n") +
                   row);
}

// Goods and stock batches enough for the issue window's search.
void MakeShopStock(int batches) {
  Connection shop = OpenShopDatabase();
  QSqlDatabase db = shop.db();
  if (ScalarText(db, "select count(*) from 库存").toInt() == batches) return;
  const int goods = 5000;
  InTransaction(db, [&] {
    Exec(db, "delete from 库存");
    Exec(db, "delete from 基本资料");
    const auto code = [](int n) { return QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0')); };
    for (int g = 1; g <= goods; ++g)
      Exec(db, "insert into 基本资料 values (?, ?, ?, ?, ?, ?, ?)",
           {code(g), QStringLiteral("ZX%1").arg(g), QStringLiteral("商品%1").arg(g), QStringLiteral("盒"),
            QStringLiteral("%1mg").arg(10 * (1 + g % 50)), QStringLiteral("A%1").arg(g % 40),
            QStringLiteral("厂家%1").arg(g % 300)});
    for (int b = 0; b < batches; ++b) {
      const int g = 1 + b % goods;
      const QDate received = QDate(2022, 1, 1).addDays(b % 1000);
      const double price = 0.5 + b % 2000 / 10.0, left = 1 + b % 200;
      Exec(db, "insert into 库存 values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
           {code(g), QStringLiteral("%1").arg(b + 1, 7, 10, QLatin1Char('0')), QStringLiteral("ZX%1").arg(g), price,
            left, price * 1.3, price * left, received.toString(Qt::ISODate),
            received.addDays(720).toString(Qt::ISODate)});
    }
  });
}
}  // namespace

int main(int argc, char** argv) {
  DrawOffScreenUnlessNamed();
  QApplication app(argc, argv);
  PrintMessagesToStderr();
  if (argc < 3) {
    std::fprintf(stderr, "usage: firstpaintbench patients|issues|stock <folder> [factor]\n");
    return 2;
  }
  const QString which = QString::fromUtf8(argv[1]);
  const QString folder = QString::fromLocal8Bit(argv[2]);
  const double factor = argc > 3 ? QString::fromUtf8(argv[3]).toDouble() : 1.0;
  const QString engine = qEnvironmentVariableIsEmpty("BRIMWICK_BENCH_PG") ? QString() : QStringLiteral(", PostgreSQL");
  const auto what = [factor, engine](const char* list) {
    return QStringLiteral("%1, %2x%3").arg(QString::fromUtf8(list)).arg(factor).arg(engine);
  };
  try {
    if (which == QLatin1String("stock")) {
      QDir().mkpath(folder);
      qputenv("BRIMWICK_DATA_DIR", QDir(folder).absolutePath().toUtf8());
      const int batches = SmokeRun() ? 100 : int(100000 * factor);
      MakeShopStock(batches);
      TFormhjt issue;
      auto* search = Child<QLineEdit>(issue, "Edit3");
      // A blank and no text both search every batch (the box is read
      // trimmed); switching between them runs the search without a first
      // search for a text that no batch holds, which scans them all.
      Measure(what("shop stock search, every batch"), QStringLiteral("%1 batches").arg(batches), issue, Child<DataGrid>(issue, "DBGrid1"), [search] {
        search->setText(search->text().isEmpty() ? QStringLiteral(" ") : QString());
      });
      return 0;
    }
    Connection store = OpenBenchStore(folder, ClinicHistoryScale().Times(factor), [](const QString& step) {
      std::fprintf(stderr, "generating: %s\n", qPrintable(step));
    });
    const QString size = QStringLiteral("store %1 MB").arg(ClinicStoreMegabytes(), 0, 'f', 0);
    const QDate last = LastStoreDay(store.db());
    if (which == QLatin1String("patients")) {
      TFormhzxibb window;
      Child<QDateEdit>(window, "DateTimePicker1")->setDate(last.addDays(-364));
      Child<QDateEdit>(window, "DateTimePicker2")->setDate(last);
      auto* query = Child<QPushButton>(window, "BitBtn1");
      Measure(what("patient information, a year"), size, window, Child<DataGrid>(window, "DBGrid1"), [query] { query->click(); });
    } else if (which == QLatin1String("issues")) {
      TFormypckbb window;
      Child<QDateEdit>(window, "DateTimePicker1")->setDate(last.addDays(-364));
      Child<QDateEdit>(window, "DateTimePicker2")->setDate(last);
      auto* query = Child<QPushButton>(window, "BitBtn1");
      Measure(what("drug issue report, a year"), size, window, Child<DataGrid>(window, "DBGrid2"), [query] { query->click(); });
    } else {
      std::fprintf(stderr, "unknown case %s\n", argv[1]);
      return 2;
    }
  } catch (const DbError& e) {
    std::fprintf(stderr, "firstpaintbench: %s\n", qPrintable(e.text()));
    return 1;
  }
  return 0;
}
