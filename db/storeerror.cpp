#include "db/storeerror.h"

#include <QStringList>

namespace {
bool Mentions(const QString& text, const QStringList& phrases) {
  for (const QString& phrase : phrases)
    if (text.contains(phrase, Qt::CaseInsensitive)) return true;
  return false;
}
}  // namespace

StoreFailure ClassifyStoreError(const QSqlError& error) {
  const QString text = error.text();
  const QString code = error.nativeErrorCode();
  // A dropped connection answers every later statement with no words.
  if (text.trimmed().isEmpty()) return StoreFailure::LostConnection;
  // SQLite: busy or locked past the busy time-out. PostgreSQL: lock or
  // statement time-out, or a transaction left idle too long.
  if (code == QLatin1String("5") || code == QLatin1String("6") || code == QLatin1String("55P03") ||
      code == QLatin1String("57014") || code == QLatin1String("25P03") ||
      Mentions(text, {QStringLiteral("database is locked"), QStringLiteral("lock timeout"),
                      QStringLiteral("statement timeout"), QStringLiteral("idle-in-transaction timeout")}))
    return StoreFailure::TimedOut;
  // SQLite's file (SQLITE_CANTOPEN): its folder is missing or cannot be
  // written. A clerk on the file store has no server to look for.
  if (code == QLatin1String("14") || Mentions(text, {QStringLiteral("unable to open database file")}))
    return StoreFailure::FileUnavailable;
  if (code == QLatin1String("28P01") || code == QLatin1String("28000") ||
      Mentions(text, {QStringLiteral("password authentication failed"), QStringLiteral("no password supplied"),
                      QStringLiteral("authentication failed for user"), QStringLiteral("no pg_hba.conf entry")}))
    return StoreFailure::WrongPassword;
  if (code == QLatin1String("3D000") ||
      (Mentions(text, {QStringLiteral("database \"")}) && Mentions(text, {QStringLiteral("does not exist")})))
    return StoreFailure::UnknownDatabase;
  if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") || code == QLatin1String("57P02") ||
      code == QLatin1String("57P03") ||
      Mentions(text, {QStringLiteral("server closed the connection"), QStringLiteral("no connection to the server"),
                      QStringLiteral("terminating connection"), QStringLiteral("could not receive data"),
                      QStringLiteral("could not send data"), QStringLiteral("connection not open"),
                      QStringLiteral("SSL SYSCALL"), QStringLiteral("lost synchronization")}))
    return StoreFailure::LostConnection;
  if (error.type() == QSqlError::ConnectionError ||
      Mentions(text, {QStringLiteral("could not connect"), QStringLiteral("Connection refused"),
                      QStringLiteral("timeout expired"), QStringLiteral("could not translate host name"),
                      QStringLiteral("No route to host"), QStringLiteral("Network is unreachable")}))
    return StoreFailure::Unreachable;
  return StoreFailure::Other;
}

QString StoreFailureSentence(StoreFailure kind) {
  switch (kind) {
    case StoreFailure::Unreachable:
      return QStringLiteral(
          "无法连接诊所数据库服务器：服务器没有开启、网络不通，或 brimwick.ini 中的服务器地址（host）和端口（port）"
          "有误。请检查后再打开窗口。");
    case StoreFailure::WrongPassword:
      return QStringLiteral(
          "诊所数据库密码错误，或服务器不接受这个用户从这台电脑登录。请检查 brimwick.ini 中的 user 和 password。");
    case StoreFailure::UnknownDatabase:
      return QStringLiteral("诊所数据库服务器上没有这个数据库。请检查 brimwick.ini 中的数据库名（dbname）。");
    case StoreFailure::LostConnection:
      return QStringLiteral(
          "与诊所数据库服务器的连接已断开，这一步没有完成，没有写入任何数据。服务器恢复后直接重试即可，不必关闭窗口。");
    case StoreFailure::TimedOut:
      return QStringLiteral(
          "等待数据库超时：其他电脑或窗口正在使用同一数据，或服务器没有应答。这一步已撤销，没有写入任何数据，请稍后重试。");
    case StoreFailure::FileUnavailable:
      return QStringLiteral("无法打开诊所数据文件：数据文件夹不存在、没有读写权限，或磁盘已满。请检查后再打开窗口。");
    case StoreFailure::CommitUnknown:
      return CommitUnknownSentence();
    case StoreFailure::Other:
      break;
  }
  return QString();
}

QString StoreErrorText(const QSqlError& error) {
  const QString sentence = StoreFailureSentence(ClassifyStoreError(error));
  const QString engine = error.text().trimmed();
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
