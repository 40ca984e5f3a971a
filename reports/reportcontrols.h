#pragma once
// The controls every clinic report window is built of, made under their
// component names: calligraphic titles, date pickers, total boxes, buttons
// and the grids.
#include <QColor>
#include <QString>

class DataGrid;
class QDateEdit;
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
// A read-only grid whose columns the user cannot drag.
DataGrid* ReportGrid(QWidget* parent, const QString& name);
