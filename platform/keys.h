#pragma once
// Enter-key handling: most windows move the focus along a chain of boxes
// with Enter and end at their main button.
#include <QWidget>
#include <functional>

// Runs action when Enter or Return is pressed in the widget; the key is
// swallowed. Other keys pass as usual.
void OnEnter(QWidget* widget, std::function<void()> action);
// Enter in from moves the focus to to.
void ChainEnter(QWidget* from, QWidget* to);
// Enter in each widget moves the focus to the next one of the list.
void ChainEnter(std::initializer_list<QWidget*> chain);
// Lets only the given characters through (plus Backspace, Enter and the
// editing keys that type nothing), typed, committed by an input method,
// pasted or dropped; used by the amount boxes.
void FilterKeys(QWidget* widget, const QString& allowed);
