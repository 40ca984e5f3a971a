#include "platform/formevents.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QMouseEvent>

namespace {
class EventHook : public QObject {
 public:
  EventHook(QObject* parent, QEvent::Type type, std::function<void(QEvent*)> action)
      : QObject(parent), type_(type), action_(std::move(action)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == type_) action_(event);
    return QObject::eventFilter(watched, event);
  }

 private:
  QEvent::Type type_;
  std::function<void(QEvent*)> action_;
};

int windowsSettling = 0;

// The last control that held the focus before the one getting it now (a
// window losing its turn clears the focus on the way): Qt names the new
// owner before it tells anyone who lost the focus.
QPointer<QWidget>& previousFocus() {
  static QPointer<QWidget> previous;
  return previous;
}
void FollowFocus() {
  static bool following = false;
  if (following || !qApp) return;
  following = true;
  QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) {
    if (now) previousFocus() = now;
  });
}

// The work window a control stands in: its frame inside the main window,
// or its own window when it has none.
const QWidget* WorkWindow(const QWidget* control) {
  for (const QWidget* w = control; w; w = w->parentWidget())
    if (qobject_cast<const QMdiSubWindow*>(w)) return w;
  return control->window();
}

// A window brought back to the front (Ctrl+Tab, a click on its title, a
// pick from a window list) hands the focus back to the control that last
// had it, in code, from a control of another window or from its own frame:
// that is no move within the window. A click, Tab or shortcut of the user
// onto the control is one wherever the focus was. A control that cannot be
// seen (its frame hidden a moment while it is restored from maximised
// passes the focus along) is entered by nobody.
bool MovedWithinItsWindow(Qt::FocusReason reason) {
  const QWidget* now = QApplication::focusWidget();
  if (now && !now->isVisible()) return false;
  if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
      reason == Qt::ShortcutFocusReason)
    return true;
  const QWidget* before = previousFocus();
  if (!now || !before) return true;
  const QWidget* window = WorkWindow(now);
  return before != window && window->isAncestorOf(before);
}
}  // namespace

WindowOpening::WindowOpening() { ++windowsSettling; }
WindowOpening::~WindowOpening() { --windowsSettling; }

void SettleFocusOnClose(QWidget* frame) {
  frame->installEventFilter(new EventHook(frame, QEvent::Close, [](QEvent*) {
    ++windowsSettling;
    QTimer::singleShot(0, [] { --windowsSettling; });
  }));
}

bool CountsAsFocusMove(const QEvent* event) {
  FollowFocus();
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  if (windowsSettling != 0 || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
  return event->type() != QEvent::FocusIn || MovedWithinItsWindow(reason);
}

void OnFocusEnter(QWidget* control, std::function<void()> action) {
  FollowFocus();
  control->installEventFilter(new EventHook(control, QEvent::FocusIn, [action](QEvent* event) {
    if (CountsAsFocusMove(event)) action();
  }));
}

void OnFocusExit(QWidget* control, QWidget* form, std::function<void(QWidget*)> action) {
  control->installEventFilter(new EventHook(control, QEvent::FocusOut, [control, form, action](QEvent* event) {
    // By the time the box hears of it, the focus already sits on its new
    // owner.
    QWidget* next = QApplication::focusWidget();
    if (CountsAsFocusMove(event) && next && next != control && form->isVisible() && form->isAncestorOf(next))
      action(next);
  }));
}

namespace {
// Remembers the keys pressed in one control until their release.
class KeyUpHook : public QObject {
 public:
  KeyUpHook(QObject* parent, std::function<void(int)> action) : QObject(parent), action_(std::move(action)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (!key->isAutoRepeat()) pressed_.insert(key->key());
    } else if (event->type() == QEvent::KeyRelease) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (!key->isAutoRepeat() && pressed_.remove(key->key())) action_(key->key());
    } else if (event->type() == QEvent::FocusOut) {
      pressed_.clear();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void(int)> action_;
  QSet<int> pressed_;
};
}  // namespace

void OnKeyUp(QWidget* control, std::function<void(int)> action) {
  control->installEventFilter(new KeyUpHook(control, std::move(action)));
}

bool OnOwnBackground(const QWidget* window, const QPointF& position) {
  const QWidget* hit = window->childAt(position.toPoint());
  return !hit || hit->metaObject() == &QWidget::staticMetaObject;
}

void OnClick(QWidget* widget, std::function<void()> action) {
  widget->installEventFilter(new EventHook(widget, QEvent::MouseButtonRelease, [widget, action](QEvent* event) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint())) action();
  }));
}
