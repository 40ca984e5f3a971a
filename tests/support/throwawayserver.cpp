#include "support/throwawayserver.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUuid>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A port nobody listens on now: the kernel hands one out and it is let go.
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  ::close(fd);
  return port;
}
}  // namespace

ThrowAwayServer::ThrowAwayServer() {
  QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  QCollator numeric;
  numeric.setNumericMode(true);
  std::sort(versions.begin(), versions.end(), numeric);
  if (versions.isEmpty()) {
    error_ = QStringLiteral("no PostgreSQL server binaries under /usr/lib/postgresql (run scripts/setup.sh)");
    return;
  }
  bin_ = QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(versions.last());
  // The server refuses to run as root.
  if (::geteuid() == 0) user_ = ::getpwnam("postgres") ? QStringLiteral("postgres") : QStringLiteral("nobody");
  password_ = QUuid::createUuid().toString(QUuid::Id128);
  QFile pwfile(dir_.filePath(QStringLiteral("pwfile")));
  if (!pwfile.open(QIODevice::WriteOnly) || pwfile.write(password_.toUtf8() + '\n') < 0) {
    error_ = QStringLiteral("cannot write the password file");
    return;
  }
  pwfile.close();
  QDir(dir_.path()).mkpath(QStringLiteral("socket"));
  if (!user_.isEmpty() && QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), user_, dir_.path()}) != 0) {
    error_ = QStringLiteral("cannot hand the folder to %1").arg(user_);
    return;
  }
  if (!Run({bin_ + QStringLiteral("initdb"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
            QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("--pwfile=") + pwfile.fileName(),
            QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-locale"),
            QStringLiteral("--auth-local=trust"), QStringLiteral("--auth-host=scram-sha-256")}))
    return;
  port_ = FreePort();
  Start();
}

ThrowAwayServer::~ThrowAwayServer() {
  if (!bin_.isEmpty() && QFile::exists(dir_.filePath(QStringLiteral("data/postmaster.pid"))))
    Run({bin_ + QStringLiteral("pg_ctl"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
         QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString ThrowAwayServer::ConnectionString(const QString& password) const {
  return QStringLiteral("host=127.0.0.1 port=%1 dbname=postgres user=postgres password=%2").arg(port_).arg(password);
}

bool ThrowAwayServer::Start() {
  const QString settings = QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -k %2 -c fsync=off")
                               .arg(port_)
                               .arg(dir_.filePath(QStringLiteral("socket")));
  return Run({bin_ + QStringLiteral("pg_ctl"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
              QStringLiteral("-l"), dir_.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
              QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"), settings, QStringLiteral("start")});
}

bool ThrowAwayServer::Stop() {
  // Fast: the server ends every session at once, as at a restart.
  return Run({bin_ + QStringLiteral("pg_ctl"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
              QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
}

bool ThrowAwayServer::Run(const QStringList& command) {
  QProcess process;
  process.setWorkingDirectory(dir_.path());
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setStandardInputFile(QProcess::nullDevice());
  QStringList line = command;
  if (!user_.isEmpty()) line = QStringList{QStringLiteral("-u"), user_, QStringLiteral("--")} + command;
  process.start(user_.isEmpty() ? line.takeFirst() : QStringLiteral("runuser"), line);
  const bool done = process.waitForFinished(90000) && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == 0;
  const QString said = QString::fromLocal8Bit(process.readAll());
  if (!done) error_ = command.join(QLatin1Char(' ')) + QStringLiteral(" failed: ") + said;
  return done;
}

SilentListener::SilentListener() {
  socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  // The kernel completes every handshake on the backlog; nothing is ever
  // accepted, read or answered.
  if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(socket_, 16) == 0 &&
      ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port_ = ntohs(address.sin_port);
}

SilentListener::~SilentListener() {
  if (socket_ >= 0) ::close(socket_);
}
