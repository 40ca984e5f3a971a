#pragma once
// Numbers typed into boxes and the text they are shown in, alike in the
// shop and the clinic windows.
#include <QString>
#include <optional>

// The general float-to-text form: up to 15 significant digits, no
// trailing zeros (12.50 shows as 12.5).
QString FloatText(double value);
// A fixed number of decimals, rounded half away from zero on the number as
// written in its shortest decimal form (1.005 gives "1.01" at two
// decimals, as a person rounding the printed figure would), never "-0.00".
QString FixedText(double value, int decimals);
// The trimmed text as a finite number; nothing when it is not one.
std::optional<double> ParseFloat(const QString& text);
// Whether a number has no more than the 13 integer digits that the cash
// sheet, and so every amount or quantity a desk posts, can hold.
bool WithinAmountDigits(double value);
// The same for what is owed once several boxes meet (a line's quantity
// times its price, a visit's lines, a refund, a balance): each box within
// the digits can still multiply or add past them. Judged on the amount
// rounded to the cent, as the store keeps it.
bool OwedWithinAmountDigits(double value);
// An amount or quantity typed at a desk: as ParseFloat, and nothing past
// the amounts' digits, so the box shows its own "not a number" message
// before anything is written.
std::optional<double> ParseAmount(const QString& text);
// The same above zero.
std::optional<double> ParsePositiveAmount(const QString& text);
// The trimmed text as a finite number above zero; nothing otherwise.
std::optional<double> ParsePositive(const QString& text);
// What a box shows when its text is not a number.
QString NotAFloatMessage(const QString& text);
