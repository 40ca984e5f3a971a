#include "db/storedtext.h"

#include "db/sql.h"
#include "platform/textrule.h"

const QVariant& StorableText(const QVariant& value) {
  if (value.typeId() == QMetaType::QString && HasRefusedCharacter(value.toString()))
    throw DbError(RefusedTextMessage());
  return value;
}
