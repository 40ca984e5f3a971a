// The write-off report on both stores: every line, the summary and both
// totals, the voucher whose totals are summed when it prints, and the
// paged detail list with the reasons.
#include <QPushButton>

#include "db/sql.h"
#include "platform/clock.h"
#include "platform/printcanvas.h"
#include "platform/session.h"
#include "reportkit.h"
#include "reports/stockprint.h"
#include "reports/ypbsbb.h"

using ClinicFixture::InsertRow;
using namespace ReportKit;

namespace {
void AddWriteOff(const QSqlDatabase& db, const QString& code, const QString& day, double quantity,
                 const QVariant& price, double salePrice, const QString& batch = "W1", const QString& reason = "霉变") {
  InsertRow(db, "药品报损信息",
            {{"编号", code},
             {"入库时间", "2026-06-01"},
             {"报损时间", day},
             {"药品批号", batch},
             {"数量", quantity},
             {"单价(元)", price},
             {"报损零售价(元)", salePrice},
             {"药品来源", "青禾医药"},
             {"入库人帐号", "admin"},
             {"报损人帐号", "acc01"},
             {"报损原因", reason}});
}

}  // namespace

class WriteOffsTest : public QObject {
  Q_OBJECT

  ReportLogin login_;
  Connection store_;

  void query(QWidget* w) { TestKit::Click(Find<QPushButton>(w, "BitBtn1")); }
  QString cost(QWidget* w) { return Find<QLineEdit>(w, "Edit2")->text(); }
  QString retail(QWidget* w) { return Find<QLineEdit>(w, "Edit1")->text(); }
  const RecordingCanvas& job(int i) { return PrintOutput::RecordedJobs().at(i).canvas; }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void initTestCase() { PrintOutput::RecordInstead(100); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    PrintOutput::ClearRecordedJobs();
    Session::SetLogin("acc09", "药房09");
    Clock::Set(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    store_ = OpenClinicDatabase();
    const QSqlDatabase db = store_.db();
    AddGoods(db);
    AddWriteOff(db, "1001", "2026-12-02", 2, 3, 5);
    AddWriteOff(db, "1001", "2026-12-07", 1, 3, 5, "W2", "破损");
    AddWriteOff(db, "1002", "2026-12-03", 4, 1.5, 2);
    AddWriteOff(db, "9999", "2026-12-03", 1, 100, 150);  // not in the goods list: in the totals only
    AddWriteOff(db, "1002", "2026-11-03", 4, 1, 1);      // before the window
  }
  void cleanup() {
    store_ = Connection();
    Clock::Reset();
  }

  void queryShowsLinesSummaryAndTotals() {
    TFormbsbb w;
    QCOMPARE(w.windowTitle(), QString("药品报损报表"));
    QCOMPARE(cost(&w), QString("0.00"));
    Dates(&w, QDate(2026, 12, 1), QDate(2026, 12, 7));
    query(&w);
    auto* lines = Find<DataGrid>(&w, "DBGrid1");
    QCOMPARE(Titles(lines), QStringList({"品名", "数量", "单位", "总价(元)", "药品批号", "入库时间", "报损时间",
                                         "药品来源", "厂商", "报损人帐号", "入库人帐号", "报损原因"}));
    QCOMPARE(lines->RecordCount(), 3);
    QCOMPARE(lines->LeastWidth(0), 240);
    QCOMPARE(lines->LeastWidth(7), 120);
    QCOMPARE(lines->Model()->data(lines->Model()->index(1, 0), Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
    auto* summary = Find<DataGrid>(&w, "DBGrid2");
    QCOMPARE(Rows(summary), QStringList({"阿莫西林胶囊|3|盒|9.00|青禾制药", "板蓝根颗粒|4|袋|6.00|华川药业"}));
    QCOMPARE(summary->LeastWidth(4), 160);
    QCOMPARE(cost(&w), QString("115.00"));
    QCOMPARE(retail(&w), QString("173.00"));
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void voucherSumsWhenPrinted() {
    TFormbsbb w;
    Dates(&w, QDate(2026, 12, 1), QDate(2026, 12, 7));
    // Before any query the boxes read "0.00"; the voucher sums for itself.
    TestKit::AnswerNext({false});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    const QStringList texts = TextsOf(job(0));
    const int info = texts.indexOf("供货时间：");
    QVERIFY(info >= 0);
    QCOMPARE(texts.mid(info, 8), QStringList({"供货时间：", "2026-12-01", "---", "2026-12-07", "药品报损金额(元)",
                                              "115.00", "报损零售总金额(元)：", "173.00"}));
    QCOMPARE(job(0).Find("Fenmarrow药品报损凭证").size(), 1);
    QCOMPARE(job(0).Find("阿莫西林胶囊").size(), 1);
    QCOMPARE(job(0).Find("9.00").size(), 1);
    QVERIFY(job(0).Find("9999").isEmpty());
    QCOMPARE(TestKit::MessageTexts(), QStringList({kAskDetailList}));

    // Yes prints the detail list.
    TestKit::ClearMessages();
    TestKit::AnswerNext({true});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 3);
    QCOMPARE(job(2).Find("药品报损原因").size(), 1);
    QCOMPARE(job(2).Find("破损").size(), 1);

    // A window of nothing prints "0.00" totals and no rows.
    Dates(&w, QDate(2025, 1, 1), QDate(2025, 1, 1));
    TestKit::AnswerNext({false});
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(job(3).Find("0.00").size(), 2);

    // A failed print shows the error and asks nothing.
    TestKit::ClearMessages();
    PrintOutput::FailNext("打印机脱机");
    TestKit::Click(Find<QPushButton>(&w, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList({"打印机脱机"}));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 4);
  }

  void detailListBreaksAfter48Lines_data() {
    QTest::addColumn<int>("lines");
    QTest::newRow("48") << 48;
    QTest::newRow("49") << 49;
  }
  void detailListBreaksAfter48Lines() {
    QFETCH(int, lines);
    const QSqlDatabase db = store_.db();
    Exec(db, "delete from 药品报损信息");
    for (int i = 0; i < lines; ++i)
      AddWriteOff(db, "1002", "2026-12-05", 1, i == 0 ? QVariant(QMetaType::fromType<double>()) : QVariant(2.0), 3,
                  QString("W%1").arg(i, 2, 10, QChar('0')));
    TFormbsbb w;
    Dates(&w, QDate(2026, 12, 1), QDate(2026, 12, 7));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn3"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    QVERIFY(TestKit::MessageTexts().isEmpty());
    const RecordingCanvas& list = job(0);
    QCOMPARE(list.Find("Fenmarrow药品报损详单凭证").size(), 1);
    QCOMPARE(list.PageCount(), lines == 48 ? 1 : 2);
    QCOMPARE(list.Find("板蓝根颗粒").size(), lines);
    QCOMPARE(list.Find("2.00").size(), 2 * (lines - 1));  // the NULL-priced line prints blank amounts
    QCOMPARE(list.Find("药品报损原因").size(), 1);
    QCOMPARE(list.Find("报损原因").size(), lines == 48 ? 0 : 1);
    QCOMPARE(list.Find("当前页码：").size(), lines == 48 ? 1 : 2);
    if (lines == 49) {
      const DrawnText head = list.Find("报损原因").first();
      QCOMPARE(head.page, 2);
      QCOMPARE(head.y, 50 + 5);
      QCOMPARE(list.TextsOnPage(2).last().text, QString("2"));
    }
  }
};

BRIMWICK_TEST_MAIN(WriteOffsTest)
#include "writeoffs.moc"
