#pragma once
// What the clinic benchmarks hold the windows against: the same statements
// run through the engine's own C interface (SQLite's, or libpq), every row
// and every cell read, with none of Qt's driver in between. And where the
// figures go: one file of results, each benchmark its own section.
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <vector>
#include <memory>

// The clinic store the program's connection points at (the SQLite file in
// the data folder, or the server BRIMWICK_CLINIC_SERVER names), opened
// through the engine's C interface.
class BareStore {
 public:
  BareStore();
  ~BareStore();
  BareStore(const BareStore&) = delete;
  BareStore& operator=(const BareStore&) = delete;

  // Runs a statement written as the windows write it ('?' for each value,
  // bound as the program binds it, the SQLite pins left out on PostgreSQL),
  // reads every row and cell, and returns the rows read. Throws DbError.
  int Run(const QString& sql, const QVariantList& values = {});
  // The same, keeping the rows: each cell as Qt's driver gives it (texts
  // as QString, integers as qlonglong, reals as double; PostgreSQL's cells
  // as their text), for a window's own code to build on.
  QList<QVariantList> Rows(const QString& sql, const QVariantList& values = {});
  bool postgres() const;

 private:
  struct Engine;
  std::unique_ptr<Engine> engine_;
};

// A statement with its values.
struct BareStatement {
  QString sql;
  QVariantList values = {};
};
// Runs each in turn through store; returns the rows of all of them.
int RunAll(BareStore& store, const QList<BareStatement>& statements);

// The statement the window ran before its indexes were chosen, for the
// same rows: the window's own without its pins and with the join and
// grouping it had. Run on today's store it shows what the pins and shapes
// bring; a statement never changed comes back as it is.
QString TodaysStatement(const QString& sql);

// One line of a benchmark's table: today's statement bare, the window, and
// the best statement found for the same rows bare (milliseconds).
struct Comparison {
  QString what;
  double today = 0;
  double window = 0;
  double best = 0;
  int rows = -1;  // -1: not shown
};
// Times today's statements, the window and the best statements by turns,
// so that all three meet the same load of a busy machine, each run after
// setup (untimed, when given) and after one warming run of each; returns
// the medians of runs. The window is timed until its grids have read every
// row. With warmEach every side also runs untimed right before it is timed.
// Without today's (a statement never changed), today is the best.
Comparison CompareByTurns(const QString& what, int runs, const std::function<void()>& today,
                          const std::function<void()>& window, const std::function<void()>& best,
                          const std::function<void()>& setup = {}, bool warmEach = false);

// The middle of the times (0 without any).
double Median(std::vector<double> times);

// The lines as a Markdown table, window / best and today / best as ratios.
QString ComparisonTable(const QList<Comparison>& lines);

// Set by BRIMWICK_BENCH_SMOKE: a benchmark runs each case once on whatever
// store it is given, only to show that it still runs whole, and writes no
// results.
bool SmokeRun();

// Before the benchmark's QApplication: its windows are drawn off screen
// unless QT_QPA_PLATFORM names a platform.
void DrawOffScreenUnlessNamed();
// A message box would wait for a click no one gives: each message goes to
// stderr instead, answered as if closed.
void PrintMessagesToStderr();

// A store benchmark's main: reads "<folder> [factor]" from the command line
// (or prints the usage and returns 2), runs work with them, and returns 0,
// or 1 with the failure printed under the benchmark's name.
int RunBench(int argc, char** argv, const std::function<void(const QString& folder, double factor)>& work);
// Prints each step of making a store with the seconds since it was made.
std::function<void(const QString&)> TimedProgress();

// The benchmark's figures as a section of bench/RESULTS.md (or of the file
// BRIMWICK_BENCH_RESULTS names), replacing the section of that title from
// an earlier run: headed with the date, the machine's load and the store's
// size, then text (a Markdown table). Nothing is written in a smoke run.
void WriteResults(const QString& title, const QString& store, const QString& text);
// The size of the clinic store the program's connection points at, in MB.
double ClinicStoreMegabytes();
