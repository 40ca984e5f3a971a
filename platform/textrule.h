#pragma once
// The one rule for what a text of the system may hold, in a box and in
// the stores alike.
#include <QString>

// Control characters (NUL, tab, line breaks and the like) and the
// invisible format characters that change how a text reads: the direction
// marks, embeddings, overrides and isolates, the zero width space, the
// byte order mark, and the line and paragraph separators.
bool IsRefusedCharacter(QChar c);
bool HasRefusedCharacter(const QString& text);
// What a clerk is told when a text holding such a character is refused.
QString RefusedTextMessage();
