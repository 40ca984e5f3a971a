#include <QCheckBox>
#include <QPushButton>

#include "app/accounts.h"
#include "app/qxsz.h"
#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "support/accountfixture.h"
#include "support/testkit.h"

using AccountFixture::AddUser;
using AccountFixture::Rows;

class AccountsTest : public QObject {
  Q_OBJECT
  QPointer<TFormqxsz> window_;

  QLineEdit* box(const char* name) { return Find<QLineEdit>(window_, name); }
  DataGrid* grid() { return Find<DataGrid>(window_, "DBGrid1"); }
  QCheckBox* check(const char* name) { return Find<QCheckBox>(window_, name); }
  // The boxes in the order 资料维护, 产品入库, 产品出库, 系统设置, 老板查询.
  QList<bool> ticks() {
    QList<bool> list;
    for (const char* name : {"CheckBoxypxi", "CheckBoxyprk", "CheckBoxypfk", "CheckBoxxtsz", "CheckBoxyzcx"})
      list << check(name)->isChecked();
    return list;
  }
  void clickRow(int row) {
    const QRect cell = grid()->visualRect(grid()->model()->index(row, 0));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
  }
  void add(const QString& account, const QString& name) {
    box("Editzh")->setText(account);
    box("Editxm")->setText(name);
    TestKit::Click(Find<QPushButton>(window_, "BitBtn1"));
  }
  void apply() { TestKit::Click(Find<QPushButton>(window_, "BitBtn2")); }
  QStringList rights(const QString& account) {
    return Rows("select 权限序号, 权限 from 权限信息 where 账号 = ? order by rowid", {account});
  }
  QStringList accounts() { return Rows("select 账号, 姓名 from 用户 order by rowid"); }
  void openWindow() {
    window_ = new TFormqxsz;
    window_->show();
    QApplication::setActiveWindow(window_);
    QVERIFY(QTest::qWaitForWindowActive(window_));
  }

 private slots:
  void init() {
    TestKit::FreshDataDir();
    TestKit::ClearMessages();
  }
  void cleanup() { delete window_; }

  void enterOnAFocusedButtonPressesIt() {
    openWindow();
    box("Editzh")->setText("clerk");
    box("Editxm")->setText("小李");
    auto* addButton = Find<QPushButton>(window_, "BitBtn1");
    addButton->setFocus();
    TestKit::PressEnter(addButton);
    QVERIFY(accounts().contains("clerk|小李"));
    clickRow(accounts().indexOf("clerk|小李"));
    check("CheckBoxyprk")->setChecked(true);
    auto* applyButton = Find<QPushButton>(window_, "BitBtn2");
    applyButton->setFocus();
    TestKit::PressEnter(applyButton);
    QCOMPARE(rights("clerk"), QStringList{"cprk|产品入库"});
  }

  void addRefusesIncompleteAndDuplicateAccounts() {
    openWindow();
    add("  ", "小李");
    add("clerk", "");
    QCOMPARE(TestKit::MessageTexts(), QStringList(2, "对不起，信息不全，不能建立，请重新输入信息！"));
    QCOMPARE(box("Editzh")->text(), QString("clerk"));
    TestKit::ClearMessages();
    add(" admin", "另一个");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，账号重复，不能建立，请重新输入帐号！"});
    QCOMPARE(box("Editzh")->text(), QString());
    QCOMPARE(box("Editxm")->text(), QString());
    QCOMPARE(accounts(), QStringList{"admin|管理员"});
  }

  void addStoresTrimmedTextsAndTheAccountAsPassword() {
    openWindow();
    add(" clerk ", " 小李 ");
    add("O'Neil", "   ");
    add("x') or ('1'='1", "x') or ('1'='1");
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QCOMPARE(accounts(), QStringList({"admin|管理员", "clerk|小李", "O'Neil|", "x') or ('1'='1|x') or ('1'='1"}));
    QVERIFY(AccountFixture::PasswordIs("clerk", "clerk"));
    QVERIFY(AccountFixture::Scalar("select 密码 from 用户 where 账号 = 'clerk'") != "clerk");
    QVERIFY(AccountFixture::PasswordIs("O'Neil", "O'Neil"));
    QCOMPARE(grid()->RecordCount(), 4);
    QVERIFY(rights("clerk").isEmpty());
    QCOMPARE(box("Editzh")->text(), QString());
  }

  void applyWritesTheTickedRightsOfTheCurrentRow() {
    AddUser("clerk", "小李", "pw", {"产品入库"});
    openWindow();
    clickRow(1);
    QCOMPARE(box("Editzh")->text(), QString("clerk"));
    QCOMPARE(box("Editxm")->text(), QString("小李"));
    QCOMPARE(ticks(), QList<bool>({false, true, false, false, false}));
    check("CheckBoxyprk")->setChecked(false);
    check("CheckBoxyzcx")->setChecked(true);
    check("CheckBoxypxi")->setChecked(true);
    apply();
    QCOMPARE(rights("clerk"), QStringList({"zlwh|资料维护", "lbcx|老板查询"}));
    for (QCheckBox* box : window_->findChildren<QCheckBox*>()) box->setChecked(false);
    apply();
    QVERIFY(rights("clerk").isEmpty());
    QCOMPARE(rights("admin").size(), 5);
  }

  void boxesFollowTheRowMovedByArrowKeys() {
    AddUser("clerk", "小李", "pw", {"产品出库"});
    openWindow();
    clickRow(0);
    QCOMPARE(ticks(), QList<bool>({true, true, true, true, true}));
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Down);
    QCOMPARE(box("Editzh")->text(), QString("clerk"));
    QCOMPARE(ticks(), QList<bool>({false, false, true, false, false}));
    apply();
    QCOMPARE(rights("clerk"), QStringList{"spck|产品出库"});
    QCOMPARE(rights("admin").size(), 5);
  }

  void deleteAsksFirstAndTakesTheRightsAlong() {
    AddUser("clerk", "小李", "pw", {"产品出库", "系统设置"});
    openWindow();
    clickRow(1);
    TestKit::AnswerNext({false});
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(grid()->model()->index(1, 0)).center());
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您是要删除这个记吗？"});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"记录删除提示"});
    QCOMPARE(accounts().size(), 2);
    clickRow(1);
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(grid()->model()->index(1, 0)).center());
    QCOMPARE(accounts(), QStringList{"admin|管理员"});
    QVERIFY(rights("clerk").isEmpty());
    QCOMPARE(box("Editzh")->text(), QString());
    QCOMPARE(grid()->RecordCount(), 1);
  }

  void theLastAccountCanGoAndTheEmptyListStillAnswers() {
    openWindow();
    clickRow(0);
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(grid()->model()->index(0, 0)).center());
    QVERIFY(accounts().isEmpty());
    QVERIFY(rights("admin").isEmpty());
    QCOMPARE(grid()->RecordCount(), 0);
    QCOMPARE(ticks(), QList<bool>({false, false, false, false, false}));
    // With no row, both commands act on an empty account and touch nothing else.
    TestKit::ClearMessages();
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您是要删除这个记吗？"});
    apply();
    QCOMPARE(AccountFixture::Scalar("select count(*) from 权限信息"), QString("0"));
    add("clerk", "小李");
    QCOMPARE(accounts(), QStringList{"clerk|小李"});
  }

  void applyIsAllOrNothing() {
    AddUser("clerk", "小李", "pw", {"产品入库"});
    AccountFixture::Run(
        "create trigger no_boss before insert on 权限信息 when new.权限 = '老板查询' "
        "begin select raise(abort, 'refused'); end");
    openWindow();
    clickRow(1);
    check("CheckBoxypxi")->setChecked(true);
    check("CheckBoxyzcx")->setChecked(true);
    apply();
    QCOMPARE(TestKit::MessageTexts().size(), 1);
    QVERIFY(TestKit::MessageTexts()[0].contains("refused"));
    QCOMPARE(rights("clerk"), QStringList{"cprk|产品入库"});
  }

  void deleteIsAllOrNothing() {
    AddUser("clerk", "小李", "pw", {"产品入库"});
    Connection c = OpenShopDatabase();
    Exec(c.db(), "create trigger keep_rights before delete on 权限信息 begin select raise(abort, 'kept'); end");
    QVERIFY_THROWS_EXCEPTION(DbError, DeleteAccount(c.db(), "clerk"));
    QCOMPARE(accounts().size(), 2);
    QCOMPARE(rights("clerk"), QStringList{"cprk|产品入库"});
    Exec(c.db(), "drop trigger keep_rights");
    DeleteAccount(c.db(), "clerk");
    QCOMPARE(accounts(), QStringList{"admin|管理员"});
    QVERIFY(rights("clerk").isEmpty());
  }

  void quotedAccountsAreRowsLikeAnyOther() {
    AddUser("O'Neil", "x') or ('1'='1", "pw", {"系统设置"});
    openWindow();
    clickRow(1);
    QCOMPARE(box("Editxm")->text(), QString("x') or ('1'='1"));
    QCOMPARE(ticks(), QList<bool>({false, false, false, true, false}));
    check("CheckBoxypfk")->setChecked(true);
    apply();
    QCOMPARE(rights("O'Neil"), QStringList({"spck|产品出库", "xtsz|系统设置"}));
    QCOMPARE(rights("admin").size(), 5);
  }
};

BRIMWICK_TEST_MAIN(AccountsTest)
#include "accounts.moc"
