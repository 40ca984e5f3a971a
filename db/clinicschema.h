#pragma once
// The clinic store's tables, described once: the schema is made from this
// description in either dialect, and the loader checks CSV files against it.
#include <QString>
#include <vector>

enum class ColumnType {
  Text,    // codes, names, accounts, categories, batch numbers, free text
  Number,  // quantities, prices, amounts, percentages, the visit serial
  Money,   // decimal(18,2) money columns
  Day      // a whole day: date on PostgreSQL, ISO text on SQLite
};

struct ClinicColumn {
  QString name;
  ColumnType type;
  // Formula of a generated column over the other columns of its row, in
  // SQL both engines read (empty for a stored column).
  QString generated;
  // Fixed text width where the store keeps one (0 = free).
  int width = 0;
};

struct ClinicTable {
  QString name;
  std::vector<ClinicColumn> columns;  // in their physical order
};

// Every table of the clinic store, in the order they are made.
const std::vector<ClinicTable>& ClinicTables();
// The table of that name, or nullptr.
const ClinicTable* FindClinicTable(const QString& name);
