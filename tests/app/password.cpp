#include <QLabel>
#include <QPushButton>

#include "app/mmxg.h"
#include "platform/session.h"
#include "support/accountfixture.h"
#include "support/testkit.h"

using AccountFixture::AddUser;
using AccountFixture::PasswordIs;

class PasswordTest : public QObject {
  Q_OBJECT
  QLabel accountPanel_;
  QLabel namePanel_;
  QPointer<TFormmaxg> window_;

  QLineEdit* box(const char* name) { return Find<QLineEdit>(window_, name); }
  QPushButton* button(const char* name) { return Find<QPushButton>(window_, name); }
  QWidget* focus() { return QApplication::focusWidget(); }
  // Fills the three boxes without their focus handlers, then presses 更改.
  void change(const QString& old, const QString& fresh, const QString& repeat) {
    box("Edit1")->setText(old);
    box("Edit2")->setText(fresh);
    box("Edit3")->setText(repeat);
    button("BitBtn1")->click();
  }
  void openWindow() {
    window_ = new TFormmaxg;
    window_->show();
    QApplication::setActiveWindow(window_);
    QVERIFY(QTest::qWaitForWindowActive(window_));
    box("Edit1")->setFocus();
  }

 private slots:
  void init() {
    TestKit::FreshDataDir();
    Session::SetPanels(&accountPanel_, &namePanel_);
    Session::SetLogin("clerk", "小李");
    AddUser("clerk", "小李", "old");
    TestKit::ClearMessages();
  }
  void cleanup() { delete window_; }

  void wrongOldPasswordIsClearedAndKeepsTheFocus() {
    openWindow();
    TestKit::Type(box("Edit1"), "bad");
    TestKit::PressEnter(box("Edit1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，密码错误，请重新输入！"});
    QCOMPARE(box("Edit1")->text(), QString());
    QCOMPARE(focus(), box("Edit1"));
    // Tabbing away runs the same check.
    TestKit::ClearMessages();
    TestKit::Type(box("Edit1"), "bad");
    QTest::keyClick(box("Edit1"), Qt::Key_Tab);
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，密码错误，请重新输入！"});
    QCOMPARE(focus(), box("Edit1"));
    QCOMPARE(box("Edit2")->text(), QString("482915"));
  }

  void wholeChange() {
    openWindow();
    TestKit::Type(box("Edit1"), " old ");
    TestKit::PressEnter(box("Edit1"));
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QCOMPARE(focus(), box("Edit2"));
    QCOMPARE(box("Edit2")->text(), QString());
    QCOMPARE(box("Edit3")->text(), QString());
    QTest::keyClicks(box("Edit2"), "new1");
    TestKit::PressEnter(box("Edit2"));
    QCOMPARE(focus(), box("Edit3"));
    QTest::keyClicks(box("Edit3"), "new2");
    TestKit::PressEnter(box("Edit3"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，密码不一不同，请重新输入！"});
    QCOMPARE(box("Edit2")->text(), QString());
    QCOMPARE(box("Edit3")->text(), QString());
    QCOMPARE(focus(), box("Edit2"));
    TestKit::ClearMessages();
    QTest::keyClicks(box("Edit2"), "new1 ");
    TestKit::PressEnter(box("Edit2"));
    QTest::keyClicks(box("Edit3"), " new1");
    TestKit::PressEnter(box("Edit3"));
    QCOMPARE(focus(), static_cast<QWidget*>(button("BitBtn1")));
    // A keyboard-only user finishes with Enter on the focused button.
    TestKit::PressEnter(button("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"修改成功，请牢记自己的密码，下次请用新密码登陆！"});
    QVERIFY(PasswordIs("clerk", "new1"));
    QVERIFY(!PasswordIs("clerk", "old"));
    QTRY_VERIFY(window_.isNull());
  }

  void tabRunsThroughTheBoxesThenTheButtons() {
    openWindow();
    TestKit::Type(box("Edit1"), "old");
    QStringList order;
    for (int i = 0; i < 5; ++i) {
      order << focus()->objectName();
      QTest::keyClick(focus(), Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"Edit1", "Edit2", "Edit3", "BitBtn1", "BitBtn2"}));
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void emptyNewPasswordIsAPassword() {
    openWindow();
    TestKit::Type(box("Edit1"), "old");
    TestKit::PressEnter(box("Edit1"));
    TestKit::PressEnter(box("Edit2"));
    TestKit::PressEnter(box("Edit3"));
    QCOMPARE(focus(), static_cast<QWidget*>(button("BitBtn1")));
    TestKit::Click(button("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"修改成功，请牢记自己的密码，下次请用新密码登陆！"});
    QVERIFY(PasswordIs("clerk", ""));
    QVERIFY(!PasswordIs("clerk", "old"));
  }

  void changeChecksTheBoxesAgain() {
    openWindow();
    change("bad", "new1", "new1");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，密码错误，请重新输入！"});
    QCOMPARE(box("Edit1")->text(), QString());
    QVERIFY(PasswordIs("clerk", "old"));
    TestKit::ClearMessages();
    change("old", "new1", "new2");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，密码不一不同，请重新输入！"});
    QVERIFY(PasswordIs("clerk", "old"));
    QVERIFY(!window_.isNull());
  }

  void changeThatWritesNoRowSaysSo() {
    AccountFixture::Run(
        "create trigger frozen before update on 用户 begin select raise(ignore); end");
    openWindow();
    change("old", "new1", "new1");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，操作失败"});
    QVERIFY(PasswordIs("clerk", "old"));
    QVERIFY(!window_.isNull());
  }

  void changeWritesByTheLoggedInAccountOnly() {
    AddUser("other", "小李", "old");
    AddUser("O'Neil", "某", "it's");
    Session::SetLogin("O'Neil", "某");
    openWindow();
    change("it's", "x') or ('1'='1", "x') or ('1'='1");
    QVERIFY(PasswordIs("O'Neil", "x') or ('1'='1"));
    QVERIFY(PasswordIs("clerk", "old"));
    QVERIFY(PasswordIs("other", "old"));
  }

  void leaveClosesEvenAfterAWrongOldPassword() {
    openWindow();
    TestKit::Type(box("Edit1"), "bad");
    TestKit::Click(button("BitBtn2"));
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QTRY_VERIFY(window_.isNull());
    QVERIFY(PasswordIs("clerk", "old"));
  }

  void boxesTakeTwentyCharacters() {
    openWindow();
    for (const char* name : {"Edit1", "Edit2", "Edit3"}) {
      box(name)->clear();
      QTest::keyClicks(box(name), "abcdefghijklmnopqrstuvwxy");
      QCOMPARE(box(name)->text(), QString("abcdefghijklmnopqrst"));
      box(name)->clearFocus();
      TestKit::ClearMessages();
    }
  }
};

BRIMWICK_TEST_MAIN(PasswordTest)
#include "password.moc"
