#pragma once
// The shop windows' rows of boxes: each box with its label before it and
// its unit after it, lined up in a grid.
#include <QList>

class QGridLayout;
class QWidget;

struct Field {
  const char* label;  // left of the box; may be empty
  QWidget* box;
  const char* unit = "";  // right of the box ("元", "种"); may be empty
};

// One grid row per list; every field takes three columns.
QGridLayout* FieldGrid(QWidget* parent, const QList<QList<Field>>& rows);
