#pragma once
// The clinicload command, kept out of main() so that tests run it as a
// user would and read what it prints.
#include <QStringList>
#include <QTextStream>

// args without the program's name:
//   [--only-new] <datadir> (<table>=<file.csv> | <folder>)...
// A folder stands for every <table>.csv in it. With --only-new nothing is
// loaded when any of the tables already holds a row (the store is in use).
// Returns the exit code: 0 loaded (or left alone), 1 a problem, 2 usage.
int RunClinicLoad(const QStringList& args, QTextStream& out, QTextStream& err);
