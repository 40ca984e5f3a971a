#pragma once
// The controls every clinic report window is built of, made under their
// component names: calligraphic titles, date pickers, total boxes, buttons
// and the grids.
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
class QPushButton;
class QWidget;

// A title or section label in "华文行楷", its height in pixels.
QLabel* CalligraphicLabel(QWidget* parent, const QString& name, const QString& text, const QColor& colour,
                          int pixelHeight, bool underlined);
QLabel* PlainLabel(QWidget* parent, const QString& name, const QString& text);
// A day picker showing today, written yyyy-MM-dd.
QDateEdit* DayPicker(QWidget* parent, const QString& name);
// A read-only box that shows a total, "0.00" until the first query.
QLineEdit* TotalBox(QWidget* parent, const QString& name);
QPushButton* ReportButton(QWidget* parent, const QString& name, const QString& caption);
// A read-only grid (its columns cannot be dragged).
DataGrid* ReportGrid(QWidget* parent, const QString& name);
// An editable combo or a plain edit, for a filter.
QComboBox* FilterCombo(QWidget* parent, const QString& name);
QLineEdit* FilterEdit(QWidget* parent, const QString& name);

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
