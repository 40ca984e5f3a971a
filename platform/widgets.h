#pragma once
// Small stand-ins for what the original controls offered directly.
#include <QColor>
#include <QString>
#include <functional>
#include <optional>

class QColorDialog;
class QLineEdit;
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

// Start-up of the program and of every widget test: font substitutions
// for the fonts the windows name, and Qt's own Chinese button texts.
void InstallPlatformDefaults();
