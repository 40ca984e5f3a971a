#pragma once
// Controls the report windows build alike: date pickers set to today,
// read-only total boxes, read-only grids with their display formats, and
// the large title label.
#include <QList>
#include <QString>

class DataGrid;
class QDateEdit;
class QLabel;
class QLineEdit;
class QWidget;

// A date picker with its calendar, showing yyyy-MM-dd, set to today.
QDateEdit* NewDatePicker(QWidget* parent, const QString& name);
// A box only the window writes (totals, counts).
QLineEdit* NewTotalBox(QWidget* parent, const QString& name, const QString& text);
// A read-only grid with the decimals of its columns (see DataGrid).
DataGrid* NewReportGrid(QWidget* parent, const QString& name, const QList<int>& decimals);
// The window's title in large type.
QLabel* NewTitleLabel(QWidget* parent, const QString& name, const QString& text);
