#pragma once
#include <QString>

// The data folder: the program's folder, or the one BRIMWICK_DATA_DIR names
// (for an installed program whose folder is read-only, and for tests).
// The result ends with a slash.
QString DataDir();

// Where a save dialog proposes workbooks: "workbooks" in the data folder,
// made when missing, so that a clerk browsing for a name does not meet the
// stores' files; the data folder itself when that folder cannot be made.
QString WorkbookFolder();
