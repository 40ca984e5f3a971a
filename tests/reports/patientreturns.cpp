// The patient-return report on both stores: summary per item and maker,
// the total of every return, and the clicked item's lines kept after a
// query that finds nothing.
#include <QPushButton>

#include "reportkit.h"
#include "reports/yphztybb.h"

using ClinicFixture::InsertRow;
using namespace ReportKit;

namespace {
void AddReturn(const QSqlDatabase& db, const QString& code, const QString& day, double quantity, double price) {
  InsertRow(db, "退药信息",
            {{"编号", code},
             {"开药时间", "2026-11-30"},
             {"退药时间", day},
             {"数量", quantity},
             {"单价(元)", price},
             {"批号", "R1"},
             {"操作人帐号", "药房01"},
             {"流水号", 3},
             {"划价人帐号", "acc01"}});
}
}  // namespace

class PatientReturnsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
  }

  void summaryTotalAndDetail() {
    {
      Connection store = OpenClinicDatabase();
      AddGoods(store.db());
      AddReturn(store.db(), "1001", "2026-12-02", 2, 3);
      AddReturn(store.db(), "1001", "2026-12-04", 1, 3);
      AddReturn(store.db(), "1002", "2026-12-03", 4, 1.5);
      AddReturn(store.db(), "8888", "2026-12-03", 1, 10);  // not in the goods list: in the total only
      AddReturn(store.db(), "1002", "2026-12-09", 4, 1.5);
    }
    TFormyphztybb w;
    QCOMPARE(w.windowTitle(), QString("患者退药报表"));
    QCOMPARE(Find<QLineEdit>(&w, "Edit1")->text(), QString("0.00"));
    Dates(&w, QDate(2026, 12, 1), QDate(2026, 12, 7));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    auto* summary = Find<DataGrid>(&w, "DBGrid2");
    QCOMPARE(Titles(summary), QStringList({"编号", "品名", "数量", "单位", "总价(元)", "厂商"}));
    QCOMPARE(Rows(summary),
             QStringList({"1001|阿莫西林胶囊|3|盒|9.00|青禾制药", "1002|板蓝根颗粒|4|袋|6.00|华川药业"}));
    QCOMPARE(Find<QLineEdit>(&w, "Edit1")->text(), QString("25.00"));

    TestKit::ClickRow(summary, 0);
    auto* detail = Find<DataGrid>(&w, "DBGrid1");
    QCOMPARE(Titles(detail), QStringList({"开药时间", "退药时间", "品名", "批号", "单价(元)", "数量", "单位",
                                          "总价(元)", "类别", "规格", "厂商", "操作人帐号", "划价人帐号"}));
    QCOMPARE(detail->RecordCount(), 2);
    QCOMPARE(Rows(detail).first(),
             QString("2026-11-30|2026-12-02|阿莫西林胶囊|R1|3.00|2|盒|6.00|西药|0.25g*24粒|青禾制药|药房01|acc01"));
    QCOMPARE(detail->LeastWidth(1), 80);
    QCOMPARE(detail->LeastWidth(12), 60);
    QVERIFY(!detail->Model()->data(detail->Model()->index(1, 0), Qt::BackgroundRole).isValid());

    // A query that finds nothing leaves the detail as it was.
    Dates(&w, QDate(2025, 1, 1), QDate(2025, 1, 2));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(summary->RecordCount(), 0);
    QCOMPARE(Find<QLineEdit>(&w, "Edit1")->text(), QString("0.00"));
    QCOMPARE(detail->RecordCount(), 2);
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }
};

BRIMWICK_TEST_MAIN(PatientReturnsTest)
#include "patientreturns.moc"
