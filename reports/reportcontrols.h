#pragma once
// The controls every report window builds alike, under their component
// names: date pickers on the current moment, read-only grids with their
// display formats, and the large title label.
#include <QList>

class DataGrid;
class QDateTimeEdit;
class QLabel;
class QString;
class QWidget;

QDateTimeEdit* NewDatePicker(QWidget* parent, const QString& name);
DataGrid* NewReportGrid(QWidget* parent, const QString& name, const QList<int>& decimals);
QLabel* NewTitleLabel(QWidget* parent, const QString& name, const QString& text);
