#include "app/program.h"

#include <QApplication>

#include "platform/widgets.h"

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Brimwick"));
  InstallPlatformDefaults();
  return 0;
}
