// The two cross-table workbooks, read back from the files written.
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <cmath>

#include "db/clinicdb.h"
#include "platform/datadir.h"
#include "platform/desktopopen.h"
#include "platform/messages.h"
#include "platform/savedialog.h"
#include "platform/session.h"
#include "reports/crosstable.h"
#include "reports/grsrbb.h"
#include "reports/incomeseed.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "support/workbookfile.h"

using namespace IncomeSeed;

namespace {
const QString kMoney = QStringLiteral("#,##0.00;-#,##0.00");

WorkbookFile Written(CrossTable table, const QDate& from = kFrom, const QDate& to = kTo) {
  Connection c = OpenClinicDatabase();
  const QString path = DataDir() + CrossTableFileName(table, from, to);
  const QString error = ExcelCrossTableExport(c.db(), table, from, to).SaveAs(path);
  if (!error.isEmpty()) qWarning("%s", qPrintable(error));
  WorkbookFile file;
  if (!file.Load(path)) qWarning("%s", qPrintable(file.error()));
  return file;
}

QVariant Number(double v) { return QVariant(v); }
}  // namespace

class CrossTablesTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    SaveDialog::RemoveResponder();
    DesktopOpen::RecordInstead();
    TestKit::ClearMessages();
  }

  void DoctorSalesLaysOutTheStoresSums() {
    {
      Connection c = OpenClinicDatabase();
      Seed(c.db());
      // Prescribed by a nurse: counted in the totals, in no doctor's column.
      Service(c.db(), 5, "注射", kInside, 7, "护士01", "护士01");
      // Medicine prescribed by a nurse and by no one: in the category's total.
      Medicine(c.db(), 7, "00002", kInside, 1, 3, "护士01");
      Medicine(c.db(), 8, "00002", kInside, 1, 2, QString());
      // 0.4 + 0.2 is 0.6000000000000001 as a sum of doubles.
      Visit(c.db(), 6, "钱七", kInside, 0.4, 0.2, "acc01", "收银03");
    }
    const WorkbookFile f = Written(CrossTable::DoctorSales);
    QCOMPARE(f.Value("A1"), QVariant("2026-12-01-----2026-12-31医生销售统计表"));
    QCOMPARE(f.Merges(), QStringList{"A1:M1"});
    QCOMPARE(f.Cell("A1").fontName, QString("隶书"));
    QCOMPARE(f.Cell("A1").fontSize, 18.0);
    QCOMPARE(f.Cell("A1").alignment, QString("center"));
    QVERIFY(!f.Cell("A1").bordered);
    // Heads and labels.
    QCOMPARE(f.Value("B2"), QVariant("医师01"));
    QCOMPARE(f.Value("C2"), QVariant("医师02"));
    QCOMPARE(f.Value("D2"), QVariant("合计"));
    const QStringList labels{"西药", "中成药", "饮片", "注射", "换药", "合计"};
    for (int i = 0; i < labels.size(); ++i) QCOMPARE(f.Value(QString("A%1").arg(3 + i)), QVariant(labels.at(i)));
    // Medicine by doctor and category; 饮片's empty total shows 0.
    QCOMPARE(f.Value("B3"), Number(20));
    QCOMPARE(f.Value("C3"), Number(10));
    QCOMPARE(f.Value("D3"), Number(30));
    QCOMPARE(f.Value("B4"), Number(8));
    QVERIFY(!f.Value("C4").isValid());
    QCOMPARE(f.Value("D4"), Number(13));
    QVERIFY(!f.Value("B5").isValid());
    QCOMPARE(f.Value("D5"), Number(0));
    // Services by prescriber; the nurse's 7 counts in the row total.
    QCOMPARE(f.Value("B6"), Number(40));
    QCOMPARE(f.Value("C6"), Number(30));
    QCOMPARE(f.Value("D6"), Number(77));
    QCOMPARE(f.Value("D7"), Number(15));
    // Doctors' totals: medicine of the three categories and every service.
    QCOMPARE(f.Value("B8"), Number(78));
    QCOMPARE(f.Value("C8"), Number(45));
    QCOMPARE(f.Value("D8"), Number(135));
    // Formats, borders and widths.
    for (const char* cell : {"B3", "D5", "C6", "D8", "A8", "B2"}) QCOMPARE(f.Cell(cell).numberFormat, kMoney);
    QVERIFY(f.Cell("A2").bordered);
    QVERIFY(f.Cell("D8").bordered);
    QVERIFY(f.Cell("C4").bordered);
    QCOMPARE(f.Cell("C4").fontName, QString("宋体"));
    QVERIFY(!f.Cell("E2").bordered);
    QCOMPARE(f.Cell("B2").alignment, QString("center"));
    QCOMPARE(f.Cell("B3").alignment, QString());
    // The file keeps a width with the cell padding added (9 shows as 9.71).
    QCOMPARE(std::floor(f.ColumnWidth(2)), 9.0);
    QCOMPARE(std::floor(f.ColumnWidth(5)), 5.0);
    // The cashiers below the table: G-H and J-K, outside the borders.
    QCOMPARE(f.Value("G9"), QVariant("收银01"));
    QCOMPARE(f.Value("H9"), Number(78));
    QCOMPARE(f.Value("J9"), QVariant("收银02"));
    QCOMPARE(f.Value("K9"), Number(45));
    QCOMPARE(f.Cell("H9").numberFormat, kMoney);
    QVERIFY(!f.Cell("H9").bordered);
    QVERIFY(!f.Has("I9"));
    QCOMPARE(f.Value("N9"), Number(0.6));
  }

  void ServiceDetailCountsPerformers() {
    {
      Connection c = OpenClinicDatabase();
      Seed(c.db());
      // Performed by the dispensary: in the totals, in no column.
      Service(c.db(), 6, "换药", kInside, 3, "医师01", "药房01");
    }
    const WorkbookFile f = Written(CrossTable::ServiceDetail);
    QCOMPARE(f.Value("A1"), QVariant("2026-12-01-----2026-12-31辅助科室服务明细表"));
    QCOMPARE(f.Value("D2"), QVariant("护士01"));
    QCOMPARE(f.Value("E2"), QVariant("合计"));
    QCOMPARE(f.Value("A3"), QVariant("注射"));
    QCOMPARE(f.Value("A5"), QVariant("合计"));
    QCOMPARE(f.Value("B3"), Number(30));
    QVERIFY(!f.Value("C3").isValid());
    QCOMPARE(f.Value("D3"), Number(40));
    QCOMPARE(f.Value("E3"), Number(70));
    QCOMPARE(f.Value("E4"), Number(18));
    QCOMPARE(f.Value("B5"), Number(35));
    QCOMPARE(f.Value("C5"), Number(0));
    QCOMPARE(f.Value("D5"), Number(50));
    QCOMPARE(f.Value("E5"), Number(88));
    QCOMPARE(f.Cell("A3").numberFormat, kMoney);
    QVERIFY(f.Cell("E5").bordered);
    QVERIFY(!f.Cell("F5").bordered);
    QVERIFY(!f.Has("G6"));
  }

  void AnEmptyRangeLeavesEmptyCellsAndZeroTotals() {
    {
      Connection c = OpenClinicDatabase();
      Seed(c.db());
    }
    const QDate from(2025, 3, 1), to(2025, 3, 31);
    const WorkbookFile f = Written(CrossTable::DoctorSales, from, to);
    QVERIFY(!f.Value("B3").isValid());
    QVERIFY(!f.Value("D3").isValid());
    QVERIFY(!f.Value("D4").isValid());
    QCOMPARE(f.Value("D5"), Number(0));
    QVERIFY(!f.Value("B6").isValid());
    QCOMPARE(f.Value("D6"), Number(0));
    QCOMPARE(f.Value("B8"), Number(0));
    QCOMPARE(f.Value("D8"), Number(0));
    QVERIFY(!f.Has("G9"));
    const WorkbookFile s = Written(CrossTable::ServiceDetail, from, to);
    QCOMPARE(s.Value("E5"), Number(0));
    QCOMPARE(s.Value("B5"), Number(0));
  }

  void TwentyOnePersonsAreBorderedToW() {
    {
      Connection c = OpenClinicDatabase();
      Seed(c.db());
      for (int i = 3; i <= 21; ++i) Staff(c.db(), QString("医师%1").arg(i, 2, 10, QChar('0')), "医师");
    }
    const WorkbookFile f = Written(CrossTable::DoctorSales);
    QCOMPARE(f.Value("V2"), QVariant("医师21"));
    QCOMPARE(f.Value("W2"), QVariant("合计"));
    QVERIFY(f.Cell("W2").bordered);
    QVERIFY(f.Cell("W8").bordered);
    QVERIFY(f.Cell("M5").bordered);
    QVERIFY(!f.Cell("X2").bordered);
    QCOMPARE(f.Value("W8"), Number(123));
  }

  void TheWindowSavesWhereTheUserSaysAndOpensTheFile() {
    {
      Connection c = OpenClinicDatabase();
      Seed(c.db());
    }
    QLabel account, user;
    Session::SetPanels(&account, &user);
    Session::SetLogin("acc01", "张会计");
    TFormgrsrbb window;
    window.show();
    Find<QDateEdit>(&window, "DateTimePicker1")->setDate(kFrom);
    Find<QDateEdit>(&window, "DateTimePicker2")->setDate(kTo);

    // Cancel does nothing.
    SaveDialog::InstallResponder([](const SaveRequest&) { return QString(); });
    TestKit::Click(Find<QPushButton>(&window, "BitBtn3"));
    QCOMPARE(SaveDialog::Recorded().size(), 1);
    QCOMPARE(SaveDialog::Recorded().first().fileName, QString("医生销售统计表 2026-12-01-2026-12-31.xlsx"));
    // A folder of its own, away from the stores' files.
    QCOMPARE(SaveDialog::Recorded().first().folder, DataDir() + "workbooks");
    QVERIFY(QFileInfo(DataDir() + "workbooks").isDir());
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QVERIFY(QDir(DataDir()).entryList({"*.xlsx"}).isEmpty());

    const QString path = DataDir() + "服务.xlsx";
    SaveDialog::InstallResponder([path](const SaveRequest&) { return path; });
    TestKit::Click(Find<QPushButton>(&window, "Button1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"数据导出成功!"});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"提示"});
    QCOMPARE(Messages::Recorded().last().icon, MessageIcon::Exclamation);
    QCOMPARE(DesktopOpen::Recorded(), QStringList{path});
    WorkbookFile f;
    QVERIFY(f.Load(path));
    QCOMPARE(f.Value("A1"), QVariant("2026-12-01-----2026-12-31辅助科室服务明细表"));

    // A target that cannot be written: the error, no file, no success.
    TestKit::ClearMessages();
    const QString nowhere = DataDir() + "missing/医生.xlsx";
    SaveDialog::InstallResponder([nowhere](const SaveRequest&) { return nowhere; });
    TestKit::Click(Find<QPushButton>(&window, "BitBtn3"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"导入数据出错！请检查文件的格式是否正确！"});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"提示信息"});
    QCOMPARE(Messages::Recorded().last().icon, MessageIcon::Information);
    QVERIFY(!QFile::exists(nowhere));
    QCOMPARE(DesktopOpen::Recorded().size(), 1);

    // A failing read: the same message, and nothing left where it was to go.
    TestKit::ClearMessages();
    {
      Connection c = OpenClinicDatabase();
      ExecDirect(c.db(), "alter table 服务项目 rename to 服务项目旧");
    }
    const QString target = DataDir() + "医生.xlsx";
    SaveDialog::InstallResponder([target](const SaveRequest&) { return target; });
    TestKit::Click(Find<QPushButton>(&window, "BitBtn3"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"导入数据出错！请检查文件的格式是否正确！"});
    QVERIFY(!QFile::exists(target));
    QCOMPARE(QDir(DataDir()).entryList(QDir::Files | QDir::Hidden).filter(".part"), QStringList());
    Session::SetPanels(nullptr, nullptr);
  }
};

BRIMWICK_TEST_MAIN(CrossTablesTest)
#include "crosstables.moc"
