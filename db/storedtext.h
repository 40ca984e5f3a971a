#pragma once
// The store's edge for text: whatever a window typed, the program set or
// a posting computed, a text value reaches neither store holding a
// character that no box takes (platform/textrule.h). SQLite would keep a
// text up to a NUL and drop the rest unseen; PostgreSQL answers with its
// raw text.
#include <QVariant>

// The value itself; throws DbError with the clerk's sentence when it is a
// text holding a refused character.
const QVariant& StorableText(const QVariant& value);
