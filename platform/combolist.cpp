#include "platform/combolist.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {
class EnterOnly : public QObject {
 public:
  EnterOnly(QObject* parent, std::function<void()> onEnter) : QObject(parent), onEnter_(std::move(onEnter)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // An editable combo would otherwise add its text to the list.
        if (onEnter_) onEnter_();
        return true;
      }
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
  // Typed keys go nowhere; the list and the arrow keys still pick.
  box->lineEdit()->setReadOnly(true);
  auto* filter = new EnterOnly(box, std::move(onEnter));
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
