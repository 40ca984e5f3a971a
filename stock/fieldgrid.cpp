#include "stock/fieldgrid.h"

#include <QGridLayout>
#include <QLabel>

QGridLayout* FieldGrid(QWidget* parent, const QList<QList<Field>>& rows) {
  auto* grid = new QGridLayout;
  for (int r = 0; r < rows.size(); ++r) {
    for (int f = 0; f < rows[r].size(); ++f) {
      const Field& field = rows[r][f];
      if (*field.label) grid->addWidget(new QLabel(QString::fromUtf8(field.label), parent), r, 3 * f, Qt::AlignRight);
      grid->addWidget(field.box, r, 3 * f + 1);
      if (*field.unit) grid->addWidget(new QLabel(QString::fromUtf8(field.unit), parent), r, 3 * f + 2);
    }
  }
  return grid;
}
