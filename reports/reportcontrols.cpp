#include "reports/reportcontrols.h"

#include <QDateTimeEdit>
#include <QLabel>

#include "platform/clock.h"
#include "platform/grid.h"

namespace {
const int kTitlePoints = 18;
}

QDateTimeEdit* NewDatePicker(QWidget* parent, const QString& name) {
  auto* picker = new QDateTimeEdit(Clock::now(), parent);
  picker->setObjectName(name);
  picker->setCalendarPopup(true);
  return picker;
}

DataGrid* NewReportGrid(QWidget* parent, const QString& name, const QList<int>& decimals) {
  auto* grid = new DataGrid(parent);
  grid->setObjectName(name);
  grid->SetColumnDecimals(decimals);
  return grid;
}

QLabel* NewTitleLabel(QWidget* parent, const QString& name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  QFont font = label->font();
  font.setPointSize(kTitlePoints);
  label->setFont(font);
  return label;
}
