#pragma once
// Focus and click events in the manner of the windows' own handlers: a box
// is "entered" and "left" when the focus moves between the controls of one
// window, not when another window takes the focus for a while.
#include <QWidget>
#include <functional>

// Runs action when control gains the focus, except when its window merely
// becomes active again.
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
// Runs action on a left click on the widget (pictures have no click of
// their own).
void OnClick(QWidget* widget, std::function<void()> action);
