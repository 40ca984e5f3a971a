// The supplies report on both stores: receipts and issues by person and
// supplier with their totals, the supplier boxes, and the two paged
// documents on the recording canvas.
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/printcanvas.h"
#include "platform/session.h"
#include "reports/hcbb.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "reportwindow.h"

using ClinicFixture::InsertRow;

namespace {
void Receipt(const QSqlDatabase& db, const QString& name, const QString& day, double quantity, const QVariant& price,
             const QVariant& supplier, const QString& account) {
  const QVariant total = price.isNull() ? QVariant() : QVariant(quantity * price.toDouble());
  InsertRow(db, "卫材入库历史记录表", {{"产品名称", name}, {"时间", day}, {"数量", quantity}, {"单位", "包"},
                                      {"单价(元)", price}, {"总价(元)", total}, {"供货商", supplier},
                                      {"产地", "本地"}, {"入库人帐号", account}});
}
void Issue(const QSqlDatabase& db, const QString& name, const QString& day, double quantity, const QVariant& price,
           const QString& supplier, const QString& recipient) {
  const QVariant total = price.isNull() ? QVariant() : QVariant(quantity * price.toDouble());
  InsertRow(db, "卫材出库表", {{"产品名称", name}, {"时间", day}, {"数量", quantity}, {"单位", "卷"}, {"单价(元)", 1},
                              {"售价(元)", price}, {"进货金额(元)", quantity}, {"零售金额(元)", total},
                              {"利润金额(元)", total.isNull() ? QVariant() : QVariant(total.toDouble() - quantity)},
                              {"总价(元)", total}, {"供货商", supplier}, {"产地", "外地"}, {"领取人", recipient}});
}
}  // namespace

class SuppliesTest : public QObject {
  Q_OBJECT

  ReportLogin login_;
  Connection store_;
  QSqlDatabase db() const { return store_.db(); }

  void receipts(TFormhcbb& w, const QString& account) {
    Find<QDateEdit>(&w, "DateTimePicker1")->setDate(QDate(2026, 11, 1));
    Find<QDateEdit>(&w, "DateTimePicker2")->setDate(QDate(2026, 11, 5));
    TestKit::Type(Find<QLineEdit>(&w, "Edit1"), account);
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
  }
  void issues(TFormhcbb& w, const QString& recipient) {
    Find<QDateEdit>(&w, "DateTimePicker3")->setDate(QDate(2026, 11, 1));
    Find<QDateEdit>(&w, "DateTimePicker4")->setDate(QDate(2026, 11, 5));
    TestKit::Type(Find<QLineEdit>(&w, "Edit2"), recipient);
    TestKit::Click(Find<QPushButton>(&w, "BitBtn4"));
  }
  QString text(TFormhcbb& w, const char* box) { return Find<QLineEdit>(&w, box)->text(); }
  const RecordingCanvas& lastPrint() { return PrintOutput::RecordedJobs().last().canvas; }
  // The text drawn at a place of a page, or "(none)".
  static QString At(const RecordingCanvas& canvas, int page, int x, int y) {
    for (const DrawnText& t : canvas.TextsOnPage(page))
      if (t.x == x && t.y == y) return t.text;
    return "(none)";
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    PrintOutput::RecordInstead(100);
    PrintOutput::ClearRecordedJobs();
    Clock::Set(QDateTime(QDate(2026, 11, 5), QTime(9, 0)));
    store_ = OpenClinicDatabase();
    InsertRow(db(), "药品来源", {{"药品来源", "甲公司"}});
    InsertRow(db(), "药品来源", {{"药品来源", "乙公司 "}});
  }
  void cleanup() {
    store_ = Connection();
    PrintOutput::PrintNormally();
    Clock::Reset();
  }

  void receiptsByAccountAndSupplier() {
    Receipt(db(), "纱布", "2026-11-03", 10, 2.5, "甲公司", "acc01");
    Receipt(db(), "棉签", "2026-11-04", 5, 1, "乙公司", "acc02");
    Receipt(db(), "胶布", "2026-11-04", 2, 3, QVariant(), "acc01");  // no supplier: never listed
    Receipt(db(), "纱布", "2026-10-01", 1, 2.5, "甲公司", "acc01");   // before the dates
    Receipt(db(), "口罩", "2026-11-05", 4, 1, "甲公司", "");          // today, nobody's
    TFormhcbb w;
    QVERIFY(ShowActive(w));
    QCOMPARE(w.windowTitle(), QString("卫材报表"));
    // At opening: today's receipts without an account.
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 1);
    QCOMPARE(text(w, "Edithj"), QString("4.00"));
    QVERIFY(Find<QPushButton>(&w, "BitBtn1")->isHidden());
    auto* box = Find<QComboBox>(&w, "ComboBox1");
    QCOMPARE(box->currentText(), QString("供货商"));
    QCOMPARE(box->count(), 2);

    receipts(w, "");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 3);
    QCOMPARE(text(w, "Edithj"), QString("34.00"));
    QVERIFY(!Find<QPushButton>(&w, "BitBtn1")->isHidden());
    QCOMPARE(box->count(), 4);  // the names once more
    receipts(w, "acc01");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 1);
    QCOMPARE(text(w, "Edithj"), QString("25.00"));
    receipts(w, "nobody");
    QCOMPARE(text(w, "Edithj"), QString("0.00"));
    QVERIFY(Find<QPushButton>(&w, "BitBtn1")->isHidden());

    // Clicking the account box returns the half to every supplier; a pick
    // narrows it, and leaving the box fixes the pick.
    QTest::mouseClick(Find<QLineEdit>(&w, "Edit1"), Qt::LeftButton);
    QCOMPARE(box->currentText(), QString("供货商"));
    QCOMPARE(box->count(), 2);
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentText(), QString("乙公司"));
    TestKit::Type(Find<QLineEdit>(&w, "Edit1"), "");
    QVERIFY(!box->isEnabled());
    QCOMPARE(box->currentText(), QString("乙公司"));
    QCOMPARE(box->count(), 0);
    receipts(w, "");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 1);
    QCOMPARE(text(w, "Edithj"), QString("5.00"));
    QVERIFY(box->isEnabled());  // the query unlocks it again
  }

  // A supplier set as the box's current entry, with no activation, is
  // the user's pick all the same; filling the list is none.
  void aSupplierSeenOnlyAsChangedTextNarrowsTheQuery() {
    Receipt(db(), "纱布", "2026-11-03", 10, 2.5, "甲公司", "acc01");
    Receipt(db(), "棉签", "2026-11-04", 5, 1, "乙公司", "acc02");
    Issue(db(), "绷带", "2026-11-02", 3, 2, "甲公司", "护士01");
    Issue(db(), "绷带", "2026-11-03", 1, 2.5, "乙公司", "护士02");
    TFormhcbb w;
    QVERIFY(ShowActive(w));
    receipts(w, "");  // appends the names again: still no pick
    QCOMPARE(text(w, "Edithj"), QString("30.00"));
    auto* box = Find<QComboBox>(&w, "ComboBox1");
    box->setCurrentIndex(box->findText("乙公司"));
    receipts(w, "");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 1);
    QCOMPARE(text(w, "Edithj"), QString("5.00"));
    auto* issueBox = Find<QComboBox>(&w, "ComboBox2");
    issueBox->setCurrentText("甲公司");
    issues(w, "");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid2")->RecordCount(), 1);
    QCOMPARE(text(w, "Edit4"), QString("6.00"));
  }

  void issuesByRecipientWithTheirThreeTotals() {
    Issue(db(), "绷带", "2026-11-02", 3, 2, "甲公司", "护士01");
    Issue(db(), "绷带", "2026-11-03", 1, 2.5, "乙公司", "护士02");
    Issue(db(), "酒精", "2026-11-05", 2, 4, "甲公司", "");
    TFormhcbb w;
    QVERIFY(ShowActive(w));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid2")->RecordCount(), 1);
    QCOMPARE(text(w, "Edit3"), QString("2.00"));
    QCOMPARE(text(w, "Edit4"), QString("0.00"));
    issues(w, "");
    QCOMPARE(Find<DataGrid>(&w, "DBGrid2")->RecordCount(), 3);
    QCOMPARE(text(w, "Edit3"), QString("6.00"));
    QCOMPARE(text(w, "Edit4"), QString("16.50"));
    QCOMPARE(text(w, "Edit5"), QString("10.50"));
    issues(w, "护士01");
    QCOMPARE(text(w, "Edit4"), QString("6.00"));
    QVERIFY(!Find<QPushButton>(&w, "BitBtn2")->isHidden());
  }

  void receiptSlipBreaksAfter48Rows_data() {
    QTest::addColumn<int>("rows");
    QTest::newRow("48") << 48;
    QTest::newRow("49") << 49;
  }
  void receiptSlipBreaksAfter48Rows() {
    QFETCH(int, rows);
    for (int i = 1; i <= rows; ++i)
      Receipt(db(), QString("卫材%1").arg(i, 2, 10, QChar('0')), "2026-11-03", 1, 2, "甲公司", "acc01");
    TFormhcbb w;
    QVERIFY(ShowActive(w));
    receipts(w, "acc01");
    TestKit::AnswerNext({false});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"打印成功，请按，此单不能更改"});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"打印成功提示"});
    QVERIFY(!Find<QPushButton>(&w, "BitBtn1")->isHidden());  // No keeps it
    const RecordingCanvas& slip = lastPrint();
    QCOMPARE(slip.PageCount(), rows == 48 ? 1 : 2);
    QCOMPARE(At(slip, 1, 200, 50), QString("Ostrevane铁艺商店入库单"));
    QCOMPARE(At(slip, 1, 133, 101), QString("acc01"));
    QCOMPARE(At(slip, 1, 490, 101), QString(rows == 48 ? "96.00" : "98.00"));
    QCOMPARE(At(slip, 1, 100, 120), QString("卫材名称"));
    // The first row: name, quantity, unit, price and total.
    QCOMPARE(At(slip, 1, 40, 145), QString("卫材01"));
    QCOMPARE(At(slip, 1, 294, 145), QString("1"));
    QCOMPARE(At(slip, 1, 359, 145), QString("2.00"));
    // Footer of page 1: 48 rows, page 1, 1/4 in below the 48th row's top.
    const int footerY = 140 + 47 * 20 + 25;
    QCOMPARE(At(slip, 1, 100, footerY), QString("本页品种："));
    QCOMPARE(At(slip, 1, 150, footerY), QString("48"));
    QCOMPARE(At(slip, 1, 300, footerY), QString("acc01"));
    QCOMPARE(At(slip, 1, 730, footerY), QString("1"));
    if (rows == 49) {
      QCOMPARE(At(slip, 2, 300, 55), QString("数量"));  // the later head row at 1/2 in
      QCOMPARE(At(slip, 2, 40, 80), QString("卫材49"));
      QCOMPARE(At(slip, 2, 150, 100), QString("1"));
      QCOMPARE(At(slip, 2, 730, 100), QString("2"));
      bool extraLine = false;
      for (const DrawnLine& l : slip.LinesOnPage(2)) extraLine |= l.x1 == 472 && l.y1 == 50 && l.y2 == 75;
      QVERIFY(extraLine);
    }
    TestKit::ClearMessages();
    TestKit::AnswerNext({true});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QVERIFY(Find<QPushButton>(&w, "BitBtn1")->isHidden());  // Yes hides it
    QCOMPARE(PrintOutput::RecordedJobs().size(), 2);
  }

  void failedPrintAsksNothingAndKeepsTheButton() {
    Issue(db(), "绷带", "2026-11-02", 3, 2, "甲公司", "护士01");
    TFormhcbb w;
    QVERIFY(ShowActive(w));
    issues(w, "");
    PrintOutput::FailNext("打印机缺纸");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"打印机缺纸"});
    QVERIFY(!Find<QPushButton>(&w, "BitBtn2")->isHidden());
    QVERIFY(PrintOutput::RecordedJobs().isEmpty());
  }

  void issueVoucherPrintsAnAmountNeverStoredBlank() {
    Issue(db(), "绷带", "2026-11-02", 3, QVariant(), "甲公司", "护士01");
    TFormhcbb w;
    QVERIFY(ShowActive(w));
    issues(w, "护士01");
    TestKit::AnswerNext({false});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"打印成功，请按，此单不能更改"});
    const RecordingCanvas& voucher = lastPrint();
    QCOMPARE(At(voucher, 1, 200, 50), QString("Ostrevane铁艺商店出库凭证"));
    QCOMPARE(At(voucher, 1, 490, 101), QString("0.00"));
    QCOMPARE(At(voucher, 1, 294, 145), QString("2026-11-02"));
    QCOMPARE(At(voucher, 1, 441, 145), QString());
    QCOMPARE(At(voucher, 1, 500, 145), QString());
    QCOMPARE(At(voucher, 1, 500, 140 + 50), QString("领取人签字：______________"));
  }
};

BRIMWICK_TEST_MAIN(SuppliesTest)
#include "supplies.moc"
