// Today's patient fees on both stores: the visits paid today with their
// totals and counts, the purge of visits without income, and a visit's
// lines on a click.
#include <QLineEdit>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/hzxi.h"
#include "frontdesk/todayfees.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

namespace {
const QDate kToday(2024, 6, 3);
const QString kTodayText = "2024-06-03";
const QString kYesterday = "2024-06-02";

void Visit(const QSqlDatabase& db, const QString& category, double serial, const QString& day, double medicine,
           double services, const QString& account = "acc01") {
  InsertRow(db, "患者信息",
            {{"收费类别", category}, {"流水号", serial}, {"姓名", "病人" + QString::number(serial)}, {"时间", day},
             {"药费(元)", medicine}, {"服务费(元)", services}, {"划价人帐号", account}, {"收银人帐号", "收银01"}});
}
void Dispensed(const QSqlDatabase& db, double serial, const QString& day, const QString& code, double quantity,
               double price, const QString& account = "acc01") {
  InsertRow(db, "出库信息",
            {{"流水号", serial}, {"编号", code}, {"时间", day}, {"数量", quantity}, {"单价(元)", price},
             {"出库人帐号", "药房01"}, {"划价人帐号", account}, {"收银人帐号", "收银01"}, {"开方医师", "医师01"},
             {"收费类别", "门诊"}});
}
void Service(const QSqlDatabase& db, double serial, const QString& day, const QString& kind, double fee,
             const QString& account = "acc01") {
  InsertRow(db, "服务信息",
            {{"服务类别", kind}, {"流水号", serial}, {"时间", day}, {"服务费(元)", fee}, {"开方医师", "医师01"},
             {"服务人", "护士01"}, {"划价人帐号", account}, {"收费类别", "门诊"}});
}
}  // namespace

class TodayFeesTest : public QObject {
  Q_OBJECT

  Connection store_;

  QSqlDatabase db() const { return store_.db(); }
  static QString text(QWidget& w, const char* name) { return Find<QLineEdit>(&w, name)->text(); }
  static QStringList totals(QWidget& w) {
    return {text(w, "Editmz"), text(w, "Edit3"), text(w, "Editzy"), text(w, "Edit4"), text(w, "Editzj")};
  }
  static void show(QWidget& w) {
    w.resize(1200, 800);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
  }
  static QStringList shownRow(DataGrid* grid, int row) {
    QStringList cells;
    for (int c = 0; c < grid->model()->columnCount(); ++c) cells << grid->model()->index(row, c).data().toString();
    return cells;
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    Clock::Set(QDateTime(kToday, QTime(9, 0)));
    store_ = OpenClinicDatabase();
    InsertRow(db(), "药品信息", {{"编号", "00001"}, {"品名", "阿莫西林"}, {"厂商", "华北制药"}});
    InsertRow(db(), "药品信息", {{"编号", "00002"}, {"品名", "板蓝根"}, {"厂商", "白云山"}});
  }
  void cleanup() {
    store_ = Connection();
    Clock::Reset();
  }

  void anEmptyDayShowsZeros() {
    Visit(db(), "门诊", 1, kYesterday, 10, 0);
    TFormjrhzxi w;
    show(w);
    QCOMPARE(w.windowTitle(), QString("今日患者信息报表"));
    QCOMPARE(totals(w), (QStringList{"0.00", "0", "0.00", "0", "0"}));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->RecordCount(), 0);
    QVERIFY(Find<DataGrid>(&w, "DBGrid2")->isHidden());
    QVERIFY(Find<DataGrid>(&w, "DBGrid3")->isHidden());
  }

  void totalsAndCountsGoByCategory() {
    Visit(db(), "门诊", 1, kTodayText, 12.5, 0);
    Visit(db(), "门诊", 2, kTodayText, 3, 2.25);
    Visit(db(), "住院", 3, kTodayText, 100, 20);
    Visit(db(), "职工用药", 4, kTodayText, 7, 0);
    Visit(db(), "门诊", 5, kYesterday, 50, 0);
    TFormjrhzxi w;
    show(w);
    QCOMPARE(totals(w), (QStringList{"17.75", "2", "120.00", "1", "137.75"}));
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    QCOMPARE(grid->RecordCount(), 4);
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
      titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"流水号", "收费类别", "时间", "姓名", "药费(元)", "服务费(元)", "收入金额(元)",
                                  "划价人帐号"}));
    QStringList categories;
    for (int r = 0; r < grid->RecordCount(); ++r) categories << grid->Model()->Value(r, 1).toString().trimmed();
    QStringList sorted = categories;
    sorted.sort();
    QCOMPARE(categories, sorted);
    const int staff = categories.indexOf("职工用药");
    QCOMPARE(shownRow(grid, staff), (QStringList{"4", "职工用药", kTodayText, "病人4", "7.00", "0.00", "7.00", "acc01"}));
    QCOMPARE(grid->LeastWidth(0), 80);
    QCOMPARE(grid->LeastWidth(6), 80);
  }

  void theTotalDropsTrailingZeros() {
    Visit(db(), "门诊", 1, kTodayText, 12.5, 0);
    TFormjrhzxi w;
    QCOMPARE(totals(w), (QStringList{"12.50", "1", "0.00", "0", "12.5"}));
  }

  void openingPurgesVisitsWithoutIncomeOfEveryDay() {
    Visit(db(), "门诊", 1, "2024-01-15", 0, 0);
    // Two partial returns leave binary noise, not an income.
    Visit(db(), "门诊", 2, kYesterday, 12.3 - 4.1 - 8.2, 0);
    Visit(db(), "门诊", 3, kTodayText, 0, 0);
    Visit(db(), "门诊", 4, kYesterday, 0.01, 0);
    Visit(db(), "住院", 5, kTodayText, 0, 6);
    QVERIFY(12.3 - 4.1 - 8.2 != 0);
    TFormjrhzxi w;
    QCOMPARE(ScalarText(db(), "select count(*) from 患者信息"), QString("2"));
    QCOMPARE(ScalarText(db(), "select min(流水号) from 患者信息"), QString("4"));
    QCOMPARE(totals(w), (QStringList{"0.00", "0", "6.00", "1", "6"}));
    QCOMPARE(PurgeVisitsWithoutIncome(db()), 0);
  }

  void aClickShowsTheVisitsLinesWhateverDayTheyWerePriced() {
    // Priced and dispensed yesterday, paid today.
    Visit(db(), "门诊", 7, kTodayText, 9, 15);
    Dispensed(db(), 7, kYesterday, "00001", 2, 3);
    Dispensed(db(), 7, kYesterday, "00002", 1, 3);
    Service(db(), 7, kYesterday, "注射", 5);
    Service(db(), 7, kYesterday, "输液", 10);
    // The same serial drawn by another pricing account is another visit.
    Dispensed(db(), 7, kTodayText, "00002", 9, 9, "acc02");
    Service(db(), 7, kTodayText, "化验", 40, "acc02");
    // Services only.
    Visit(db(), "门诊", 8, kTodayText, 0, 30);
    Service(db(), 8, kTodayText, "针灸", 30);
    TFormjrhzxi w;
    show(w);
    auto* visits = Find<DataGrid>(&w, "DBGrid1");
    auto* medicine = Find<DataGrid>(&w, "DBGrid2");
    auto* services = Find<DataGrid>(&w, "DBGrid3");
    const int first = visits->Model()->Value(0, 0).toInt() == 7 ? 0 : 1;
    TestKit::ClickRow(visits, first);
    QVERIFY(medicine->isVisible());
    QVERIFY(services->isVisible());
    QCOMPARE(medicine->RecordCount(), 2);
    QCOMPARE(services->RecordCount(), 2);
    QStringList codes{medicine->Model()->Value(0, 0).toString(), medicine->Model()->Value(1, 0).toString()};
    codes.sort();
    QCOMPARE(codes, (QStringList{"00001", "00002"}));
    // The lines show their figures as stored, unlike the visits' money.
    QCOMPARE(shownRow(services, 0), (QStringList{"注射", kYesterday, "5", "护士01", "医师01", "acc01"}));
    const int amoxicillin = codes.first() == medicine->Model()->Value(0, 0).toString() ? 0 : 1;
    QCOMPARE(shownRow(medicine, amoxicillin),
             (QStringList{"00001", "阿莫西林", kYesterday, "2", "3", "6", "华北制药", "acc01", "医师01"}));
    QCOMPARE(medicine->LeastWidth(6), 160);
    TestKit::ClickRow(visits, 1 - first);
    QVERIFY(medicine->isHidden());
    QVERIFY(services->isVisible());
    QCOMPARE(services->RecordCount(), 1);
    QCOMPARE(services->Cell(0), QString("针灸"));
    QTest::mouseDClick(services->viewport(), Qt::LeftButton, {}, services->visualRect(services->model()->index(0, 0)).center());
    QVERIFY(services->isHidden());
    QVERIFY(medicine->isHidden());
  }
};

BRIMWICK_TEST_MAIN(TodayFeesTest)
#include "todayfees.moc"
