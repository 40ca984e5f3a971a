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
  const QString& text() const { return text_; }
  StoreFailure kind() const { return kind_; }

 private:
  DbError(const QString& text, StoreFailure kind)
      : std::runtime_error(text.toStdString()), text_(text), kind_(kind) {}
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
// DbError on failure. The query reads forward only. On a server, a
// connection found broken is opened again at once, so that the window's
// next step works; a read outside a write transaction then runs once more,
// anything else fails (it may or may not have reached the server).
QSqlQuery Exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});
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
// write lock from its start, waiting up to the busy time-out for it.
void InTransaction(QSqlDatabase& db, const std::function<void()>& work);

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
