#pragma once
// Printed documents of the clinic windows: vouchers, slips and lists drawn
// straight on the default printer (or into a PDF file when there is none),
// in the font "宋体", with no preview.
//
// A document is a function over a PrinterCanvasReport. It places texts and
// lines at positions given in inches as sums of terms, each term rounded to
// device units by itself:
//
//   PrintResult r = PrintReport("患者退药凭证", [&](PrinterCanvasReport& doc) {
//     doc.SetFooter(CurrentUserName());
//     doc.SetFontSize(18);
//     doc.Title("患者退药凭证", 3, 1_in / 3, 3_in / 2, 7, 1_in / 3 + 1_in / 3);
//     doc.SetFontSize(8);
//     doc.HeadRow(medicine, 1_in / 3 + 1_in / 2 + 1_in / 7);
//     doc.Rows(medicine, query);
//     doc.FooterBelowLastRow();
//   });
//   if (!r) { ShowError(r.error); return; }
//
// Write a fraction as 1_in / 3 (or Inches(1, 3)), a decimal as 2.57_in, and
// keep every term of a sum an Inches: 1.5 + 3.5 in plain numbers would be
// one term, rounded once.
//
// Nothing is printed until the whole document has been drawn without an
// error: a failure (a text where an amount belongs, a database error, a
// printer or file that cannot be opened) leaves no page and no file behind,
// and the caller learns of it from the result.
#include <QList>
#include <QSize>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <utility>

class PrinterCanvasReport;

// How a printed page writes the moment it was printed, in its footer.
inline const QString kPrintedTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

// A position in inches: a sum of terms n/m, each converted to device units
// by itself as round-half-even(n × dpi / m), plus device units already known
// (the bottom of a row just drawn, say).
class Inches {
 public:
  Inches() = default;
  // Implicit, so that layouts read as written: 2 + 1 + 4_in / 5.
  Inches(int whole);
  Inches(double decimal);  // 2.57 is the term 257/100
  Inches(int n, int m);
  Inches(std::initializer_list<std::pair<int, int>> terms);

  // Device units at a resolution.
  int At(int dpi) const;

  friend Inches operator+(const Inches& a, const Inches& b);
  Inches& operator+=(const Inches& other);
  // k × t repeats every term k times: 2 × 0.59 is twice Round(0.59 × dpi).
  friend Inches operator*(int k, const Inches& t);
  // Divides every term: 1_in / 3 is the term 1/3.
  friend Inches operator/(const Inches& t, int divisor);

 private:
  friend Inches Units(int deviceUnits);
  QList<std::pair<int, int>> terms_;
  int units_ = 0;
};

// A position already in device units, to add terms to: Units(top) + 1_in / 20.
Inches Units(int deviceUnits);

Inches operator""_in(unsigned long long whole);
Inches operator""_in(long double decimal);

// What went wrong in a document; ends the job with this text.
class PrintError : public std::runtime_error {
 public:
  explicit PrintError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& text() const { return text_; }

 private:
  QString text_;
};

// The surface a document draws on, in device units of the printable area,
// (0, 0) at its top left. Texts are placed by their top left corner.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual int Dpi() const = 0;
  virtual QSize PageSize() const = 0;
  virtual void SetFont(const QString& name, int pointSize) = 0;
  virtual void TextOut(int x, int y, const QString& text) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  virtual void NewPage() = 0;
};

struct DrawnText {
  int page = 1;
  int x = 0;
  int y = 0;
  QString text;
  QString font;
  int size = 0;
};

struct DrawnLine {
  int page = 1;
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
};

// Keeps everything drawn, in order, so it can be checked or drawn again on
// another canvas. Its page defaults to a whole A4 sheet at the resolution.
class RecordingCanvas : public Canvas {
 public:
  explicit RecordingCanvas(int dpi = 100, QSize pageSize = QSize());

  int Dpi() const override { return dpi_; }
  QSize PageSize() const override { return pageSize_; }
  void SetFont(const QString& name, int pointSize) override;
  void TextOut(int x, int y, const QString& text) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void NewPage() override;

  const QList<DrawnText>& Texts() const { return texts_; }
  QList<DrawnText> TextsOnPage(int page) const;
  const QList<DrawnLine>& Lines() const { return lines_; }
  QList<DrawnLine> LinesOnPage(int page) const;
  // Every text drawn with exactly this content, on any page.
  QList<DrawnText> Find(const QString& text) const;
  int PageCount() const { return page_; }

  void Replay(Canvas& target) const;

 private:
  // The order of drawing, for Replay: fonts and page breaks as they came,
  // texts and lines by their place in texts_ and lines_.
  enum class Kind { Font, Text, Line, Page };
  struct Step {
    Kind kind;
    int index;
  };
  int dpi_;
  QSize pageSize_;
  int page_ = 1;
  QString font_;
  int size_ = 0;
  QList<Step> steps_;
  QList<std::pair<QString, int>> fonts_;
  QList<DrawnText> texts_;
  QList<DrawnLine> lines_;
};

enum class CellKind {
  Text,   // the field's text trimmed, as stored (quantities too)
  Amount  // the trimmed text as a number with two decimals; anything else aborts
};

struct PrintColumn {
  QString head;
  Inches headX;
  QString field;  // the query's field name; rows given as texts go by column order
  Inches cellX;
  CellKind kind = CellKind::Text;
};

// A ruled table: borders, separators between the columns, a head row and
// data rows, each row drawn with its own line segments.
struct PrintTable {
  QList<PrintColumn> columns;
  QList<Inches> separators;  // x of the lines between the columns, left to right
  Inches left = 1_in / 3;
  Inches right = 8;
  Inches headHeight = 1_in / 4;
  Inches rowHeight = 1_in / 5;
  Inches headTextDrop = 1_in / 20;
  Inches rowTextDrop = 1_in / 20;
  int headFontSize = 0;  // 0 keeps the size in use
  int rowFontSize = 0;
  // The head row drawn again at the top of a later page, given its top; by
  // default the table's own head row. Rows continue headHeight below it.
  std::function<void(PrinterCanvasReport&, int top)> continuationHead;
};

inline constexpr int kRowsPerListPage = 48;

// One printed document: positions in device units of its canvas, the font
// "宋体", the page number and the rows on the current page.
class PrinterCanvasReport {
 public:
  explicit PrinterCanvasReport(Canvas& canvas);

  // Paged lists break after this many data rows (kRowsPerListPage); other
  // documents break only when the page is full.
  void BreakAfterRows(int rows) { rowsPerPage_ = rows; }
  // Where the head row of a later page stands (1/2 in).
  void SetContinuationTop(const Inches& top) { continuationTop_ = top; }
  // Room kept below a row's top for what follows the last row, on top of
  // one line of the footer's font (1/4 in: the footer line itself).
  void KeepRoomBelowRow(const Inches& room) { roomBelowRow_ = room; }

  // The document has a footer with this operator text: at every page break
  // and where FooterBelowLastRow puts it. Without it a document has none.
  void SetFooter(const QString& operatorText);
  // "本页品种：" and the rows on the page come first.
  void SetFooterRowCount(bool shown) { footerRowCount_ = shown; }
  void SetFooterFontSize(int points) { footerFontSize_ = points; }
  // The x of the six footer texts, each a step from the one before
  // (2, 1, 1, 4/5, 2, 1/2); some documents step otherwise.
  void SetFooterSteps(const QList<Inches>& steps) { footerSteps_ = steps; }

  int Dpi() const { return dpi_; }
  // round-half-even(n × dpi / m)
  int Term(int n, int m = 1) const;
  int At(const Inches& position) const { return position.At(dpi_); }
  int PageHeight() const;

  void SetFontSize(int points);
  int FontSize() const { return fontSize_; }
  void Text(const Inches& x, const Inches& y, const QString& text);
  void Line(const Inches& x1, const Inches& y1, const Inches& x2, const Inches& y2);
  // The title at (x, y) with two rules from ruleFrom to ruleTo under it, the
  // second 1/30 in below the first.
  void Title(const QString& text, const Inches& x, const Inches& y, const Inches& ruleFrom,
             const Inches& ruleTo, const Inches& ruleY);
  void DoubleRule(const Inches& from, const Inches& to, const Inches& y);

  // The head row with its top at top; it becomes the last row drawn. A head
  // that would leave no room for a row starts a new page. Returns its bottom.
  int HeadRow(const PrintTable& table, const Inches& top);
  // The top for a block this high meant to stand at y: y when it fits on
  // the page, otherwise the continuation top of a new page (after the
  // footer, when the document has one). A section title and its head row
  // go over as one block, so that no title stays alone at a page's foot.
  int KeepOnPage(const Inches& y, int height);
  // How many data rows fit below the last row drawn before the foot of the
  // page (no break counted).
  int RowsThatFit(const PrintTable& table) const;
  // The height of a text line in this font size, in device units.
  int TextHeight(int points) const;
  // One data row below the last row drawn, after a page break when the page
  // has its rows or no room is left. Returns the row's bottom.
  int Row(const PrintTable& table, const QStringList& fields);
  void Rows(const PrintTable& table, const QList<QStringList>& rows);
  // Every row of an executed query, fields by the columns' names.
  void Rows(const PrintTable& table, QSqlQuery& query);

  // The footer line at y in the footer's font, whatever SetFooter said.
  void PrintFooter(const Inches& y, const QString& operatorText, int page);
  // The same, after "本页品种：" at 1 in and the rows on the page at 1 1/2 in.
  void PrintFooter(const Inches& y, const QString& operatorText, int page, int rowsOnPage);
  // The footer 1/4 in below the top of the last row drawn, with this page's
  // number and rows.
  void FooterBelowLastRow();

  void NewPage();
  int Page() const { return page_; }
  int RowsOnPage() const { return rowsOnPage_; }
  int LastRowTop() const { return lastTop_; }
  int LastRowBottom() const { return lastBottom_; }

 private:
  void BreakPage();
  bool HasRoom(int top, int height) const;
  QStringList CellTexts(const PrintTable& table, const QStringList& fields) const;

  Canvas& canvas_;
  int dpi_;
  int fontSize_ = 0;
  int rowsPerPage_ = 0;
  Inches continuationTop_ = 1_in / 2;
  Inches roomBelowRow_ = 1_in / 4;
  bool footer_ = false;
  QString operatorText_;
  bool footerRowCount_ = false;
  int footerFontSize_ = 0;
  QList<Inches> footerSteps_ = {2, 1, 1, 4_in / 5, 2, 1_in / 2};
  int page_ = 1;
  int rowsOnPage_ = 0;
  int lastTop_ = 0;
  int lastBottom_ = 0;
  bool tableOnPage_ = false;  // a head or data row stands on this page
  bool freshPage_ = false;    // the page began with a break
};

// An amount cell: the trimmed text as a number with two decimals, no
// thousands separator. Throws PrintError when the text is not a number.
QString PrintedAmount(const QString& fieldText);

using DrawDocument = std::function<void(PrinterCanvasReport&)>;

// Draws a document on a canvas; empty on success, otherwise the error that
// ended it, never empty (an exception may come without words).
QString DrawOn(Canvas& canvas, const DrawDocument& draw);
// The error a failed document reports: its own, or a plain failure when it
// came without words.
QString FailureText(const QString& error);

struct PrintResult {
  // Why not, when the document was not printed: never empty then, as every
  // failure goes through FailureText.
  QString error;
  QString file;  // the PDF written; empty on a printer
  explicit operator bool() const { return error.isEmpty(); }
};

// Prints a document under a title: on the default printer, or as a PDF in
// the print folder when the settings name one (brimwick.ini, print/folder;
// the environment's BRIMWICK_PRINT_DIR overrides) or there is no printer
// (then the data folder's prints/).
PrintResult PrintReport(const QString& title, const DrawDocument& draw);

// Where PrintReport puts its PDF files; empty when it prints on the default
// printer.
QString PrintFolder();

// The face a document's font name prints in: "宋体" prints in a face whose
// text reads back exactly from our PDFs, whatever the screen shows for it.
QString PrintFace(const QString& name);

// Test seam: window tests record the documents a window prints instead of
// printing them.
namespace PrintOutput {
struct RecordedJob {
  QString title;
  RecordingCanvas canvas;
};
void RecordInstead(int dpi = 100, QSize pageSize = QSize());
// The next job fails with this text before anything is drawn.
void FailNext(const QString& error);
void PrintNormally();
const QList<RecordedJob>& RecordedJobs();
void ClearRecordedJobs();
}  // namespace PrintOutput
