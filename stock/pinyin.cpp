#include "stock/pinyin.h"

#include <iconv.h>

#include <array>

namespace {
// GB2312 orders its level-1 characters by reading, so each initial owns one
// run of codes; the table gives the first code of every run, then the end.
struct InitialRun {
  unsigned first;
  char letter;
};
constexpr std::array<InitialRun, 23> kRuns = {{
    {0xB0A1, 'A'}, {0xB0C5, 'B'}, {0xB2C1, 'C'}, {0xB4EE, 'D'}, {0xB6EA, 'E'}, {0xB7A2, 'F'},
    {0xB8C1, 'G'}, {0xB9FE, 'H'}, {0xBBF7, 'J'}, {0xBFA6, 'K'}, {0xC0AC, 'L'}, {0xC2E8, 'M'},
    {0xC4C3, 'N'}, {0xC5B6, 'O'}, {0xC5BE, 'P'}, {0xC6DA, 'Q'}, {0xC8BB, 'R'}, {0xC8F6, 'S'},
    {0xCBFA, 'T'}, {0xCDDA, 'W'}, {0xCEF4, 'X'}, {0xD1B9, 'Y'}, {0xD4D1, 'Z'},
}};
constexpr unsigned kLastLevelOne = 0xD7F9;
constexpr int kCodeDigits = 5;
constexpr int kLargestCode = 99999;

// The GB2312 bytes of one character; empty when GB2312 has no such character.
class Gb2312Encoder {
 public:
  Gb2312Encoder() : cd_(iconv_open("GB2312", "UTF-8")) {}
  ~Gb2312Encoder() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Gb2312Encoder(const Gb2312Encoder&) = delete;
  Gb2312Encoder& operator=(const Gb2312Encoder&) = delete;

  QByteArray Encode(const QString& character) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return QByteArray();
    QByteArray in = character.toUtf8();
    char out[8];
    char* inPtr = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    char* outPtr = out;
    size_t outLeft = sizeof out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // fresh state per character
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
      return QByteArray();
    return QByteArray(out, static_cast<int>(outPtr - out));
  }

 private:
  iconv_t cd_;
};
}  // namespace

QChar PinyinInitial(const QByteArray& pair) {
  if (pair.size() != 2) return QLatin1Char(' ');
  const unsigned code = static_cast<unsigned char>(pair[0]) * 256u + static_cast<unsigned char>(pair[1]);
  if (code < kRuns.front().first || code > kLastLevelOne) return QLatin1Char(' ');
  char letter = kRuns.front().letter;
  for (const InitialRun& run : kRuns) {
    if (code < run.first) break;
    letter = run.letter;
  }
  return QLatin1Char(letter);
}

QString PinyinAbbreviation(const QString& name) {
  Gb2312Encoder encoder;
  QString result;
  // Walk whole characters (a surrogate pair is one), so that a one-byte
  // character never shifts the reading of the characters after it.
  for (qsizetype i = 0; i < name.size();) {
    const qsizetype length = (name.at(i).isHighSurrogate() && i + 1 < name.size()) ? 2 : 1;
    const QByteArray bytes = encoder.Encode(name.mid(i, length));
    result += PinyinInitial(bytes);
    i += length;
  }
  return result;
}

QString NextFiveDigitCode(const QString& largest) {
  const QString seed = (largest.isEmpty() || largest == QStringLiteral(" ")) ? QStringLiteral("00000")
                                                                             : largest.left(kCodeDigits);
  bool ok = false;
  const int value = seed.trimmed().toInt(&ok, 10);
  if (!ok || value < 0) throw CodeError(QStringLiteral("'%1' is not a valid integer value").arg(seed));
  if (value >= kLargestCode)
    throw CodeError(QStringLiteral("对不起，五位编号已用到%1，不能再填加！").arg(kLargestCode));
  return QStringLiteral("%1").arg(value + 1, kCodeDigits, 10, QLatin1Char('0'));
}
