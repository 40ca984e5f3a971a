#include "reports/optionalfilter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/formevents.h"
#include "platform/messages.h"

MouseUpCheckBox::MouseUpCheckBox(const QString& name, const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent) {
  setObjectName(name);
}

void MouseUpCheckBox::mouseReleaseEvent(QMouseEvent* event) {
  QCheckBox::mouseReleaseEvent(event);
  emit MouseUp();
}

bool MouseUpCheckBox::hitButton(const QPoint& pos) const { return rect().contains(pos); }

OptionalFilter::OptionalFilter(MouseUpCheckBox* box, QComboBox* combo, const QString& prompt, FilterLookup lookup,
                               QWidget* form, bool clearOnCheck)
    : QObject(form),
      box_(box),
      combo_(combo),
      prompt_(prompt),
      lookup_(std::move(lookup)),
      clearOnCheck_(clearOnCheck) {
  combo_->setEditable(true);
  // What the box shows is what the user typed or picked: no completion
  // behind the typing, and Enter adds nothing to the list.
  combo_->setCompleter(nullptr);
  combo_->setInsertPolicy(QComboBox::NoInsert);
  combo_->setEditText(prompt_);
  combo_->hide();
  connect(box_, &MouseUpCheckBox::MouseUp, this, &OptionalFilter::CheckBoxMouseUp);
  // Typing and picking change the text; the filter itself fills, clears
  // and prompts the combo without a signal, so every change is the user's.
  connect(combo_, &QComboBox::currentTextChanged, this, &OptionalFilter::ComboChange);
  connect(combo_, &QComboBox::activated, this, &OptionalFilter::ComboChange);
  OnFocusEnter(combo_, [this] { ComboEnter(); });
  OnFocusExit(combo_, form, [this](QWidget*) { ComboExit(); });
}

OptionalFilter::OptionalFilter(MouseUpCheckBox* box, QLineEdit* edit, const QString& prompt, QWidget* form)
    : QObject(form), box_(box), edit_(edit), prompt_(prompt) {
  edit_->setText(prompt_);
  edit_->hide();
  connect(box_, &MouseUpCheckBox::MouseUp, this, &OptionalFilter::CheckBoxMouseUp);
  connect(edit_, &QLineEdit::textChanged, this, &OptionalFilter::EditChange);
  OnFocusEnter(edit_, [this] { EditEnter(); });
}

QString OptionalFilter::Inside() const { return QLatin1Char('%') + value_ + QLatin1Char('%'); }

void OptionalFilter::showBox(bool shown) {
  (combo_ ? static_cast<QWidget*>(combo_) : edit_)->setVisible(shown);
  for (QWidget* control : companions_) control->setVisible(shown);
}

void OptionalFilter::CheckBoxMouseUp() {
  if (!box_->isChecked()) {
    showBox(false);
    value_ = QStringLiteral("%");
    return;
  }
  if (combo_) {
    // Showing the prompt is the window's doing, not a choice: the value
    // stays until the user types or picks.
    const QSignalBlocker quiet(combo_);
    if (clearOnCheck_) combo_->clear();
    showBox(true);
    combo_->setEditText(prompt_);
    return;
  }
  showBox(true);
  edit_->setText(prompt_);
  // The prompt is the value until the user enters the edit, even when the
  // edit showed it already.
  EditChange();
}

void OptionalFilter::ComboEnter() {
  if (!connection_ || !connection_->db().isValid()) return;
  try {
    const QList<QVariantList> rows = ReadAll(connection_->db(), lookup_.sql, lookup_.values);
    // Filling the list must leave the text alone: a combo with no items
    // would otherwise take its first new item as its text.
    const QString text = combo_->currentText();
    const QSignalBlocker quiet(combo_);
    for (const QVariantList& row : rows) combo_->addItem(row.value(0).toString().trimmed());
    combo_->setCurrentIndex(-1);
    combo_->setEditText(text);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void OptionalFilter::ComboChange() { value_ = combo_->currentText().trimmed(); }

void OptionalFilter::ComboExit() {
  const QSignalBlocker quiet(combo_);
  combo_->clear();
  combo_->setEditText(value_);
}

void OptionalFilter::EditEnter() { edit_->clear(); }

void OptionalFilter::EditChange() { value_ = edit_->text().trimmed(); }

QString FilterConditions(const QString& like, const QList<std::pair<QString, QVariant>>& filters,
                         QVariantList& values) {
  QStringList conditions;
  for (const auto& [column, value] : filters) {
    const QString pattern = value.toString();
    if (!value.isNull() && !pattern.isEmpty() && pattern.count(QLatin1Char('%')) == pattern.size()) {
      conditions << column + QStringLiteral(" is not null");
    } else {
      conditions << QStringLiteral("%1 %2 ?").arg(column, like);
      values << value;
    }
  }
  return conditions.join(QStringLiteral(" and "));
}
