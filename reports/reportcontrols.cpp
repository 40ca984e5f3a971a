#include "reports/reportcontrols.h"

#include <QDateEdit>
#include <QLineEdit>

#include "platform/clock.h"
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
