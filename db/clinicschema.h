#pragma once
// The clinic store's tables, described once: the schema is made from this
// description in either dialect, and the loader checks CSV files against it.
#include <QString>
#include <QStringList>
#include <vector>

enum class ColumnType {
  Text,    // codes, names, accounts, categories, batch numbers, free text
  Number,  // quantities, prices, amounts, percentages, the visit serial
  Money,   // decimal(18,2) money columns
  Day,     // a whole day: date on PostgreSQL, ISO text on SQLite
  RowId    // a number the store draws for each new row, so that one of two
           // identical rows can be changed alone; never written by a row
};

struct ClinicColumn {
  QString name;
  ColumnType type;
  // Formula of a generated column over the other columns of its row, as
  // SQLite reads it (empty for a stored column). Rows never name these
  // columns when they are written.
  QString generated = {};
  // Fixed text width the clinic's forms assume (0 = free). Informative:
  // both stores keep plain text, and text is trimmed when read back.
  int width = 0;
  // The same formula for PostgreSQL where it must be written otherwise
  // (empty = the SQLite formula serves both).
  QString generatedPostgres = {};

  bool IsGenerated() const { return !generated.isEmpty(); }
  bool IsRowId() const { return type == ColumnType::RowId; }
};

struct ClinicTable {
  QString name;
  std::vector<ClinicColumn> columns;  // in their physical order
  // Primary key columns (empty = none).
  QStringList key;
  // Secondary indexes, each a list of columns, named by their place (an
  // empty list: one given up, whose number stays taken).
  std::vector<QStringList> indexes;
  // Column lists that no two rows may share (rows with an empty value in
  // one of them are exempt).
  std::vector<QStringList> uniques = {};
  // Text columns whose values, trimmed, no two rows may share: names that
  // the desks find rows by, so that two desks adding the same name at once
  // leave one row. Kept on the trimmed text, so that a plain select still
  // reads the rows in the table's own order.
  QStringList uniqueNames = {};
  // Indexes the statements pin their plans to by name: each the table's
  // name, an underscore and its own suffix, with its columns. One with a
  // condition holds only the rows that meet it; one for the server alone
  // is made on PostgreSQL only, whose planner picks its own way.
  struct NamedIndex {
    QString name;
    QStringList columns;
    QString condition = {};
    bool serverOnly = false;
  };
  std::vector<NamedIndex> namedIndexes = {};
  // Indexes earlier stores of this table had and no statement needs now,
  // each with its columns (none for a named one the reports had).
  std::vector<std::pair<QString, QStringList>> retiredIndexes = {};

  const ClinicColumn* Find(const QString& column) const;
  // Names of the stored columns, in order: what a full insert names (the
  // store draws the row id itself).
  QStringList StoredColumns() const;
};

// Every table of the clinic store, in the order they are made.
const std::vector<ClinicTable>& ClinicTables();
// The table of that name, or nullptr.
const ClinicTable* FindClinicTable(const QString& name);

// Indexes earlier stores were made with that no statement needs any more:
// opening a store drops them, as the planner would otherwise still pick
// them over the reports' own.
const QStringList& RetiredClinicIndexes();

// The scratch tables one click makes and drops again, private to the
// connection that makes them (see ScratchTable in db/clinicdb.h): "ckb",
// the lines of the visit being dispensed; "Pelloc", the batch sums of the
// day close; "tj", the goods of one category in the commission count.
const std::vector<ClinicTable>& ClinicScratchTables();
// The scratch table of that name, or nullptr.
const ClinicTable* FindClinicScratchTable(const QString& name);
