#pragma once
// Search codes and serials shared by the shop and clinic windows: the
// pinyin initials of a name, and the next five-digit code of a table.
#include <QByteArray>
#include <QChar>
#include <QString>
#include <stdexcept>

// The upper-case pinyin initial of one two-byte GB2312 code (first byte
// times 256 plus the second), or a blank when the code lies outside the
// level-1 characters. Anything but two bytes gives a blank.
QChar PinyinInitial(const QByteArray& pair);

// One character per character of the name, untrimmed: the initial of each
// level-1 GB2312 character, a blank for everything else (ASCII, symbols,
// level-2 and characters GB2312 lacks).
QString PinyinAbbreviation(const QString& name);

// Why no next code can be given: the largest code is not a number, or the
// five-digit space is used up. text() is what the window shows.
class CodeError : public std::runtime_error {
 public:
  explicit CodeError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& text() const { return text_; }

 private:
  QString text_;
};

// The code after the largest stored one ("" or " " when the table is
// empty), counted by its first five characters and padded to five digits.
// Throws CodeError when the seed is no integer or 99999 is already taken.
QString NextFiveDigitCode(const QString& largest);
