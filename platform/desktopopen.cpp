#include "platform/desktopopen.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace {
bool& recording() {
  static bool r = false;
  return r;
}
QStringList& recorded() {
  static QStringList list;
  return list;
}
}  // namespace

bool OpenWithDesktop(const QString& path) {
  if (recording()) {
    recorded().append(path);
    return true;
  }
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace DesktopOpen {
void RecordInstead() {
  recording() = true;
  recorded().clear();
}
void OpenNormally() { recording() = false; }
const QStringList& Recorded() { return recorded(); }
}  // namespace DesktopOpen
