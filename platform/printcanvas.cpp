#include "platform/printcanvas.h"

#include "platform/datadir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QSqlRecord>
#include <cmath>

#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/numbers.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {
const QString kFontName = QStringLiteral("宋体");
// The face that stands in for it: with it, text read back from our PDFs is
// exactly the text printed.
const QString kPrintFace = QStringLiteral("AR PL UMing CN");
const QString kPrintedBy = QStringLiteral("打印制表人帐号");
const QString kPrintedAt = QStringLiteral("打印制表时间");
const QString kPageLabel = QStringLiteral("当前页码：");
const QString kRowsLabel = QStringLiteral("本页品种：");
const QString kFooterTime = QStringLiteral("yyyy-MM-dd hh:mm:ss");

// Exact: n × dpi / m as a fraction, to the nearest whole number, halves to
// the even neighbour.
long long RoundHalfEven(long long numerator, long long denominator) {
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  long long quotient = numerator / denominator;
  long long remainder = numerator % denominator;
  if (remainder < 0) {
    remainder += denominator;
    --quotient;
  }
  const long long twice = 2 * remainder;
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
  return quotient;
}

// 2.57 stands for the term 257/100: find the power of ten that makes the
// decimal whole.
std::pair<int, int> DecimalTerm(double decimal) {
  long long scale = 1;
  for (int digits = 0; digits <= 6; ++digits, scale *= 10) {
    const double scaled = decimal * static_cast<double>(scale);
    const double whole = std::round(scaled);
    if (std::fabs(scaled - whole) < 1e-6) return {static_cast<int>(whole), static_cast<int>(scale)};
  }
  return {static_cast<int>(std::llround(decimal * 1e6)), 1000000};
}
}  // namespace

// ---- Inches -----------------------------------------------------------------

Inches::Inches(int whole) : terms_{{whole, 1}} {}
Inches::Inches(double decimal) : terms_{DecimalTerm(decimal)} {}
Inches::Inches(int n, int m) : terms_{{n, m}} {}
Inches::Inches(std::initializer_list<std::pair<int, int>> terms) : terms_(terms) {}

int Inches::At(int dpi) const {
  long long sum = units_;
  for (const auto& [n, m] : terms_) sum += RoundHalfEven(static_cast<long long>(n) * dpi, m);
  return static_cast<int>(sum);
}

Inches operator+(const Inches& a, const Inches& b) {
  Inches sum = a;
  sum += b;
  return sum;
}

Inches& Inches::operator+=(const Inches& other) {
  terms_ += other.terms_;
  units_ += other.units_;
  return *this;
}

Inches operator*(int k, const Inches& t) {
  Inches product;
  for (int i = 0; i < k; ++i) product += t;
  return product;
}

Inches operator/(const Inches& t, int divisor) {
  Inches quotient = t;
  for (auto& term : quotient.terms_) term.second *= divisor;
  return quotient;
}

Inches Units(int deviceUnits) {
  Inches units;
  units.units_ = deviceUnits;
  return units;
}

Inches operator""_in(unsigned long long whole) { return Inches(static_cast<int>(whole)); }
Inches operator""_in(long double decimal) { return Inches(static_cast<double>(decimal)); }

// ---- RecordingCanvas --------------------------------------------------------

RecordingCanvas::RecordingCanvas(int dpi, QSize pageSize) : dpi_(dpi), pageSize_(pageSize) {
  if (!pageSize_.isValid())
    pageSize_ = QSize(Inches(827, 100).At(dpi), Inches(1169, 100).At(dpi));
}

void RecordingCanvas::SetFont(const QString& name, int pointSize) {
  font_ = name;
  size_ = pointSize;
  steps_.append({Kind::Font, static_cast<int>(fonts_.size())});
  fonts_.append({name, pointSize});
}

void RecordingCanvas::TextOut(int x, int y, const QString& text) {
  steps_.append({Kind::Text, static_cast<int>(texts_.size())});
  texts_.append({page_, x, y, text, font_, size_});
}

void RecordingCanvas::Line(int x1, int y1, int x2, int y2) {
  steps_.append({Kind::Line, static_cast<int>(lines_.size())});
  lines_.append({page_, x1, y1, x2, y2});
}

void RecordingCanvas::NewPage() {
  steps_.append({Kind::Page, page_});
  ++page_;
}

namespace {
template <typename Drawn>
QList<Drawn> OnPage(const QList<Drawn>& drawn, int page) {
  QList<Drawn> found;
  for (const Drawn& d : drawn)
    if (d.page == page) found.append(d);
  return found;
}
}  // namespace

QList<DrawnText> RecordingCanvas::TextsOnPage(int page) const { return OnPage(texts_, page); }

QList<DrawnLine> RecordingCanvas::LinesOnPage(int page) const { return OnPage(lines_, page); }

QList<DrawnText> RecordingCanvas::Find(const QString& text) const {
  QList<DrawnText> found;
  for (const DrawnText& t : texts_)
    if (t.text == text) found.append(t);
  return found;
}

void RecordingCanvas::Replay(Canvas& target) const {
  for (const Step& step : steps_) {
    switch (step.kind) {
      case Kind::Font: {
        const auto& [name, size] = fonts_.at(step.index);
        target.SetFont(name, size);
        break;
      }
      case Kind::Text: {
        const DrawnText& t = texts_.at(step.index);
        target.TextOut(t.x, t.y, t.text);
        break;
      }
      case Kind::Line: {
        const DrawnLine& l = lines_.at(step.index);
        target.Line(l.x1, l.y1, l.x2, l.y2);
        break;
      }
      case Kind::Page: target.NewPage(); break;
    }
  }
}

// ---- PrinterCanvasReport ----------------------------------------------------

PrinterCanvasReport::PrinterCanvasReport(Canvas& canvas) : canvas_(canvas), dpi_(canvas.Dpi()) {
  SetFontSize(10);
}

void PrinterCanvasReport::SetFooter(const QString& operatorText) {
  footer_ = true;
  operatorText_ = operatorText;
}

int PrinterCanvasReport::Term(int n, int m) const { return Inches(n, m).At(dpi_); }

int PrinterCanvasReport::PageHeight() const { return canvas_.PageSize().height(); }

void PrinterCanvasReport::SetFontSize(int points) {
  if (points <= 0 || points == fontSize_) return;
  fontSize_ = points;
  canvas_.SetFont(kFontName, points);
}

void PrinterCanvasReport::Text(const Inches& x, const Inches& y, const QString& text) {
  canvas_.TextOut(At(x), At(y), text);
}

void PrinterCanvasReport::Line(const Inches& x1, const Inches& y1, const Inches& x2, const Inches& y2) {
  canvas_.Line(At(x1), At(y1), At(x2), At(y2));
}

void PrinterCanvasReport::Title(const QString& text, const Inches& x, const Inches& y, const Inches& ruleFrom,
                                const Inches& ruleTo, const Inches& ruleY) {
  Text(x, y, text);
  DoubleRule(ruleFrom, ruleTo, ruleY);
}

void PrinterCanvasReport::DoubleRule(const Inches& from, const Inches& to, const Inches& y) {
  Line(from, y, to, y);
  Line(from, y + 1_in / 30, to, y + 1_in / 30);
}

int PrinterCanvasReport::LineHeight(int points) const {
  return static_cast<int>(std::ceil(static_cast<double>(points) * dpi_ / 72.0));
}

// Room for a row of this height at top, and for the footer that may follow
// it, on the printable page.
bool PrinterCanvasReport::HasRoom(int top, int height) const {
  int needed = height;
  if (footer_) {
    const int size = footerFontSize_ > 0 ? footerFontSize_ : fontSize_;
    needed = std::max(needed, At(roomBelowRow_) + LineHeight(size));
  }
  return top + needed <= PageHeight();
}

int PrinterCanvasReport::HeadRow(const PrintTable& table, const Inches& top) {
  int y = At(top);
  const int height = At(table.headHeight);
  if (tableOnPage_ && !HasRoom(y + height, At(table.rowHeight))) {
    BreakPage();
    y = At(continuationTop_);
  }
  SetFontSize(table.headFontSize);
  const int left = At(table.left);
  const int right = At(table.right);
  canvas_.Line(left, y, right, y);
  canvas_.Line(left, y, left, y + height);
  for (const Inches& separator : table.separators) canvas_.Line(At(separator), y, At(separator), y + height);
  canvas_.Line(right, y, right, y + height);
  const int textY = y + At(table.headTextDrop);
  for (const PrintColumn& column : table.columns) canvas_.TextOut(At(column.headX), textY, column.head);
  canvas_.Line(left, y + height, right, y + height);
  lastTop_ = y;
  lastBottom_ = y + height;
  tableOnPage_ = true;
  return lastBottom_;
}

QStringList PrinterCanvasReport::CellTexts(const PrintTable& table, const QStringList& fields) const {
  QStringList cells;
  for (int i = 0; i < table.columns.size(); ++i) {
    const QString field = i < fields.size() ? fields.at(i).trimmed() : QString();
    cells << (table.columns.at(i).kind == CellKind::Amount ? PrintedAmount(field) : field);
  }
  return cells;
}

int PrinterCanvasReport::Row(const PrintTable& table, const QStringList& fields) {
  const QStringList cells = CellTexts(table, fields);
  const int height = At(table.rowHeight);
  const bool pageFull = rowsPerPage_ > 0 && rowsOnPage_ >= rowsPerPage_;
  // A page that holds no row yet after a break takes the row anyway: a
  // second break would not give it more room.
  const bool noRoom = !HasRoom(lastBottom_, height) && (rowsOnPage_ > 0 || !freshPage_);
  if (pageFull || noRoom) {
    BreakPage();
    const int top = At(continuationTop_);
    if (table.continuationHead)
      table.continuationHead(*this, top);
    else
      HeadRow(table, Units(top));
    lastTop_ = top;
    lastBottom_ = top + At(table.headHeight);
    tableOnPage_ = true;
  }
  SetFontSize(table.rowFontSize);
  const int y = lastBottom_;
  const int left = At(table.left);
  const int right = At(table.right);
  const int textY = y + At(table.rowTextDrop);
  canvas_.Line(left, y, left, y + height);
  for (int i = 0; i < cells.size(); ++i) {
    canvas_.TextOut(At(table.columns.at(i).cellX), textY, cells.at(i));
    if (i < table.separators.size()) {
      const int x = At(table.separators.at(i));
      canvas_.Line(x, y, x, y + height);
    }
  }
  for (int i = cells.size(); i < table.separators.size(); ++i) {
    const int x = At(table.separators.at(i));
    canvas_.Line(x, y, x, y + height);
  }
  canvas_.Line(right, y, right, y + height);
  canvas_.Line(left, y + height, right, y + height);
  lastTop_ = y;
  lastBottom_ = y + height;
  ++rowsOnPage_;
  tableOnPage_ = true;
  return lastBottom_;
}

void PrinterCanvasReport::Rows(const PrintTable& table, const QList<QStringList>& rows) {
  for (const QStringList& row : rows) Row(table, row);
}

void PrinterCanvasReport::Rows(const PrintTable& table, QSqlQuery& query) {
  QList<int> indexes;
  const QSqlRecord record = query.record();
  for (int i = 0; i < table.columns.size(); ++i) {
    const QString& field = table.columns.at(i).field;
    const int index = field.isEmpty() ? i : record.indexOf(field);
    if (index < 0) throw PrintError(QStringLiteral("打印的数据里没有字段“%1”").arg(field));
    indexes << index;
  }
  while (query.next()) {
    QStringList fields;
    for (int index : indexes) fields << CellText(query.value(index));
    Row(table, fields);
  }
}

void PrinterCanvasReport::PrintFooter(const Inches& y, const QString& operatorText, int page) {
  const int keptSize = fontSize_;
  SetFontSize(footerFontSize_);
  const QString texts[] = {kPrintedBy, operatorText, kPrintedAt, Clock::now().toString(kFooterTime), kPageLabel,
                           QString::number(page)};
  Inches x;
  for (int i = 0; i < 6 && i < footerSteps_.size(); ++i) {
    x += footerSteps_.at(i);
    Text(x, y, texts[i]);
  }
  SetFontSize(keptSize);
}

void PrinterCanvasReport::PrintFooter(const Inches& y, const QString& operatorText, int page, int rowsOnPage) {
  const int keptSize = fontSize_;
  SetFontSize(footerFontSize_);
  Text(1, y, kRowsLabel);
  Text(1 + 1_in / 2, y, QString::number(rowsOnPage));
  PrintFooter(y, operatorText, page);
  SetFontSize(keptSize);
}

void PrinterCanvasReport::FooterBelowLastRow() {
  const Inches y = Units(lastTop_) + 1_in / 4;
  if (footerRowCount_)
    PrintFooter(y, operatorText_, page_, rowsOnPage_);
  else
    PrintFooter(y, operatorText_, page_);
}

void PrinterCanvasReport::BreakPage() {
  if (footer_) FooterBelowLastRow();
  NewPage();
}

void PrinterCanvasReport::NewPage() {
  canvas_.NewPage();
  ++page_;
  rowsOnPage_ = 0;
  tableOnPage_ = false;
  freshPage_ = true;
  lastTop_ = lastBottom_ = At(continuationTop_);
}

// ---- amounts and running a document ----------------------------------------

QString PrintedAmount(const QString& fieldText) {
  const QString text = fieldText.trimmed();
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || !std::isfinite(value))
    throw PrintError(QStringLiteral("对不起，金额“%1”不是数字，打印已取消").arg(text));
  // Half away from zero on the written figure (1.005 prints 1.01), and
  // never "-0.00".
  return FixedText(value, 2);
}

namespace {
// A document that failed says so even when the error came without words.
QString FailureText(const QString& error) {
  return error.trimmed().isEmpty() ? QStringLiteral("对不起，打印失败") : error;
}
}  // namespace

QString DrawOn(Canvas& canvas, const DrawDocument& draw) {
  SubstitutePrintFont();
  try {
    PrinterCanvasReport report(canvas);
    draw(report);
    return QString();
  } catch (const PrintError& e) {
    return FailureText(e.text());
  } catch (const std::exception& e) {
    return FailureText(QString::fromUtf8(e.what()));
  }
}

namespace {
// The page as a printer gives it: the printable area at the printer's
// resolution. Texts are placed by their top, Qt draws at the baseline.
class PainterCanvas : public Canvas {
 public:
  PainterCanvas(QPrinter& printer, QPainter& painter) : printer_(printer), painter_(painter) {
    // The thinnest line a reader still sees on paper.
    QPen pen(Qt::black);
    pen.setWidth(std::max(1, printer.logicalDpiX() / 300));
    painter_.setPen(pen);
  }
  int Dpi() const override { return printer_.logicalDpiX(); }
  QSize PageSize() const override { return printer_.pageRect(QPrinter::DevicePixel).size().toSize(); }
  void SetFont(const QString& name, int pointSize) override {
    QFont font(name);
    font.setPointSize(pointSize);
    painter_.setFont(font);
  }
  void TextOut(int x, int y, const QString& text) override {
    painter_.drawText(x, y + painter_.fontMetrics().ascent(), text);
  }
  void Line(int x1, int y1, int x2, int y2) override { painter_.drawLine(x1, y1, x2, y2); }
  void NewPage() override {
    if (!printer_.newPage()) throw PrintError(QStringLiteral("对不起，打印机无法换页，打印已取消"));
  }

 private:
  QPrinter& printer_;
  QPainter& painter_;
};

QString FileTitle(const QString& title) {
  QString name = title.trimmed();
  for (QChar& c : name)
    if (c.isSpace() || QStringLiteral("/\\:*?\"<>|").contains(c) || c.category() == QChar::Other_Control)
      c = QLatin1Char('_');
  return name.isEmpty() ? QStringLiteral("打印") : name;
}

// Takes a name not yet taken in the folder, from the title and the moment:
// the file and its ".part" beside it are created here, each only if no one
// else has created it, so two desks printing the same title in the same
// second each get their own. Empty when the folder refuses new files.
QString ReservePdfPath(const QString& folder, const QString& title) {
  const QString stem = QDir(folder).filePath(FileTitle(title) + Clock::now().toString(QStringLiteral("-yyyyMMdd-hhmmss")));
  for (int n = 1; n < 10000; ++n) {
    const QString path = n == 1 ? stem + QStringLiteral(".pdf") : stem + QStringLiteral("-%1.pdf").arg(n);
    QFile reserved(path);
    if (!reserved.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      if (reserved.exists()) continue;
      return QString();
    }
    reserved.close();
    QFile part(path + QStringLiteral(".part"));
    if (part.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return path;
    QFile::remove(path);
  }
  return QString();
}

// The PDF writer reports no failed write: a file cut short by a full disk
// comes back as done. A whole file reaches the disk (flushed) and ends
// with its trailer.
bool WholePdfOnDisk(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite)) return false;
  if (::fsync(file.handle()) != 0) return false;
  const qint64 size = file.size();
  if (size < 16 || !file.seek(std::max<qint64>(0, size - 64))) return false;
  return file.readAll().trimmed().endsWith("%%EOF");
}

struct Seam {
  bool recording = false;
  int dpi = 100;
  QSize pageSize;
  QString failNext;
  QList<PrintOutput::RecordedJob> jobs;
};

Seam& seam() {
  static Seam s;
  return s;
}

PrintResult Failed(const QString& error, const QString& partFile) {
  if (!partFile.isEmpty()) {
    QFile::remove(partFile);
    // The name the part was reserved under goes too.
    if (partFile.endsWith(QStringLiteral(".part"))) QFile::remove(partFile.chopped(5));
  }
  return {false, FailureText(error), QString()};
}
}  // namespace

void SubstitutePrintFont() {
  // Part of printing itself, so that a document prints in the same face
  // whether or not the windows' setup ran first.
  if (!QFont::substitutes(kFontName).contains(kPrintFace, Qt::CaseInsensitive))
    QFont::insertSubstitution(kFontName, kPrintFace);
}

QString PrintFolder() {
  const QString data = DataDir();
  QString folder = qEnvironmentVariable("BRIMWICK_PRINT_DIR").trimmed();
  if (folder.isEmpty()) {
    const QSettings settings(data + QStringLiteral("brimwick.ini"), QSettings::IniFormat);
    folder = settings.value(QStringLiteral("print/folder")).toString().trimmed();
  }
  if (folder.isEmpty()) {
    if (!QPrinterInfo::defaultPrinter().isNull()) return QString();
    folder = QStringLiteral("prints");
  }
  return QDir::cleanPath(QDir(data).absoluteFilePath(folder));
}

PrintResult PrintReport(const QString& title, const DrawDocument& draw) {
  Seam& s = seam();
  if (!s.failNext.isEmpty()) return Failed(std::exchange(s.failNext, QString()), QString());
  if (s.recording) {
    RecordingCanvas canvas(s.dpi, s.pageSize);
    if (const QString error = DrawOn(canvas, draw); !error.isEmpty()) return Failed(error, QString());
    s.jobs.append({title, canvas});
    return {};
  }

  SubstitutePrintFont();
  const QString folder = PrintFolder();
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(title);
  QString pdf;
  QString part;
  if (folder.isEmpty()) {
    printer.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
  } else {
    if (!QDir().mkpath(folder))
      return Failed(QStringLiteral("对不起，无法建立打印文件夹“%1”").arg(folder), QString());
    pdf = ReservePdfPath(folder, title);
    if (pdf.isEmpty()) return Failed(QStringLiteral("对不起，无法写入打印文件夹“%1”").arg(folder), QString());
    part = pdf + QStringLiteral(".part");
    printer.setOutputFileName(part);
    printer.setOutputFormat(QPrinter::PdfFormat);
    // Documents rule up to 8 in from the printable left edge: on A4 that
    // leaves margins of 3 mm.
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(3, 3, 3, 3),
                                      QPageLayout::Millimeter));
  }
  if (!printer.isValid())
    return Failed(QStringLiteral("对不起，打印机“%1”无法使用").arg(printer.printerName()), part);

  // The whole document is drawn before the printer sees a page, so an error
  // in it prints nothing.
  RecordingCanvas document(printer.logicalDpiX(), printer.pageRect(QPrinter::DevicePixel).size().toSize());
  if (const QString error = DrawOn(document, draw); !error.isEmpty()) return Failed(error, part);

  const QString target = pdf.isEmpty() ? printer.printerName() : pdf;
  QPainter painter;
  if (!painter.begin(&printer)) return Failed(QStringLiteral("对不起，无法打开“%1”打印").arg(target), part);
  try {
    PainterCanvas canvas(printer, painter);
    document.Replay(canvas);
  } catch (const PrintError& e) {
    printer.abort();
    painter.end();
    return Failed(e.text(), part);
  }
  if (!painter.end()) return Failed(QStringLiteral("对不起，“%1”打印未完成").arg(target), part);
  // The part replaces the empty file that holds its name, in one step.
  if (!pdf.isEmpty() &&
      (!WholePdfOnDisk(part) || std::rename(QFile::encodeName(part).constData(), QFile::encodeName(pdf).constData()) != 0))
    return Failed(QStringLiteral("对不起，无法写入打印文件“%1”").arg(pdf), part);
  return {true, QString(), pdf};
}

namespace PrintOutput {
void RecordInstead(int dpi, QSize pageSize) {
  seam().recording = true;
  seam().dpi = dpi;
  seam().pageSize = pageSize;
}
void FailNext(const QString& error) { seam().failNext = error; }
void PrintNormally() {
  seam().recording = false;
  seam().failNext.clear();
}
const QList<RecordedJob>& RecordedJobs() { return seam().jobs; }
void ClearRecordedJobs() { seam().jobs.clear(); }
}  // namespace PrintOutput
