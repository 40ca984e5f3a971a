#include "db/statementwatch.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QVariant>
#include <condition_variable>
#include <libpq-fe.h>
#include <map>
#include <mutex>
#include <set>
#include <sys/socket.h>
#include <thread>

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

  long long Arm(int socket, Clock::time_point deadline) {
    std::lock_guard lock(mutex_);
    const long long id = ++next_;
    watched_[id] = {socket, deadline};
    // The thread needs waking only for a deadline before the one it sleeps
    // until: a statement costs a lock and no thread switch.
    if (deadline < sleepsUntil_) wake_.notify_one();
    return id;
  }

  // False when the watch had already cut the statement's connection.
  bool Disarm(long long id) {
    std::lock_guard lock(mutex_);
    if (watched_.erase(id) > 0) return true;
    cut_.erase(id);
    return false;
  }

 private:
  struct Watched {
    int socket;
    Clock::time_point deadline;
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
        if (it->second.deadline < earliest->second.deadline) earliest = it;
      if (Clock::now() < earliest->second.deadline) {
        sleepsUntil_ = earliest->second.deadline;
        wake_.wait_until(lock, sleepsUntil_);
        continue;
      }
      ::shutdown(earliest->second.socket, SHUT_RDWR);
      cut_.insert(earliest->first);
      watched_.erase(earliest);
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::map<long long, Watched> watched_;
  std::set<long long> cut_;
  long long next_ = 0;
  Clock::time_point sleepsUntil_ = Clock::time_point::max();
};

PGconn* ServerConnection(const QSqlDriver* driver) {
  if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL) return nullptr;
  const QVariant handle = driver->handle();
  // The driver hands out its connection under the name of libpq's struct.
  if (!handle.isValid() || (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
    return nullptr;
  return *static_cast<PGconn* const*>(handle.constData());
}

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
  id_ = Watchdog::Instance().Arm(socket, started + std::chrono::milliseconds(limit + grace));
}

StatementWatch::~StatementWatch() {
  if (id_ && !Watchdog::Instance().Disarm(id_) && driver_) driver_->setProperty(kCut, true);
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
