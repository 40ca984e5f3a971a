#include "platform/numbers.h"

#include <cmath>

QString FloatText(double value) { return QString::number(value, 'g', 15); }

std::optional<double> ParseFloat(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
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
