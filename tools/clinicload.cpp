// Loads CSV files into the clinic store's tables that no window writes.
#include <QCoreApplication>
#include <QTextStream>

#include "tools/lib/loadcommand.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  return RunClinicLoad(app.arguments().mid(1), out, err);
}
