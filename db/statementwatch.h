#pragma once
// A server that stopped answering in the middle of a statement (frozen,
// not gone: its machine still acknowledges every packet, so neither
// keep-alive nor the server's own statement time-out ever ends the wait)
// would hold the window's thread for good. While a statement runs on a
// server connection, a watch cuts the connection once the statement has
// run well past the server's own limit; the wait then ends as a lost
// connection, which the caller reopens. A statement lasts until its last
// row: a read whose rows stream in is watched while each of them is
// awaited, against the same deadline as its start.
#include <QSqlDatabase>
#include <chrono>

class QSqlDriver;

class StatementWatch {
 public:
  enum Span {
    NewStatement,   // a statement starts now
    SameStatement,  // more of the rows of the statement started last
  };
  // Watches db for the life of the object (nothing on SQLite).
  explicit StatementWatch(const QSqlDatabase& db, Span span = NewStatement);
  StatementWatch(const QSqlDriver* connection, Span span);
  ~StatementWatch();
  StatementWatch(const StatementWatch&) = delete;
  StatementWatch& operator=(const StatementWatch&) = delete;

  // The server's statement time-out on db, as PostgreSQL writes it ("120s",
  // "5min", "1000" in ms); a statement is cut a quarter of it (at most 30 s)
  // later. A limit of 0 watches nothing, as the server then waits forever.
  static void SetStatementLimit(const QSqlDatabase& db, const QString& setting);
  // A longer limit for the transaction under way (the day close); empty
  // goes back to the connection's own.
  static void SetTransactionLimit(const QSqlDatabase& db, const QString& setting);

  // Whether the last watch over db cut its connection (once: the answer is
  // taken).
  static bool TakeCut(const QSqlDatabase& db);
  static bool TakeCut(QSqlDriver* connection);
  // Whether db, a server connection, stands inside a transaction.
  static bool InServerTransaction(const QSqlDatabase& db);

 private:
  long long id_ = 0;
  QSqlDriver* driver_ = nullptr;
};
