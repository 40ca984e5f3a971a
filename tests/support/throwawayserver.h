#pragma once
// A PostgreSQL server of the test's own on loopback, that the test stops
// and starts again under open connections (as scripts/pg-start.sh starts
// the suites' server: as root it runs as user postgres). Removed with the
// object. The server binaries come with the set-up.
#include <QString>
#include <QTemporaryDir>

class ThrowAwayServer {
 public:
  // Makes the cluster and starts it; check Error() afterwards.
  ThrowAwayServer();
  ~ThrowAwayServer();
  ThrowAwayServer(const ThrowAwayServer&) = delete;
  ThrowAwayServer& operator=(const ThrowAwayServer&) = delete;

  // Why the server could not be made or started; empty when it runs.
  const QString& Error() const { return error_; }
  // The clinic's connection string for it, with the given password.
  QString ConnectionString(const QString& password) const;
  QString ConnectionString() const { return ConnectionString(password_); }
  bool Stop();
  bool Start();

 private:
  bool Run(const QStringList& command);

  QTemporaryDir dir_;
  QString bin_, user_, password_, error_;
  int port_ = 0;
};

// A port on 127.0.0.1 where a listener accepts connections and never says
// a word, for as long as it lives.
class SilentListener {
 public:
  SilentListener();
  ~SilentListener();
  int Port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};
