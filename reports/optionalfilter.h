#pragma once
// A report filter the user switches on with a check box: the box shows a
// hidden combo or edit, and the filter's value is what the query compares
// with. The value stays "%" (everything that is not NULL) until the user
// types or picks; the stock report windows keep one per filter.
#include <QCheckBox>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantList>

#include "db/connection.h"

class QComboBox;
class QLineEdit;
class QMouseEvent;

// A check box that tells of a mouse button released over it, once the
// click has set its mark. Toggling it from the keyboard tells nothing.
class MouseUpCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  MouseUpCheckBox(const QString& name, const QString& caption, QWidget* parent);

 signals:
  void MouseUp();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  // A click anywhere on the box toggles it, not only on its mark and
  // caption: the filter grid stretches the box to its column's width.
  bool hitButton(const QPoint& pos) const override;
};

// The list of a combo: a one-column select and its values.
struct FilterLookup {
  QString sql;
  QVariantList values;
};

class OptionalFilter : public QObject {
  Q_OBJECT
 public:
  // A filter picked from a combo whose list the lookup fills on entry.
  // Checking a box that clears its combo first empties items and text.
  OptionalFilter(MouseUpCheckBox* box, QComboBox* combo, const QString& prompt, FilterLookup lookup, QWidget* form,
                 bool clearOnCheck = false);
  // A filter typed into an edit.
  OptionalFilter(MouseUpCheckBox* box, QLineEdit* edit, const QString& prompt, QWidget* form);

  // The window's connection, which the combo's list is read on.
  void SetConnection(const Connection* connection) { connection_ = connection; }
  // Another control shown and hidden with the filter box.
  void AlsoShows(QWidget* control) { companions_.append(control); }

  // The value as the user left it, trimmed; "%" while unset.
  const QString& Value() const { return value_; }
  // The value between two per-cent signs, for a search inside a code.
  QString Inside() const;

  // The steps, each run by its control's event.
  void CheckBoxMouseUp();
  void ComboEnter();
  void ComboChange();
  void ComboExit();
  void EditEnter();
  void EditChange();

 private:
  void showBox(bool shown);

  MouseUpCheckBox* box_;
  QComboBox* combo_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QString prompt_;
  FilterLookup lookup_;
  bool clearOnCheck_ = false;
  QList<QWidget*> companions_;
  const Connection* connection_ = nullptr;
  QString value_ = QStringLiteral("%");
};

// The conditions of filters on columns, "and"-joined, each value appended
// to values. A filter left at everything (a pattern of nothing but '%')
// asks only that the column be set, which is what such a pattern matches:
// a like on every line of a year cost a third of the report.
QString FilterConditions(const QString& like, const QList<std::pair<QString, QVariant>>& filters,
                         QVariantList& values);
