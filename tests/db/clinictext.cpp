// The clinic's text forms and operator columns: what a desk shows and what
// it records, without a store.
#include <QLabel>
#include <cmath>

#include "db/clinicconventions.h"
#include "platform/numbers.h"
#include "platform/session.h"
#include "support/testkit.h"

class ClinicTextTest : public QObject {
  Q_OBJECT
 private slots:
  void daysTravelAsIsoText() {
    QCOMPARE(DayText(QDate(2024, 2, 9)), QString("2024-02-09"));
    QCOMPARE(DayText(QDate(1999, 12, 31)), QString("1999-12-31"));
  }

  void moneyShowsTwoDecimals_data() {
    QTest::addColumn<QString>("sum");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no row") << "" << "0.00";
    QTest::newRow("blanks") << "   " << "0.00";
    QTest::newRow("whole") << "12" << "12.00";
    QTest::newRow("one decimal") << " 12.5 " << "12.50";
    QTest::newRow("half a fen up") << "0.125" << "0.13";
    QTest::newRow("below half") << "2.674" << "2.67";
    QTest::newRow("no thousands separator") << "1234567.891" << "1234567.89";
    QTest::newRow("negative") << "-3.456" << "-3.46";
    QTest::newRow("tiny negative") << "-0.001" << "0.00";
    QTest::newRow("float noise") << "0.30000000000000004" << "0.30";
    // The written figure is rounded, not the binary double beneath it.
    QTest::newRow("written half up") << "1.005" << "1.01";
    QTest::newRow("written half up again") << "2.675" << "2.68";
    QTest::newRow("written half away from zero") << "-1.005" << "-1.01";
    QTest::newRow("negative rounding to nothing") << "-0.004" << "0.00";
  }
  void moneyShowsTwoDecimals() {
    QFETCH(QString, sum);
    QFETCH(QString, shown);
    QCOMPARE(MoneyText(sum), shown);
    if (sum.trimmed().isEmpty()) return;
    QCOMPARE(MoneyTextStrict(sum), shown);
    // The number form rounds the same figure, a negative zero included.
    const double cents = CentsValue(FloatValue(sum));
    QVERIFY(cents == FloatValue(shown) && !(cents == 0 && std::signbit(cents)));
  }

  // The number form against the text on sums a sheet meets: ties written
  // a cent apart, and figures that only look like ties in binary.
  void centsAsNumbersMatchTheirText() {
    for (qint64 cents = -200000; cents <= 200000; cents += 37) {
      for (const double rest : {0.0, 0.5, 0.4999999, 0.5000001, 0.3, -0.5}) {
        for (const double value : {(cents + rest) / 100, (cents + rest) / 100 * 1e6, (cents + rest) / 1e5}) {
          const double text = FloatValue(TwoDecimals(value));
          if (CentsValue(value) != text) QFAIL(qPrintable(QString::number(value, 'g', 17)));
        }
      }
    }
  }

  void moneyWithoutTheEmptyTestRefusesAnEmptySum() {
    try {
      MoneyTextStrict("");
      QFAIL("an empty sum was formatted");
    } catch (const ConversionError& error) {
      QCOMPARE(error.text(), QString("'' is not a valid floating point value"));
    }
    // Caught where database errors are caught.
    QVERIFY_THROWS_EXCEPTION(DbError, MoneyText("abc"));
    QVERIFY_THROWS_EXCEPTION(DbError, VisitKey::FromText("x1", "acc"));
  }

  void generalFloatForm() {
    QCOMPARE(FloatText(12.50), QString("12.5"));
    QCOMPARE(FloatText(0), QString("0"));
    QCOMPARE(FloatText(0.1 + 0.2), QString("0.3"));
    QCOMPARE(FloatText(1.0 / 3), QString("0.333333333333333"));
    QCOMPARE(FloatText(100 - 87.35), QString("12.65"));
    QCOMPARE(FloatValue(" 7.25 "), 7.25);
  }

  void operatorColumnsTakeAccountOrName() {
    QLabel account, name;
    Session::SetPanels(&account, &name);
    Session::SetLogin("  zhang01 ", " 张三  ");
    for (const char* column : {"划价人帐号", "反库人帐号", "报损人帐号"}) {
      QCOMPARE(OperatorColumnKind(column), OperatorKind::Account);
      QCOMPARE(OperatorValue(column), QString("zhang01"));
    }
    for (const char* column : {"收银人帐号", "出库人帐号", "操作人帐号", "退还人帐号", "统计人"}) {
      QCOMPARE(OperatorColumnKind(column), OperatorKind::UserName);
      QCOMPARE(OperatorValue(column), QString("张三"));
    }
    // Copied from the receipt, never written by a desk.
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, OperatorValue("入库人帐号"));
    Session::SetPanels(nullptr, nullptr);
  }
};

BRIMWICK_TEST_MAIN(ClinicTextTest)
#include "clinictext.moc"
