#pragma once
// Reads an .xlsx file back as a spreadsheet program would see its first
// sheet: unpacks it with unzip and reads the sheet, the shared strings and
// the styles with QXmlStreamReader.
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

struct WorkbookCell {
  QVariant value;  // QString for text, double for a number, invalid when empty
  QString numberFormat;
  QString fontName;
  double fontSize = 0;
  QString alignment;  // "center", "left"..., empty for general
  bool bordered = false;  // thin on all four sides
};

class WorkbookFile {
 public:
  // Reads path; false (with the reason in error()) when it is no workbook.
  bool Load(const QString& path);
  const QString& error() const { return error_; }

  // Cells by A1 reference; a cell not in the file is empty and unformatted.
  WorkbookCell Cell(const QString& reference) const;
  QVariant Value(const QString& reference) const { return Cell(reference).value; }
  bool Has(const QString& reference) const { return cells_.contains(reference); }
  QStringList Merges() const { return merges_; }
  // The width a column was given, 0 when none.
  double ColumnWidth(int column) const { return widths_.value(column); }
  // Row heights given, by row.
  double RowHeight(int row) const { return heights_.value(row); }
  QStringList References() const { return cells_.keys(); }

 private:
  QString error_;
  QHash<QString, WorkbookCell> cells_;
  QStringList merges_;
  QMap<int, double> widths_;
  QMap<int, double> heights_;
};
