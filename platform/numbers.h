#pragma once
// Numbers typed into boxes and the text they are shown in, alike in the
// shop and the clinic windows.
#include <QString>
#include <optional>

// The general float-to-text form: up to 15 significant digits, no
// trailing zeros (12.50 shows as 12.5).
QString FloatText(double value);
// The trimmed text as a finite number; nothing when it is not one.
std::optional<double> ParseFloat(const QString& text);
// The trimmed text as a finite number above zero; nothing otherwise.
std::optional<double> ParsePositive(const QString& text);
// What a box shows when its text is not a number.
QString NotAFloatMessage(const QString& text);
