#include "db/storeerror.h"

#include <QList>
#include <QStringList>
#include <utility>

namespace {
bool Mentions(const QString& text, const QStringList& phrases) {
  for (const QString& phrase : phrases)
    if (text.contains(phrase, Qt::CaseInsensitive)) return true;
  return false;
}

// SQLite's result codes are numbers below 10,000 (an extended code keeps
// its primary code in the low byte); a SQLSTATE has always five places.
bool IsSqliteCode(const QString& code) {
  if (code.isEmpty() || code.size() > 4) return false;
  for (const QChar c : code)
    if (!c.isDigit()) return false;
  return true;
}

// SQLite's code from its words, for the few failures that Qt reports
// without the code (a commit through the driver, an open): 0 when none.
int SqliteCodeFromText(const QString& text) {
  static const QList<std::pair<QString, int>> kPhrases{
      {QStringLiteral("database is locked"), 5},
      {QStringLiteral("database table is locked"), 6},
      {QStringLiteral("attempt to write a readonly database"), 8},
      {QStringLiteral("database or disk is full"), 13},
      {QStringLiteral("unable to open database file"), 14},
  };
  for (const auto& [phrase, code] : kPhrases)
    if (text.contains(phrase, Qt::CaseInsensitive)) return code;
  return 0;
}

StoreFailure ClassifyFileStore(int code) {
  switch (code & 0xff) {
    case 5:   // SQLITE_BUSY
    case 6:   // SQLITE_LOCKED
      return StoreFailure::TimedOut;
    case 13:  // SQLITE_FULL, also the store's own page limit
      return StoreFailure::DiskFull;
    case 3:   // SQLITE_PERM
    case 8:   // SQLITE_READONLY
    case 14:  // SQLITE_CANTOPEN
      return StoreFailure::FileUnavailable;
    case 19:  // SQLITE_CONSTRAINT: a key, not null, check, or a trigger's raise
      return StoreFailure::Refused;
    default:
      return StoreFailure::FileFailed;
  }
}

// A server's refusal of a connection carries no SQLSTATE through Qt, only
// the server's words; a statement's failure carries its SQLSTATE.
StoreFailure ClassifyServer(const QSqlError& error) {
  const QString text = error.text();
  const QString code = error.nativeErrorCode();
  if (code == QLatin1String("55P03") || code == QLatin1String("57014") || code == QLatin1String("25P03") ||
      Mentions(text, {QStringLiteral("lock timeout"), QStringLiteral("statement timeout"),
                      QStringLiteral("idle-in-transaction timeout")}))
    return StoreFailure::TimedOut;
  if (code == QLatin1String("40P01") || code == QLatin1String("40001") ||
      Mentions(text, {QStringLiteral("deadlock detected"), QStringLiteral("could not serialize access")}))
    return StoreFailure::TryAgain;
  if (code == QLatin1String("28P01") || code == QLatin1String("28000") ||
      Mentions(text, {QStringLiteral("password authentication failed"), QStringLiteral("no password supplied"),
                      QStringLiteral("authentication failed for user"), QStringLiteral("no pg_hba.conf entry"),
                      QStringLiteral("is not permitted to log in")}))
    return StoreFailure::WrongPassword;
  if (code == QLatin1String("3D000") ||
      (Mentions(text, {QStringLiteral("database \"")}) && Mentions(text, {QStringLiteral("does not exist")})))
    return StoreFailure::UnknownDatabase;
  if (code == QLatin1String("53300") ||
      Mentions(text, {QStringLiteral("too many clients"), QStringLiteral("too many connections"),
                      QStringLiteral("connection slots are reserved")}))
    return StoreFailure::ServerFull;
  if (code == QLatin1String("42501") || code == QLatin1String("0LP01") ||
      Mentions(text, {QStringLiteral("permission denied for"), QStringLiteral("must be owner of")}))
    return StoreFailure::NotPermitted;
  if (code == QLatin1String("53100") || Mentions(text, {QStringLiteral("No space left on device")}))
    return StoreFailure::DiskFull;
  if (code.startsWith(QLatin1String("23"))) return StoreFailure::Refused;
  if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") || code == QLatin1String("57P02") ||
      code == QLatin1String("57P03") ||
      Mentions(text, {QStringLiteral("server closed the connection"), QStringLiteral("no connection to the server"),
                      QStringLiteral("terminating connection"), QStringLiteral("could not receive data"),
                      QStringLiteral("could not send data"), QStringLiteral("connection not open"),
                      QStringLiteral("SSL SYSCALL"), QStringLiteral("lost synchronization")}))
    return StoreFailure::LostConnection;
  if (Mentions(text, {QStringLiteral("the database system is starting up"),
                      QStringLiteral("the database system is shutting down"),
                      QStringLiteral("the database system is in recovery mode")}))
    return StoreFailure::Unreachable;
  // A refusal the server gave in words not known here: it answered, so it
  // is not unreachable; its own words say why.
  if (!code.isEmpty() || Mentions(text, {QStringLiteral("FATAL")})) return StoreFailure::Other;
  if (error.type() == QSqlError::ConnectionError ||
      Mentions(text, {QStringLiteral("could not connect"), QStringLiteral("Connection refused"),
                      QStringLiteral("timeout expired"), QStringLiteral("could not translate host name"),
                      QStringLiteral("No route to host"), QStringLiteral("Network is unreachable")}))
    return StoreFailure::Unreachable;
  return StoreFailure::Other;
}
}  // namespace

bool IsFileStoreError(const QSqlError& error) {
  return IsSqliteCode(error.nativeErrorCode()) ||
         (error.nativeErrorCode().isEmpty() && SqliteCodeFromText(error.text()) != 0);
}

StoreFailure ClassifyStoreError(const QSqlError& error) {
  // A dropped connection answers every later statement with no words.
  if (error.text().trimmed().isEmpty()) return StoreFailure::LostConnection;
  const QString code = error.nativeErrorCode();
  if (IsSqliteCode(code)) return ClassifyFileStore(code.toInt());
  if (IsFileStoreError(error)) return ClassifyFileStore(SqliteCodeFromText(error.text()));
  return ClassifyServer(error);
}

QString StoreFailureSentence(StoreFailure kind, bool fileStore) {
  switch (kind) {
    case StoreFailure::Unreachable:
      return QStringLiteral(
          "无法连接诊所数据库服务器：服务器没有开启、网络不通，或 brimwick.ini 中的服务器地址（host）和端口（port）"
          "有误。请检查后重试。");
    case StoreFailure::WrongPassword:
      return QStringLiteral(
          "诊所数据库密码错误，或服务器不接受这个用户从这台电脑登录。请检查 brimwick.ini 中的 user 和 password。");
    case StoreFailure::UnknownDatabase:
      return QStringLiteral("诊所数据库服务器上没有这个数据库。请检查 brimwick.ini 中的数据库名（dbname）。");
    case StoreFailure::LostConnection:
      return QStringLiteral(
          "与诊所数据库服务器的连接已断开，这一步没有完成，没有写入任何数据。服务器恢复后直接重试即可，不必关闭窗口。");
    case StoreFailure::TimedOut:
      return fileStore ? QStringLiteral(
                             "等待数据库超时：本机另一个窗口或程序正在写同一数据文件。这一步已撤销，没有写入任何数据，"
                             "请稍后重试。")
                       : QStringLiteral(
                             "等待数据库超时：其他电脑或窗口正在使用同一数据，或服务器没有应答。这一步已撤销，没有写入"
                             "任何数据，请稍后重试。");
    case StoreFailure::FileUnavailable:
      return QStringLiteral("无法打开数据文件：数据文件夹不存在，或没有读写权限。请检查后重试。");
    case StoreFailure::DiskFull:
      return fileStore ? QStringLiteral("磁盘已满：数据文件所在的磁盘没有空间了。这一步没有完成，没有写入任何数据，"
                                        "腾出空间后重试即可。")
                       : QStringLiteral("磁盘已满：诊所数据库服务器的磁盘没有空间了。这一步没有完成，没有写入任何数据，"
                                        "腾出空间后重试即可。");
    case StoreFailure::Refused:
      return QStringLiteral("数据库拒绝了这些数据：与已有的记录重复，或不合数据表的规则。这一步没有完成，没有写入任何数据。");
    case StoreFailure::TryAgain:
      return QStringLiteral("与其他电脑的操作冲突，诊所数据库服务器撤销了这一步，没有写入任何数据。直接重试即可。");
    case StoreFailure::ServerFull:
      return QStringLiteral(
          "诊所数据库服务器的连接已满：同时打开的窗口太多。请关闭不用的窗口后重试，或请管理员调高服务器的"
          " max_connections。");
    case StoreFailure::NotPermitted:
      return QStringLiteral(
          "诊所数据库服务器不允许这个用户做这一步。请管理员按说明书为 brimwick.ini 中的 user 授权。");
    case StoreFailure::FileFailed:
      return QStringLiteral("对不起，操作失败");
    case StoreFailure::CommitUnknown:
      return CommitUnknownSentence();
    case StoreFailure::Other:
      break;
  }
  return QString();
}

QStringList StoreOutOfReachSentences() {
  return {StoreFailureSentence(StoreFailure::Unreachable), StoreFailureSentence(StoreFailure::LostConnection)};
}

QString StoreErrorText(const QSqlError& error) {
  const bool fileStore = IsFileStoreError(error);
  const QString sentence = StoreFailureSentence(ClassifyStoreError(error), fileStore);
  // SQLite's own words, without the driver's "Unable to fetch row".
  const QString engine = (fileStore && !error.databaseText().trimmed().isEmpty() ? error.databaseText() : error.text())
                             .trimmed();
  if (sentence.isEmpty()) return engine;
  return engine.isEmpty() ? sentence : sentence + QLatin1Char('\n') + engine;
}

QString StoreErrorText(const QString& engineText) {
  const QString engine = engineText.trimmed();
  return engine.isEmpty() ? StoreFailureSentence(StoreFailure::LostConnection) : engine;
}

// --- outcome of a commit whose connection broke ---
QString CommitUnknownSentence() {
  return QStringLiteral(
      "与诊所数据库服务器的连接在保存时断开，无法确定这次操作是否已经写入。请先重新打开窗口查看是否已经记下，"
      "确认没有记下再重试，以免重复记录。");
}
