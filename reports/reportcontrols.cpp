#include "reports/reportcontrols.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/clock.h"
#include "platform/grid.h"

QLabel* CalligraphicLabel(QWidget* parent, const QString& name, const QString& text, const QColor& colour,
                          int pixelHeight, bool underlined) {
  QLabel* label = PlainLabel(parent, name, text);
  QFont font(QStringLiteral("华文行楷"));
  font.setPixelSize(pixelHeight);
  font.setUnderline(underlined);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  return label;
}

QLabel* PlainLabel(QWidget* parent, const QString& name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QDateEdit* DayPicker(QWidget* parent, const QString& name) {
  auto* picker = new QDateEdit(Clock::today(), parent);
  picker->setObjectName(name);
  picker->setCalendarPopup(true);
  picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  return picker;
}

QLineEdit* TotalBox(QWidget* parent, const QString& name) {
  auto* box = new QLineEdit(QStringLiteral("0.00"), parent);
  box->setObjectName(name);
  box->setReadOnly(true);
  box->setMaximumWidth(140);
  return box;
}

QPushButton* ReportButton(QWidget* parent, const QString& name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

DataGrid* ReportGrid(QWidget* parent, const QString& name) {
  auto* grid = new DataGrid(parent);
  grid->setObjectName(name);
  grid->horizontalHeader()->setSectionsMovable(false);
  return grid;
}
