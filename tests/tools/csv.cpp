// Reading CSV text: quoting, line numbers that follow quoted line breaks,
// and the malformed quotes that must stop a load.
#include <QtTest>

#include "support/testkit.h"
#include "tools/lib/csv.h"

class CsvTest : public QObject {
  Q_OBJECT
 private slots:
  void plainRecordsKeepTheirLines() {
    const CsvText csv = ParseCsv(QStringLiteral("\xFEFF编号,数量\r\n1001,40\r\n\r\n1002,\r\n"));
    QVERIFY(csv.error.isEmpty());
    QCOMPARE(csv.records.size(), size_t(3));
    QCOMPARE(csv.records[0].fields, QStringList({QStringLiteral("编号"), QStringLiteral("数量")}));
    QCOMPARE(csv.records[1].line, 2);
    QCOMPARE(csv.records[2].line, 4);  // the blank line 3 is skipped, not counted away
    QCOMPARE(csv.records[2].fields, QStringList({QStringLiteral("1002"), QString()}));
  }

  void quotedFieldsHoldCommasQuotesAndLineBreaks() {
    const CsvText csv = ParseCsv(QStringLiteral("a,b\n\"x, y\",\"say \"\"hi\"\"\"\n\"two\nlines\",\"\"\nlast,z"));
    QVERIFY2(csv.error.isEmpty(), qPrintable(csv.error));
    QCOMPARE(csv.records.size(), size_t(4));
    QCOMPARE(csv.records[1].fields, QStringList({QStringLiteral("x, y"), QStringLiteral("say \"hi\"")}));
    QCOMPARE(csv.records[2].fields, QStringList({QStringLiteral("two\nlines"), QString()}));
    QCOMPARE(csv.records[2].line, 3);
    QCOMPARE(csv.records[3].line, 5);  // after the quoted line break
  }

  void malformedQuotesAreRefusedWhereTheyStand() {
    CsvText csv = ParseCsv(QStringLiteral("a,b\n1,\"open\n2,3\n"));
    QVERIFY(!csv.error.isEmpty());
    QCOMPARE(csv.errorLine, 2);  // where the field was opened

    csv = ParseCsv(QStringLiteral("a,b\n1,2\n3,\"x\"y\n"));
    QVERIFY(!csv.error.isEmpty());
    QCOMPARE(csv.errorLine, 3);

    csv = ParseCsv(QStringLiteral("a,b\n1,2\n3,x\"y\n"));
    QVERIFY(!csv.error.isEmpty());
    QCOMPARE(csv.errorLine, 3);
  }
};

BRIMWICK_TEST_MAIN(CsvTest)
#include "csv.moc"
