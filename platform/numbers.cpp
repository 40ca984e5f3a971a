#include "platform/numbers.h"

#include <algorithm>
#include <cmath>

QString FloatText(double value) { return QString::number(value, 'g', 15); }

QString FixedText(double value, int decimals) {
  if (!std::isfinite(value)) return QString::number(value);
  // The digits of the shortest decimal that reads back as value, with its
  // exponent: 1.005 is "1005" at exponent 0, not 1.00499999999999989...
  const QString scientific = QString::number(std::fabs(value), 'e', 14);
  const qsizetype e = scientific.indexOf(QLatin1Char('e'));
  QString digits = scientific.left(e).remove(QLatin1Char('.'));
  const int exponent = scientific.mid(e + 1).toInt();
  // Position of the decimal point within digits, padded so that every
  // digit up to the rounding place exists.
  int point = exponent + 1;
  if (point < 0) {
    digits.prepend(QString(-point, QLatin1Char('0')));
    point = 0;
  }
  const int keep = point + decimals;
  if (digits.size() < keep + 1) digits.append(QString(keep + 1 - digits.size(), QLatin1Char('0')));
  const bool up = digits.at(keep) >= QLatin1Char('5');
  digits.truncate(keep);
  if (up) {
    int i = keep - 1;
    for (; i >= 0; --i) {
      if (digits.at(i) == QLatin1Char('9')) {
        digits[i] = QLatin1Char('0');
      } else {
        digits[i] = QChar(digits.at(i).unicode() + 1);
        break;
      }
    }
    if (i < 0) {
      digits.prepend(QLatin1Char('1'));
      ++point;
    }
  }
  QString whole = digits.left(point);
  if (whole.isEmpty()) whole = QStringLiteral("0");
  QString text = whole;
  if (decimals > 0) text += QLatin1Char('.') + digits.mid(point, decimals);
  // Sheets round every cell through here: a pattern compiled per call cost
  // more than the rest of the rounding.
  const bool zero = std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
  return value < 0 && !zero ? QLatin1Char('-') + text : text;
}

bool WithinAmountDigits(double value) { return std::fabs(value) < 1e13; }

bool OwedWithinAmountDigits(double value) {
  return std::isfinite(value) && WithinAmountDigits(std::round(value * 100) / 100);
}

std::optional<double> ParseFloat(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> ParseAmount(const QString& text) {
  const std::optional<double> value = ParseFloat(text);
  if (!value || !WithinAmountDigits(*value)) return std::nullopt;
  return value;
}

std::optional<double> ParsePositiveAmount(const QString& text) {
  const std::optional<double> value = ParsePositive(text);
  if (!value || !WithinAmountDigits(*value)) return std::nullopt;
  return value;
}

std::optional<double> ParsePositive(const QString& text) {
  const std::optional<double> value = ParseFloat(text);
  if (!value || *value <= 0) return std::nullopt;
  return value;
}

QString NotAFloatMessage(const QString& text) {
  return QStringLiteral("'%1' is not a valid floating point value").arg(text.trimmed());
}
