// The low-stock alarm and the expiry warning lists, on both stores.
#include <QLineEdit>
#include <algorithm>
#include <QPushButton>

#include "clinicseed.h"
#include "frontdesk/kccx.h"
#include "frontdesk/yxqyj.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/printcanvas.h"
#include "support/testkit.h"
#include "support/throwawayserver.h"

using namespace ClinicSeed;
using ClinicFixture::InsertRow;

namespace {
const QDate kToday{2026, 6, 30};

void Issued(const QSqlDatabase& db, const QString& code, const QDate& day, double quantity) {
  InsertRow(db, "出库信息", {{"流水号", 1}, {"编号", code}, {"时间", DayText(day)}, {"数量", quantity},
                             {"单价(元)", 1}, {"划价人帐号", "acc1"}});
}

QStringList Column(const DataGrid* grid, int column) {
  QStringList cells;
  for (int row = 0; row < grid->RecordCount(); ++row) cells << CellText(grid->Model()->Value(row, column));
  cells.sort();
  return cells;
}

QPoint At(const DrawnText& text) { return {text.x, text.y}; }
}  // namespace

class WarningListsTest : public QObject {
  Q_OBJECT
  Connection store_;
  QSqlDatabase db() const { return store_.db(); }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void initTestCase() { PrintOutput::RecordInstead(); }
  void init() {
    ClinicFixture::Prepare();
    Clock::Set(QDateTime(kToday, QTime(15, 0)));
    TestKit::ClearMessages();
    PrintOutput::ClearRecordedJobs();
    store_ = OpenClinicDatabase();
  }
  void cleanup() {
    store_ = Connection();
    Clock::Reset();
  }

  void lowStockListsStrictlyBelowTheMinimum() {
    Goods(db(), "00001", "阿莫西林", "AMXL", 4, 5);
    Goods(db(), "00002", "维生素C", "WSSC", 5, 5);  // at its minimum: not low
    Goods(db(), "00003", "板蓝根", "BLG", 0, 1);
    InsertRow(db(), "库存", {{"编号", "00009"}, {"数量", 0}});  // no goods row
    InsertRow(db(), "药品信息", {{"编号", "00008"}, {"品名", "无库存"}, {"下限", 10}});  // no stock row
    Issued(db(), "00001", kToday.addDays(-120), 2);
    Issued(db(), "00001", kToday.addDays(-121), 3);
    Issued(db(), "00001", kToday, 1.5);
    TFormkccx window;
    window.resize(1000, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* grid = Find<DataGrid>(&window, "DBGrid1");
    QCOMPARE(Column(grid, 0), (QStringList{"00001", "00003"}));
    auto* issued = Find<QLineEdit>(&window, "Edit3");
    QCOMPARE(issued->text(), QString());
    for (int row = 0; row < grid->RecordCount(); ++row) {
      TestKit::ClickRow(grid, row);
      QCOMPARE(issued->text(), grid->Cell(0) == "00001" ? QString("3.5") : QString("0"));
    }
  }

  void expiryListsSplitAtTodayAndNinetyDays() {
    Goods(db(), "00001", "阿莫西林", "AMXL", 100);
    Batch(db(), "00001", "today", 1, kToday, 0);
    Batch(db(), "00001", "day89", 1, kToday, 89);
    Batch(db(), "00001", "day90", 1, kToday, 90);
    Batch(db(), "00001", "yesterday", 0, kToday.addDays(-1), 0);  // empty, listed all the same
    Batch(db(), "00007", "nogoods", 1, kToday.addDays(-5), 0);
    TFormyxqyj window;
    QCOMPARE(Column(Find<DataGrid>(&window, "DBGrid1"), 2), (QStringList{"day89", "today"}));
    QCOMPARE(Column(Find<DataGrid>(&window, "DBGrid2"), 2), QStringList{"yesterday"});
  }

  void expiryListPrintsWholeOnPagesWithItsHeadRow() {
    Goods(db(), "00001", "阿莫西林", "AMXL", 100);
    for (int i = 0; i < 80; ++i) Batch(db(), "00001", QStringLiteral("P%1").arg(i, 2, 10, QLatin1Char('0')), i, kToday, 30);
    TFormyxqyj window;
    TestKit::Click(Find<QPushButton>(&window, "BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{});
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    const RecordingCanvas& list = PrintOutput::RecordedJobs()[0].canvas;
    QCOMPARE(At(list.Find("Fenmarrow药品预警表")[0]), QPoint(250, 33));
    QCOMPARE(list.Find("Fenmarrow药品预警表")[0].size, 18);
    QCOMPARE(At(list.Find("预警时间:")[0]), QPoint(300, 83));
    QCOMPARE(At(list.Find("2026-06-30")[0]), QPoint(400, 83));
    QCOMPARE(list.Find("预警时间:")[0].size, 12);
    QCOMPARE(At(list.Find("品      名")[0]), QPoint(100, 108));
    QCOMPARE(At(list.Find("过期时间")[0]), QPoint(300 + 3 * 59 + 80 + 150, 108));
    // Rows come in the store's order: the batch cells of page 1, top down.
    QList<DrawnText> batches;
    for (const DrawnText& text : list.TextsOnPage(1))
      if (text.text.startsWith('P')) batches << text;
    std::sort(batches.begin(), batches.end(), [](const DrawnText& a, const DrawnText& b) { return a.y < b.y; });
    QVERIFY(batches.size() > 40);
    QCOMPARE(At(batches[0]), QPoint(40 + 254 + 60 + 62 + 56, 131));
    QCOMPARE(batches[0].size, 8);
    QCOMPARE(batches[1].y, 131 + 17);
    QVERIFY(list.Find("打印制表人帐号").isEmpty());
    // Every row printed, those past the first page under the head row again.
    QCOMPARE(list.PageCount(), 2);
    for (int i = 0; i < 80; ++i) QCOMPARE(list.Find(QStringLiteral("P%1").arg(i, 2, 10, QLatin1Char('0'))).size(), 1);
    QCOMPARE(list.Find("品      名").size(), 2);
    QCOMPARE(list.Find("品      名")[1].page, 2);
    QCOMPARE(list.Find("品      名")[1].y, 55);
    // The vertical rules of a data row run its height: 1/6 in.
    bool rowRule = false;
    for (const DrawnLine& line : list.Lines())
      if (line.x1 == 33 && line.y1 == 128 && line.y2 == 145) rowRule = true;
    QVERIFY(rowRule);
  }

  // An open window whose server stops: its print says why and prints
  // nothing (a dropped connection's error has no words of its own); once
  // the server is back the same window prints its rows.
  void aServerThatStopsAndReturnsUnderAnOpenWindow() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("runs once, on a server of its own");
    ThrowAwayServer server;
    QVERIFY2(server.Error().isEmpty(), qPrintable(server.Error()));
    qputenv("BRIMWICK_CLINIC_SERVER", server.ConnectionString().toUtf8());
    Connection store = OpenClinicDatabase();
    Goods(store.db(), "00001", "阿莫西林", "AMXL", 100);
    Batch(store.db(), "00001", "old", 3, kToday.addDays(-10), 1);
    TFormyxqyj window;
    QVERIFY(server.Stop());
    TestKit::Click(Find<QPushButton>(&window, "BitBtn2"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 0);
    QCOMPARE(TestKit::MessageTexts().size(), 1);
    QVERIFY2(TestKit::MessageTexts()[0].startsWith("无法连接诊所数据库服务器"), qPrintable(TestKit::MessageTexts()[0]));
    QVERIFY(server.Start());
    TestKit::ClearMessages();
    TestKit::Click(Find<QPushButton>(&window, "BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{});
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    QCOMPARE(PrintOutput::RecordedJobs()[0].canvas.Find("old").size(), 1);
  }

  void expiredListPrintsItsOwnTitle() {
    Goods(db(), "00001", "阿莫西林", "AMXL", 100);
    Batch(db(), "00001", "old", 3, kToday.addDays(-10), 1);
    TFormyxqyj window;
    TestKit::Click(Find<QPushButton>(&window, "BitBtn2"));
    const RecordingCanvas& list = PrintOutput::RecordedJobs()[0].canvas;
    QCOMPARE(list.Find("Fenmarrow药品过期警报表").size(), 1);
    QCOMPARE(list.Find("警报时间:").size(), 1);
    QCOMPARE(list.Find("old").size(), 1);
    QCOMPARE(list.Find("2026-06-21").size(), 1);
    QCOMPARE(list.PageCount(), 1);
  }
};

BRIMWICK_TEST_MAIN(WarningListsTest)
#include "warnings.moc"
