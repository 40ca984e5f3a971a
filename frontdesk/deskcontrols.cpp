#include "frontdesk/deskcontrols.h"

#include <QLineEdit>

#include "stock/controls.h"

QLineEdit* NewReadOnlyEdit(QWidget* parent, const QString& name, const QString& text) {
  QLineEdit* box = NewEdit(parent, name, text);
  box->setReadOnly(true);
  return box;
}

DataGrid* NewGrid(QWidget* parent, const QString& name, RowStripes stripes) {
  auto* grid = new DataGrid(parent);
  grid->setObjectName(name);
  grid->SetStripes(stripes);
  return grid;
}
