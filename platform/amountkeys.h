#pragma once
// The key filters of the clinic's number boxes. Keys that type nothing
// (Backspace, Enter, the arrows) always pass; Enter then moves the focus as
// the window wires it.
#include <QString>

class QWidget;

// Amount and quantity boxes: digits and the decimal point.
void AmountKeyFilter(QWidget* box);
// The age box: digits only.
void AgeKeyFilter(QWidget* box);

// What a box says of a number with more integer digits than an amount can
// hold: the keys let it through, and it is a number all the same.
inline const QString kAmountOutOfRange = QStringLiteral("对不起，金额超出范围");
