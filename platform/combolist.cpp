#include "platform/combolist.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {
// The keys that open the list, choose from it or leave the box.
bool Chooses(const QKeyEvent* press) {
  switch (press->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_F4:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return true;
    default:
      return false;
  }
}

class ChoiceKeys : public QObject {
 public:
  ChoiceKeys(QObject* parent, std::function<void()> onEnter) : QObject(parent), onEnter_(std::move(onEnter)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* press = static_cast<QKeyEvent*>(event);
      if (press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter) {
        // An editable combo would otherwise add its text to the list.
        if (onEnter_) onEnter_();
        return true;
      }
      // Typing, Backspace, Delete, cut and paste change nothing.
      if (!Chooses(press)) return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> onEnter_;
};

void ShowText(QComboBox* box, const QString& text) {
  const QSignalBlocker quiet(box);
  box->setCurrentIndex(-1);
  box->setEditText(text);
}
}  // namespace

QComboBox* NewPickCombo(QWidget* parent, const QString& name, const QString& text, std::function<void()> onEnter) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  // A read-only text takes no paste (shortcut, context menu, middle
  // button) and no drop; the list and the arrow keys still pick.
  box->lineEdit()->setReadOnly(true);
  auto* filter = new ChoiceKeys(box, std::move(onEnter));
  box->installEventFilter(filter);
  box->lineEdit()->installEventFilter(filter);
  ShowText(box, text);
  return box;
}

void AppendItems(QComboBox* box, const QStringList& items) {
  const QString text = box->currentText();
  {
    const QSignalBlocker quiet(box);
    box->addItems(items);
  }
  ShowText(box, text);
}

void ResetCombo(QComboBox* box, const QString& text) {
  {
    const QSignalBlocker quiet(box);
    box->clear();
  }
  ShowText(box, text);
}
