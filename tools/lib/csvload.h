#pragma once
// Loading the clinic tables that no window writes (the goods list, staff,
// opening stock and receipts, finance and supplies rows) from CSV files.
// A file is checked whole before anything is written: one bad field and
// nothing of the load reaches the store.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

struct LoadProblem {
  QString file;
  int line = 0;    // 0 when the fault is the file's, not a line's
  QString column;  // empty when the fault is not a column's
  QString text;
  // "file:line: column C: text", leaving out what is not known.
  QString Describe() const;
};

struct LoadResult {
  int rows = 0;  // rows written; 0 whenever there is a problem
  std::vector<LoadProblem> problems;
  bool ok() const { return problems.empty(); }
};

struct CsvFile {
  QString table;
  QString path;
};

// The tables the loader fills, lists before the rows that name their
// entries, in the order a folder is loaded.
const QStringList& LoadableClinicTables();

// Loads one file into one table, in one transaction.
LoadResult LoadCsvFile(const QSqlDatabase& db, const QString& table, const QString& path);
// Loads several files in one transaction: every file is checked first, and
// any problem in any of them leaves every table as it was.
LoadResult LoadCsvFiles(const QSqlDatabase& db, std::vector<CsvFile> files);
// Every <table>.csv of a folder, in the order of LoadableClinicTables(). A .csv
// that names no loadable table is a problem, not a file to skip.
std::vector<CsvFile> CsvFilesOfFolder(const QString& folder, LoadResult& result);
