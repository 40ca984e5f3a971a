// The benchmarks' clinic at a small scale: what the desks would have left.
#include <QtTest>

#include "bench/clinicgen.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

class ClinicGenTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void historyHasItsCountsAndAgreesWithItself() {
    ClinicHistoryScale scale;
    scale.paidVisits = 900;
    scale.dispensedLines = 3000;
    scale.serviceLines = 1500;
    scale.batches = 300;
    scale.goods = 60;
    scale.days = 90;
    scale.lastDay = QDate(2026, 12, 7);
    scale.todayVisits = 20;
    scale.unpaidVouchers = 7;
    scale.suppliesRows = 15;
    scale.patientReturns = 9;
    scale.supplierReturns = 4;
    scale.writeOffs = 3;
    scale.inpatients = 5;
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    QStringList steps;
    GenerateClinicHistory(db, scale, [&](const QString& step) { steps << step; });
    QVERIFY(steps.size() > 3);
    auto count = [&](const QString& table) { return ScalarText(db, "select count(*) from " + table).toInt(); };
    QCOMPARE(count("患者信息"), 920);
    QCOMPARE(count("出库信息"), 3000);
    QCOMPARE(count("服务信息"), 1500);
    QCOMPARE(count("药品过期表"), 300);
    QCOMPARE(count("入库信息"), 300);
    QCOMPARE(count("库存"), 60);
    QCOMPARE(count("收银信息"), 7);
    QCOMPARE(count("退药信息"), 9);
    QCOMPARE(count("药品反库信息"), 4);
    QCOMPARE(count("药品报损信息"), 3);
    QCOMPARE(count("卫材出库表"), 15);
    QCOMPARE(count("入院信息表"), 5);
    QCOMPARE(ScalarText(db, "select count(*) from 患者信息 where 时间 = ?", {"2026-12-07"}).toInt() >= 20, true);
    // Each visit once per pricing account, and its fees are its lines.
    QCOMPARE(ScalarText(db, "select count(*) from (select 流水号, 划价人帐号 from 患者信息 "
                            "group by 流水号, 划价人帐号 having count(*) > 1) as twice"),
             QString("0"));
    QCOMPARE(ScalarText(db, "select count(*) from 患者信息 as p where abs(p.\"药费(元)\" - coalesce((select "
                            "sum(l.\"总价(元)\") from 出库信息 as l where l.流水号 = p.流水号 and l.划价人帐号 = "
                            "p.划价人帐号), 0)) > 0.01"),
             QString("0"));
    // Stock is the batches less what the unpaid vouchers priced.
    QCOMPARE(ScalarText(db, "select count(*) from 库存 as k where abs(k.数量 + coalesce((select sum(t.数量) from "
                            "临时出库信息 as t where t.编号 = k.编号), 0) - coalesce((select sum(b.数量) from "
                            "药品过期表 as b where b.编号 = k.编号), 0)) > 1e-6"),
             QString("0"));
    QCOMPARE(ScalarText(db, "select count(*) from 药品过期表 where 数量 < 0"), QString("0"));
    QCOMPARE(ScalarText(db, "select count(*) from 库存 where 数量 < 0"), QString("0"));
  }

  void timesScalesTheHistoryNotTheCatalogue() {
    ClinicHistoryScale scale;
    const ClinicHistoryScale ten = scale.Times(10);
    QCOMPARE(ten.paidVisits, 3000000);
    QCOMPARE(ten.days, 3650 * 3);
    QCOMPARE(ten.goods, scale.goods);
    QCOMPARE(ten.staff, scale.staff);
  }
};

BRIMWICK_TEST_MAIN(ClinicGenTest)
#include "clinicgen.moc"
