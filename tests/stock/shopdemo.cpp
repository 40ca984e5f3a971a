#include <QSqlQuery>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "stock/pinyin.h"
#include "support/testkit.h"
#include "tools/lib/shopdemo.h"

namespace {
QString dump(const QSqlDatabase& db) {
  QString all;
  for (const char* table : {"单位", "基本资料", "临时入库", "进货历史记录", "库存"}) {
    QSqlQuery q = Exec(db, QStringLiteral("select * from ") + QString::fromUtf8(table));
    while (q.next()) all += q.value(0).toString() + q.value(1).toString() + "\n";
  }
  return all;
}
}  // namespace

class ShopDemoTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { TestKit::FreshDataDir(); }

  void loadsGoodsWithTheirCodesAndStockOnce() {
    Clock::Set(QDateTime(QDate(2024, 6, 1), QTime(9, 0)));
    Connection c = OpenShopDatabase();
    QVERIFY(LoadShopDemo(c.db()));
    QVERIFY(ScalarText(c.db(), "select count(*) from 基本资料").toInt() >= 30);
    QVERIFY(ScalarText(c.db(), "select count(*) from 单位").toInt() >= 6);
    QSqlQuery q = Exec(c.db(), "select 编号, 拼音缩写, 品名, 单位 from 基本资料 order by 编号");
    int n = 0;
    while (q.next()) {
      ++n;
      QCOMPARE(q.value(0).toString(), QString("%1").arg(n, 5, 10, QChar('0')));
      QCOMPARE(q.value(1).toString(), PinyinAbbreviation(q.value(2).toString()).trimmed());
      QVERIFY2(!q.value(1).toString().isEmpty(), qPrintable(q.value(2).toString()));
      QCOMPARE(ScalarText(c.db(), "select count(*) from 单位 where 单位 = ?", {q.value(3)}), QString("1"));
    }
    QCOMPARE(ScalarText(c.db(), "select 拼音缩写 from 基本资料 where 品名 = ?", {"维生素C片"}), QString("WSS P"));
    // Stock exists, every batch comes from the history, nothing is left pending.
    QCOMPARE(ScalarText(c.db(), "select count(*) from 临时入库"), QString("0"));
    const QString batches = ScalarText(c.db(), "select count(*) from 库存");
    QVERIFY(batches.toInt() > 5);
    QCOMPARE(ScalarText(c.db(), "select count(*) from 进货历史记录"), batches);
    QCOMPARE(ScalarText(c.db(), "select count(*) from 库存 where 金额 <> 进价 * 数量"), QString("0"));
    QVERIFY(ScalarText(c.db(), "select count(*) from 库存 where 有效期 < ?", {"2024-06-01"}).toInt() >= 1);
    Clock::Reset();

    const QString before = dump(c.db());
    QVERIFY(!LoadShopDemo(c.db()));
    QCOMPARE(dump(c.db()), before);
  }

  void leavesAStoreWithGoodsAlone() {
    Connection c = OpenShopDatabase();
    Exec(c.db(), "insert into 基本资料 (编号, 品名) values ('00001', '自有商品')");
    const QString before = dump(c.db());
    QVERIFY(!LoadShopDemo(c.db()));
    QCOMPARE(dump(c.db()), before);
  }
};

BRIMWICK_TEST_MAIN(ShopDemoTest)
#include "shopdemo.moc"
