#pragma once
// Running statements: every value is bound, every failure is an exception
// that carries the engine's text, so windows show it and postings roll back.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <stdexcept>

#include "db/storeerror.h"

// A failure is the exception itself, never an empty text: a text the
// engine left empty (a dropped connection) is replaced by a sentence that
// says so.
class DbError : public std::runtime_error {
 public:
  explicit DbError(const QString& text) : DbError(StoreErrorText(text), Kind(text)) {}
  // The engine's error, said in the clinic's words (StoreErrorText).
  explicit DbError(const QSqlError& error) : DbError(StoreErrorText(error), ClassifyStoreError(error)) {}
  // The engine's error said as a kind known apart from it (a statement the
  // watch cut, a commit whose outcome is unknown).
  DbError(const QSqlError& error, StoreFailure kind) : DbError(KindText(error, kind), kind) {}
  const QString& text() const { return text_; }
  StoreFailure kind() const { return kind_; }

 private:
  DbError(const QString& text, StoreFailure kind)
      : std::runtime_error(text.toStdString()), text_(text), kind_(kind) {}
  static QString KindText(const QSqlError& error, StoreFailure kind) {
    const QString engine = error.text().trimmed();
    const QString sentence = StoreFailureSentence(kind);
    return engine.isEmpty() ? sentence : sentence + QLatin1Char('\n') + engine;
  }
  static StoreFailure Kind(const QString& text) {
    return text.trimmed().isEmpty() ? StoreFailure::LostConnection : StoreFailure::Other;
  }
  QString text_;
  StoreFailure kind_;
};

// A statement pins its plan on SQLite with `indexed by "name"` after a
// table, where the planner would otherwise pick an index that reads far
// more; PostgreSQL knows no such words and plans on its own, so they are
// left out there. Exec applies this; a statement run past it must too.
QString ForEngine(bool postgres, const QString& sql);
// Whether the connection is to a PostgreSQL server.
bool IsPostgres(const QSqlDatabase& db);

// Prepares and runs a statement with its values bound in order; throws
// DbError on failure. The query reads forward only: walk it with NextRow.
// On a server, a connection found broken is opened again at once, so that
// the window's next step works; a read outside a write transaction then
// runs once more, anything else fails. A write outside a transaction runs
// in one of its own (CommitTransaction), so that a connection broken under
// it is said as written, not written, or not known. On SQLite a statement
// that ran before on the connection, and that no query reads any more (a
// grid has read it whole, ScalarText, ReadRows or ExecCount are done with
// it), runs again as it was prepared.
QSqlQuery Exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});
// The next row of a query from Exec; false after the last. A fetch that
// fails (the connection broke, the statement timed out while its rows came
// in) throws DbError: it is never the end of the rows.
bool NextRow(QSqlQuery& query);
// Every row of a select, read before anything else runs. A read that
// breaks part way is run once more from its start on a connection opened
// again (outside a write transaction), else throws DbError.
QList<QVariantList> ReadRows(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});
// What a value is bound as: a date or date-time becomes its day's
// yyyy-MM-dd text (the stores keep whole days only), a double its figure
// to fifteen digits (as both stores round it); anything else as is.
// Exec binds every value through it; so does a statement prepared once
// and run for many rows.
QVariant BoundValue(const QVariant& value);
// Text of the first column of the first row, trimmed; empty without a row.
QString ScalarText(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});
// Number of rows changed by a statement.
int ExecCount(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

// Runs work inside one transaction on db: commits when it returns, rolls
// back and rethrows when it throws. On SQLite the transaction holds the
// write lock from its start, waiting up to the busy time-out for it. On a
// server every statement of the work runs in that one transaction: a
// connection that breaks fails the whole (never reopened under it).
void InTransaction(QSqlDatabase& db, const std::function<void()>& work);

// The parts of a write transaction: begin (marking it, SetInWriteTransaction),
// commit, roll back. Every one runs under the watch. On a server the commit
// takes the transaction's id first; when the connection breaks under the
// commit it opens the connection again and asks the server how that
// transaction ended: committed returns as a commit does, not committed
// throws DbError (LostConnection: nothing written), not known throws
// DbError of kind CommitUnknown. A rollback that fails is ignored; a
// connection that broke under it is opened again when it can be.
void BeginTransaction(const QSqlDatabase& db, const QString& begin = QStringLiteral("begin"));
void CommitTransaction(const QSqlDatabase& db);
void RollbackTransaction(const QSqlDatabase& db) noexcept;
// Runs a statement with no values as it stands on a query of the caller's,
// under the watch; false with the query's error.
bool ExecWatched(QSqlQuery& query, const QString& sql);

// Marks a connection as holding a write transaction of its own making (a
// broken connection is then never reopened under it: the server has
// rolled the transaction back, and the posting must fail whole).
void SetInWriteTransaction(const QSqlDatabase& db, bool holding);
bool InWriteTransaction(const QSqlDatabase& db);
// After a statement failed with error: when it failed because the server
// connection broke, closes the connection and opens it again (its private
// scratch tables are gone) and returns true; throws DbError when the
// server cannot be reached. Any other failure returns false. The failed
// query must be released first.
bool ReopenIfLost(const QSqlDatabase& db, const QSqlError& error);

// A name for a window's own connection, unique in the program.
QString UniqueConnectionName(const QString& prefix);
// Closes and removes a connection opened under that name.
void CloseConnection(const QString& name);
