#pragma once
#include <QString>

// The data folder: the program's folder, or the one BRIMWICK_DATA_DIR names
// (for an installed program whose folder is read-only, and for tests).
// The result ends with a slash.
QString DataDir();
