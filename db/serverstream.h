#pragma once
// A read with values on the server, its rows handed over as the server
// sends them. Qt 6.4's driver either runs such a read as a prepared
// statement and waits for its whole result, or sends the values written
// into the statement's text; here the values travel apart from the text,
// through the server's extended protocol, and the rows come one at a time
// (libpq's single-row mode): a year of lines shows its first screen as
// soon as the server has made it.
//
// The rows reach the caller through an ordinary QSqlQuery, typed as the
// driver types them, so that grids, ReadAll and NextRow read them alike.
// The connection carries one result at a time: before another statement
// runs on it (FinishPendingReads), the rest of a stream still read is read
// ahead and kept, so that neither statement takes the other's rows.
#include <QByteArray>
#include <QSqlQuery>
#include <QVariantList>

class QSqlDriver;
struct pg_conn;

// The server connection behind the driver, or none (not a server's, closed).
pg_conn* ServerConnection(const QSqlDriver* driver);

// Whether a stream may start on the connection: no result of another
// statement is still coming in on it.
bool ServerConnectionIdle(const QSqlDriver* driver);

// Runs sql with its values as the statement the connection prepared under
// name; when toPrepare is not empty (the text with $1, $2... marks), it is
// prepared first and `prepared`, when given, says whether that succeeded. Without a
// name, toPrepare runs as the unnamed statement, planned for these values.
// The query is replaced by one reading the stream. False with the query's
// error.
bool StartServerStream(const QSqlDriver* driver, QSqlQuery& query, const QString& sql, const QByteArray& name,
                       const QString& toPrepare, const QVariantList& values, bool* prepared = nullptr);

// Before the connection closes: its streams read no more from it (a read
// still under way then raises as a lost connection).
void DropServerStreams(const QSqlDriver* driver);
