#pragma once
// The key filters of the clinic's number boxes. Keys that type nothing
// (Backspace, Enter, the arrows) always pass; Enter then moves the focus as
// the window wires it.
class QWidget;

// Amount and quantity boxes: digits and the decimal point.
void AmountKeyFilter(QWidget* box);
// The age box: digits only.
void AgeKeyFilter(QWidget* box);
