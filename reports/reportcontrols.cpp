#include "reports/reportcontrols.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>

#include "platform/clock.h"
#include "platform/grid.h"
#include "stock/controls.h"

QDateEdit* NewDatePicker(QWidget* parent, const QString& name) {
  auto* picker = new QDateEdit(Clock::today(), parent);
  picker->setObjectName(name);
  picker->setCalendarPopup(true);
  picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  return picker;
}

QLineEdit* NewTotalBox(QWidget* parent, const QString& name, const QString& text) {
  QLineEdit* box = NewEdit(parent, name, text);
  box->setReadOnly(true);
  box->setMaximumWidth(120);
  return box;
}

namespace {
const int kTitlePoints = 18;
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
