// The receipt and issue reports driven by their component names on both
// stores: the optional filters as the user works them, summary, total and
// detail, and the issue report's purge of empty lines at every opening.
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include "db/clinicconventions.h"
#include "db/datadir.h"
#include "db/sql.h"
#include "reportkit.h"
#include "reports/issuepurge.h"
#include "reports/ypckbb.h"
#include "reports/yprkbb.h"
#include "tools/lib/csvload.h"
#include "tools/lib/loadcommand.h"

using ClinicFixture::InsertRow;
using namespace ReportKit;

namespace {
const QDate kFirst(2026, 12, 1);
const QDate kLast(2026, 12, 7);

void AddReceipt(const QSqlDatabase& db, const QString& code, const QString& day, double quantity, double price,
                const QVariant& source, const QVariant& account) {
  InsertRow(db, "入库信息",
            {{"编号", code},
             {"时间", day},
             {"药品批号", "B" + day},
             {"数量", quantity},
             {"单价(元)", price},
             {"药品来源", source},
             {"入库人帐号", account}});
}

void AddIssue(const QSqlDatabase& db, const QString& code, const QString& day, double quantity, double price,
              const QVariant& issuer, const QVariant& doctor) {
  InsertRow(db, "出库信息",
            {{"流水号", 1},
             {"编号", code},
             {"时间", day},
             {"数量", quantity},
             {"单价(元)", price},
             {"出库人帐号", issuer},
             {"划价人帐号", "acc01"},
             {"开方医师", doctor},
             {"收费类别", "门诊"}});
}

const QVariant kNull = QVariant(QMetaType::fromType<QString>());
}  // namespace

class StockReportsTest : public QObject {
  Q_OBJECT

  Connection store_;

  QString total(QWidget* w) { return Find<QLineEdit>(w, "Edit1")->text(); }
  DataGrid* summary(QWidget* w) { return Find<DataGrid>(w, "DBGrid2"); }
  DataGrid* detail(QWidget* w) { return Find<DataGrid>(w, "DBGrid1"); }
  void query(QWidget* w) { TestKit::Click(Find<QPushButton>(w, "BitBtn1")); }

  void seedReceipts() {
    const QSqlDatabase db = store_.db();
    AddGoods(db);
    for (const char* source : {"青禾医药", "东岭医药"}) InsertRow(db, "药品来源", {{"药品来源", source}});
    AddReceipt(db, "1001", "2026-12-01", 10, 2, "青禾医药", "admin");
    AddReceipt(db, "1001", "2026-12-07", 5, 2, "", "admin");          // loaded with a blank supplier
    AddReceipt(db, "1002", "2026-12-03", 3, 5, "东岭医药", "");       // no receiving account
    AddReceipt(db, "1001", "2026-12-02", 100, 1, kNull, "admin");     // NULL source: never listed
    AddReceipt(db, "1003", "2026-12-02", 1, 7, "青禾医药", "admin");  // item without a category
    AddReceipt(db, "1002", "2026-11-30", 9, 1, "东岭医药", "admin");  // before the window
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    store_ = OpenClinicDatabase();
  }
  void cleanup() { store_ = Connection(); }

  void receiptLoadedWithABlankSupplierIsListed() {
    AddGoods(store_.db());
    QTemporaryDir folder;
    QFile csv(folder.filePath("入库信息.csv"));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write(QString("编号,时间,药品批号,数量,单价(元),药品来源,入库人帐号\n"
                      "1002,2026-12-02,K1,6,2.5,,admin\n")
                  .toUtf8());
    csv.close();
    QVERIFY(LoadCsvFile(store_.db(), "入库信息", csv.fileName()).ok());
    TFormrkbb w;
    Dates(&w, kFirst, kLast);
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1002|板蓝根颗粒|6|袋|15.00"}));
    QCOMPARE(total(&w), QString("15.00"));
  }

  void demoReceiptsAreAllListed() {
    store_ = Connection();
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const QString demo = TestKit::DemoFolder();
    QCOMPARE(RunClinicLoad({DataDir(), demo}, out, err), 0);
    store_ = OpenClinicDatabase();
    TFormrkbb w;
    Dates(&w, QDate(2000, 1, 1), QDate(2100, 1, 1));
    query(&w);
    QCOMPARE(summary(&w)->RecordCount(), ScalarText(store_.db(), "select count(distinct 编号) from 入库信息").toInt());
    QCOMPARE(total(&w), MoneyText(store_.db(), "select sum(\"总价(元)\") from 入库信息"));
    QVERIFY(total(&w) != "0.00");
  }

  void receiptSummaryTotalAndDetail() {
    seedReceipts();
    TFormrkbb w;
    QCOMPARE(w.windowTitle(), QString("药品入库报表"));
    QVERIFY(!summary(&w)->isEnabled());
    QVERIFY(!detail(&w)->isEnabled());
    QCOMPARE(total(&w), QString("0.00"));
    Dates(&w, kFirst, kLast);
    query(&w);
    QVERIFY(summary(&w)->isEnabled());
    QCOMPARE(Titles(summary(&w)), QStringList({"编号", "品名", "数量", "单位", "总价(元)"}));
    QCOMPARE(Rows(summary(&w)), QStringList({"1001|阿莫西林胶囊|15|盒|30.00", "1002|板蓝根颗粒|3|袋|15.00"}));
    QCOMPARE(total(&w), QString("45.00"));
    QCOMPARE(summary(&w)->LeastWidth(1), 240);

    TestKit::ClickRow(summary(&w), 0);
    QVERIFY(detail(&w)->isEnabled());
    QCOMPARE(Titles(detail(&w)), QStringList({"时间", "品名", "药品批号", "单价(元)", "数量", "单位", "总价(元)",
                                              "类别", "规格", "厂商", "药品来源", "入库人帐号"}));
    QCOMPARE(
        Rows(detail(&w)),
        QStringList({"2026-12-01|阿莫西林胶囊|B2026-12-01|2.000|10|盒|20.00|西药|0.25g*24粒|青禾制药|青禾医药|admin",
                     "2026-12-07|阿莫西林胶囊|B2026-12-07|2.000|5|盒|10.00|西药|0.25g*24粒|青禾制药||admin"}));
    QCOMPARE(detail(&w)->LeastWidth(0), 80);
    QCOMPARE(detail(&w)->LeastWidth(10), 60);
    QCOMPARE(detail(&w)->Model()->data(detail(&w)->Model()->index(1, 0), Qt::BackgroundRole).value<QColor>(),
             QColor(Qt::blue));

    // A detail uses the dates of the click, not of the summary on screen.
    Dates(&w, kLast, kLast);
    TestKit::ClickRow(summary(&w), 0);
    QCOMPARE(detail(&w)->RecordCount(), 1);
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void editFiltersFollowTheUser() {
    seedReceipts();
    TFormrkbb w;
    QVERIFY(ShowActive(w));
    Dates(&w, kFirst, kLast);
    query(&w);
    TestKit::ClickRow(summary(&w), 0);
    QCOMPARE(detail(&w)->RecordCount(), 2);

    // Checked but never entered: the prompt is the pinyin searched for.
    auto* pinyin = Find<QLineEdit>(&w, "Edit2");
    QVERIFY(!pinyin->isVisible());
    Tick(&w, "CheckBox3");
    QVERIFY(pinyin->isVisible());
    QCOMPARE(pinyin->text(), QString("请输入拼音码"));
    query(&w);
    QCOMPARE(summary(&w)->RecordCount(), 0);
    QCOMPARE(total(&w), QString("0.00"));
    QCOMPARE(detail(&w)->RecordCount(), 0);  // a query with no total empties the detail

    // A code typed in lower case finds the goods on either store.
    TestKit::Type(pinyin, "amx");
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1001|阿莫西林胶囊|15|盒|30.00"}));
    QCOMPARE(total(&w), QString("30.00"));
    TestKit::ClickRow(summary(&w), 0);
    QCOMPARE(detail(&w)->RecordCount(), 2);

    // Entered and left empty: every code that is not NULL.
    TestKit::Type(pinyin, "");
    query(&w);
    QCOMPARE(total(&w), QString("45.00"));
    QCOMPARE(detail(&w)->RecordCount(), 2);  // a query with a total leaves the detail

    // An account entered and left empty finds the empty accounts only.
    Tick(&w, "CheckBox4");
    TestKit::Type(Find<QLineEdit>(&w, "Edit3"), "");
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1002|板蓝根颗粒|3|袋|15.00"}));
    TestKit::ClickRow(summary(&w), 0);
    QCOMPARE(detail(&w)->RecordCount(), 1);

    // Unchecking restores "%" but keeps the hidden box's text.
    Tick(&w, "CheckBox4");
    QVERIFY(!Find<QLineEdit>(&w, "Edit3")->isVisible());
    query(&w);
    QCOMPARE(total(&w), QString("45.00"));

    // The keyboard changes the mark only.
    auto* sourceBox = Find<QCheckBox>(&w, "CheckBox2");
    sourceBox->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sourceBox, Qt::Key_Space);
    QVERIFY(sourceBox->isChecked());
    QVERIFY(!Find<QComboBox>(&w, "ComboBox2")->isVisible());
    query(&w);
    QCOMPARE(total(&w), QString("45.00"));
  }

  void comboFiltersChangeOnlyByTheUser() {
    seedReceipts();
    TFormrkbb w;
    QVERIFY(ShowActive(w));
    Dates(&w, kFirst, kLast);
    auto* category = Find<QComboBox>(&w, "ComboBox1");
    Tick(&w, "CheckBox1");
    QVERIFY(category->isVisible());
    QCOMPARE(category->currentText(), QString("请选择药品类别"));

    // Entering (a click in its box) fills the list and leaves the text and
    // the value alone.
    QTest::mouseClick(category->lineEdit(), Qt::LeftButton);
    QCOMPARE(Items(category), QStringList({"西药", "中成药"}));
    QCOMPARE(category->currentText(), QString("请选择药品类别"));
    query(&w);
    QCOMPARE(total(&w), QString("45.00"));

    Enter(category);
    Pick(category, "中成药");
    Enter(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(category->count(), 0);
    QCOMPARE(category->currentText(), QString("中成药"));
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1002|板蓝根颗粒|3|袋|15.00"}));

    // Unchecked: "%" again, the picked text stays in the hidden box.
    Tick(&w, "CheckBox1");
    QVERIFY(!category->isVisible());
    QCOMPARE(category->currentText(), QString("中成药"));
    query(&w);
    QCOMPARE(total(&w), QString("45.00"));
    // Checked again: the prompt shows, the value stays "%".
    Tick(&w, "CheckBox1");
    QCOMPARE(category->currentText(), QString("请选择药品类别"));
    query(&w);
    QCOMPARE(total(&w), QString("45.00"));
    // Left without a choice, the combo shows the value.
    Enter(category);
    Enter(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(category->currentText(), QString("%"));

    // A typed underscore matches one character.
    Enter(category);
    category->lineEdit()->clear();
    TypeInto(category, "西_");
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1001|阿莫西林胶囊|15|盒|30.00"}));

    // The source list, picked: a blank source no longer matches.
    Tick(&w, "CheckBox2");
    auto* source = Find<QComboBox>(&w, "ComboBox2");
    Enter(source);
    QCOMPARE(Items(source), QStringList({"青禾医药", "东岭医药"}));
    Pick(source, "青禾医药");
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1001|阿莫西林胶囊|10|盒|20.00"}));
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  // An entry made current without an activation (a list or a program
  // setting it) is the user's pick too; the prompt shown on checking never
  // is one.
  void aPickSeenOnlyAsChangedTextCounts() {
    seedReceipts();
    TFormrkbb w;
    QVERIFY(ShowActive(w));
    Dates(&w, kFirst, kLast);
    auto* category = Find<QComboBox>(&w, "ComboBox1");
    Tick(&w, "CheckBox1");
    Enter(category);
    category->setCurrentIndex(category->findText("中成药"));
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1002|板蓝根颗粒|3|袋|15.00"}));
    // Unchecked and checked again: the prompt shows, "%" stays the value.
    Tick(&w, "CheckBox1");
    Tick(&w, "CheckBox1");
    QCOMPARE(category->currentText(), QString("请选择药品类别"));
    query(&w);
    QCOMPARE(total(&w), QString("45.00"));
  }

  // The filter grid stretches a box with a short caption: a click on its
  // far end, away from mark and caption, still toggles it.
  void aClickAnywhereOnAFilterBoxTogglesIt() {
    TFormypckbb w;
    QVERIFY(ShowActive(w));
    auto* box = Find<QCheckBox>(&w, "CheckBox2");
    const QPoint farEnd(box->width() - 3, box->height() / 2);
    QVERIFY(farEnd.x() > box->sizeHint().width());
    QTest::mouseClick(box, Qt::LeftButton, {}, farEnd);
    QVERIFY(box->isChecked());
    QVERIFY(Find<QComboBox>(&w, "ComboBox2")->isVisible());
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!box->isChecked());
    QVERIFY(!Find<QComboBox>(&w, "ComboBox2")->isVisible());
  }

  void issueReportPurgesEmptyLinesAtEveryOpening() {
    const QSqlDatabase db = store_.db();
    AddGoods(db);
    AddIssue(db, "1001", "2026-12-01", 2, 3, "药房01", "医师01");
    AddIssue(db, "1001", "2026-12-01", 0, 3, "药房01", "医师01");
    AddIssue(db, "1002", "2025-01-01", 0, 1, "药房01", "医师01");  // another day, purged too
    TFormypckbb first;
    QCOMPARE(ScalarText(db, "select count(*) from 出库信息 where 数量 = 0"), QString("0"));
    QCOMPARE(ScalarText(db, "select count(*) from 出库信息"), QString("1"));
    TFormypckbb second;
    QCOMPARE(ScalarText(db, "select count(*) from 出库信息"), QString("1"));
    QCOMPARE(PurgeEmptyIssueLines(db), 0);
    AddIssue(db, "1002", "2026-12-02", 0, 1, "药房01", "医师01");
    QCOMPARE(PurgeEmptyIssueLines(db), 1);
    // Two desks' openings: one empty line goes once, and every line that
    // carries something stays.
    Connection other = OpenClinicDatabase();
    AddIssue(db, "1002", "2026-12-03", 0, 1, "药房01", "医师01");
    QCOMPARE(PurgeEmptyIssueLines(other.db()) + PurgeEmptyIssueLines(db), 1);
    QCOMPARE(ScalarText(db, "select sum(数量) from 出库信息"), QString("2"));
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void issueFiltersSummaryAndDetail() {
    const QSqlDatabase db = store_.db();
    AddGoods(db);
    InsertRow(db, "服务人", {{"姓名", "医师01"}, {"职务", "医师"}});
    InsertRow(db, "服务人", {{"姓名", "护士01"}, {"职务", "护士"}});
    InsertRow(db, "服务人", {{"姓名", "医师02"}, {"职务", "医师"}});
    for (const char* form : {"胶囊剂", "颗粒剂"}) InsertRow(db, "药品剂型", {{"剂型", form}});
    AddIssue(db, "1001", "2026-12-05", 1, 3, "药房02", "医师02");
    AddIssue(db, "1001", "2026-12-01", 2, 3, "药房01", "医师01");
    AddIssue(db, "1002", "2026-12-01", 4, 1, "药房01", "医师01");
    AddIssue(db, "1002", "2026-12-02", 1, 1, "药房01", kNull);  // no doctor: never listed
    AddIssue(db, "1002", "2026-12-08", 7, 1, "药房01", "医师01");

    TFormypckbb w;
    QCOMPARE(w.windowTitle(), QString("药品出库报表"));
    QVERIFY(ShowActive(w));
    Dates(&w, kFirst, kLast);
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1001|阿莫西林胶囊|3|盒|9.00", "1002|板蓝根颗粒|4|袋|4.00"}));
    QCOMPARE(total(&w), QString("13.00"));
    TestKit::ClickRow(summary(&w), 0);
    QCOMPARE(Titles(detail(&w)), QStringList({"时间", "品名", "单价(元)", "数量", "单位", "总价(元)", "类别", "规格",
                                              "厂商", "出库人帐号", "开方医师"}));
    QCOMPARE(Rows(detail(&w)),
             QStringList({"2026-12-01|阿莫西林胶囊|3.00|2|盒|6.00|西药|0.25g*24粒|青禾制药|药房01|医师01",
                          "2026-12-05|阿莫西林胶囊|3.00|1|盒|3.00|西药|0.25g*24粒|青禾制药|药房02|医师02"}));

    // The doctor list holds doctors only, and is emptied at each check.
    auto* doctor = Find<QComboBox>(&w, "ComboBoxys");
    Tick(&w, "CheckBox5");
    QCOMPARE(doctor->currentText(), QString("请选开方医师"));
    Enter(doctor);
    QCOMPARE(Items(doctor), QStringList({"医师01", "医师02"}));
    Pick(doctor, "医师02");
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1001|阿莫西林胶囊|1|盒|3.00"}));
    Tick(&w, "CheckBox5");
    Tick(&w, "CheckBox5");
    QCOMPARE(doctor->count(), 0);
    QCOMPARE(doctor->currentText(), QString("请选开方医师"));
    Tick(&w, "CheckBox5");

    // The dosage form narrows the summary but not what a click lists.
    Tick(&w, "CheckBox2");
    auto* form = Find<QComboBox>(&w, "ComboBox2");
    Enter(form);
    Pick(form, "胶囊剂");
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1001|阿莫西林胶囊|3|盒|9.00"}));
    Enter(form);
    Pick(form, "颗粒剂");
    TestKit::ClickRow(summary(&w), 0);
    QCOMPARE(detail(&w)->RecordCount(), 2);
    // Any other filter does.
    Tick(&w, "CheckBox4");
    TestKit::Type(Find<QLineEdit>(&w, "Edit3"), "药房02");
    TestKit::ClickRow(summary(&w), 0);
    QCOMPARE(detail(&w)->RecordCount(), 1);
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }
};

BRIMWICK_TEST_MAIN(StockReportsTest)
#include "stockreports.moc"
