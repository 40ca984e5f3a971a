#pragma once
// Building the shop windows' boxes and buttons under their component names.
#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

QLineEdit* NewEdit(QWidget* parent, const QString& name, const QString& text = QString());
// A button that a focused Enter presses, as at the end of each Enter chain.
QPushButton* NewButton(QWidget* parent, const QString& name, const QString& caption);
