#pragma once
// Focus and click events in the manner of the windows' own handlers: a box
// is "entered" and "left" when the focus moves between the controls of one
// window, not when another window takes the focus for a while.
#include <QWidget>
#include <functional>

// While one lives, a work window is being made, shown and activated (or
// brought back): Qt passes the focus along its controls on its own before
// the window stands open, and none of those moves is an entry or an exit.
// Only moves after the window stands open count, by the user's keys and
// clicks or by the window's own code.
class WindowOpening {
 public:
  WindowOpening();
  ~WindowOpening();
  WindowOpening(const WindowOpening&) = delete;
  WindowOpening& operator=(const WindowOpening&) = delete;
};
// A work window's frame whose closing hands the focus to the window left
// on top: that is no entry either, nor anything else until the program
// waits for the user again.
void SettleFocusOnClose(QWidget* frame);
// Whether a focus event is the user's (or the window's own) move within a
// window that stands open, rather than the window becoming active again or
// being brought back to the front among the work windows (Ctrl+Tab, a
// click on its title, a window list), a menu or message closing, or a
// window opening or closing.
bool CountsAsFocusMove(const QEvent* event);

// Runs action when control gains the focus, except when its window merely
// becomes active again or comes back to the front.
void OnFocusEnter(QWidget* control, std::function<void()> action);
// Runs action when the focus moves from control to another control of
// form; next is that control. Leaving for another window, a message box or
// a menu, and the form closing, run nothing.
void OnFocusExit(QWidget* control, QWidget* form, std::function<void(QWidget* next)> action);
// Runs action on the release of a key whose press reached control itself
// (key is Qt's code). The release of the Enter or Escape that closed a
// message box raised by this very handler lands on the box again once the
// message is gone; it never pressed here, so it runs nothing, and a
// keyboard-only user is never caught in a loop of the same message.
void OnKeyUp(QWidget* control, std::function<void(int key)> action);
// Whether a double click that reached window (in its coordinates) landed
// on the window's own background, or on a bare container of its layout,
// rather than on a title, label, picture, box or other control that passed
// it on.
bool OnOwnBackground(const QWidget* window, const QPointF& position);
// Runs action on a left click on the widget (pictures have no click of
// their own).
void OnClick(QWidget* widget, std::function<void()> action);
