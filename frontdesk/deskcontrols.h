#pragma once
// The front desk's read-only boxes and grids under their component names.
#include <QString>

#include "platform/grid.h"

class QLineEdit;
class QWidget;

// A box only the window writes.
QLineEdit* NewReadOnlyEdit(QWidget* parent, const QString& name, const QString& text = QString());
DataGrid* NewGrid(QWidget* parent, const QString& name, RowStripes stripes = RowStripes::None);
