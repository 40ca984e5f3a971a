#pragma once
// Reading comma-separated text as people write it in a spreadsheet: UTF-8,
// fields with commas, quotes or line breaks inside double quotes, a doubled
// quote for a quote. Each record keeps the line it starts on, so a fault in
// it can be shown where an editor shows it.
#include <QString>
#include <QStringList>
#include <vector>

struct CsvRecord {
  int line = 0;  // 1-based line of the record's first character
  QStringList fields;
};

struct CsvText {
  std::vector<CsvRecord> records;  // blank lines are left out
  QString error;                   // empty when the whole text was read
  int errorLine = 0;
};

// Splits the text into records. Stops at the first malformed quote and
// says where; records before it are kept, but a caller should load none.
CsvText ParseCsv(QString text);
