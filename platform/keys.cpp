#include "platform/keys.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {
class EnterFilter : public QObject {
 public:
  EnterFilter(QObject* parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        action_();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> action_;
};

class CharFilter : public QObject {
 public:
  CharFilter(QObject* parent, QString allowed) : QObject(parent), allowed_(std::move(allowed)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const QString text = static_cast<QKeyEvent*>(event)->text();
      // Keys that type nothing (arrows, Backspace, Delete, Enter) pass.
      if (!text.isEmpty() && text.at(0).isPrint() && !allAllowed(text)) return true;
    } else if (event->type() == QEvent::InputMethod) {
      // A Chinese input method hands its text over as one commit, not as
      // key presses: it passes only when every character would have passed
      // as a key, and compositions are not shown at all.
      const auto* input = static_cast<QInputMethodEvent*>(event);
      if (!input->preeditString().isEmpty() || !allAllowed(input->commitString())) return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool allAllowed(const QString& text) const {
    for (const QChar c : text)
      if (!allowed_.contains(c)) return false;
    return true;
  }

  QString allowed_;
};
}  // namespace

void OnEnter(QWidget* widget, std::function<void()> action) {
  widget->installEventFilter(new EnterFilter(widget, std::move(action)));
}

void ChainEnter(QWidget* from, QWidget* to) {
  OnEnter(from, [to] { to->setFocus(Qt::OtherFocusReason); });
}

void ChainEnter(std::initializer_list<QWidget*> chain) {
  QWidget* previous = nullptr;
  for (QWidget* w : chain) {
    if (previous) ChainEnter(previous, w);
    previous = w;
  }
}

void FilterKeys(QWidget* widget, const QString& allowed) {
  widget->installEventFilter(new CharFilter(widget, allowed));
}
