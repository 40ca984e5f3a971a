#include "reports/reportcontrols.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/clock.h"
#include "platform/grid.h"
#include "stock/controls.h"

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

DataGrid* ReportGrid(QWidget* parent, const QString& name) {
  auto* grid = new DataGrid(parent);
  grid->setObjectName(name);
  return grid;
}

DataGrid* ReportGrid(QWidget* parent, const QString& name, const QList<int>& decimals) {
  DataGrid* grid = ReportGrid(parent, name);
  grid->SetColumnDecimals(decimals);
  return grid;
}

QLabel* TitleLabel(QWidget* parent, const QString& name, const QString& text) {
  QLabel* label = PlainLabel(parent, name, text);
  QFont font = label->font();
  font.setPointSize(18);
  label->setFont(font);
  return label;
}

QComboBox* FilterCombo(QWidget* parent, const QString& name) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  return combo;
}

QHBoxLayout* ControlRow(std::initializer_list<QWidget*> controls) {
  auto* row = new QHBoxLayout;
  for (QWidget* control : controls) row->addWidget(control);
  row->addStretch(1);
  return row;
}

QGridLayout* FilterGrid(const QList<std::pair<QWidget*, QWidget*>>& filters) {
  auto* grid = new QGridLayout;
  for (int i = 0; i < filters.size(); ++i) {
    grid->addWidget(filters[i].first, 0, i);
    grid->addWidget(filters[i].second, 1, i);
  }
  return grid;
}

QHBoxLayout* WideDateRow(QWidget* parent, QDateEdit* first, QDateEdit* last, std::initializer_list<QWidget*> after) {
  QHBoxLayout* row =
      ControlRow({PlainLabel(parent, QStringLiteral("Label4"), QStringLiteral("请选择查询时间：               ")),
                  PlainLabel(parent, QStringLiteral("Label1"), QStringLiteral("开始时间：        ")), first,
                  PlainLabel(parent, QStringLiteral("Label2"), QStringLiteral("结束时间：           ")), last});
  int at = row->count() - 1;  // before the stretch
  for (QWidget* control : after) row->insertWidget(at++, control);
  return row;
}

void AddGridSections(QVBoxLayout* page, QWidget* parent, DataGrid* summary, DataGrid* detail) {
  const QColor red(Qt::red);
  page->addWidget(
      CalligraphicLabel(parent, QStringLiteral("Label8"), QStringLiteral("      统计信息        "), red, 24, true));
  page->addWidget(summary, 1);
  page->addWidget(
      CalligraphicLabel(parent, QStringLiteral("Label9"), QStringLiteral("       统计详单          "), red, 24, true));
  page->addWidget(detail, 1);
}
