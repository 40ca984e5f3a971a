// The cashier desk and the dispensing desk driven as users drive them, on
// both stores: a voucher settled (change, queue row, paid lines, income
// row, the inpatient's ledger), the row moved by the keys, a voucher
// another desk took; a visit dispensed from its oldest batches, a short
// batch rolling everything back, an expired batch never handed out, the
// question answered No.
#include <QLabel>
#include <QPushButton>

#include "db/clinicdb.h"
#include "frontdesk/deskseed.h"
#include "frontdesk/fyt.h"
#include "frontdesk/pricing.h"
#include "frontdesk/settlement.h"
#include "frontdesk/syt.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/session.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;
using namespace DeskSeed;

namespace {
const QDate kToday(2026, 12, 7);

VisitKey Price(const QSqlDatabase& db, double serial, const QString& name, const QString& category,
               const QList<QPair<QString, double>>& lines) {
  VisitKey key{serial, "acc01"};
  bool first = true;
  for (const auto& [code, quantity] : lines) {
    if (AddPricedLine(db, key, {code, quantity, 2, "院长", category, kToday.addDays(-1)}, first) !=
        PricingResult::Done)
      qFatal("not priced");
    first = false;
  }
  if (MakeVoucher(db, key, name, category, kToday.addDays(-1)) != PricingResult::Done) qFatal("no voucher");
  return key;
}

template <typename T>
T* In(QWidget* window, const char* name) {
  return Find<T>(window, name);
}
}  // namespace

class CashierAndDispensaryTest : public QObject {
  Q_OBJECT
  QLabel account_, userName_;
  std::unique_ptr<Connection> store_;
  QSqlDatabase db() { return store_->db(); }

  template <typename Window>
  std::unique_ptr<Window> open() {
    auto window = std::make_unique<Window>();
    window->show();
    QApplication::setActiveWindow(window.get());
    if (!QTest::qWaitForWindowActive(window.get())) qWarning("window not active");
    return window;
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    Clock::Set(QDateTime(kToday, QTime(9, 30)));
    Session::SetPanels(&account_, &userName_);
    Session::SetLogin("cash", "收银01");
    store_ = std::make_unique<Connection>(OpenClinicDatabase());
    AddCatalogue(db());
    TestKit::ClearMessages();
  }
  void cleanup() {
    store_.reset();
    Session::SetPanels(nullptr, nullptr);
    Session::SetReturnToLogin({});
    Clock::Reset();
  }

  void cashierSettlesTheVoucherOfTheCurrentRow() {
    Price(db(), 1, "张三", "门诊", {{"1001", 2}});
    const VisitKey inpatient = Price(db(), 2, "李四", "住院", {{"1002", 3}, {"1001", 1}});
    InsertRow(db(), "服务信息临时表", {{"服务类别", "诊查费"}, {"流水号", 2}, {"时间", "2026-12-06"}, {"服务费(元)", 5},
                                     {"开方医师", "院长"}, {"服务人", "院长"}, {"划价人帐号", "acc01"},
                                     {"收费类别", "住院"}});
    Exec(db(), "update 收银信息 set \"服务费(元)\" = 5 where 流水号 = 2");
    auto window = open<TFormsyt>();
    QCOMPARE(window->windowTitle(), QString("收银台"));
    DataGrid* vouchers = In<DataGrid>(window.get(), "DBGrid1");
    QCOMPARE(vouchers->RecordCount(), 2);
    QCOMPARE(In<QLineEdit>(window.get(), "Editjrzsr")->text(), QString("0.00"));

    // A click shows the first voucher's due; the arrow key moves to the
    // second, whose due then shows, and it is the one settled.
    TestKit::ClickRow(vouchers, 0);
    QCOMPARE(In<QLineEdit>(window.get(), "Edit2")->text(), QString("4.00"));
    QTest::keyClick(vouchers, Qt::Key_Down);
    QCOMPARE(vouchers->CurrentRow(), 1);
    QCOMPARE(In<QLineEdit>(window.get(), "Edit2")->text(), QString("13.00"));
    TestKit::PressEnter(vouchers);
    QLineEdit* paid = In<QLineEdit>(window.get(), "Edit1");
    QVERIFY(paid->hasFocus());
    TestKit::Type(paid, "20");
    QCOMPARE(In<QLineEdit>(window.get(), "Edit3")->text(), QString("7.00"));
    TestKit::PressEnter(paid);
    QPushButton* settle = In<QPushButton>(window.get(), "BitBtn1");
    QVERIFY(!settle->isHidden());
    TestKit::Click(settle);
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QCOMPARE(TableRows(db(), "收银信息"), QStringList{"门诊|1|张三|2026-12-06|4|0|acc01"});
    QCOMPARE(TableRows(db(), "出库患者信息"), QStringList{"李四|2|2026-12-07|acc01|收银01"});
    QCOMPARE(ScalarText(db(), "select count(*) from 临时出库信息 where 流水号 = 2 and 收银标志 = '是' and "
                              "收银人帐号 = '收银01'"),
             QString("2"));
    QCOMPARE(TableRows(db(), "患者信息"), QStringList{"住院|2|李四|2026-12-07|8|5|acc01|收银01|13"});
    QCOMPARE(TableRows(db(), "服务信息"), QStringList{"诊查费|2|2026-12-06|5|院长|院长|acc01|住院|1"});
    QVERIFY(TableRows(db(), "服务信息临时表").isEmpty());
    QCOMPARE(TableRows(db(), "住院患者押金表"), QStringList{"李四|2026-12-07|支出|13|收银01"});
    QCOMPARE(vouchers->RecordCount(), 1);
    QCOMPARE(In<QLineEdit>(window.get(), "Editjrzsr")->text(), QString("13.00"));
    QCOMPARE(In<QLineEdit>(window.get(), "Edit2")->text(), QString("0.00"));
    QVERIFY(settle->isHidden());
    Q_UNUSED(inpatient);
    // The list read again has no row picked: an amount and "制作凭证"
    // settle nothing until the cashier picks one.
    QCOMPARE(vouchers->CurrentRow(), -1);
    TestKit::PressEnter(vouchers);
    QCOMPARE(In<QLineEdit>(window.get(), "Edit2")->text(), QString("0.00"));
    TestKit::Type(paid, "20");
    TestKit::PressEnter(paid);
    TestKit::Click(settle);
    QCOMPARE(TableRows(db(), "收银信息").size(), 1);
    QVERIFY(TestKit::MessageTexts().isEmpty());
    TestKit::ClickRow(vouchers, 0);
    QCOMPARE(In<QLineEdit>(window.get(), "Edit2")->text(), QString("4.00"));
  }

  void cashierRefusesAndIsToldWhenAnotherDeskWasFirst() {
    const VisitKey key = Price(db(), 1, "张三", "门诊", {{"1001", 2}});
    auto window = open<TFormsyt>();
    DataGrid* vouchers = In<DataGrid>(window.get(), "DBGrid1");
    QLineEdit* paid = In<QLineEdit>(window.get(), "Edit1");
    QPushButton* settle = In<QPushButton>(window.get(), "BitBtn1");
    const auto attempt = [&](const QString& amount) {
      TestKit::ClickRow(vouchers, 0);
      TestKit::Type(paid, amount);
      TestKit::PressEnter(paid);
      TestKit::Click(settle);
    };
    attempt("3.99");
    attempt("");
    attempt("1..2");
    attempt("99999999999999");  // past the cash sheet's 13 integer digits
    QCOMPARE(TestKit::MessageTexts(), QStringList({"对不起，金额不足不能结帐", "对不起，金额不足不能结帐",
                                                   "对不起，实收金额必须是数字", "对不起，金额超出范围"}));
    QCOMPARE(TableRows(db(), "收银信息").size(), 1);
    QVERIFY(TableRows(db(), "患者信息").isEmpty());
    // Another desk settles the voucher still shown here.
    QCOMPARE(SettleVoucher(db(), key, "收银02", kToday, 4), SettlementResult::Settled);
    TestKit::ClearMessages();
    attempt("4");
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，操作失败"});
    QCOMPARE(TableRows(db(), "患者信息"), QStringList{"门诊|1|张三|2026-12-07|4|0|acc01|收银02|4"});
    TestKit::Click(In<QPushButton>(window.get(), "BitBtn2"));
    QCOMPARE(vouchers->RecordCount(), 0);
  }

  // Two desks on one voucher, driven with the keys: after a refused or a
  // failed settlement the pick goes with the boxes, so an amount typed next
  // neither shows change of its own nor settles the voucher still listed.
  void theBoxesSpeakOfTheVoucherEnterSettles() {
    const VisitKey key = Price(db(), 1, "唐军", "门诊", {{"1001", 2}});
    Exec(db(), "update 收银信息 set \"药费(元)\" = 19.8 where 流水号 = 1");
    auto desk = open<TFormsyt>();
    DataGrid* vouchers = In<DataGrid>(desk.get(), "DBGrid1");
    QLineEdit* paid = In<QLineEdit>(desk.get(), "Edit1");
    QLineEdit* due = In<QLineEdit>(desk.get(), "Edit2");
    QLineEdit* change = In<QLineEdit>(desk.get(), "Edit3");
    QPushButton* settle = In<QPushButton>(desk.get(), "BitBtn1");
    const auto payWithEnter = [&](const QString& amount) {
      TestKit::Type(paid, amount);
      const QString shown = change->text();
      TestKit::PressEnter(paid);
      TestKit::PressEnter(settle);
      return shown;
    };
    const auto boxes = [&] { return QStringList{paid->text(), due->text(), change->text()}; };
    TestKit::ClickRow(vouchers, 0);
    QCOMPARE(due->text(), QString("19.80"));
    QCOMPARE(payWithEnter("10"), QString("-9.80"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，金额不足不能结帐"});
    QCOMPARE(boxes(), (QStringList{"", "0.00", "0.00"}));
    QCOMPARE(vouchers->CurrentRow(), -1);
    QCOMPARE(payWithEnter("20"), QString("0.00"));
    QCOMPARE(TableRows(db(), "收银信息").size(), 1);
    QVERIFY(TableRows(db(), "患者信息").isEmpty());

    // Picked again, the change is to the cent; another desk settles first.
    TestKit::ClickRow(vouchers, 0);
    TestKit::Type(paid, "20");
    QCOMPARE(change->text(), QString("0.20"));
    QCOMPARE(SettleVoucher(db(), key, "收银01", kToday, 19.8), SettlementResult::Settled);
    TestKit::ClearMessages();
    TestKit::PressEnter(paid);
    TestKit::PressEnter(settle);
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，操作失败"});
    QCOMPARE(boxes(), (QStringList{"", "0.00", "0.00"}));
    QCOMPARE(vouchers->CurrentRow(), -1);
    QCOMPARE(payWithEnter("20"), QString("0.00"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，操作失败"});
    QCOMPARE(TableRows(db(), "患者信息"), QStringList{"门诊|1|唐军|2026-12-07|19.8|0|acc01|收银01|19.8"});
  }

  // The day's income counts only what this user settled today.
  void dayIncomeIsTheUsersOwnOfToday() {
    const auto paidVisit = [&](int serial, const char* day, const char* cashier, double medicine, double services) {
      InsertRow(db(), "患者信息", {{"收费类别", "门诊"}, {"流水号", serial}, {"时间", day}, {"药费(元)", medicine},
                                  {"服务费(元)", services}, {"划价人帐号", "acc01"}, {"收银人帐号", cashier}});
    };
    paidVisit(1, "2026-12-07", "收银01", 10.5, 2);
    paidVisit(2, "2026-12-07", "收银01", 0, 3.25);
    paidVisit(3, "2026-12-07", "收银02", 100, 0);
    paidVisit(4, "2026-12-06", "收银01", 100, 0);
    auto window = open<TFormsyt>();
    QCOMPARE(In<QLineEdit>(window.get(), "Editjrzsr")->text(), QString("15.75"));
    Session::SetLogin("cash2", "收银02");
    TestKit::Click(In<QPushButton>(window.get(), "BitBtn2"));
    QCOMPARE(In<QLineEdit>(window.get(), "Editjrzsr")->text(), QString("100.00"));
    // An empty voucher list: a click changes nothing.
    TestKit::ClickRow(In<DataGrid>(window.get(), "DBGrid1"), 0);
    QCOMPARE(In<QLineEdit>(window.get(), "Edit2")->text(), QString("0.00"));
  }

  void dispensaryTakesTheOldestBatchesFirst() {
    const VisitKey key = Price(db(), 1, "张三", "门诊", {{"1001", 5}, {"1002", 2}});
    QCOMPARE(SettleVoucher(db(), key, "收银01", kToday, 100), SettlementResult::Settled);
    Session::SetLogin("pharm", "药房01");
    auto window = open<TFormfyt>();
    QCOMPARE(window->windowTitle(), QString("付药台"));
    DataGrid* queue = In<DataGrid>(window.get(), "DBGrid1");
    DataGrid* lines = In<DataGrid>(window.get(), "DBGrid2");
    QCOMPARE(queue->RecordCount(), 1);
    TestKit::ClickRow(queue, 0);
    QCOMPARE(lines->RecordCount(), 2);
    QCOMPARE(lines->Cell(1), QString("阿莫西林胶囊"));
    // No: nothing changes.
    const QStringList batches = TableRows(db(), "药品过期表");
    const QRect row = queue->visualRect(queue->model()->index(0, 0));
    TestKit::AnswerNext({false});
    QTest::mouseDClick(queue->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您确定这个患者药品出库吗？"});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"药品提示"});
    QCOMPARE(TableRows(db(), "药品过期表"), batches);
    TestKit::ClearMessages();
    TestKit::AnswerNext({true});
    QTest::mouseDClick(queue->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您确定这个患者药品出库吗？"});
    QCOMPARE(TableRows(db(), "药品过期表"),
             QStringList({"1001|b-new|8|2024-06-01|7300|2044-05-27", "1001|b-old|0|2024-01-01|7300|2043-12-27",
                          "1002|c1|18|2024-03-01|7300|2044-02-25"}));
    QCOMPARE(TableRows(db(), "出库信息"),
             QStringList({"1|1001|2026-12-06|5|2|药房01|acc01|收银01|院长|门诊|10",
                          "1|1002|2026-12-06|2|2|药房01|acc01|收银01|院长|门诊|4"}));
    QVERIFY(TableRows(db(), "临时出库信息").isEmpty());
    QCOMPARE(queue->RecordCount(), 0);
    QCOMPARE(lines->RecordCount(), 0);
    QCOMPARE(lines->Model()->columnCount(), 8);
    // "刷新" clears the emptied batch away.
    TestKit::Click(In<QPushButton>(window.get(), "BitBtn1"));
    QCOMPARE(ScalarText(db(), "select count(*) from 药品过期表"), QString("2"));
  }

  void dispensingShortOfBatchesKeepsTheVisitQueued() {
    const VisitKey key = Price(db(), 1, "张三", "门诊", {{"1002", 2}, {"1001", 12}});
    QCOMPARE(SettleVoucher(db(), key, "收银01", kToday, 100), SettlementResult::Settled);
    Exec(db(), "update 药品过期表 set 数量 = 8 where 药品批号 = 'b-new'");
    QMap<QString, QStringList> before;
    for (const char* table : {"药品过期表", "临时出库信息", "出库信息", "出库患者信息"})
      before[table] = TableRows(db(), table);
    auto window = open<TFormfyt>();
    DataGrid* queue = In<DataGrid>(window.get(), "DBGrid1");
    QTest::mouseDClick(queue->viewport(), Qt::LeftButton, {}, queue->visualRect(queue->model()->index(0, 0)).center());
    QCOMPARE(TestKit::MessageTexts(), QStringList({"您确定这个患者药品出库吗？", "对不起，操作失败"}));
    for (auto it = before.cbegin(); it != before.cend(); ++it) QCOMPARE(TableRows(db(), it.key()), it.value());
    QVERIFY(!ScratchTableExists(db(), "ckb"));
    QCOMPARE(queue->RecordCount(), 1);
  }

  // Expired medicine never leaves the shelf: 1001's older batch expired
  // yesterday and is passed over; 板蓝根颗粒's only batch expires today,
  // so the dispensing is refused and says so, until it is written off and
  // restocked.
  void dispensaryNeverHandsOutExpiredMedicine() {
    const VisitKey key = Price(db(), 1, "张三", "门诊", {{"1001", 2}, {"1002", 2}});
    QCOMPARE(SettleVoucher(db(), key, "收银01", kToday, 100), SettlementResult::Settled);
    Exec(db(), "update 药品过期表 set 有效期 = ? where 药品批号 = 'b-old'", {QDate(2024, 1, 1).daysTo(kToday) - 1});
    Exec(db(), "update 药品过期表 set 有效期 = ? where 药品批号 = 'c1'", {QDate(2024, 3, 1).daysTo(kToday)});
    QMap<QString, QStringList> before;
    for (const char* table : {"药品过期表", "临时出库信息", "出库信息", "出库患者信息"})
      before[table] = TableRows(db(), table);
    auto window = open<TFormfyt>();
    DataGrid* queue = In<DataGrid>(window.get(), "DBGrid1");
    const QPoint row = queue->visualRect(queue->model()->index(0, 0)).center();
    QTest::mouseDClick(queue->viewport(), Qt::LeftButton, {}, row);
    QCOMPARE(TestKit::MessageTexts(),
             QStringList({"您确定这个患者药品出库吗？",
                          "对不起，药品“板蓝根颗粒”（编号 1002）余下的库存已过期，不能付药。"
                          "请在“药品报损信息”中将过期批号报损，补充库存后再付药；这位患者仍在候药。"}));
    for (auto it = before.cbegin(); it != before.cend(); ++it) QCOMPARE(TableRows(db(), it.key()), it.value());
    QCOMPARE(queue->RecordCount(), 1);
    // Written off and restocked, the visit goes out from the good batches.
    Exec(db(), "update 药品过期表 set 数量 = 0 where 药品批号 = 'c1'");
    InsertRow(db(), "药品过期表", {{"编号", "1002"}, {"药品批号", "c2"}, {"数量", 5}, {"生产时间", "2026-11-01"},
                                  {"有效期", 365}});
    TestKit::ClearMessages();
    QTest::mouseDClick(queue->viewport(), Qt::LeftButton, {}, row);
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您确定这个患者药品出库吗？"});
    QStringList left;
    for (const QVariantList& batch : ReadAll(db(), "select 药品批号, 数量 from 药品过期表 order by 药品批号"))
      left << batch[0].toString() + "=" + batch[1].toString();
    QCOMPARE(left, QStringList({"b-new=8", "b-old=3", "c1=0", "c2=3"}));
    QCOMPARE(queue->RecordCount(), 0);
  }

  void backgroundDoubleClickReturnsToTheLogin() {
    int returned = 0;
    Session::SetReturnToLogin([&] { ++returned; });
    auto cashier = open<TFormsyt>();
    QTest::mouseDClick(cashier.get(), Qt::LeftButton, {}, QPoint(2, 2));
    auto dispensary = open<TFormfyt>();
    QTest::mouseDClick(dispensary.get(), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(returned, 2);
  }
};

BRIMWICK_TEST_MAIN(CashierAndDispensaryTest)
#include "sytfyt.moc"
