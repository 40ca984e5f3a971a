// Amounts in capitals as the cash income sheet writes them, and the month
// the finance summary reconciles: both pure, so checked figure by figure.
#include "db/clinicconventions.h"
#include "reports/cashincome.h"
#include "reports/cwzhbb.h"
#include "support/testkit.h"

class CapitalsTest : public QObject {
  Q_OBJECT
 private slots:
  void amountsInCapitals_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("capitals");
    const QList<std::pair<const char*, const char*>> cases = {
        {"1005.00", "壹仟零伍元整"},
        {"1234.56", "壹仟贰佰叁拾肆元伍角陆分整"},
        {"10.30", "壹拾元叁角整"},
        {"0.50", "元伍角整"},
        {"0.05", "元零伍分整"},
        {"0.00", "元整"},
        {"0", "元整"},
        {"100000000", "壹亿元整"},
        {"1000100", "壹佰万零壹佰元整"},
        {"100010000", "壹亿零壹万元整"},
        {"120000.07", "壹拾贰万元零柒分整"},
        {"10", "壹拾元整"},
        {"100.5", "壹佰元伍角整"},
        {"1000000.01", "壹佰万元零壹分整"},
        {"10010", "壹万零壹拾元整"},
        {"1.005", "壹元零壹分整"},
        {"2.675", "贰元陆角捌分整"},
        {"-12.5", "负壹拾贰元伍角整"},
        {" 7.1 ", "柒元壹角整"},
        {"1234567890123", "壹万贰仟叁佰肆拾伍亿陆仟柒佰捌拾玖万零壹佰贰拾叁元整"},
        {"9999999999999.99", "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分整"},
    };
    for (const auto& [amount, capitals] : cases) QTest::newRow(amount) << QString(amount) << QString::fromUtf8(capitals);
  }
  void amountsInCapitals() {
    QFETCH(QString, amount);
    QFETCH(QString, capitals);
    QCOMPARE(AmountInCapitals(amount), capitals);
  }

  void amountsOutsideTheCapitalsAreRefused() {
    try {
      AmountInCapitals("10000000000000");
      QFAIL("fourteen integer digits were written");
    } catch (const AmountOutOfRange& e) {
      QCOMPARE(e.text(), QString("对不起，金额超出范围"));
    }
    QVERIFY_THROWS_EXCEPTION(AmountOutOfRange, AmountInCapitals("-10000000000000"));
    for (const char* notANumber : {"", "abc", "1,5", "nan"})
      QVERIFY_THROWS_EXCEPTION(ConversionError, AmountInCapitals(notANumber));
  }

  void reconciliationMonth_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::newRow("the 24th: none") << QDate(2026, 5, 24) << QDate() << QDate();
    QTest::newRow("the 1st: none") << QDate(2026, 5, 1) << QDate() << QDate();
    QTest::newRow("the 25th") << QDate(2026, 5, 25) << QDate(2026, 4, 25) << QDate(2026, 5, 24);
    QTest::newRow("the 31st") << QDate(2026, 5, 31) << QDate(2026, 4, 25) << QDate(2026, 5, 24);
    QTest::newRow("January") << QDate(2027, 1, 28) << QDate(2026, 12, 25) << QDate(2027, 1, 24);
    QTest::newRow("March after February") << QDate(2028, 3, 31) << QDate(2028, 2, 25) << QDate(2028, 3, 24);
  }
  void reconciliationMonth() {
    QFETCH(QDate, today);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    const std::optional<MonthWindow> month = ReconciliationMonth(today);
    QCOMPARE(month.has_value(), first.isValid());
    if (!month) return;
    QCOMPARE(month->first, first);
    QCOMPARE(month->last, last);
  }
};

BRIMWICK_TEST_MAIN(CapitalsTest)
#include "capitals.moc"
