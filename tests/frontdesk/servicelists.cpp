// Service items with their fee-share rows, units, suppliers and the
// fee-share percentages on both stores, through the postings and through
// the two windows.
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/blfpb.h"
#include "frontdesk/fwlbwh.h"
#include "frontdesk/servicelists.h"
#include "platform/grid.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

class ServiceListsTest : public QObject {
  Q_OBJECT

  Connection store_;

  QSqlDatabase db() const { return store_.db(); }
  // The items without their row id.
  QStringList items() {
    QStringList rows;
    for (const QString& row : TableRows(db(), "服务项目")) rows << row.section('|', 0, 2);
    return rows;
  }
  QStringList shares() { return TableRows(db(), "比例分配表"); }
  void seedItem(const QString& code, const QString& name, double price) {
    InsertRow(db(), "服务项目", {{"拼音缩写", code}, {"服务项目", name}, {"项目单价(元)", price}});
    InsertRow(db(), "比例分配表", {{"拼音缩写", code}, {"项目", name}});
  }

  static QLineEdit* box(QWidget& w, const char* name) { return Find<QLineEdit>(&w, name); }
  static void show(QWidget& w) {
    w.resize(1200, 800);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
  }
  static void doubleClickRow(DataGrid* grid, int row) {
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 0)).center());
  }
  static void doubleClickBelowTheRows(DataGrid* grid) {
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(5, grid->viewport()->height() - 5));
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    store_ = OpenClinicDatabase();
  }
  void cleanup() { store_ = Connection(); }

  void serviceItemComesWithItsEmptyFeeShareRow() {
    QCOMPARE(AddServiceItem(db(), " ZS ", " 注射 ", " 15 "), ListChange::Done);
    QCOMPARE(AddServiceItem(db(), "HL", "护理", "0"), ListChange::Done);
    QCOMPARE(items(), (QStringList{"HL|护理|0", "ZS|注射|15"}));
    QCOMPARE(shares(), (QStringList{"HL|护理||", "ZS|注射||"}));
  }

  void serviceItemIsRefusedWhenIncompleteOrKnown() {
    seedItem("ZS", "注射", 15);
    InsertRow(db(), "比例分配表", {{"拼音缩写", "HY"}, {"项目", "化验"}});
    for (const char* name : {"", "   "}) QCOMPARE(AddServiceItem(db(), "", name, "5"), ListChange::Incomplete);
    for (const char* price : {"", " ", ".", "1..2", "-1", "abc"})
      QCOMPARE(AddServiceItem(db(), "XY", "输液", price), ListChange::Incomplete);
    QCOMPARE(AddServiceItem(db(), "ZS", "注射 ", "20"), ListChange::Duplicate);
    // A fee-share row without its item still counts: a second one would
    // double the commission report's sums.
    QCOMPARE(AddServiceItem(db(), "HY", "化验", "20"), ListChange::Duplicate);
    QCOMPARE(items(), QStringList{"ZS|注射|15"});
    QCOMPARE(shares(), (QStringList{"HY|化验||", "ZS|注射||"}));
    // The store holds each name once, whoever writes.
    QVERIFY_THROWS_EXCEPTION(DbError, InsertRow(db(), "服务项目", {{"服务项目", "注射"}}));
    QVERIFY_THROWS_EXCEPTION(DbError, InsertRow(db(), "比例分配表", {{"项目", "注射"}}));
  }

  void serviceAddOrDeleteWhoseSecondStatementFailsChangesNothing() {
    seedItem("ZS", "注射", 15);
    // The table renamed away, and in its place a view that reads but takes
    // no rows, so that the duplicate test passes and the insert fails.
    ExecDirect(db(), "alter table 比例分配表 rename to 比例旧");
    ExecDirect(db(), "create view 比例分配表 as select distinct * from 比例旧");
    QCOMPARE(AddServiceItem(db(), "HL", "护理", "8"), ListChange::Failed);
    QCOMPARE(DeleteServiceItem(db(), "注射"), ListChange::Failed);
    ExecDirect(db(), "drop view 比例分配表");
    ExecDirect(db(), "alter table 比例旧 rename to 比例分配表");
    QCOMPARE(items(), QStringList{"ZS|注射|15"});
    QCOMPARE(shares(), QStringList{"ZS|注射||"});
    QCOMPARE(DeleteServiceItem(db(), "注射"), ListChange::Done);
    QCOMPARE(items(), QStringList());
    QCOMPARE(shares(), QStringList());
  }

  void namesStoredWithBlanksStillCountAsTaken() {
    // Loaded from elsewhere with blanks around them.
    InsertRow(db(), "服务项目", {{"拼音缩写", "ZS"}, {"服务项目", " 注射 "}, {"项目单价(元)", 15}});
    InsertRow(db(), "药品单位", {{"药品单位", "盒 "}});
    QCOMPARE(AddServiceItem(db(), "ZS", "注射", "20"), ListChange::Duplicate);
    QCOMPARE(AddListEntry(db(), ReferenceList::Units, "盒"), ListChange::Duplicate);
    QCOMPARE(items().size(), 1);
    QCOMPARE(shares(), QStringList());
    QCOMPARE(TableRows(db(), "药品单位").size(), 1);
  }

  void priceChangeNeedsANumberAndActsByName() {
    seedItem("ZS", "注射", 15);
    seedItem("HL", "护理", 8);
    for (const char* price : {"", "abc", "-2"})
      QCOMPARE(ChangeServicePrice(db(), "注射", price), ListChange::Incomplete);
    QCOMPARE(ChangeServicePrice(db(), "无此项", "9"), ListChange::Done);
    QCOMPARE(ChangeServicePrice(db(), " 注射 ", "0"), ListChange::Done);
    QCOMPARE(items(), (QStringList{"HL|护理|8", "ZS|注射|0"}));
  }

  void unitsAndSuppliersHoldEachNameOnce() {
    QCOMPARE(AddListEntry(db(), ReferenceList::Units, " 盒 "), ListChange::Done);
    QCOMPARE(AddListEntry(db(), ReferenceList::Units, "盒"), ListChange::Duplicate);
    QCOMPARE(AddListEntry(db(), ReferenceList::Units, "  "), ListChange::Incomplete);
    QCOMPARE(AddListEntry(db(), ReferenceList::Suppliers, "盒"), ListChange::Done);
    QCOMPARE(AddListEntry(db(), ReferenceList::Suppliers, "盒"), ListChange::Duplicate);
    QCOMPARE(TableRows(db(), "药品单位"), QStringList{"盒"});
    QCOMPARE(TableRows(db(), "药品来源"), QStringList{"盒"});
    QVERIFY_THROWS_EXCEPTION(DbError, InsertRow(db(), "药品来源", {{"药品来源", "盒"}}));
    DeleteListEntry(db(), ReferenceList::Units, "盒 ");
    QCOMPARE(TableRows(db(), "药品单位"), QStringList());
    QCOMPARE(TableRows(db(), "药品来源"), QStringList{"盒"});
  }

  void feeSharesAreNumbersOfAnyRange() {
    seedItem("ZS", "注射", 15);
    seedItem("HL", "护理", 8);
    for (const char* share : {"", " ", ".", "x"})
      QCOMPARE(SetFeeShares(db(), "ZS", "注射", share, "10"), ListChange::Incomplete);
    QCOMPARE(SetFeeShares(db(), "ZS", "注射", "30", ""), ListChange::Incomplete);
    QCOMPARE(shares(), (QStringList{"HL|护理||", "ZS|注射||"}));
    QCOMPARE(SetFeeShares(db(), " ZS", "注射 ", "150", "20.5"), ListChange::Done);
    QCOMPARE(shares(), (QStringList{"HL|护理||", "ZS|注射|150|20.5"}));
  }

  void serviceWindowAddsChangesAndRefuses() {
    seedItem("XX", "注射", 15);
    Tfwlbwh w;
    show(w);
    QCOMPARE(w.windowTitle(), QString("服务类别维护"));
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    QCOMPARE(grid->RecordCount(), 1);
    // Picking a row shows the code computed from the name.
    TestKit::ClickRow(grid, 0);
    QCOMPARE(box(w, "Edit1")->text(), QString("注射"));
    QCOMPARE(box(w, "Editpysx")->text(), QString("ZS"));
    QCOMPARE(box(w, "Edit2")->text(), QString("15"));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"信息重复，请重新输入"});
    TestKit::Type(box(w, "Edit1"), "护理");
    QCOMPARE(box(w, "Editpysx")->text(), QString("HL"));
    TestKit::Type(box(w, "Edit2"), "");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    TestKit::Type(box(w, "Edit2"), "8元");
    QCOMPARE(box(w, "Edit2")->text(), QString("8"));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), (QStringList{"信息重复，请重新输入", "对不起，数据不全"}));
    QCOMPARE(shares(), (QStringList{"HL|护理||", "XX|注射||"}));
    QCOMPARE(grid->RecordCount(), 2);
    QCOMPARE(box(w, "Edit1")->text(), QString());
    QCOMPARE(box(w, "Edit2")->text(), QString());
    QCOMPARE(box(w, "Editpysx")->text(), QString());
    // A price change by name; an empty price changes nothing.
    TestKit::Type(box(w, "Edit1"), "注射");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts().last(), QString("对不起，数据不全"));
    TestKit::Type(box(w, "Edit2"), "18.5");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(items(), (QStringList{"HL|护理|8", "XX|注射|18.5"}));
    QCOMPARE(box(w, "Edit1")->text(), QString());
  }

  void serviceWindowDeletesTheRowDoubleClicked() {
    seedItem("ZS", "注射", 15);
    seedItem("HL", "护理", 8);
    Tfwlbwh w;
    show(w);
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    const QString second = grid->Model()->Value(1, 1).toString();
    TestKit::AnswerNext({false});
    doubleClickRow(grid, 1);
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您是要删除这个记吗？"});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"记录删除提示"});
    QCOMPARE(items().size(), 2);
    QCOMPARE(box(w, "Edit1")->text(), QString());
    QCOMPARE(box(w, "Edit2")->text(), QString());
    // Below the last row nothing is asked and nothing goes, whatever the boxes say.
    TestKit::ClearMessages();
    TestKit::Type(box(w, "Edit1"), second);
    doubleClickBelowTheRows(grid);
    QCOMPARE(TestKit::MessageTexts(), QStringList());
    QCOMPARE(items().size(), 2);
    TestKit::AnswerNext({true});
    doubleClickRow(grid, 1);
    QCOMPARE(grid->RecordCount(), 1);
    QCOMPARE(count("select count(*) from 服务项目 where 服务项目 = ?", {second}), QString("0"));
    QCOMPARE(count("select count(*) from 比例分配表 where 项目 = ?", {second}), QString("0"));
    QCOMPARE(shares().size(), 1);
  }

  void unitAndSupplierBoxesAddAndDoubleClicksDelete() {
    Tfwlbwh w;
    show(w);
    auto* units = Find<DataGrid>(&w, "DBGrid2");
    auto* suppliers = Find<DataGrid>(&w, "DBGrid3");
    TestKit::Type(box(w, "Edit4"), " 盒");
    TestKit::PressEnter(box(w, "Edit4"));
    QVERIFY(Find<QPushButton>(&w, "BitBtn3")->hasFocus());
    TestKit::PressEnter(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(TableRows(db(), "药品单位"), QStringList{"盒"});
    QCOMPARE(box(w, "Edit4")->text(), QString());
    QCOMPARE(units->RecordCount(), 1);
    QCOMPARE(units->LeastWidth(0), 130);
    TestKit::Type(box(w, "Edit4"), "盒");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    TestKit::Type(box(w, "Edit4"), "  ");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    TestKit::Type(box(w, "Edit6"), "华北制药");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn4"));
    TestKit::Type(box(w, "Edit6"), "华北制药");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn4"));
    QCOMPARE(TestKit::MessageTexts(), (QStringList{"单位重复，请重新输入", "对不起，数据不全", "信息重复，请重新输入"}));
    QCOMPARE(TableRows(db(), "药品来源"), QStringList{"华北制药"});
    QCOMPARE(suppliers->RecordCount(), 1);
    TestKit::AnswerNext({false, true});
    doubleClickRow(suppliers, 0);
    QCOMPARE(TableRows(db(), "药品来源"), QStringList{"华北制药"});
    doubleClickRow(units, 0);
    QCOMPARE(TableRows(db(), "药品单位"), QStringList());
    QCOMPARE(units->RecordCount(), 0);
  }

  void listColumnsAreWidenedForSuppliersAtOpeningAndByAnAdd() {
    InsertRow(db(), "药品单位", {{"药品单位", "盒"}});
    InsertRow(db(), "药品来源", {{"药品来源", "华北制药"}});
    Tfwlbwh w;
    show(w);
    auto* units = Find<DataGrid>(&w, "DBGrid2");
    auto* suppliers = Find<DataGrid>(&w, "DBGrid3");
    const int plain = units->horizontalHeader()->defaultSectionSize();
    QVERIFY(plain != 130);
    QCOMPARE(suppliers->LeastWidth(0), 130);
    QCOMPARE(units->LeastWidth(0), plain);
    TestKit::Type(box(w, "Edit4"), "瓶");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(units->LeastWidth(0), 130);
    QCOMPARE(units->columnWidth(0), 130);
    // A delete reopens the list at the plain width: the 130 of the add was
    // that opening's least, not the list's for good.
    TestKit::AnswerNext({true});
    doubleClickRow(units, 0);
    QCOMPARE(units->RecordCount(), 1);
    QCOMPARE(units->LeastWidth(0), plain);
    QCOMPARE(units->columnWidth(0), plain);
  }

  void enterWalksFromTheNameToThePriceToTheAddButton() {
    Tfwlbwh w;
    show(w);
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    TestKit::Type(box(w, "Edit1"), "换药");
    TestKit::PressEnter(box(w, "Edit1"));
    QVERIFY(box(w, "Edit2")->hasFocus());
    TestKit::Type(box(w, "Edit2"), "12.5");
    TestKit::PressEnter(box(w, "Edit2"));
    QVERIFY(Find<QPushButton>(&w, "BitBtn1")->hasFocus());
    TestKit::PressEnter(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(items(), QStringList{"HY|换药|12.5"});
    QCOMPARE(shares(), QStringList{"HY|换药||"});
    QVERIFY(box(w, "Edit1")->hasFocus());
    QCOMPARE(box(w, "Edit1")->text(), QString());
    QCOMPARE(box(w, "Edit2")->text(), QString());
    QCOMPARE(TestKit::MessageTexts(), QStringList());
  }

  void aKeyTypedInTheServiceGridCopiesTheCurrentRow() {
    seedItem("ZS", "注射", 15);
    seedItem("HL", "护理", 8);
    Tfwlbwh w;
    show(w);
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    const int injection = grid->Model()->Value(0, 1).toString() == "注射" ? 0 : 1;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(injection, 0));
    // "h" starts the other row's code: the row picked stays the one copied.
    QTest::keyClick(grid, Qt::Key_H);
    QCOMPARE(grid->CurrentRow(), injection);
    QCOMPARE(box(w, "Edit1")->text(), QString("注射"));
    QCOMPARE(box(w, "Edit2")->text(), QString("15"));
    QCOMPARE(box(w, "Editpysx")->text(), QString("ZS"));
    TestKit::PressEnter(grid);
    QVERIFY(box(w, "Edit1")->hasFocus());
  }

  void feeShareWindowStoresWhatIsTypedForThePickedRow() {
    seedItem("ZS", "注射", 15);
    seedItem("HL", "护理", 8);
    Exec(db(), "update 比例分配表 set 医生比例 = 30, 服务人比例 = 12.5 where 项目 = '护理'");
    TFormblfpsz w;
    show(w);
    QCOMPARE(w.windowTitle(), QString("财务比例分配设置单"));
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    QCOMPARE(grid->model()->headerData(2, Qt::Horizontal).toString(), QString("医生比例（%）"));
    QCOMPARE(grid->model()->headerData(3, Qt::Horizontal).toString(), QString("服务人比例（%）"));
    int nursing = grid->Model()->Value(0, 1).toString() == "护理" ? 0 : 1;
    const int injection = 1 - nursing;
    QCOMPARE(grid->model()->index(nursing, 2).data().toString(), QString("30.00"));
    QCOMPARE(grid->model()->index(nursing, 3).data().toString(), QString("12.50"));
    QCOMPARE(grid->model()->index(injection, 2).data().toString(), QString());
    // Nothing picked: the boxes' own "0.0" go to the rows of an empty item
    // and code, and there are none.
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList());
    QCOMPARE(shares(), (QStringList{"HL|护理|30|12.5", "ZS|注射||"}));
    // A new item's empty percentages are refused as they stand.
    TestKit::ClickRow(grid, injection);
    QCOMPARE(box(w, "Editxm")->text(), QString("注射"));
    QCOMPARE(box(w, "Editysbl")->text(), QString());
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"请输入提成比例，没有输入\"0\""});
    TestKit::Type(box(w, "Editysbl"), "150");
    TestKit::Type(box(w, "Editfwrbl"), ".");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts().size(), 2);
    TestKit::Type(box(w, "Editfwrbl"), "5");
    TestKit::PressEnter(box(w, "Editfwrbl"));
    TestKit::PressEnter(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(shares(), (QStringList{"HL|护理|30|12.5", "ZS|注射|150|5"}));
    QCOMPARE(box(w, "Editysbl")->text(), QString("150"));
    // By keys: the arrow picks the row, Enter goes on to the doctor's share.
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(box(w, "Editxm")->text(), grid->Model()->Value(1, 1).toString());
    QCOMPARE(box(w, "Editysbl")->text(), grid->Model()->Value(1, 2).toString());
    TestKit::PressEnter(grid);
    QVERIFY(box(w, "Editysbl")->hasFocus());
    // A letter picks the row the grid stands on, not one whose code it begins.
    const int nursingRow = grid->Model()->Value(0, 1).toString() == "护理" ? 0 : 1;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1 - nursingRow, 0));
    box(w, "Editysbl")->clear();
    QTest::keyClick(grid, Qt::Key_H);
    QCOMPARE(grid->CurrentRow(), 1 - nursingRow);
    QCOMPARE(box(w, "Editxm")->text(), QString("注射"));
    QCOMPARE(box(w, "Editysbl")->text(), QString("150"));
  }

 private:
  QString count(const QString& sql, const QVariantList& values) { return ScalarText(db(), sql, values); }
};

BRIMWICK_TEST_MAIN(ServiceListsTest)
#include "servicelists.moc"
