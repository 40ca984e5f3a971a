#pragma once
// Controls the report windows build alike, made under their component
// names: date pickers set to today, read-only total boxes, calligraphic
// titles, filter boxes, the grids and the rows that hold them.
#include <QColor>
#include <QList>
#include <QString>
#include <initializer_list>
#include <utility>

class DataGrid;
class QComboBox;
class QDateEdit;
class QGridLayout;
class QHBoxLayout;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

// A title or section label in "华文行楷", its height in pixels.
QLabel* CalligraphicLabel(QWidget* parent, const QString& name, const QString& text, const QColor& colour,
                          int pixelHeight, bool underlined);
QLabel* PlainLabel(QWidget* parent, const QString& name, const QString& text);
// A date picker with its calendar, showing yyyy-MM-dd, set to today.
QDateEdit* NewDatePicker(QWidget* parent, const QString& name);
// A box only the window writes (totals, counts).
QLineEdit* NewTotalBox(QWidget* parent, const QString& name, const QString& text);
// A read-only grid (its columns cannot be dragged).
DataGrid* ReportGrid(QWidget* parent, const QString& name);
// The same showing its columns with these decimals (see DataGrid).
DataGrid* ReportGrid(QWidget* parent, const QString& name, const QList<int>& decimals);
// A window's title in large type.
QLabel* TitleLabel(QWidget* parent, const QString& name, const QString& text);
// A combo for a filter.
QComboBox* FilterCombo(QWidget* parent, const QString& name);

// Controls left to right, the room left over at the end.
QHBoxLayout* ControlRow(std::initializer_list<QWidget*> controls);
// Each check box above its filter box, one column a filter; the buttons
// in the columns after them.
QGridLayout* FilterGrid(const QList<std::pair<QWidget*, QWidget*>>& filters);

// The date row of the receipt, supplier-return and patient-return reports:
// their prompt and the two pickers under wide captions, then the controls
// given.
QHBoxLayout* WideDateRow(QWidget* parent, QDateEdit* first, QDateEdit* last, std::initializer_list<QWidget*> after);
// The red sections "统计信息" and "统计详单" of those reports, each over
// its grid.
void AddGridSections(QVBoxLayout* page, QWidget* parent, DataGrid* summary, DataGrid* detail);
