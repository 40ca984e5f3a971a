#include "platform/datadir.h"

#include <QCoreApplication>
#include <QDir>

QString DataDir() {
  QString dir = qEnvironmentVariable("BRIMWICK_DATA_DIR");
  if (dir.isEmpty()) dir = QCoreApplication::applicationDirPath();
  dir = QDir(dir).absolutePath();
  if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  return dir;
}

QString WorkbookFolder() {
  const QString folder = DataDir() + QStringLiteral("workbooks");
  return QDir().mkpath(folder) ? folder : DataDir();
}
