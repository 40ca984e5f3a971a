#include "platform/spreadsheet.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {
// Far enough for "a whole row": the last column and row of an .xlsx sheet.
constexpr int kLastColumn = 16384;
constexpr int kLastRow = 1048576;

int ColumnNumber(const QString& letters) {
  int column = 0;
  for (const QChar c : letters) column = column * 26 + (c.unicode() - 'A' + 1);
  return column;
}

std::pair<int, int> CellReference(const QString& text) {
  static const QRegularExpression cell(QStringLiteral("^([A-Z]{1,3})([1-9][0-9]*)$"));
  const QRegularExpressionMatch m = cell.match(text.trimmed().toUpper());
  if (!m.hasMatch()) throw std::invalid_argument("no cell reference: " + text.toStdString());
  const int column = ColumnNumber(m.captured(1));
  const int row = m.captured(2).toInt();
  if (column > kLastColumn || row > kLastRow) throw std::invalid_argument("outside the sheet: " + text.toStdString());
  return {row, column};
}

void Merge(CellFormat& into, const CellFormat& change) {
  if (change.fontName) into.fontName = change.fontName;
  if (change.fontSize) into.fontSize = change.fontSize;
  if (change.alignment) into.alignment = change.alignment;
  if (change.numberFormat) into.numberFormat = change.numberFormat;
  if (change.borders) into.borders = true;
}

bool IsDefault(const CellFormat& format) { return format == CellFormat{}; }

// One libxlsxwriter format per distinct folded format.
class Formats {
 public:
  explicit Formats(lxw_workbook* book) : book_(book) {}
  lxw_format* For(const CellFormat& format) {
    if (IsDefault(format)) return nullptr;
    for (const auto& [known, made] : made_)
      if (known == format) return made;
    lxw_format* f = workbook_add_format(book_);
    if (format.fontName) format_set_font_name(f, format.fontName->toUtf8().constData());
    if (format.fontSize) format_set_font_size(f, *format.fontSize);
    if (format.alignment) {
      switch (*format.alignment) {
        case HorizontalAlignment::General: break;
        case HorizontalAlignment::Left: format_set_align(f, LXW_ALIGN_LEFT); break;
        case HorizontalAlignment::Center: format_set_align(f, LXW_ALIGN_CENTER); break;
        case HorizontalAlignment::Right: format_set_align(f, LXW_ALIGN_RIGHT); break;
      }
    }
    if (format.numberFormat) format_set_num_format(f, format.numberFormat->toUtf8().constData());
    if (format.borders) format_set_border(f, LXW_BORDER_THIN);
    made_.append({format, f});
    return f;
  }

 private:
  lxw_workbook* book_;
  QList<std::pair<CellFormat, lxw_format*>> made_;
};

lxw_error WriteValue(lxw_worksheet* sheet, int row, int column, const QVariant& value, lxw_format* format) {
  const auto r = static_cast<lxw_row_t>(row - 1);
  const auto c = static_cast<lxw_col_t>(column - 1);
  if (!value.isValid()) return format ? worksheet_write_blank(sheet, r, c, format) : LXW_NO_ERROR;
  if (value.typeId() == QMetaType::QString) return worksheet_write_string(sheet, r, c, value.toString().toUtf8().constData(), format);
  return worksheet_write_number(sheet, r, c, value.toDouble(), format);
}

// Row heights grow with a large font, as a spreadsheet program lays them out.
double RowHeight(const CellFormat& rowFormat) {
  if (!rowFormat.fontSize || *rowFormat.fontSize <= 11) return LXW_DEF_ROW_HEIGHT;
  return std::round(*rowFormat.fontSize * 1.35);
}
}  // namespace

QString ColumnLetters(int column) {
  QString letters;
  for (int n = column; n > 0; n = (n - 1) / 26) letters.prepend(QChar('A' + (n - 1) % 26));
  return letters;
}

// ---- ranges -----------------------------------------------------------------

void CellRange::SetValue(const QVariant& value) {
  for (int row = top_; row <= bottom_ && kind_ == Kind::Cells; ++row)
    for (int column = left_; column <= right_; ++column) {
      const bool empty = !value.isValid() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
      if (empty)
        sheet_.values_.remove({row, column});
      else
        sheet_.values_.insert({row, column}, value);
    }
}

void CellRange::SetFontName(const QString& name) {
  CellFormat change;
  change.fontName = name;
  sheet_.Apply(kind_, {top_, left_, bottom_, right_}, change);
}

void CellRange::SetFontSize(double points) {
  CellFormat change;
  change.fontSize = points;
  sheet_.Apply(kind_, {top_, left_, bottom_, right_}, change);
}

void CellRange::SetHorizontalAlignment(HorizontalAlignment alignment) {
  CellFormat change;
  change.alignment = alignment;
  sheet_.Apply(kind_, {top_, left_, bottom_, right_}, change);
}

void CellRange::SetNumberFormat(const QString& format) {
  CellFormat change;
  change.numberFormat = format;
  sheet_.Apply(kind_, {top_, left_, bottom_, right_}, change);
}

void CellRange::SetBorders() {
  CellFormat change;
  change.borders = true;
  sheet_.Apply(kind_, {top_, left_, bottom_, right_}, change);
}

void CellRange::SetColumnWidth(double characters) {
  for (int column = left_; column <= std::min(right_, kLastColumn); ++column) sheet_.widths_.insert(column, characters);
}

void CellRange::Merge() {
  if (kind_ != Kind::Cells) throw std::invalid_argument("only a range of cells merges");
  sheet_.merges_.append({top_, left_, bottom_, right_});
}

// ---- sheets -----------------------------------------------------------------

CellRange Worksheet::Cells(int row, int column) { return {*this, CellRange::Kind::Cells, row, column, row, column}; }
CellRange Worksheet::Rows(int row) { return {*this, CellRange::Kind::Rows, row, 1, row, kLastColumn}; }
CellRange Worksheet::Columns(int column) { return {*this, CellRange::Kind::Columns, 1, column, kLastRow, column}; }

CellRange Worksheet::Range(const QString& reference) {
  const QStringList ends = reference.split(QLatin1Char(':'));
  if (ends.size() > 2) throw std::invalid_argument("no range: " + reference.toStdString());
  const auto [top, left] = CellReference(ends.first());
  const auto [bottom, right] = CellReference(ends.last());
  return {*this, CellRange::Kind::Cells, std::min(top, bottom), std::min(left, right), std::max(top, bottom),
          std::max(left, right)};
}

void Worksheet::Apply(CellRange::Kind kind, const Area& area, const CellFormat& change) {
  const int index = static_cast<int>(settings_.size());
  settings_.append({kind, area, change});
  switch (kind) {
    case CellRange::Kind::Rows:
      for (int r = area.top; r <= area.bottom; ++r) byRow_[r].append(index);
      break;
    case CellRange::Kind::Columns:
      for (int c = area.left; c <= area.right; ++c) byColumn_[c].append(index);
      break;
    case CellRange::Kind::Cells:
      if (area.top == area.bottom && area.left == area.right)
        byCell_[{area.top, area.left}].append(index);
      else
        areas_.append(index);
      break;
  }
}

bool Worksheet::Covers(const Setting& s, int row, int column) {
  switch (s.kind) {
    case CellRange::Kind::Rows: return row >= s.area.top && row <= s.area.bottom;
    case CellRange::Kind::Columns: return column >= s.area.left && column <= s.area.right;
    case CellRange::Kind::Cells: break;
  }
  return row >= s.area.top && row <= s.area.bottom && column >= s.area.left && column <= s.area.right;
}

CellFormat Worksheet::Fold(int row, int column, std::optional<CellRange::Kind> only) const {
  // The settings that reach the cell, in the order they were made.
  QList<int> reaching;
  if (!only || *only == CellRange::Kind::Rows) reaching += byRow_.value(row);
  if (!only || *only == CellRange::Kind::Columns) reaching += byColumn_.value(column);
  if (!only || *only == CellRange::Kind::Cells) {
    reaching += byCell_.value({row, column});
    for (int index : areas_)
      if (Covers(settings_.at(index), row, column)) reaching.append(index);
  }
  std::sort(reaching.begin(), reaching.end());
  CellFormat format;
  for (int index : reaching) ::Merge(format, settings_.at(index).change);
  return format;
}

QVariant Worksheet::Value(int row, int column) const { return values_.value({row, column}); }

CellFormat Worksheet::Format(int row, int column) const { return Fold(row, column); }

std::optional<double> Worksheet::ColumnWidth(int column) const {
  const auto it = widths_.find(column);
  if (it == widths_.end()) return std::nullopt;
  return *it;
}

int Worksheet::LastRow() const {
  int last = 0;
  for (auto it = values_.keyBegin(); it != values_.keyEnd(); ++it) last = std::max(last, it->first);
  for (const Setting& s : settings_)
    if (s.kind == CellRange::Kind::Cells) last = std::max(last, s.area.bottom);
  for (const Area& a : merges_) last = std::max(last, a.bottom);
  return last;
}

int Worksheet::LastColumn() const {
  int last = 0;
  for (auto it = values_.keyBegin(); it != values_.keyEnd(); ++it) last = std::max(last, it->second);
  for (const Setting& s : settings_)
    if (s.kind == CellRange::Kind::Cells) last = std::max(last, s.area.right);
  for (const Area& a : merges_) last = std::max(last, a.right);
  return last;
}

// ---- workbooks --------------------------------------------------------------

Workbook::Workbook() = default;
Workbook::~Workbook() = default;
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;

Worksheet& Workbook::Sheet(int index) {
  while (SheetCount() < index) sheets_.push_back(std::make_unique<Worksheet>());
  return *sheets_.at(static_cast<size_t>(index - 1));
}

QString Workbook::SaveAs(const QString& path) const {
  // Written beside the target under a passing name and moved into place
  // only when complete, so a failed write leaves nothing half made.
  const QFileInfo target(path);
  const QString partial =
      target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".part");
  lxw_workbook* book = workbook_new(QFile::encodeName(partial).constData());
  if (!book) return QStringLiteral("无法建立工作簿");
  Formats formats(book);
  lxw_error error = LXW_NO_ERROR;
  auto keep = [&error](lxw_error e) {
    if (error == LXW_NO_ERROR) error = e;
  };
  const std::vector<std::unique_ptr<Worksheet>>& sheets = sheets_;
  for (size_t i = 0; i < std::max<size_t>(sheets.size(), 1); ++i) {
    lxw_worksheet* out = workbook_add_worksheet(book, nullptr);
    if (!out || i >= sheets.size()) continue;
    const Worksheet& sheet = *sheets.at(i);

    QSet<int> rows;
    QSet<int> columns;
    for (const Worksheet::Setting& s : sheet.settings_) {
      if (s.kind == CellRange::Kind::Rows)
        for (int r = s.area.top; r <= s.area.bottom; ++r) rows.insert(r);
      if (s.kind == CellRange::Kind::Columns)
        for (int c = s.area.left; c <= s.area.right; ++c) columns.insert(c);
    }
    for (auto it = sheet.widths_.keyBegin(); it != sheet.widths_.keyEnd(); ++it) columns.insert(*it);
    for (int c : columns) {
      const auto col = static_cast<lxw_col_t>(c - 1);
      keep(worksheet_set_column(out, col, col, sheet.widths_.value(c, LXW_DEF_COL_WIDTH),
                                formats.For(sheet.Fold(kLastRow, c, CellRange::Kind::Columns))));
    }
    for (int r : rows) {
      const CellFormat rowFormat = sheet.Fold(r, kLastColumn, CellRange::Kind::Rows);
      keep(worksheet_set_row(out, static_cast<lxw_row_t>(r - 1), RowHeight(rowFormat), formats.For(rowFormat)));
    }

    // Every cell that holds a value or lies in a range that was set.
    QSet<std::pair<int, int>> cells;
    for (auto it = sheet.values_.keyBegin(); it != sheet.values_.keyEnd(); ++it) cells.insert(*it);
    for (const Worksheet::Setting& s : sheet.settings_)
      if (s.kind == CellRange::Kind::Cells)
        for (int r = s.area.top; r <= s.area.bottom; ++r)
          for (int c = s.area.left; c <= s.area.right; ++c) cells.insert({r, c});
    for (const Worksheet::Area& a : sheet.merges_) {
      keep(worksheet_merge_range(out, static_cast<lxw_row_t>(a.top - 1), static_cast<lxw_col_t>(a.left - 1),
                                 static_cast<lxw_row_t>(a.bottom - 1), static_cast<lxw_col_t>(a.right - 1), "",
                                 formats.For(sheet.Fold(a.top, a.left))));
      for (int r = a.top; r <= a.bottom; ++r)
        for (int c = a.left; c <= a.right; ++c)
          if (r != a.top || c != a.left) cells.remove({r, c});
      if (!sheet.Value(a.top, a.left).isValid()) cells.remove({a.top, a.left});
    }
    QList<std::pair<int, int>> ordered(cells.begin(), cells.end());
    std::sort(ordered.begin(), ordered.end());
    for (const auto& [r, c] : ordered) keep(WriteValue(out, r, c, sheet.Value(r, c), formats.For(sheet.Fold(r, c))));
  }
  const lxw_error closed = workbook_close(book);
  if (error == LXW_NO_ERROR) error = closed;
  if (error != LXW_NO_ERROR) {
    QFile::remove(partial);
    return QString::fromUtf8(lxw_strerror(error));
  }
  if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) !=
      0) {
    QFile::remove(partial);
    return QStringLiteral("无法写入文件 %1").arg(QDir::toNativeSeparators(path));
  }
  return QString();
}
