#pragma once
// Numbers typed into the shop windows' boxes and the text they are shown in.
#include <QString>
#include <optional>

// The general float-to-text form of the shop windows: up to 15
// significant digits, no trailing zeros.
QString FloatText(double value);
// The trimmed text as a finite number; nothing when it is not one.
std::optional<double> ParseFloat(const QString& text);
// The trimmed text as a finite number above zero; nothing otherwise.
std::optional<double> ParsePositive(const QString& text);
// What a box shows when its text is not a number.
QString NotAFloatMessage(const QString& text);
