// The commission computation over a connection, on both stores.
#include <QtTest>
#include <atomic>
#include <thread>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "reports/commission.h"
#include "reports/incomeseed.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using namespace IncomeSeed;

namespace {
const QString kUser = QStringLiteral("张会计");
const QString kOther = QStringLiteral("李会计");

QStringList Rows(const QSqlDatabase& db, const QString& table) { return ClinicFixture::TableRows(db, table); }
}  // namespace

class CommissionTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void ComputesTheThreeKindsAtTheirShares() {
    Connection c = OpenClinicDatabase();
    Seed(c.db());
    ComputeCommission(c.db(), "医师01", kFrom, kTo, kUser);

    // Medicine per category; 中成药 has no share, so no ratio and no
    // commission.
    QCOMPARE(Rows(c.db(), "医生药品提成统计表"),
             (QStringList{"中成药|8|||医师01|张会计", "西药|20|10|2|医师01|张会计"}));
    // 换药 has no share row and drops out of both service tables.
    QCOMPARE(Rows(c.db(), "医生处方提成统计表"), (QStringList{"注射|2|40|20|8|医师01|张会计"}));
    QCOMPARE(Rows(c.db(), "服务费提成统计表"), (QStringList{"注射|1|30|30|9|医师01|张会计"}));

    const CommissionTotals t = ReadCommissionTotals(c.db(), "医师01", kUser);
    QCOMPARE(t.medicineCommission, QString("2.00"));
    QCOMPARE(t.prescribedCommission, QString("8.00"));
    QCOMPARE(t.performedCommission, QString("9.00"));
    QCOMPARE(t.total, QString("19.00"));
    QCOMPARE(t.medicineAmount, QString("28.00"));
    QCOMPARE(t.prescribedAmount, QString("40.00"));
    QCOMPARE(t.performedAmount, QString("30.00"));
  }

  // Names padded in the store are written trimmed, so the medicine share
  // (matched on the trimmed item) finds its row.
  void PaddedNamesAreWrittenTrimmed() {
    Connection c = OpenClinicDatabase();
    Goods(c.db(), "00009", "黄芪", "中药  ");
    Share(c.db(), "中药  ", 5.0, 0.0);
    Share(c.db(), "推拿  ", 10.0, 20.0);
    Medicine(c.db(), 9, "00009", kInside, 1, 10, "医师01");
    Service(c.db(), 9, "推拿  ", kInside, 50, "医师01", "医师01");
    ComputeCommission(c.db(), "医师01", kFrom, kTo, kUser);
    QCOMPARE(Rows(c.db(), "医生药品提成统计表"), QStringList{"中药|10|5|0.5|医师01|张会计"});
    QCOMPARE(Rows(c.db(), "医生处方提成统计表"), QStringList{"推拿|1|50|10|5|医师01|张会计"});
    QCOMPARE(Rows(c.db(), "服务费提成统计表"), QStringList{"推拿|1|50|20|10|医师01|张会计"});
    for (const char* table : {"医生药品提成统计表", "医生处方提成统计表", "服务费提成统计表"})
      QCOMPARE(ReadAll(c.db(), QString("select 服务项目 from %1").arg(table)).first().first().toString().size(), 2);
  }

  void ANewComputationReplacesAllOfTheUsersRowsOnly() {
    Connection c = OpenClinicDatabase();
    Seed(c.db());
    ComputeCommission(c.db(), "医师01", kFrom, kTo, kOther);
    ComputeCommission(c.db(), "医师01", kFrom, kTo, kUser);
    ComputeCommission(c.db(), "医师02", kFrom, kTo, kUser);
    // The user now holds only 医师02's rows; the other user's stay.
    QCOMPARE(Rows(c.db(), "医生药品提成统计表"),
             (QStringList{"中成药|8|||医师01|李会计", "西药|10|10|1|医师02|张会计", "西药|20|10|2|医师01|李会计"}));
    QCOMPARE(Rows(c.db(), "医生处方提成统计表"),
             (QStringList{"注射|1|30|20|6|医师02|张会计", "注射|2|40|20|8|医师01|李会计"}));
    // Dates alone compute nothing new; an empty window leaves empty sums.
    ComputeCommission(c.db(), "医师01", kTo, kFrom, kUser);
    const CommissionTotals t = ReadCommissionTotals(c.db(), "医师01", kUser);
    QCOMPARE(t.medicineAmount, QString("0.00"));
    QCOMPARE(t.total, QString("0.00"));
  }

  void TheMedicineShareTouchesOnlyTheRowsJustWritten() {
    Connection c = OpenClinicDatabase();
    Seed(c.db());
    // Another user's row of the same person and category with its own share.
    ClinicFixture::InsertRow(c.db(), "医生药品提成统计表",
                             {{"服务项目", "西药"}, {"总金额", 50.0}, {"提成比例", 55.0}, {"开方医师", "医师01"},
                              {"统计人", kOther}});
    ComputeCommission(c.db(), "医师01", kFrom, kTo, kUser);
    QVERIFY(Rows(c.db(), "医生药品提成统计表").contains("西药|50|55|27.5|医师01|李会计"));
  }

  void TwoUsersAtOnceKeepTheirOwnRows() {
    {
      Connection c = OpenClinicDatabase();
      Seed(c.db());
    }
    std::atomic<bool> failed{false};
    std::thread other([&failed] {
      try {
        Connection c = OpenClinicDatabase();
        for (int i = 0; i < 15; ++i) ComputeCommission(c.db(), "医师02", kFrom, kTo, kOther);
      } catch (const DbError& e) {
        qWarning("%s", qPrintable(e.text()));
        failed = true;
      }
    });
    Connection c = OpenClinicDatabase();
    for (int i = 0; i < 15; ++i) ComputeCommission(c.db(), "医师01", kFrom, kTo, kUser);
    other.join();
    QVERIFY(!failed);
    QCOMPARE(Rows(c.db(), "医生药品提成统计表"),
             (QStringList{"中成药|8|||医师01|张会计", "西药|10|10|1|医师02|李会计", "西药|20|10|2|医师01|张会计"}));
    QCOMPARE(Rows(c.db(), "服务费提成统计表"), (QStringList{"注射|1|30|30|9|医师01|张会计"}));
  }

  void AFailurePartWayKeepsThePreviousRows() {
    Connection c = OpenClinicDatabase();
    Seed(c.db());
    ComputeCommission(c.db(), "医师01", kFrom, kTo, kUser);
    const QStringList before = Rows(c.db(), "医生药品提成统计表") + Rows(c.db(), "医生处方提成统计表") +
                               Rows(c.db(), "服务费提成统计表");
    // The share table gone: the statements after the deletes fail.
    ExecDirect(c.db(), "alter table 比例分配表 rename to 比例分配表旧");
    bool threw = false;
    try {
      ComputeCommission(c.db(), "医师02", kFrom, kTo, kUser);
    } catch (const DbError& e) {
      threw = !e.text().isEmpty();
    }
    QVERIFY(threw);
    ExecDirect(c.db(), "alter table 比例分配表旧 rename to 比例分配表");
    QCOMPARE(Rows(c.db(), "医生药品提成统计表") + Rows(c.db(), "医生处方提成统计表") + Rows(c.db(), "服务费提成统计表"),
             before);
    QVERIFY(!ScratchTableExists(c.db(), "tj"));
    // The connection is usable again at once.
    ComputeCommission(c.db(), "医师02", kFrom, kTo, kUser);
    QCOMPARE(Rows(c.db(), "服务费提成统计表"), QStringList());
  }

  void TheShownTextsAreAddedAsShown() {
    QCOMPARE(CommissionSum("0.01", "0.01", "0.01"), QString("0.03"));
    QCOMPARE(CommissionSum("1.25", "0.00", "2.50"), QString("3.75"));
  }
};

BRIMWICK_TEST_MAIN(CommissionTest)
#include "commission.moc"
