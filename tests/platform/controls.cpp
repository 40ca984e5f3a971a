#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QStyle>

#include "db/connection.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/formevents.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/textrule.h"
#include "platform/widgets.h"
#include "support/testkit.h"

class ControlsTest : public QObject {
  Q_OBJECT

  Connection memory() {
    Connection c(UniqueConnectionName("mem"));
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", c.name());
    db.setDatabaseName(":memory:");
    db.open();
    Exec(db, "create table t (a text, b real)");
    Exec(db, "insert into t values ('x', 6.7), ('y', 10), ('z', null)");
    return c;
  }

 private slots:
  void gridShowsEveryRowAndStripesByRecordNumber() {
    Connection c = memory();
    DataGrid grid;
    QSqlQuery q = Exec(c.db(), "select a, b from t order by a");
    grid.Open(q);
    grid.SetStripes(RowStripes::BlackWhiteOnBlue);
    QCOMPARE(grid.RecordCount(), 3);
    QCOMPARE(grid.Model()->headerData(1, Qt::Horizontal).toString(), QString("b"));
    const QModelIndex first = grid.Model()->index(0, 0), second = grid.Model()->index(1, 0);
    QCOMPARE(grid.Model()->data(first, Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    QCOMPARE(grid.Model()->data(first, Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
    QCOMPARE(grid.Model()->data(second, Qt::BackgroundRole).value<QColor>(), QColor(Qt::blue));
    QCOMPARE(grid.Model()->data(second, Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
    grid.SetStripes(RowStripes::YellowAqua);
    QCOMPARE(grid.Model()->data(first, Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));
    QCOMPARE(grid.Model()->data(second, Qt::BackgroundRole).value<QColor>(), QColor(Qt::cyan));
  }

  void gridCellsReadTheCurrentRowAsStored() {
    Connection c = memory();
    DataGrid grid;
    QSqlQuery q = Exec(c.db(), "select a, b from t order by a");
    grid.Open(q);
    QCOMPARE(grid.Cell(1), QString("6.7"));
    grid.setCurrentIndex(grid.Model()->index(1, 0));
    QCOMPARE(grid.Cell(0), QString("y"));
    QCOMPARE(grid.Cell(1), QString("10"));
    grid.setCurrentIndex(grid.Model()->index(2, 0));
    QCOMPARE(grid.Cell(1), QString());
    grid.SetColumnWidths({60, 120});
    QCOMPARE(grid.columnWidth(1), 120);
  }

  // Shown formats change the text only: Cell() still reads the stored value.
  void gridColumnsShowTheirDecimals() {
    Connection c = memory();
    DataGrid grid;
    grid.SetColumnDecimals({kGeneral, kMoneyDecimals});
    QSqlQuery q = Exec(c.db(), "select a, b from t order by a");
    grid.Open(q);
    auto shown = [&](int row) { return grid.Model()->data(grid.Model()->index(row, 1)).toString(); };
    QCOMPARE(shown(0), QString("6.70"));
    QCOMPARE(shown(1), QString("10.00"));
    QCOMPARE(shown(2), QString());
    QCOMPARE(grid.Cell(1), QString("6.7"));
    grid.SetColumnDecimals({kGeneral, kThreeDecimals});
    QCOMPARE(shown(0), QString("6.700"));
    QCOMPARE(CellText(QVariant(QString("12.5")), kMoneyDecimals), QString("12.50"));
    QCOMPARE(CellText(QVariant(QString("")), kMoneyDecimals), QString());
  }

  // Rounded as the decimal a person reads, half away from zero.
  void fixedDecimalsRoundTheWrittenNumber() {
    QCOMPARE(FixedText(1.005, 2), QString("1.01"));
    QCOMPARE(FixedText(2.675, 2), QString("2.68"));
    QCOMPARE(FixedText(-2.675, 2), QString("-2.68"));
    QCOMPARE(FixedText(3 * 1.115, 2), QString("3.35"));
    QCOMPARE(FixedText(-0.001, 2), QString("0.00"));
    QCOMPARE(FixedText(9.995, 2), QString("10.00"));
    QCOMPARE(FixedText(0.0004, 3), QString("0.000"));
    QCOMPARE(FixedText(0.0005, 3), QString("0.001"));
    QCOMPARE(FixedText(123456789012.345, 2), QString("123456789012.35"));
    QCOMPARE(FixedText(1e20, 2), QString("100000000000000000000.00"));
    QCOMPARE(FixedText(0, 2), QString("0.00"));
    QCOMPARE(FixedText(7, 0), QString("7"));
  }

  // A release whose press went elsewhere (the Enter that closed a box)
  // runs nothing; a press and release in the box runs once.
  void keyUpOnlyForAKeyPressedHere() {
    QLineEdit box;
    int released = 0;
    OnKeyUp(&box, [&](int) { ++released; });
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&box, &release);
    QCOMPARE(released, 0);
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(released, 1);
    QApplication::sendEvent(&box, &release);
    QCOMPARE(released, 1);
  }

  void enterMovesAlongTheChain() {
    QWidget w;
    auto* a = new QLineEdit(&w);
    auto* b = new QLineEdit(&w);
    auto* c = new QPushButton(&w);
    ChainEnter({a, b, c});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    a->setFocus();
    TestKit::PressEnter(a);
    QVERIFY(b->hasFocus());
    TestKit::PressEnter(b);
    QVERIFY(c->hasFocus());
  }

  void amountFilterSwallowsOtherKeys() {
    QLineEdit e;
    FilterKeys(&e, "0123456789.");
    QTest::keyClicks(&e, "1a2.5-x");
    QCOMPARE(e.text(), QString("12.5"));
    QTest::keyClick(&e, Qt::Key_Backspace);
    QCOMPARE(e.text(), QString("12."));
  }

  // Whatever made the box, it keeps a text put in up to its first line
  // break, the rest of the box as it was; a text still holding a control
  // or an invisible format character is refused whole. A number box judges
  // the first line by its own filter.
  void textBoxesTakeTheFirstLineAndRefuseHiddenCharacters() {
    QWidget window;
    auto* combo = new QComboBox(&window);
    combo->setEditable(true);
    auto* amount = new QLineEdit(&window);
    FilterKeys(amount, "0123456789.");
    auto* plain = new QLineEdit(&window);
    window.show();
    TestKit::ClearMessages();
    for (QLineEdit* box : {plain, combo->lineEdit()}) {
      box->insert(QStringLiteral("李四\r\n"));
      box->setCursorPosition(1);
      box->insert(QStringLiteral("x\ny\nz"));
      for (const QString& hidden : {QString::fromUtf8("张\0三", 7), QStringLiteral("a\tb"), QStringLiteral("王\u202E五"),
                                    QStringLiteral("\u200B五"), QStringLiteral("五\u2066"), QStringLiteral("\uFEFF五")})
        box->insert(hidden);
      QCOMPARE(box->text(), QString("李x四"));
      QCOMPARE(box->cursorPosition(), 2);
    }
    amount->insert(QStringLiteral("12.5\n"));
    amount->insert(QString::fromUtf8("1\0", 2));
    QCOMPARE(amount->text(), QString("12.5"));
    QTRY_COMPARE(TestKit::MessageTexts(), QStringList(3, RefusedTextMessage()));  // once a box in one turn
    QVERIFY(HasControlCharacter(QString(QChar(0x2029))));
    QVERIFY(!HasControlCharacter(QStringLiteral("张三 12.5")));
  }

  void passwordBoxShowsItsOwnCharacter() {
    QLineEdit e;
    SetPasswordCharacter(&e, '#');
    QCOMPARE(e.echoMode(), QLineEdit::Password);
    QCOMPARE(e.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &e), int('#'));
  }

  void messagesAreRecordedAndAnswered() {
    TestKit::ClearMessages();
    TestKit::AnswerNext({false});
    QVERIFY(!AskYesNo("q?", "title"));
    QVERIFY(AskYesNo("again?", "title"));
    ShowMessage("plain");
    QCOMPARE(TestKit::MessageTexts(), QStringList({"q?", "again?", "plain"}));
    QCOMPARE(TestKit::MessageTitles().first(), QString("title"));
  }

  void clockCanBeFixed() {
    Clock::Set(QDateTime(QDate(2026, 1, 2), QTime(3, 4)));
    QCOMPARE(Clock::today(), QDate(2026, 1, 2));
    Clock::Reset();
    QCOMPARE(Clock::today(), QDate::currentDate());
  }
};

BRIMWICK_TEST_MAIN(ControlsTest)
#include "controls.moc"
