#pragma once
// Running statements: every value is bound, every failure is an exception
// that carries the engine's text, so windows show it and postings roll back.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <stdexcept>

class DbError : public std::runtime_error {
 public:
  explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& text() const { return text_; }

 private:
  QString text_;
};

// A statement pins its plan on SQLite with `indexed by "name"` after a
// table, where the planner would otherwise pick an index that reads far
// more; PostgreSQL knows no such words and plans on its own, so they are
// left out there. Exec applies this; a statement run past it must too.
QString ForEngine(bool postgres, const QString& sql);

// Prepares and runs a statement with its values bound in order; throws
// DbError on failure. The query reads forward only.
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

// A name for a window's own connection, unique in the program.
QString UniqueConnectionName(const QString& prefix);
// Closes and removes a connection opened under that name.
void CloseConnection(const QString& name);
