#pragma once
// Controls the report windows build alike: date pickers set to today and
// read-only total boxes.
#include <QString>

class QDateEdit;
class QLineEdit;
class QWidget;

// A date picker with its calendar, showing yyyy-MM-dd, set to today.
QDateEdit* NewDatePicker(QWidget* parent, const QString& name);
// A box only the window writes (totals, counts).
QLineEdit* NewTotalBox(QWidget* parent, const QString& name, const QString& text);
