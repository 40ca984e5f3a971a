#include "platform/textrule.h"

bool IsRefusedCharacter(QChar c) {
  if (c.category() == QChar::Other_Control) return true;
  switch (c.unicode()) {
    case 0x061C:                                            // Arabic letter mark
    case 0x200B:                                            // zero width space
    case 0x200E: case 0x200F:                               // direction marks
    case 0x2028: case 0x2029:                               // line and paragraph separators
    case 0x202A: case 0x202B: case 0x202C: case 0x202D: case 0x202E:  // embeddings, overrides
    case 0x2066: case 0x2067: case 0x2068: case 0x2069:     // isolates
    case 0xFEFF:                                            // byte order mark
      return true;
    default:
      return false;
  }
}

bool HasRefusedCharacter(const QString& text) {
  for (const QChar c : text)
    if (IsRefusedCharacter(c)) return true;
  return false;
}

QString RefusedTextMessage() {
  return QStringLiteral("对不起，文字中含有制表符、控制字符或看不见的格式字符（如文字方向符），不能录入");
}
