#pragma once
// Our own pictures and button glyphs, compiled into the program.
#include <QIcon>
#include <QPixmap>

// A picture by its file name under resources/ ("login.jpg").
QPixmap Picture(const QString& name);
// A button or menu glyph by its file name ("glyph-ok.png").
QIcon Glyph(const QString& name);
