#include "platform/keys.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "platform/widgets.h"

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
      // Keys that type nothing (arrows, Backspace, Delete, Enter, Ctrl+V)
      // pass; an invisible format character (soft hyphen, zero-width
      // space, direction mark) is typed text like any other.
      // A shortcut (Ctrl+V) is no typing: what it pastes meets the
      // validator below.
      const auto* key = static_cast<QKeyEvent*>(event);
      if (!key->modifiers().testFlag(Qt::ControlModifier) && !allAllowed(key->text(), true)) return true;
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
  bool allAllowed(const QString& text, bool controlsPass = false) const {
    for (const QChar c : text)
      if (!allowed_.contains(c) && !(controlsPass && c.category() == QChar::Other_Control)) return false;
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
  // What arrives without a key (a paste by Ctrl+V, Shift+Insert or the
  // context menu, a drop) keeps its first line, which passes only when
  // every character would have passed as a key; otherwise it is refused
  // whole.
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    const QRegularExpression only(QStringLiteral("[%1]*").arg(QRegularExpression::escape(allowed)));
    GuardTextBox(edit, new QRegularExpressionValidator(only));
  }
}
