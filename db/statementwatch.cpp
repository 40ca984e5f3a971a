#include "db/statementwatch.h"

#include <QCursor>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QThread>
#include <QWindow>
#include <dlfcn.h>
#include <vector>
#include <QSqlDriver>
#include <QVariant>
#include <condition_variable>
#include <libpq-fe.h>
#include <map>
#include <mutex>
#include <set>
#include <sys/socket.h>
#include <thread>

#include "db/serverstream.h"
#include "db/sql.h"

namespace {
using Clock = std::chrono::steady_clock;
const char* const kStatementLimit = "brimwickStatementLimitMs";
const char* const kTransactionLimit = "brimwickTransactionLimitMs";
const char* const kStatementStart = "brimwickStatementStartMs";
const char* const kCut = "brimwickCutByWatch";

qlonglong SettingMs(const QString& setting) {
  static const QRegularExpression form(QStringLiteral("^\\s*(\\d+)\\s*(ms|s|min|h|d)?\\s*$"));
  const QRegularExpressionMatch match = form.match(setting);
  if (!match.hasMatch()) return 0;
  const QString unit = match.captured(2);
  const qlonglong factor = unit == QLatin1String("s")     ? 1000
                           : unit == QLatin1String("min") ? 60000
                           : unit == QLatin1String("h")   ? 3600000
                           : unit == QLatin1String("d")   ? 86400000
                                                          : 1;
  return match.captured(1).toLongLong() * factor;
}

// The busy cursor a window shows while a statement runs longer than a
// moment. The window's own thread waits inside the statement and cannot
// change it: the watch's thread does, through the display connection
// itself (libxcb, which may be used from any thread, loaded at run time
// so that nothing else needs it), and the window's thread puts each
// window's own cursor back once the statement is over. Nothing without an
// X display.
class BusyCursor {
 public:
  // On the window's thread: the windows to mark, or none.
  static std::vector<quint32> Windows() {
    std::vector<quint32> windows;
    if (!qApp || QThread::currentThread() != qApp->thread() || !Instance().cursor_) return windows;
    for (QWindow* window : QGuiApplication::topLevelWindows())
      if (window->isVisible()) windows.push_back(quint32(window->winId()));
    return windows;
  }
  // On the watch's thread.
  static void Show(const std::vector<quint32>& windows) {
    BusyCursor& busy = Instance();
    for (const quint32 window : windows) busy.change_(busy.connection_, window, kCursorAttribute, &busy.cursor_);
    busy.flush_(busy.connection_);
  }
  // On the window's thread: every window's own cursor again.
  static void Restore() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    QGuiApplication::restoreOverrideCursor();
  }

 private:
  struct Cookie {
    unsigned int sequence;
  };
  static constexpr quint32 kCursorAttribute = 1u << 14;  // XCB_CW_CURSOR
  static constexpr quint16 kWatchGlyph = 150;            // the cursor font's watch, its mask next

  static BusyCursor& Instance() {
    static BusyCursor* busy = new BusyCursor;  // made on the window's thread, at its first statement
    return *busy;
  }

  BusyCursor() {
    const auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    connection_ = x11 ? x11->connection() : nullptr;
    void* library = connection_ ? ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_NOLOAD) : nullptr;
    if (!library) return;
    const auto id = reinterpret_cast<quint32 (*)(void*)>(::dlsym(library, "xcb_generate_id"));
    const auto openFont =
        reinterpret_cast<Cookie (*)(void*, quint32, quint16, const char*)>(::dlsym(library, "xcb_open_font"));
    const auto closeFont = reinterpret_cast<Cookie (*)(void*, quint32)>(::dlsym(library, "xcb_close_font"));
    const auto glyphCursor =
        reinterpret_cast<Cookie (*)(void*, quint32, quint32, quint32, quint16, quint16, quint16, quint16, quint16,
                                    quint16, quint16, quint16)>(::dlsym(library, "xcb_create_glyph_cursor"));
    change_ = reinterpret_cast<Cookie (*)(void*, quint32, quint32, const void*)>(
        ::dlsym(library, "xcb_change_window_attributes"));
    flush_ = reinterpret_cast<int (*)(void*)>(::dlsym(library, "xcb_flush"));
    if (!id || !openFont || !closeFont || !glyphCursor || !change_ || !flush_) return;
    const quint32 font = id(connection_);
    openFont(connection_, font, 6, "cursor");
    const quint32 cursor = id(connection_);
    glyphCursor(connection_, cursor, font, font, kWatchGlyph, kWatchGlyph + 1, 0, 0, 0, 0xffff, 0xffff, 0xffff);
    closeFont(connection_, font);
    flush_(connection_);
    cursor_ = cursor;
  }

  void* connection_ = nullptr;
  quint32 cursor_ = 0;
  Cookie (*change_)(void*, quint32, quint32, const void*) = nullptr;
  int (*flush_)(void*) = nullptr;
};

// A moment: a statement waited on longer shows the busy cursor.
constexpr auto kBusyAfter = std::chrono::milliseconds(300);

// One thread for the whole program: it sleeps until the earliest deadline
// and cuts the socket of a statement still running then. Arming and
// disarming hold the same lock as the cut, so a socket is never cut after
// its statement has returned.
class Watchdog {
 public:
  static Watchdog& Instance() {
    static Watchdog* watchdog = new Watchdog;  // lives as long as the program
    return *watchdog;
  }

  // Windows to mark busy should the statement last; the deadline may be none.
  long long Arm(int socket, Clock::time_point deadline, std::vector<quint32> windows) {
    std::lock_guard lock(mutex_);
    const long long id = ++next_;
    Watched& watched = watched_[id];
    watched = {socket, deadline, Clock::time_point::max(), std::move(windows), false};
    if (!watched.windows.empty()) watched.busyAt = Clock::now() + kBusyAfter;
    // The thread needs waking only for a time before the one it sleeps
    // until: a statement costs a lock and no thread switch.
    if (std::min(deadline, watched.busyAt) < sleepsUntil_) wake_.notify_one();
    return id;
  }

  struct Ended {
    bool cut = false;   // the watch cut the statement's connection
    bool busy = false;  // the busy cursor was shown for it
  };
  Ended Disarm(long long id) {
    std::lock_guard lock(mutex_);
    const auto it = watched_.find(id);
    if (it == watched_.end()) return {cut_.erase(id) > 0, busyCut_.erase(id) > 0};
    const Ended ended{false, it->second.busy};
    watched_.erase(it);
    return ended;
  }

 private:
  struct Watched {
    int socket;
    Clock::time_point deadline;
    Clock::time_point busyAt;
    std::vector<quint32> windows;
    bool busy;
    Clock::time_point next() const { return busy ? deadline : std::min(deadline, busyAt); }
  };

  Watchdog() { std::thread([this] { Run(); }).detach(); }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (watched_.empty()) {
        sleepsUntil_ = Clock::time_point::max();
        wake_.wait(lock);
        continue;
      }
      auto earliest = watched_.begin();
      for (auto it = watched_.begin(); it != watched_.end(); ++it)
        if (it->second.next() < earliest->second.next()) earliest = it;
      Watched& watched = earliest->second;
      if (Clock::now() < watched.next()) {
        sleepsUntil_ = watched.next();
        wake_.wait_until(lock, sleepsUntil_);
        continue;
      }
      if (!watched.busy && watched.busyAt <= watched.deadline) {
        BusyCursor::Show(watched.windows);
        watched.busy = true;
        continue;
      }
      ::shutdown(watched.socket, SHUT_RDWR);
      cut_.insert(earliest->first);
      if (watched.busy) busyCut_.insert(earliest->first);
      watched_.erase(earliest);
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::map<long long, Watched> watched_;
  std::set<long long> cut_, busyCut_;
  long long next_ = 0;
  Clock::time_point sleepsUntil_ = Clock::time_point::max();
};

int ServerSocket(const QSqlDriver* driver) {
  PGconn* connection = ServerConnection(driver);
  return connection ? PQsocket(connection) : -1;
}
}  // namespace

StatementWatch::StatementWatch(const QSqlDatabase& db, Span span) : StatementWatch(db.driver(), span) {}

StatementWatch::StatementWatch(const QSqlDriver* driver, Span span) {
  const int socket = ServerSocket(driver);
  if (socket < 0) return;
  // The rows of a statement come within its own limit, counted from its
  // start, as the server counts its statement time-out.
  const Clock::time_point now = Clock::now();
  const QVariant recorded = driver->property(kStatementStart);
  Clock::time_point started = now;
  if (span == SameStatement && recorded.isValid())
    started = Clock::time_point(std::chrono::milliseconds(recorded.toLongLong()));
  else
    const_cast<QSqlDriver*>(driver)->setProperty(
        kStatementStart, qlonglong(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count()));
  const qlonglong own = driver->property(kStatementLimit).toLongLong();
  const qlonglong transaction = driver->property(kTransactionLimit).toLongLong();
  const qlonglong limit = transaction > 0 ? transaction : own;
  if (limit <= 0) return;
  const auto grace = std::min<qlonglong>(limit / 4, 30000);
  driver_ = const_cast<QSqlDriver*>(driver);
  id_ = Watchdog::Instance().Arm(socket, started + std::chrono::milliseconds(limit + grace), BusyCursor::Windows());
}

StatementWatch::~StatementWatch() {
  if (!id_) return;
  const Watchdog::Ended ended = Watchdog::Instance().Disarm(id_);
  if (ended.cut && driver_) driver_->setProperty(kCut, true);
  if (ended.busy) BusyCursor::Restore();
}

bool StatementWatch::TakeCut(const QSqlDatabase& db) { return TakeCut(db.driver()); }

bool StatementWatch::TakeCut(QSqlDriver* driver) {
  if (!driver || !driver->property(kCut).toBool()) return false;
  driver->setProperty(kCut, QVariant());
  return true;
}

bool StatementWatch::InServerTransaction(const QSqlDatabase& db) {
  PGconn* connection = ServerConnection(db.driver());
  if (!connection) return false;
  const PGTransactionStatusType status = PQtransactionStatus(connection);
  return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

void StatementWatch::SetStatementLimit(const QSqlDatabase& db, const QString& setting) {
  if (QSqlDriver* driver = db.driver()) driver->setProperty(kStatementLimit, SettingMs(setting));
}

void StatementWatch::SetTransactionLimit(const QSqlDatabase& db, const QString& setting) {
  if (QSqlDriver* driver = db.driver()) driver->setProperty(kTransactionLimit, SettingMs(setting));
}
