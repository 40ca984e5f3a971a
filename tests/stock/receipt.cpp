#include <QSqlQuery>

#include "db/shopdb.h"
#include "db/sql.h"
#include "stock/goods.h"
#include "stock/pinyin.h"
#include "stock/receipt.h"
#include "support/testkit.h"

namespace {
const QDate kDay(2024, 3, 15);
const QDate kExpiry(2026, 1, 31);

ReceiptLine line(const QString& goods, double price, double quantity, double salePrice) {
  return {goods, QStringLiteral("BLGKL"), price, quantity, salePrice, kDay, kExpiry};
}

QString count(const QSqlDatabase& db, const QString& table) {
  return ScalarText(db, QStringLiteral("select count(*) from ") + table);
}

// One text per table with every row, so "nothing changed" is one compare.
QString snapshot(const QSqlDatabase& db) {
  QString all;
  for (const char* table : {"临时入库", "进货历史记录", "库存", "基本资料"}) {
    QSqlQuery q = Exec(db, QStringLiteral("select * from ") + QString::fromUtf8(table) + " order by 1, 2");
    all += QString::fromUtf8(table) + ":";
    while (q.next())
      for (int c = 0; c < 9 && q.value(c).isValid(); ++c) all += q.value(c).toString() + "|";
    all += "\n";
  }
  return all;
}

void insertHistory(const QSqlDatabase& db, const QString& goods, const QString& serial) {
  Exec(db, "insert into 进货历史记录 values (?, ?, 'X', 1, 1, 1, 1, '2024-01-01', '2025-01-01')", {goods, serial});
}
}  // namespace

class ReceiptTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { TestKit::FreshDataDir(); }

  void goodsTakeTheNextCodeAndAreStoredTrimmed() {
    Connection c = OpenShopDatabase();
    QCOMPARE(AddGoods(c.db(), {" 板蓝根颗粒 ", " BLGKL", "10g ", " 袋", " A1 ", " 东川药业 "}), QString("00001"));
    QCOMPARE(AddGoods(c.db(), {}), QString("00002"));
    QSqlQuery q = Exec(c.db(), "select * from 基本资料 where 编号 = ?", {"00001"});
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toString(), QString("BLGKL"));
    QCOMPARE(q.value(2).toString(), QString("板蓝根颗粒"));
    QCOMPARE(q.value(3).toString(), QString("袋"));
    QCOMPARE(q.value(4).toString(), QString("10g"));
    QCOMPARE(q.value(5).toString(), QString("A1"));
    QCOMPARE(q.value(6).toString(), QString("东川药业"));
  }

  void noGoodsCodeAfter99999() {
    Connection c = OpenShopDatabase();
    Exec(c.db(), "insert into 基本资料 (编号, 品名) values ('99999', '末号')");
    const QString before = snapshot(c.db());
    QVERIFY_THROWS_EXCEPTION(CodeError, AddGoods(c.db(), {"新品", "XP", "", "", "", ""}));
    QCOMPARE(snapshot(c.db()), before);
  }

  void serialsFollowPendingThenHistory() {
    Connection c = OpenShopDatabase();
    QCOMPARE(NextReceiptSerial(c.db()), QString("00001"));
    insertHistory(c.db(), "00001", "00007");
    QCOMPARE(NextReceiptSerial(c.db()), QString("00008"));
    QCOMPARE(AddReceiptLine(c.db(), line("00001", 1, 1, 1)), QString("00008"));
    // Two lines of the same goods are two batches with serials of their own.
    QCOMPARE(AddReceiptLine(c.db(), line("00001", 1, 1, 1)), QString("00009"));
    Exec(c.db(), "delete from 临时入库");
    QCOMPARE(NextReceiptSerial(c.db()), QString("00008"));
  }

  void noSerialAfter99999() {
    Connection c = OpenShopDatabase();
    insertHistory(c.db(), "00001", "99999");
    const QString before = snapshot(c.db());
    QVERIFY_THROWS_EXCEPTION(CodeError, AddReceiptLine(c.db(), line("00001", 2, 3, 4)));
    QCOMPARE(snapshot(c.db()), before);
  }

  void lineStoresItsValuesBoundAndItsAmountComputed() {
    Connection c = OpenShopDatabase();
    ReceiptLine odd = line("00001", 0.1, 3, 0.2);
    odd.searchCode = "x') or ('1'='1";
    AddReceiptLine(c.db(), odd);
    QSqlQuery q = Exec(c.db(), "select 编号, 流水号, 拼音码, 进价, 数量, 售价, 金额, 进货时间, 有效期 from 临时入库");
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toString(), QString("00001"));
    QCOMPARE(q.value(2).toString(), QString("x') or ('1'='1"));
    QCOMPARE(q.value(3).toDouble(), 0.1);
    QCOMPARE(q.value(4).toDouble(), 3.0);
    QCOMPARE(q.value(5).toDouble(), 0.2);
    // Stored as shown: 0.3, not the 0.30000000000000004 of the raw product.
    QCOMPARE(q.value(6).toDouble(), 0.3);
    QCOMPARE(q.value(7).toString(), QString("2024-03-15"));
    QCOMPARE(q.value(8).toString(), QString("2026-01-31"));
    QVERIFY(!q.next());
  }

  void saveMovesEveryLineIntoHistoryAndStock() {
    Connection c = OpenShopDatabase();
    insertHistory(c.db(), "00009", "00004");
    AddReceiptLine(c.db(), line("00001", 2.5, 4, 3.8));
    AddReceiptLine(c.db(), line("00002", 10, 1.5, 12));
    SaveReceipt(c.db());
    QCOMPARE(count(c.db(), "临时入库"), QString("0"));
    QCOMPARE(count(c.db(), "进货历史记录"), QString("3"));
    QCOMPARE(count(c.db(), "库存"), QString("2"));
    QSqlQuery q = Exec(c.db(), "select 编号, 流水号, 数量, 金额, 有效期 from 库存 order by 流水号");
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString("00001"));
    QCOMPARE(q.value(1).toString(), QString("00005"));
    QCOMPARE(q.value(2).toDouble(), 4.0);
    QCOMPARE(q.value(3).toDouble(), 10.0);
    QCOMPARE(q.value(4).toString(), QString("2026-01-31"));
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toString(), QString("00006"));
    QCOMPARE(q.value(3).toDouble(), 15.0);
    QCOMPARE(ScalarText(c.db(), "select sum(金额) from 进货历史记录 where 流水号 in ('00005', '00006')"),
             QString("25"));
    // The next line continues the history's serials.
    QCOMPARE(NextReceiptSerial(c.db()), QString("00007"));
  }

  void aFailedSaveLeavesEveryTableAsItWas() {
    Connection c = OpenShopDatabase();
    AddReceiptLine(c.db(), line("00001", 2.5, 4, 3.8));
    AddReceiptLine(c.db(), line("00002", 1, 1, 1));
    // A batch already in stock under the second line's key makes the copy fail half way.
    Exec(c.db(), "insert into 库存 values ('00002', '00002', 'Y', 1, 1, 1, 1, '2024-01-01', '2025-01-01')");
    const QString before = snapshot(c.db());
    QVERIFY_THROWS_EXCEPTION(DbError, SaveReceipt(c.db()));
    QCOMPARE(snapshot(c.db()), before);
    QCOMPARE(count(c.db(), "临时入库"), QString("2"));
  }
};

BRIMWICK_TEST_MAIN(ReceiptTest)
#include "receipt.moc"
