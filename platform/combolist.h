#pragma once
// Choice boxes, whose text only the user changes and only by a pick: they
// show a prompt ("供货商", "性别", "请选择收费类别") or the last pick, and
// filling or refilling their lists must leave that text alone.
#include <QComboBox>
#include <QStringList>
#include <functional>

// A choice box: its text is a pick from its list (or what the window
// shows in it), never typed, pasted or dropped; every key but Enter and
// the keys that open and walk the list is swallowed, Backspace and Delete
// included. Enter runs onEnter (and goes no further). Starts with the
// given text.
QComboBox* NewPickCombo(QWidget* parent, const QString& name, const QString& text,
                        std::function<void()> onEnter = {});
// Appends items, keeping the text shown and picking nothing, so that the
// next pick of any item, the first included, is a change.
void AppendItems(QComboBox* box, const QStringList& items);
// Empties the list and shows text, picking nothing.
void ResetCombo(QComboBox* box, const QString& text);
