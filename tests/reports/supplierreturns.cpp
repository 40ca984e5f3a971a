// The return-to-supplier report on both stores: the summary at opening and
// after a query, the source filter that carries the voucher button, the
// voucher whose totals are summed at print time over its own rows, the
// paged detail list, and grids that never write to the store.
#include <QPushButton>

#include "db/sql.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/printcanvas.h"
#include "platform/session.h"
#include "reportkit.h"
#include "reports/stockprint.h"
#include "reports/ypfkbb.h"

using ClinicFixture::InsertRow;
using namespace ReportKit;

namespace {
void AddReturn(const QSqlDatabase& db, const QString& code, const QString& day, double quantity, const QVariant& price,
               double salePrice, const QString& source, const QString& returner, const QString& batch = "P1") {
  InsertRow(db, "药品反库信息",
            {{"编号", code},
             {"入库时间", "2026-06-01"},
             {"返库时间", day},
             {"药品批号", batch},
             {"数量", quantity},
             {"单价(元)", price},
             {"售价(元)", salePrice},
             {"药品来源", source},
             {"入库人帐号", "admin"},
             {"反库人帐号", returner},
             {"返库原因", "近效期"}});
}

}  // namespace

class SupplierReturnsTest : public QObject {
  Q_OBJECT

  ReportLogin login_;
  Connection store_;

  DataGrid* summary(QWidget* w) { return Find<DataGrid>(w, "DBGrid2"); }
  DataGrid* detail(QWidget* w) { return Find<DataGrid>(w, "DBGrid1"); }
  void query(QWidget* w) { TestKit::Click(Find<QPushButton>(w, "BitBtn2")); }
  QPushButton* voucherButton(QWidget* w) { return Find<QPushButton>(w, "BitBtn1"); }

  void seed() {
    const QSqlDatabase db = store_.db();
    AddGoods(db);
    InsertRow(db, "药品信息",
              {{"编号", "1005"},
               {"品名", "空码药"},
               {"单位", "支"},
               {"厂商", "某厂"},
               {"类别", "西药"},
               {"拼音缩写", ""},
               {"剂型", "针剂"}});
    for (const char* source : {"青禾医药", "东岭医药"}) InsertRow(db, "药品来源", {{"药品来源", source}});
    AddReturn(db, "1001", "2026-12-02", 2, 3, 5, "青禾医药", "acc01");
    AddReturn(db, "1001", "2026-12-03", 1, 3, 5, "东岭医药", "acc02");
    AddReturn(db, "1002", "2026-12-04", 4, 1.5, 2, "青禾医药", "acc01");
    AddReturn(db, "1002", "2026-11-01", 9, 1, 1, "青禾医药", "acc01");
    AddReturn(db, "1005", "2026-12-07", 1, 2, 3, "东岭医药", "acc01");
  }

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
    seed();
  }
  void cleanup() {
    store_ = Connection();
    Clock::Reset();
  }

  void openingQueryAndDetail() {
    TFormypfkbb w;
    QCOMPARE(w.windowTitle(), QString("药品返库报表"));
    QVERIFY(ShowActive(w));
    // Opening lists today's returns of items whose code is empty text.
    QCOMPARE(Titles(summary(&w)), QStringList({"编号", "品名", "数量", "单位", "总价(元)", "厂商"}));
    QCOMPARE(Rows(summary(&w)), QStringList({"1005|空码药|1|支|2.00|某厂"}));
    QVERIFY(summary(&w)->isEnabled());
    QVERIFY(!voucherButton(&w)->isVisible());
    QVERIFY(!Find<QPushButton>(&w, "BitBtn3")->isVisible());

    Dates(&w, QDate(2026, 12, 1), QDate(2026, 12, 7));
    query(&w);
    QCOMPARE(Rows(summary(&w)), QStringList({"1001|阿莫西林胶囊|3|盒|9.00|青禾制药",
                                             "1002|板蓝根颗粒|4|袋|6.00|华川药业", "1005|空码药|1|支|2.00|某厂"}));
    QCOMPARE(Find<QLineEdit>(&w, "Edit5")->text(), QString("17.00"));
    QCOMPARE(Find<QLineEdit>(&w, "Editlsje")->text(), QString("26.00"));
    QCOMPARE(Titles(detail(&w)),
             QStringList({"返库时间", "入库时间", "品名", "药品批号", "单价(元)", "数量", "单位", "总价(元)", "类别",
                          "规格", "厂商", "入库人帐号", "反库人帐号", "返库原因"}));
    QCOMPARE(detail(&w)->RecordCount(), 0);
    QCOMPARE(QApplication::focusWidget(), summary(&w));

    // The source filter shows the voucher button; a click lists the
    // item's returns of every source and returner all the same.
    Tick(&w, "CheckBox2");
    QVERIFY(voucherButton(&w)->isVisible());
    auto* source = Find<QComboBox>(&w, "ComboBox2");
    QCOMPARE(source->currentText(), QString("请选择药品来源"));
    Enter(source);
    Pick(source, "青禾医药");
    Enter(Find<QPushButton>(&w, "BitBtn2"));
    query(&w);
    QCOMPARE(Rows(summary(&w)),
             QStringList({"1001|阿莫西林胶囊|2|盒|6.00|青禾制药", "1002|板蓝根颗粒|4|袋|6.00|华川药业"}));
    QCOMPARE(Find<QLineEdit>(&w, "Edit5")->text(), QString("12.00"));
    TestKit::ClickRow(summary(&w), 0);
    QCOMPARE(
        Rows(detail(&w)),
        QStringList(
            {"2026-12-02|2026-06-01|阿莫西林胶囊|P1|3.000|2|盒|6.00|西药|0.25g*24粒|青禾制药|admin|acc01|近效期",
             "2026-12-03|2026-06-01|阿莫西林胶囊|P1|3.000|1|盒|3.00|西药|0.25g*24粒|青禾制药|admin|acc02|近效期"}));
    QCOMPARE(detail(&w)->LeastWidth(0), 70);
    QCOMPARE(detail(&w)->LeastWidth(12), 60);

    // Unchecked: the button hides and the source is "%" again.
    Tick(&w, "CheckBox2");
    QVERIFY(!voucherButton(&w)->isVisible());
    query(&w);
    QCOMPARE(Find<QLineEdit>(&w, "Edit5")->text(), QString("17.00"));

    // The grids never write to the store, whatever the user types.
    const QStringList before = ClinicFixture::TableRows(store_.db(), "药品反库信息");
    TestKit::ClickRow(summary(&w), 0);
    QTest::keyClicks(summary(&w), "99");
    QTest::keyClick(summary(&w), Qt::Key_Return);
    QTest::keyClicks(detail(&w), "99");
    QCOMPARE(ClinicFixture::TableRows(store_.db(), "药品反库信息"), before);
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void voucherSumsItsOwnRowsWhenPrinted() {
    TFormypfkbb w;
    QVERIFY(ShowActive(w));
    Dates(&w, QDate(2026, 12, 1), QDate(2026, 12, 7));
    Tick(&w, "CheckBox2");
    auto* source = Find<QComboBox>(&w, "ComboBox2");
    Enter(source);
    Pick(source, "青禾医药");
    Enter(Find<QPushButton>(&w, "BitBtn2"));
    query(&w);
    QCOMPARE(Find<QLineEdit>(&w, "Edit5")->text(), QString("12.00"));
    // The filters change after the query: the voucher follows them, its
    // totals with its rows.
    Tick(&w, "CheckBox3");
    TestKit::Type(Find<QLineEdit>(&w, "Edit2"), "blg");
    TestKit::AnswerNext({false});
    TestKit::Click(voucherButton(&w));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    const RecordingCanvas& voucher = PrintOutput::RecordedJobs().at(0).canvas;
    QCOMPARE(voucher.Find("Fenmarrow药品返库凭证").size(), 1);
    QCOMPARE(First(voucher, "Fenmarrow药品返库凭证").x, 150);
    QCOMPARE(First(voucher, "Fenmarrow药品返库凭证").size, 18);
    QCOMPARE(First(voucher, "青禾医药").x, 150 + 350 + 67);
    const QStringList texts = TextsOf(voucher);
    const int info = texts.indexOf("供货时间：");
    QCOMPARE(texts.mid(info, 8), QStringList({"供货时间：", "2026-12-01", "---", "2026-12-07", "退药总金额(元)", "6.00",
                                              "退药零售金额(元)", "8.00"}));
    QCOMPARE(First(voucher, "8.00").x, 684);
    QCOMPARE(First(voucher, "8.00").y, 73);
    QCOMPARE(voucher.Find("板蓝根颗粒").size(), 1);
    QVERIFY(voucher.Find("阿莫西林胶囊").isEmpty());
    // Head at 87, the row below it, the footer 1/4 in below the row's top.
    QCOMPARE(First(voucher, "品名").y, 87 + 5);
    QCOMPARE(First(voucher, "板蓝根颗粒").y, 112 + 5);
    QCOMPARE(First(voucher, "打印制表人帐号").y, 112 + 25);
    QCOMPARE(First(voucher, "acc09").x, 310);
    QCOMPARE(First(voucher, "当前页码：").x, 700);
    QVERIFY(!voucher.Find("1").isEmpty());
    QCOMPARE(voucher.Find("1").last().x, 760);
    QCOMPARE(TestKit::MessageTexts(), QStringList({kAskDetailList}));
    QCOMPARE(TestKit::MessageTitles(), QStringList({kAskDetailListTitle}));

    // Yes prints the detail list of the same filters.
    TestKit::ClearMessages();
    TestKit::AnswerNext({true});
    TestKit::Click(voucherButton(&w));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 3);
    const RecordingCanvas& list = PrintOutput::RecordedJobs().at(2).canvas;
    QCOMPARE(First(list, "品      名").y, 14 + 5);
    QCOMPARE(list.Find("板蓝根颗粒").size(), 1);
    QCOMPARE(list.Find("1.50").size(), 1);

    // A print that fails shows the printer's error and asks nothing.
    TestKit::ClearMessages();
    PrintOutput::FailNext("打印机缺纸");
    TestKit::Click(voucherButton(&w));
    QCOMPARE(TestKit::MessageTexts(), QStringList({"打印机缺纸"}));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 3);
    QVERIFY(voucherButton(&w)->isVisible());
  }

  void voucherOfNothingPrintsNothing() {
    TFormypfkbb w;
    QVERIFY(ShowActive(w));
    Dates(&w, QDate(2025, 1, 1), QDate(2025, 1, 2));
    Tick(&w, "CheckBox2");
    query(&w);
    TestKit::Click(voucherButton(&w));
    QVERIFY(PrintOutput::RecordedJobs().isEmpty());
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void voucherWithoutAChosenSourceListsEverySource() {
    TFormypfkbb w;
    QVERIFY(ShowActive(w));
    Dates(&w, QDate(2026, 12, 1), QDate(2026, 12, 7));
    Tick(&w, "CheckBox2");
    query(&w);
    TestKit::AnswerNext({false, false});
    TestKit::Click(voucherButton(&w));
    // Never entered: the prompt stands as the supplier.
    QCOMPARE(First(PrintOutput::RecordedJobs().at(0).canvas, "请选择药品来源").x, 567);
    QCOMPARE(PrintOutput::RecordedJobs().at(0).canvas.Find("阿莫西林胶囊").size(), 1);
    QCOMPARE(PrintOutput::RecordedJobs().at(0).canvas.Find("空码药").size(), 1);
    // Entered and left without a choice: the combo shows the value "%".
    auto* source = Find<QComboBox>(&w, "ComboBox2");
    Enter(source);
    Enter(Find<QPushButton>(&w, "BitBtn2"));
    TestKit::Click(voucherButton(&w));
    QCOMPARE(First(PrintOutput::RecordedJobs().at(1).canvas, "%").x, 567);
  }

  void detailListBreaksAfter48Lines_data() {
    QTest::addColumn<int>("lines");
    QTest::newRow("48") << 48;
    QTest::newRow("49") << 49;
  }
  void detailListBreaksAfter48Lines() {
    QFETCH(int, lines);
    const QSqlDatabase db = store_.db();
    Exec(db, "delete from 药品反库信息");
    for (int i = 0; i < lines; ++i)
      AddReturn(db, "1002", "2026-12-05", 1, i == 0 ? QVariant(QMetaType::fromType<double>()) : QVariant(2.0), 3,
                "青禾医药", "acc01", QString("P%1").arg(i, 2, 10, QChar('0')));
    TFormypfkbb w;
    QVERIFY(ShowActive(w));
    Dates(&w, QDate(2026, 12, 1), QDate(2026, 12, 7));
    Tick(&w, "CheckBox2");
    query(&w);
    TestKit::AnswerNext({true});
    TestKit::Click(voucherButton(&w));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 2);
    QVERIFY(TestKit::MessageTexts().size() == 1);
    const RecordingCanvas& list = PrintOutput::RecordedJobs().at(1).canvas;
    QCOMPARE(list.PageCount(), lines == 48 ? 1 : 2);
    QCOMPARE(list.Find("板蓝根颗粒").size(), lines);
    int onFirstPage = 0;
    for (const DrawnText& t : list.Find("板蓝根颗粒")) onFirstPage += t.page == 1;
    QCOMPARE(onFirstPage, 48);
    // The line without a price prints its amounts blank.
    QCOMPARE(list.Find("2.00").size(), 2 * (lines - 1));
    QCOMPARE(list.Find("P00").size(), 1);
    const QList<DrawnText> pages = list.Find("当前页码：");
    QCOMPARE(pages.size(), lines == 48 ? 1 : 2);
    QCOMPARE(list.Find("品      名").size(), lines == 48 ? 1 : 2);
    if (lines == 49) {
      QCOMPARE(list.Find("品      名").at(1).page, 2);
      QCOMPARE(list.Find("品      名").at(1).y, 50 + 5);
      // Later heads and rows stop at 7.8 in, the first head at 8.
      bool firstHeadTo800 = false, rowsTo780 = true;
      for (const DrawnLine& l : list.Lines()) {
        if (l.y1 == l.y2 && l.y1 == 14 && l.x2 == 800) firstHeadTo800 = true;
        if (l.y1 == l.y2 && l.y1 > 40 && l.x2 == 800) rowsTo780 = false;
      }
      QVERIFY(firstHeadTo800);
      QVERIFY(rowsTo780);
    }
    // The voucher's row of NULL-priced lines sums the rest.
    const RecordingCanvas& voucher = PrintOutput::RecordedJobs().at(0).canvas;
    QCOMPARE(voucher.Find(QString::asprintf("%.2f", 2.0 * (lines - 1))).size(), 2);
  }
};

BRIMWICK_TEST_MAIN(SupplierReturnsTest)
#include "supplierreturns.moc"
