#include "platform/printcanvas.h"

#include <QFont>
#include <cmath>

#include "platform/numbers.h"

namespace {
const QString kFontName = QStringLiteral("宋体");
// The face that stands in for it: with it, text read back from our PDFs is
// exactly the text printed.
const QString kPrintFace = QStringLiteral("AR PL UMing CN");

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

int PrinterCanvasReport::TextHeight(int points) const {
  return static_cast<int>(std::ceil(static_cast<double>(points) * dpi_ / 72.0));
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

QString FailureText(const QString& error) {
  // A document that failed says so even when the error came without words.
  return error.trimmed().isEmpty() ? QStringLiteral("对不起，打印失败") : error;
}

QString DrawOn(Canvas& canvas, const DrawDocument& draw) {
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

QString PrintFace(const QString& name) {
  // Named here rather than through the font substitutions, which give the
  // screen a face of its own for the same name.
  return name == kFontName ? kPrintFace : name;
}
