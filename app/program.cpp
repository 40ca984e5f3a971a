#include "app/program.h"

#include <QApplication>
#include <QThread>

#include "app/denglu.h"
#include "app/zjm.h"
#include "platform/widgets.h"

namespace {
int& terminationRequests() {
  static int count = 0;
  return count;
}
}  // namespace

void TerminateProgram() {
  ++terminationRequests();
  // exit, not quit: quit would first ask every window to close, and the
  // main window answers a close with the exit question.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

int TerminationRequests() { return terminationRequests(); }

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  InstallPlatformDefaults();
  // Hiding the main window for the login must not end the run.
  QApplication::setQuitOnLastWindowClosed(false);
  Tzhjiemian zhjiemian;
  Tdl dl(&zhjiemian);
  zhjiemian.SetLoginWindow(&dl);
  dl.show();
  return QApplication::exec();
}
