// The number boxes of the clinic take only what a number needs.
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>

#include "platform/amountkeys.h"
#include "platform/keys.h"
#include "support/testkit.h"

class AmountKeysTest : public QObject {
  Q_OBJECT
 private slots:
  void boxesTakeOnlyWhatTheirNumbersNeed_data() {
    QTest::addColumn<bool>("age");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("amount") << false << "1a2.5-x 3,岁" << "12.53";
    QTest::newRow("age") << true << "4.5a 岁-" << "45";
  }
  void boxesTakeOnlyWhatTheirNumbersNeed() {
    QFETCH(bool, age);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QLineEdit box;
    age ? AgeKeyFilter(&box) : AmountKeyFilter(&box);
    for (const QChar c : typed) QTest::sendKeyEvent(QTest::Press, &box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(box.text(), kept);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(box.text(), kept.chopped(1));
  }

  // An input method commits its text in one go, past the key filter.
  void inputMethodTextIsFilteredToo_data() {
    QTest::addColumn<bool>("age");
    QTest::addColumn<QString>("committed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("amount digits") << false << "2.5" << "12.5";
    QTest::newRow("amount full-width") << false << "２．５" << "1";
    QTest::newRow("amount word") << false << "十二元" << "1";
    QTest::newRow("age digits") << true << "45" << "145";
    QTest::newRow("age point") << true << "4.5" << "1";
  }
  void inputMethodTextIsFilteredToo() {
    QFETCH(bool, age);
    QFETCH(QString, committed);
    QFETCH(QString, kept);
    QLineEdit box;
    age ? AgeKeyFilter(&box) : AmountKeyFilter(&box);
    box.setText("1");
    QInputMethodEvent commit;
    commit.setCommitString(committed);
    QApplication::sendEvent(&box, &commit);
    QCOMPARE(box.text(), kept);
  }

  // Pasted or dropped text passes whole or not at all.
  void pastedTextIsRefusedWhole_data() {
    QTest::addColumn<bool>("age");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::newRow("amount digits") << false << "2.5" << "12.5";
    QTest::newRow("amount negative") << false << "-5" << "1";
    QTest::newRow("amount word") << false << "abc" << "1";
    QTest::newRow("amount full-width") << false << "１２" << "1";
    QTest::newRow("amount soft hyphen") << false << QString("2") + QChar(0x00AD) << "1";
    QTest::newRow("amount zero-width space") << false << QString(QChar(0x200B)) + "2" << "1";
    QTest::newRow("amount direction mark") << false << QString("2") + QChar(0x200F) << "1";
    QTest::newRow("age point") << true << "4.5" << "1";
    QTest::newRow("age digits") << true << "45" << "145";
  }
  void pastedTextIsRefusedWhole() {
    QFETCH(bool, age);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    QLineEdit box;
    age ? AgeKeyFilter(&box) : AmountKeyFilter(&box);
    box.setText("1");
    QApplication::clipboard()->setText(pasted);
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box.text(), kept);
    box.setText("1");
    QTest::keyClick(&box, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(box.text(), kept);
    // The context menu's paste and a drop insert the same way.
    box.setText("1");
    box.end(false);
    box.insert(pasted);
    QCOMPARE(box.text(), kept);
  }

  void invisibleCharactersAreNotKeysThatTypeNothing() {
    QLineEdit box;
    AmountKeyFilter(&box);
    for (const QChar c : {QChar(0x00AD), QChar(0x200B), QChar(0x200E), QChar('5')})
      QTest::sendKeyEvent(QTest::Press, &box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(box.text(), QString("5"));
  }

  void enterStillMovesOn() {
    QWidget window;
    auto* box = new QLineEdit(&window);
    auto* next = new QLineEdit(&window);
    AmountKeyFilter(box);
    ChainEnter(box, next);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    box->setFocus();
    TestKit::PressEnter(box);
    QVERIFY(next->hasFocus());
  }
};

BRIMWICK_TEST_MAIN(AmountKeysTest)
#include "amountkeys.moc"
