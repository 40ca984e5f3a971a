// The shop's whole road as a user walks it from the main window: log in,
// catalogue a goods item, receive it into stock, issue part of it, and ask
// the owner's query about receipts, stock and profit.
#include <QAction>
#include <QDateEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/denglu.h"
#include "app/zjm.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "support/accountfixture.h"
#include "support/loginframe.h"
#include "support/testkit.h"

using AccountFixture::Rows;
using AccountFixture::Scalar;

class ShopRoadTest : public QObject {
  Q_OBJECT
  LoginFrame frame_;
  std::unique_ptr<Tzhjiemian>& main_ = frame_.main;
  std::unique_ptr<Tdl>& login_ = frame_.login;

  // Runs a menu command by its component name; returns the window it shows.
  QWidget* command(const char* name) {
    QAction* action = Find<QAction>(main_.get(), name);
    if (!action || !action->isEnabled() || !action->isVisible()) return nullptr;
    action->trigger();
    QMdiSubWindow* frame = main_->MdiArea()->activeSubWindow();
    return frame ? frame->widget() : nullptr;
  }
  template <typename T>
  T* in(QWidget* window, const char* name) {
    return Find<T>(window, name);
  }

 private slots:
  void init() {
    Clock::Set(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    frame_.Open();
  }
  void cleanup() {
    frame_.Close();
    Clock::Reset();
  }

  void receiptThenIssueThenOwnersQuery() {
    TestKit::Type(Find<QLineEdit>(login_.get(), "Edit4"), "admin");
    TestKit::Type(Find<QLineEdit>(login_.get(), "Edit1"), "管理员");
    TestKit::Type(Find<QLineEdit>(login_.get(), "Edit3"), "admin");
    TestKit::PressEnter(Find<QLineEdit>(login_.get(), "Edit3"));
    QVERIFY(main_->isVisible());

    // The catalogue: one goods item, its search code made from its name.
    QWidget* catalogue = command("N4");
    QVERIFY(catalogue);
    QCOMPARE(catalogue->windowTitle(), QString("商品资料维护"));
    TestKit::Type(in<QLineEdit>(catalogue, "Editpm"), "维生素C片");
    QCOMPARE(in<QLineEdit>(catalogue, "Editpysx")->text(), QString("WSS P"));
    TestKit::Type(in<QLineEdit>(catalogue, "Editge"), "100片");
    TestKit::Click(in<QPushButton>(catalogue, "BitBtn1"));
    QCOMPARE(Rows("select 编号, 拼音缩写, 品名, 规格 from 基本资料"), QStringList{"00001|WSS P|维生素C片|100片"});

    // The receipt: 10 at 2.5 bought, 4 each to sell, expiring next year.
    QWidget* receipt = command("N40");
    QVERIFY(receipt);
    TestKit::Type(in<QLineEdit>(receipt, "Edit2"), "WSS");
    TestKit::ClickRow(in<DataGrid>(receipt, "DBGrid2"), 0);
    QCOMPARE(in<QLineEdit>(receipt, "Editbh")->text(), QString("00001"));
    TestKit::Type(in<QLineEdit>(receipt, "Editdj"), "2.5");
    TestKit::Type(in<QLineEdit>(receipt, "Editsl"), "10");
    TestKit::Type(in<QLineEdit>(receipt, "Editsj"), "4");
    in<QDateEdit>(receipt, "DateTimePicker1")->setDate(QDate(2027, 12, 31));
    TestKit::Click(in<QPushButton>(receipt, "BitBtn1"));
    TestKit::Click(in<QPushButton>(receipt, "BitBtn3"));
    QCOMPARE(Rows("select 编号, 流水号, 进价, 数量, 售价, 金额, 进货时间, 有效期 from 库存"),
             QStringList{"00001|00001|2.5|10|4|25|2026-12-07|2027-12-31"});
    QCOMPARE(Scalar("select count(*) from 进货历史记录"), QString("1"));
    QCOMPARE(Scalar("select count(*) from 临时入库"), QString("0"));

    // The issue: 3.3 of the batch sold at its retail price.
    QWidget* issue = command("N41");
    QVERIFY(issue);
    TestKit::Type(in<QLineEdit>(issue, "Edit3"), "WSS");
    TestKit::ClickRow(in<DataGrid>(issue, "DBGrid1"), 0);
    QCOMPARE(in<QLineEdit>(issue, "Editlsh")->text(), QString("00001"));
    TestKit::Type(in<QLineEdit>(issue, "Editsl"), "3.3");
    TestKit::Click(in<QPushButton>(issue, "BitBtn4"));
    TestKit::Click(in<QPushButton>(issue, "BitBtn2"));
    QCOMPARE(Rows("select 数量, 金额 from 库存"), QStringList{"6.7|16.75"});
    QCOMPARE(Rows("select 编号, 流水号, 数量, 进价, 售价, 金额, 销售金额, 出货时间 from 出库记录"),
             QStringList{"00001|00001|3.3|2.5|4|8.25|13.2|2026-12-07"});
    QCOMPARE(TestKit::MessageTexts(), QStringList());

    // The owner's query over this month: receipts, stock and profit.
    QWidget* owner = command("N33");
    QVERIFY(owner);
    in<QDateEdit>(owner, "DateTimePicker1")->setDate(QDate(2026, 12, 1));
    in<QDateEdit>(owner, "DateTimePicker2")->setDate(QDate(2026, 12, 7));
    auto* total = in<QLineEdit>(owner, "Edithj");
    auto* grid = in<DataGrid>(owner, "DBGrid1");
    in<QRadioButton>(owner, "RadioGroup1_0")->click();
    TestKit::Click(in<QPushButton>(owner, "BitBtn3"));
    QCOMPARE(grid->RecordCount(), 1);
    QCOMPARE(total->text(), QString("25"));
    in<QRadioButton>(owner, "RadioGroup1_1")->click();
    TestKit::Click(in<QPushButton>(owner, "BitBtn2"));
    QCOMPARE(total->text(), QString("16.75"));
    in<QRadioButton>(owner, "RadioGroup1_2")->click();
    TestKit::Click(in<QPushButton>(owner, "BitBtn4"));
    QCOMPARE(grid->RecordCount(), 1);
    QCOMPARE(total->text(), QString("4.95"));

    // Selling the rest empties the batch, which leaves the stock.
    TestKit::Type(in<QLineEdit>(issue, "Edit3"), "");
    TestKit::ClickRow(in<DataGrid>(issue, "DBGrid1"), 0);
    TestKit::Type(in<QLineEdit>(issue, "Editsl"), "6.7");
    TestKit::Click(in<QPushButton>(issue, "BitBtn4"));
    TestKit::Click(in<QPushButton>(issue, "BitBtn2"));
    QCOMPARE(Scalar("select count(*) from 库存"), QString("0"));
    QCOMPARE(Scalar("select sum(数量) from 出库记录"), QString("10"));
  }

  void theMenuBarShowsEveryHeadingThatHasACommand() {
    QStringList headings;
    for (QAction* heading : main_->menuBar()->actions())
      if (heading->isVisible()) headings << heading->text();
    // The laid-out headings in their order; the clinic's stand after 帮助.
    QCOMPARE(headings.mid(0, 8), QStringList({"资料维护", "产品入库操作", "产品出库操作", "系统设置", "财务统计",
                                              "返回界面", "退出", "帮助"}));
    for (const QString& clinic : headings.mid(8))
      QVERIFY2(QStringList({"药房管理", "门诊前台", "统计报表"}).contains(clinic), qPrintable(clinic));
  }

  void aUserWithoutTheRightsCannotReachTheShopWindows() {
    AccountFixture::AddUser("clerk", "店员", "pw", {"产品出库"});
    TestKit::Type(Find<QLineEdit>(login_.get(), "Edit1"), "店员");
    TestKit::Type(Find<QLineEdit>(login_.get(), "Edit3"), "pw");
    TestKit::Click(Find<QPushButton>(login_.get(), "BitBtn2"));
    QVERIFY(main_->isVisible());
    QVERIFY(!command("N4"));
    QVERIFY(!command("N40"));
    QVERIFY(!command("N33"));
    QVERIFY(!command("Nypzl"));
    QVERIFY(command("N41"));
    QVERIFY(command("N13"));
    QCOMPARE(main_->MdiArea()->subWindowList().size(), 2);
  }
};

BRIMWICK_TEST_MAIN(ShopRoadTest)
#include "shoproad.moc"
