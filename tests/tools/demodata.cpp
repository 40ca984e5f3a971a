// The clinic demo shipped with the sources: it loads into a new store
// without a fault, and its stock, receipts, codes and lists agree with each
// other, so that every window can be walked on it.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include "db/clinicdb.h"
#include "db/datadir.h"
#include "db/sql.h"
#include "stock/pinyin.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "tools/lib/loadcommand.h"

namespace {
int Count(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
  return ScalarText(db, sql, values).toInt();
}
}  // namespace

class DemoDataTest : public QObject {
  Q_OBJECT
  Connection store_;

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(RunClinicLoad({DataDir(), TestKit::DemoFolder()}, out, err), 0);
    QVERIFY2(errText.isEmpty(), qPrintable(errText));
    store_ = OpenClinicDatabase();
  }
  void cleanup() { store_ = Connection(); }

  void stockTotalsAgreeWithBatchesAndReceipts() {
    const QSqlDatabase db = store_.db();
    QVERIFY(Count(db, "select count(*) from 药品信息") >= 55);
    for (const char* category : {"西药", "中成药", "饮片"})
      QVERIFY2(Count(db, "select count(*) from 药品信息 where 类别 = ?", {QString::fromUtf8(category)}) >= 10, category);
    // One stock row per drug, none for goods the list does not know.
    QCOMPARE(Count(db, "select count(*) from 库存"), Count(db, "select count(*) from 药品信息"));
    QCOMPARE(Count(db, "select count(*) from 库存 k where not exists (select 1 from 药品信息 g where g.编号 = k.编号)"), 0);
    QCOMPARE(Count(db,
                   "select count(*) from 库存 k where k.数量 <> "
                   "(select coalesce(sum(b.数量), 0) from 药品过期表 b where b.编号 = k.编号)"),
             0);
    // Each batch came in by one receipt of its code, batch and quantity.
    QCOMPARE(Count(db,
                   "select count(*) from 药品过期表 b where 1 <> (select count(*) from 入库信息 r "
                   "where r.编号 = b.编号 and r.药品批号 = b.药品批号 and r.数量 = b.数量)"),
             0);
    QCOMPARE(Count(db, "select count(*) from 入库信息"), Count(db, "select count(*) from 药品过期表"));
    QCOMPARE(Count(db, "select count(distinct 药品批号) from 药品过期表"), Count(db, "select count(*) from 药品过期表"));
    // Something to see in the low-stock alarm and in both expiry lists.
    QVERIFY(Count(db, "select count(*) from 药品信息 g, 库存 k where g.编号 = k.编号 and k.数量 < g.下限") >= 3);
    QVERIFY(Count(db, "select count(*) from 药品过期表 where 过期时间 < ?", {QDate(2026, 12, 7)}) >= 2);
    QVERIFY(Count(db, "select count(*) from 药品过期表 where 过期时间 >= ? and 过期时间 < ?",
                  {QDate(2026, 12, 7), QDate(2027, 3, 7)}) >= 2);
  }

  void codesAndListsMatchTheirEntries() {
    const QSqlDatabase db = store_.db();
    for (const char* sql : {"select 品名, 拼音缩写 from 药品信息", "select 服务项目, 拼音缩写 from 服务项目",
                            "select 项目, 拼音缩写 from 比例分配表"}) {
      QSqlQuery rows = Exec(db, QString::fromUtf8(sql));
      int seen = 0;
      while (rows.next()) {
        QCOMPARE(rows.value(1).toString(), PinyinAbbreviation(rows.value(0).toString()).trimmed());
        ++seen;
      }
      QVERIFY2(seen > 0, sql);
    }
    QCOMPARE(Count(db, "select count(*) from 药品信息 g where not exists (select 1 from 药品类别 c where c.药品类别 = g.类别)"), 0);
    QCOMPARE(Count(db, "select count(*) from 药品信息 g where not exists (select 1 from 药品剂型 f where f.剂型 = g.剂型)"), 0);
    QCOMPARE(Count(db, "select count(*) from 药品信息 g where not exists (select 1 from 药品单位 u where u.药品单位 = g.单位)"), 0);
    QCOMPARE(Count(db, "select count(*) from 入库信息 r where not exists (select 1 from 药品来源 s where s.药品来源 = r.药品来源)"), 0);
    QCOMPARE(Count(db, "select count(*) from 服务项目 s where not exists (select 1 from 比例分配表 p "
                       "where p.项目 = s.服务项目 and p.医生比例 is not null and p.服务人比例 is not null)"), 0);
    for (const char* duty : {"医师", "化验师", "护士", "收银员"})
      QVERIFY2(Count(db, "select count(*) from 服务人 where 职务 = ?", {QString::fromUtf8(duty)}) >= 1, duty);
  }

  void pricedServicesWaitWithTheirVouchers() {
    const QSqlDatabase db = store_.db();
    QVERIFY(Count(db, "select count(*) from 服务信息临时表") > 0);
    // The cashier settles a voucher by its service fee: it must be the sum
    // of the visit's lines, and every line's item and people must exist.
    QCOMPARE(Count(db,
                   "select count(*) from 收银信息 v where v.\"服务费(元)\" <> (select sum(s.\"服务费(元)\") "
                   "from 服务信息临时表 s where s.流水号 = v.流水号 and s.划价人帐号 = v.划价人帐号)"),
             0);
    QCOMPARE(Count(db, "select count(*) from 服务信息临时表 s where not exists (select 1 from 收银信息 v "
                       "where v.流水号 = s.流水号 and v.划价人帐号 = s.划价人帐号)"), 0);
    QCOMPARE(Count(db, "select count(*) from 服务信息临时表 s where not exists (select 1 from 服务项目 i "
                       "where i.服务项目 = s.服务类别 and i.\"项目单价(元)\" = s.\"服务费(元)\")"), 0);
    QCOMPARE(Count(db, "select count(*) from 服务信息临时表 s where not exists (select 1 from 服务人 p "
                       "where p.姓名 = s.开方医师 and p.职务 = '医师')"), 0);
    QVERIFY(Count(db, "select count(*) from 财务综合报表") >= 3);
    QVERIFY(Count(db, "select count(*) from 卫材入库历史记录表") > 0);
    QVERIFY(Count(db, "select count(*) from 卫材出库表 where abs(\"利润金额(元)\" - (\"零售金额(元)\" - \"进货金额(元)\")) > 0.005") == 0);
  }

  void preparingADataFolderTwiceLoadsOnce() {
    const int goods = Count(store_.db(), "select count(*) from 药品信息");
    const int batches = Count(store_.db(), "select count(*) from 药品过期表");
    store_ = Connection();
    ClinicFixture::Prepare();  // a new, empty store in a new data folder
    const QString folder = DataDir();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRIMWICK_BUILD_DIR"), QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
    for (int run = 0; run < 2; ++run) {
      QProcess script;
      script.setProcessEnvironment(env);
      script.start(QStringLiteral("bash"),
                   {TestKit::SourceFolder() + QStringLiteral("/scripts/prepare-data.sh"), folder});
      QVERIFY(script.waitForFinished(60000));
      QVERIFY2(script.exitCode() == 0, script.readAllStandardError().constData());
    }
    const QString sound = QCoreApplication::applicationDirPath() + QStringLiteral("/../1.mp3");
    QCOMPARE(QFileInfo::exists(folder + QStringLiteral("1.mp3")), QFileInfo::exists(sound));
    store_ = OpenClinicDatabase();
    QCOMPARE(Count(store_.db(), "select count(*) from 药品信息"), goods);
    QCOMPARE(Count(store_.db(), "select count(*) from 药品过期表"), batches);
  }
};

BRIMWICK_TEST_MAIN(DemoDataTest)
#include "demodata.moc"
