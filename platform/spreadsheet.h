#pragma once
// Workbooks as the reports build them: cells, ranges, rows and columns that
// take values and settings one call after another, kept in memory and
// written to an .xlsx file at the end.
//
//   Workbook book;
//   Worksheet& sheet = book.Sheet(1);
//   sheet.Range("A1:M1").Merge();
//   sheet.Rows(1).SetFontName("隶书");
//   sheet.Cells(2, 2).SetNumberFormat("#,##0.00;-#,##0.00");
//   sheet.Cells(2, 2).SetValue(12.5);
//   QString error = book.SaveAs(path);
//
// An .xlsx cell carries one format. Settings made on a whole row, a column
// or a range reach every cell they cover, and a later setting wins over an
// earlier one on the cells they share, as in a spreadsheet program; the
// format a cell is written with folds them in the order they were made.
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

enum class HorizontalAlignment { General, Left, Center, Right };

// What settings leave on a cell; unset parts keep the program's default.
struct CellFormat {
  std::optional<QString> fontName;
  std::optional<double> fontSize;
  std::optional<HorizontalAlignment> alignment;
  std::optional<QString> numberFormat;
  bool borders = false;  // a thin line on all four sides

  bool operator==(const CellFormat&) const = default;
};

// Column letters from column numbers counted from 1: 1 is "A", 26 "Z",
// 27 "AA".
QString ColumnLetters(int column);

class Worksheet;

// Cells from (top, left) to (bottom, right), rows and columns from 1; a
// whole row or column reaches to the sheet's edge.
class CellRange {
 public:
  void SetValue(const QVariant& value);  // text or number; an empty text empties the cell
  void SetFontName(const QString& name);
  void SetFontSize(double points);
  void SetHorizontalAlignment(HorizontalAlignment alignment);
  void SetNumberFormat(const QString& format);
  void SetBorders();
  void SetColumnWidth(double characters);  // for every column of the range
  // Merges the cells of the range into one (the top left keeps its value).
  void Merge();

 public:
  enum class Kind { Cells, Rows, Columns };

 private:
  friend class Worksheet;
  CellRange(Worksheet& sheet, Kind kind, int top, int left, int bottom, int right)
      : sheet_(sheet), kind_(kind), top_(top), left_(left), bottom_(bottom), right_(right) {}
  Worksheet& sheet_;
  Kind kind_;
  int top_, left_, bottom_, right_;
};

class Worksheet {
 public:
  CellRange Cells(int row, int column);
  CellRange Rows(int row);
  CellRange Columns(int column);
  // An A1 reference: "B3" or "A2:AA9"; throws std::invalid_argument for a
  // reference that names no cell.
  CellRange Range(const QString& reference);

  // What the sheet holds, as it will be written.
  QVariant Value(int row, int column) const;  // invalid for an empty cell
  CellFormat Format(int row, int column) const;
  std::optional<double> ColumnWidth(int column) const;
  struct Area {
    int top, left, bottom, right;
    bool operator==(const Area&) const = default;
  };
  const QList<Area>& Merges() const { return merges_; }
  // The last row and column that hold a value or a cell setting.
  int LastRow() const;
  int LastColumn() const;

 private:
  friend class CellRange;
  friend class Workbook;
  struct Setting {
    CellRange::Kind kind;
    Area area;
    CellFormat change;  // the parts this setting sets
  };
  void Apply(CellRange::Kind kind, const Area& area, const CellFormat& change);
  static bool Covers(const Setting& setting, int row, int column);
  CellFormat Fold(int row, int column, std::optional<CellRange::Kind> only = std::nullopt) const;

  QMap<std::pair<int, int>, QVariant> values_;
  QList<Setting> settings_;
  // Where each setting reaches, by its place in settings_: a sheet holds
  // thousands of one-cell settings, and a cell looks only at its own.
  QHash<std::pair<int, int>, QList<int>> byCell_;
  QHash<int, QList<int>> byRow_;
  QHash<int, QList<int>> byColumn_;
  QList<int> areas_;  // ranges of more than one cell
  QMap<int, double> widths_;
  QList<Area> merges_;
};

class Workbook {
 public:
  Workbook();
  ~Workbook();
  Workbook(Workbook&&) noexcept;
  Workbook& operator=(Workbook&&) noexcept;
  // The sheets from 1; a sheet asked for is made with those before it.
  Worksheet& Sheet(int index);
  int SheetCount() const { return static_cast<int>(sheets_.size()); }
  // Writes the workbook to path; empty on success, otherwise what went wrong.
  // Nothing is left at path when the write fails, and a file already there
  // is replaced only by a complete one.
  QString SaveAs(const QString& path) const;

 private:
  std::vector<std::unique_ptr<Worksheet>> sheets_;
};
