#include "stock/pinyin.h"
#include "support/testkit.h"

namespace {
QByteArray pair(unsigned code) {
  QByteArray bytes;
  bytes.append(static_cast<char>(code >> 8));
  bytes.append(static_cast<char>(code & 0xFF));
  return bytes;
}
}  // namespace

class PinyinTest : public QObject {
  Q_OBJECT
 private slots:
  void initialsAtTheEdgesOfEveryRun_data() {
    QTest::addColumn<unsigned>("code");
    QTest::addColumn<QString>("initial");
    // First and last code of each letter's run, and the codes either side.
    const struct { unsigned first, last; char letter; } runs[] = {
        {0xB0A1, 0xB0C4, 'A'}, {0xB0C5, 0xB2C0, 'B'}, {0xB2C1, 0xB4ED, 'C'}, {0xB4EE, 0xB6E9, 'D'},
        {0xB6EA, 0xB7A1, 'E'}, {0xB7A2, 0xB8C0, 'F'}, {0xB8C1, 0xB9FD, 'G'}, {0xB9FE, 0xBBF6, 'H'},
        {0xBBF7, 0xBFA5, 'J'}, {0xBFA6, 0xC0AB, 'K'}, {0xC0AC, 0xC2E7, 'L'}, {0xC2E8, 0xC4C2, 'M'},
        {0xC4C3, 0xC5B5, 'N'}, {0xC5B6, 0xC5BD, 'O'}, {0xC5BE, 0xC6D9, 'P'}, {0xC6DA, 0xC8BA, 'Q'},
        {0xC8BB, 0xC8F5, 'R'}, {0xC8F6, 0xCBF9, 'S'}, {0xCBFA, 0xCDD9, 'T'}, {0xCDDA, 0xCEF3, 'W'},
        {0xCEF4, 0xD1B8, 'X'}, {0xD1B9, 0xD4D0, 'Y'}, {0xD4D1, 0xD7F9, 'Z'},
    };
    for (const auto& run : runs) {
      const QString letter(QLatin1Char(run.letter));
      QTest::addRow("%c first %X", run.letter, run.first) << run.first << letter;
      QTest::addRow("%c last %X", run.letter, run.last) << run.last << letter;
    }
    QTest::addRow("below the table B0A0") << 0xB0A0u << QString(" ");
    QTest::addRow("above the table D7FA") << 0xD7FAu << QString(" ");
    QTest::addRow("level 2 D8A1") << 0xD8A1u << QString(" ");
    QTest::addRow("ascii pair") << 0x4142u << QString(" ");
  }

  void initialsAtTheEdgesOfEveryRun() {
    QFETCH(unsigned, code);
    QFETCH(QString, initial);
    QCOMPARE(QString(PinyinInitial(pair(code))), initial);
  }

  void initialNeedsExactlyTwoBytes() {
    QCOMPARE(PinyinInitial(QByteArray()), QChar(' '));
    QCOMPARE(PinyinInitial(QByteArray("\xD1")), QChar(' '));
    QCOMPARE(PinyinInitial(QByteArray("\xD1\xA7\xD1")), QChar(' '));
  }

  void abbreviationGoesCharacterByCharacter_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");
    QTest::newRow("one per run edge") << QString("学压啊座") << QString("XYAZ");
    QTest::newRow("ascii inside keeps later initials") << QString("维生素C片") << QString("WSS P");
    QTest::newRow("ascii only") << QString("ABC") << QString("   ");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("untrimmed blanks") << QString(" 口罩 ") << QString(" KZ ");
    QTest::newRow("quote and digits") << QString("O'Neil感冒2") << QString("      GM ");
    QTest::newRow("level 2 character") << QString("亍板") << QString(" B");
    QTest::newRow("not in GB2312") << QString("體温") << QString(" W");
    QTest::newRow("outside the basic plane") << QString("\U0001F600药") << QString(" Y");
    QTest::newRow("full-width symbol") << QString("（片）") << QString(" P ");
  }

  void abbreviationGoesCharacterByCharacter() {
    QFETCH(QString, name);
    QFETCH(QString, code);
    QCOMPARE(PinyinAbbreviation(name), code);
  }

  void nextCodes_data() {
    QTest::addColumn<QString>("largest");
    QTest::addColumn<QString>("next");
    QTest::newRow("empty table") << QString() << QString("00001");
    QTest::newRow("one blank") << QString(" ") << QString("00001");
    QTest::newRow("carry into tens") << QString("00009") << QString("00010");
    QTest::newRow("carry into ten thousands") << QString("09999") << QString("10000");
    QTest::newRow("last code") << QString("99998") << QString("99999");
    QTest::newRow("first five characters count") << QString("123456") << QString("12346");
  }

  void nextCodes() {
    QFETCH(QString, largest);
    QFETCH(QString, next);
    QCOMPARE(NextFiveDigitCode(largest), next);
  }

  void noCodeAfterTheLastOrFromText() {
    QVERIFY_THROWS_EXCEPTION(CodeError, NextFiveDigitCode("99999"));
    QVERIFY_THROWS_EXCEPTION(CodeError, NextFiveDigitCode("999999"));
    try {
      NextFiveDigitCode("ab12");
      QFAIL("a text seed gave a code");
    } catch (const CodeError& e) {
      QCOMPARE(e.text(), QString("'ab12' is not a valid integer value"));
    }
  }
};

BRIMWICK_TEST_MAIN(PinyinTest)
#include "pinyin.moc"
