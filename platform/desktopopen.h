#pragma once
// Handing a file we wrote to the desktop's own program for its kind (the
// spreadsheet program for a workbook). Without a desktop (the offscreen
// platform of the tests) nothing is opened; tests can record the requests.
#include <QString>
#include <QStringList>

// Opens path with the desktop's default program, if there is one; false
// when nothing took it.
bool OpenWithDesktop(const QString& path);

namespace DesktopOpen {
// Later requests are only recorded.
void RecordInstead();
void OpenNormally();
const QStringList& Recorded();
}  // namespace DesktopOpen
