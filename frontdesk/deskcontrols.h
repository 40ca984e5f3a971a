#pragma once
// The front desk's read-only boxes and grids under their component names.
#include <QString>
#include <functional>

#include "platform/grid.h"

class QLineEdit;
class QWidget;

// A box only the window writes.
QLineEdit* NewReadOnlyEdit(QWidget* parent, const QString& name, const QString& text = QString());
DataGrid* NewGrid(QWidget* parent, const QString& name, RowStripes stripes = RowStripes::None);
// A character typed in the grid runs action on the row the grid stands
// on (typing never moves a grid's row) and goes no further. Keys that type
// no visible character (Enter, arrows, Backspace) pass as usual.
void OnTypedCharacter(DataGrid* grid, std::function<void()> action);
