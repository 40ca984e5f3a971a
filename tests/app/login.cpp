#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "app/denglu.h"
#include "app/program.h"
#include "app/zjm.h"
#include "platform/session.h"
#include "support/accountfixture.h"
#include "support/loginframe.h"
#include "support/testkit.h"

using AccountFixture::AddUser;

class LoginTest : public QObject {
  Q_OBJECT
  LoginFrame frame_;
  std::unique_ptr<Tzhjiemian>& main_ = frame_.main;
  std::unique_ptr<Tdl>& login_ = frame_.login;

  QLineEdit* box(const char* name) { return Find<QLineEdit>(login_.get(), name); }
  QAction* action(const char* name) { return Find<QAction>(main_.get(), name); }
  // The five gated items of the laid-out menu, in the order of the rights.
  QList<bool> gated() {
    QList<bool> enabled;
    for (const char* name : {"N4", "N40", "N41", "N42", "N33"}) enabled << action(name)->isEnabled();
    return enabled;
  }
  void logIn(const QString& account, const QString& name, const QString& password) {
    box("Edit4")->setText(account);
    box("Edit1")->setText(name);
    box("Edit3")->setText(password);
    TestKit::Click(Find<QPushButton>(login_.get(), "BitBtn2"));
  }
  QStringList openCaptions() {
    QStringList captions;
    for (QMdiSubWindow* frame : main_->MdiArea()->subWindowList(QMdiArea::CreationOrder))
      captions << frame->windowTitle();
    return captions;
  }

 private slots:
  void init() { frame_.Open(); }
  void cleanup() { frame_.Close(); }

  void wrongPasswordKeepsTheLoginUp() {
    logIn("admin", "管理员", "admin");
    main_->N30Click();
    TestKit::ClearMessages();
    logIn("admin", " 管理员 ", "Admin");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，密码错误"});
    QCOMPARE(box("Edit3")->text(), QString());
    QCOMPARE(box("Edit4")->text(), QString("admin"));
    QCOMPARE(box("Edit1")->text(), QString(" 管理员 "));
    // The rights of the earlier login are gone until the next one succeeds.
    QCOMPARE(gated(), QList<bool>({false, false, false, false, false}));
    QVERIFY(login_->isVisible());
    QVERIFY(!main_->isVisible());
  }

  void loginEnablesTheAccountsRightsAndFillsThePanels() {
    logIn("", " 管理员 ", " admin ");
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QCOMPARE(gated(), QList<bool>({true, true, true, true, true}));
    QVERIFY(action("N15")->isEnabled());
    QCOMPARE(Find<QLabel>(main_.get(), "Panel1")->text(), QString("admin"));
    QCOMPARE(Find<QLabel>(main_.get(), "Panel3")->text(), QString("管理员"));
    QCOMPARE(CurrentAccount(), QString("admin"));
    QVERIFY(!login_->isVisible());
    QVERIFY(main_->isVisible());
    // The boxes keep what was typed for the next time the login shows.
    QCOMPARE(box("Edit1")->text(), QString(" 管理员 "));
  }

  void rightsAndPanelAreThoseOfTheMatchedAccount() {
    AddUser("clerk", "小李", "pw", {"产品入库", "老板查询"});
    // Rows that name no right exactly, or carry no code, enable nothing.
    AccountFixture::Run("insert into 权限信息 (权限序号, 账号, 权限) values ('', 'clerk', '资料维护')");
    AccountFixture::Run("insert into 权限信息 (权限序号, 账号, 权限) values ('spck', 'clerk', '产品出库 ')");
    logIn("admin", "小李", "pw");
    QCOMPARE(gated(), QList<bool>({false, true, false, false, true}));
    QCOMPARE(CurrentAccount(), QString("clerk"));
    QCOMPARE(CurrentUserName(), QString("小李"));
  }

  void firstRowWhosePasswordVerifiesWins() {
    AddUser("w1", "王", "a", {"资料维护"});
    AddUser("w2", "王", "b", {"产品出库"});
    AddUser("w3", "王", "a", {"老板查询"});
    logIn("", "王", "b");
    QCOMPARE(CurrentAccount(), QString("w2"));
    QCOMPARE(gated(), QList<bool>({false, false, true, false, false}));
    main_->N30Click();
    logIn("", "王", "a");
    QCOMPARE(CurrentAccount(), QString("w1"));
    QCOMPARE(gated(), QList<bool>({true, false, false, false, false}));
  }

  void quotesAreJustText() {
    AddUser("O'Neil", "O'Neil 先生", "it's", {"系统设置"});
    logIn("", "x') or ('1'='1", "x') or ('1'='1");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，密码错误"});
    // The account box fills the name box from the store as it is left.
    QApplication::setActiveWindow(login_.get());
    QVERIFY(QTest::qWaitForWindowActive(login_.get()));
    TestKit::Type(box("Edit4"), "O'Neil");
    box("Edit3")->setFocus();
    QCOMPARE(box("Edit1")->text(), QString("O'Neil 先生"));
    TestKit::Type(box("Edit3"), "it's");
    TestKit::PressEnter(box("Edit3"));
    QCOMPARE(CurrentAccount(), QString("O'Neil"));
    QCOMPARE(gated(), QList<bool>({false, false, false, true, false}));
  }

  void enterMovesFromAccountToPasswordThenLogsIn() {
    AddUser("clerk", "小李", "pw");
    QApplication::setActiveWindow(login_.get());
    QVERIFY(QTest::qWaitForWindowActive(login_.get()));
    box("Edit1")->setText("someone");
    TestKit::Type(box("Edit4"), "nobody");
    TestKit::PressEnter(box("Edit4"));
    QCOMPARE(QApplication::focusWidget(), box("Edit3"));
    // An account the store does not hold leaves the name box as it was.
    QCOMPARE(box("Edit1")->text(), QString("someone"));
    TestKit::Type(box("Edit4"), " clerk ");
    TestKit::PressEnter(box("Edit4"));
    QCOMPARE(box("Edit1")->text(), QString("小李"));
    QTest::keyClicks(box("Edit3"), "pw");
    TestKit::PressEnter(box("Edit3"));
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QVERIFY(main_->isVisible());
    QCOMPARE(CurrentAccount(), QString("clerk"));
  }

  void tabRunsFromExitThroughTheBoxes() {
    QApplication::setActiveWindow(login_.get());
    QVERIFY(QTest::qWaitForWindowActive(login_.get()));
    Find<QWidget>(login_.get(), "BitBtn1")->setFocus();
    QStringList order;
    for (int i = 0; i < 6; ++i) {
      order << QApplication::focusWidget()->objectName();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"BitBtn1", "BitBtn2", "Edit4", "Edit1", "Edit3", "BitBtn1"}));
  }

  void eachLabelsTextStandsLevelWithItsBox() {
    const QImage shown = login_->grab().toImage();
    const QList<std::tuple<const char*, const char*, int>> rows{
        {"Label1", "Edit4", 40}, {"Label2", "Edit1", 200}, {"Label3", "Edit3", 392}};
    for (const auto& [labelName, boxName, left] : rows) {
      const QLabel* label = Find<QLabel>(login_.get(), labelName);
      // The rows of the label that hold yellow text, as drawn.
      int top = -1, bottom = -1;
      const QRect r = label->geometry();
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
          const QColor c = shown.pixelColor(x, y);
          if (c.red() < 160 || c.green() < 160 || c.blue() > 100) continue;
          if (top < 0) top = y;
          bottom = y;
          break;
        }
      QVERIFY2(top >= 0, labelName);
      const QRect b = box(boxName)->geometry();
      // Within a pixel of the box's middle.
      const QString where =
          QString("%1: text %2-%3, box %4-%5").arg(labelName).arg(top).arg(bottom).arg(b.top()).arg(b.bottom());
      QVERIFY2(std::abs((top + bottom) - (b.top() + b.bottom())) <= 2, qPrintable(where));
      QCOMPARE(r.left(), left);
    }
  }

  void reloginClosesOnlyWindowsOfLostRights() {
    AddUser("clerk", "小李", "pw", {"产品入库"});
    logIn("admin", "管理员", "admin");
    main_->N42Click();
    main_->N15Click();
    main_->N7Click();
    QCOMPARE(openCaptions(), QStringList({"权限设置", "密码修改", "版权信息"}));
    main_->FormDblClick();
    QVERIFY(!main_->isVisible());
    QVERIFY(login_->isVisible());
    // Windows stay open behind the login until someone logs in.
    logIn("", "小李", "wrong");
    QCOMPARE(openCaptions().size(), 3);
    logIn("", "小李", "pw");
    QTRY_COMPARE(openCaptions(), QStringList({"密码修改", "版权信息"}));
    QVERIFY(!action("N42")->isEnabled());
    QVERIFY(!action("N14")->isEnabled());
  }

  void leavingTheDeskLogsOut() {
    logIn("admin", "管理员", "admin");
    main_->N30Click();
    QVERIFY(login_->isVisible());
    // The account and name show again; the password is gone, so the next
    // person cannot log in as the last one with one click.
    QCOMPARE(box("Edit4")->text(), QString("admin"));
    QCOMPARE(box("Edit1")->text(), QString("管理员"));
    QCOMPARE(box("Edit3")->text(), QString());
    TestKit::ClearMessages();
    TestKit::Click(Find<QPushButton>(login_.get(), "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，密码错误"});
    QVERIFY(!main_->isVisible());
  }

  void enterOnAFocusedButtonPressesIt() {
    QApplication::setActiveWindow(login_.get());
    QVERIFY(QTest::qWaitForWindowActive(login_.get()));
    box("Edit4")->setText("admin");
    box("Edit1")->setText("管理员");
    box("Edit3")->setText("admin");
    auto* loginButton = Find<QPushButton>(login_.get(), "BitBtn2");
    loginButton->setFocus();
    TestKit::PressEnter(loginButton);
    QVERIFY(main_->isVisible());
    main_->N30Click();
    QApplication::setActiveWindow(login_.get());
    QVERIFY(QTest::qWaitForWindowActive(login_.get()));
    const int before = TerminationRequests();
    auto* exitButton = Find<QPushButton>(login_.get(), "BitBtn1");
    exitButton->setFocus();
    TestKit::PressEnter(exitButton);
    QCOMPARE(TerminationRequests(), before + 1);
  }

  void exitButtonEndsTheRunWithoutAQuestion() {
    const int before = TerminationRequests();
    logIn("admin", "管理员", "admin");
    main_->N30Click();
    TestKit::ClearMessages();
    TestKit::Click(Find<QPushButton>(login_.get(), "BitBtn1"));
    QCOMPARE(TerminationRequests(), before + 1);
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }
};

BRIMWICK_TEST_MAIN(LoginTest)
#include "login.moc"
