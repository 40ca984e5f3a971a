#pragma once
// Small stand-ins for what the original controls offered directly.
#include <QColor>
#include <QString>
#include <functional>
#include <optional>

class QColorDialog;
class QLineEdit;
class QValidator;
class QWidget;

// A password box that shows the given character for every typed one.
void SetPasswordCharacter(QLineEdit* edit, QChar character);

// The colour dialog; tests install a chooser that answers instead.
std::optional<QColor> PickColor(const QColor& initial, QWidget* parent);
// The same through a window's own colour dialog (so it can carry a name).
std::optional<QColor> PickColor(const QColor& initial, QColorDialog* dialog);
void InstallColorChooser(std::function<std::optional<QColor>(const QColor&)> chooser);

// The desktop's background colour, which several windows paint with.
QColor DesktopColor();

// Whether the text holds a control character (NUL, a line feed and the
// like) or an invisible format character, which no text box or loaded
// field takes (IsRefusedCharacter).
bool HasControlCharacter(const QString& text);

// Guards a single-line box: a text put in keeps only its first line, and
// one holding a refused character is refused with a message. A box's own
// filter, when it has one, then judges what is left. Every text box
// without a validator gets it on its own.
void GuardTextBox(QLineEdit* box, QValidator* filter = nullptr);

// Start-up of the program and of every widget test: font substitutions
// for the fonts the windows name, Qt's own Chinese button texts, and the
// guard of every text box.
void InstallPlatformDefaults();
