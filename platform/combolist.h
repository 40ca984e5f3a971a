#pragma once
// Combo boxes whose text only the user changes: the pick lists of the
// report windows show a prompt ("供货商", "请选择患者姓名") or the last pick,
// and filling or refilling their lists must leave that text alone.
#include <QComboBox>
#include <QStringList>
#include <functional>

// An editable combo whose text can be picked from its list but never typed;
// Enter runs onEnter (and goes no further). Starts with the given text.
QComboBox* NewPickCombo(QWidget* parent, const QString& name, const QString& text,
                        std::function<void()> onEnter = {});
// Appends items, keeping the text shown and picking nothing, so that the
// next pick of any item, the first included, is a change.
void AppendItems(QComboBox* box, const QStringList& items);
// Empties the list and shows text, picking nothing.
void ResetCombo(QComboBox* box, const QString& text);
