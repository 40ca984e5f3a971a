#pragma once
// What the store's indexes cost the postings against those it had before
// the reports' covering indexes: a twin of the clinic store, the same rows
// with the named indexes dropped and the ones they replaced (the plain
// indexes of goods, days, doctors and quantities, and the day indexes of
// the open visits) put back, so that each posting can be
// timed on both by turns under the same load of a busy machine. Opening a
// store through the program would make the indexes again, so the twin is
// opened bare of the schema step, and only ever by a benchmark.
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>

#include "db/connection.h"

class StoreBeforeReportIndexes {
 public:
  // Copies the store the program's connection points at: the SQLite file
  // into a folder beside it, or a PostgreSQL database made with it as the
  // template. Call it while no connection is open on the store: PostgreSQL
  // copies a database only then, and SQLite's last connection to close
  // folds its log into the file. Throws DbError.
  StoreBeforeReportIndexes();
  // Deletes the copy.
  ~StoreBeforeReportIndexes();
  StoreBeforeReportIndexes(const StoreBeforeReportIndexes&) = delete;
  StoreBeforeReportIndexes& operator=(const StoreBeforeReportIndexes&) = delete;

  QSqlDatabase db() const { return connection_.db(); }

 private:
  QString folder_;    // SQLite: the copy's folder
  QString database_;  // PostgreSQL: the copy's name
  QString server_;    // PostgreSQL: the server, without a database
  Connection connection_;
};

// The commits of a connection stop waiting for the disk (SQLite's log is
// no longer synced at each commit, PostgreSQL's commit no longer waits for
// its log): what a posting then takes is its statements' own work, which a
// sync of a millisecond would otherwise hide.
void CommitWithoutDiskWait(const QSqlDatabase& db);

// One posting's median time on each store.
struct PostingTimes {
  QString what;
  double without = 0;  // before the reports' indexes
  double with = 0;     // as the store is now
};

// Runs posting on each store in turn (which goes first alternates), runs
// times each after one warming run, setup before every run untimed.
PostingTimes PostingByTurns(const QString& what, int runs, const QSqlDatabase& with,
                            const StoreBeforeReportIndexes& without,
                            const std::function<void(const QSqlDatabase&)>& posting,
                            const std::function<void(const QSqlDatabase&)>& setup = {});

// The postings as a Markdown table, with / without as a ratio.
QString PostingTable(const QList<PostingTimes>& lines);

// What the reports' indexes take on disk: the live pages (SQLite: what a
// vacuum would leave) or the database's size, with and without them, and
// the indexes' own share. One line of text.
QString ReportIndexSizes(const QSqlDatabase& with, const StoreBeforeReportIndexes& without);
