#include "app/pictures.h"

// The resources live in a static library: nothing would pull them in
// unless someone names their initialiser.
static void InitPictures() {
  static const bool done = [] {
    Q_INIT_RESOURCE(brimwick);
    return true;
  }();
  (void)done;
}

QPixmap Picture(const QString& name) {
  InitPictures();
  return QPixmap(QStringLiteral(":/pictures/") + name);
}

QIcon Glyph(const QString& name) { return QIcon(Picture(name)); }
