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
// on and goes no further: the view's search by typing would first move the
// row to one whose first cell begins with that letter. Keys that type no
// visible character (Enter, arrows, Backspace) pass as usual.
void OnTypedCharacter(DataGrid* grid, std::function<void()> action);
