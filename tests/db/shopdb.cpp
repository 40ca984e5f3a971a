#include <QSqlQuery>

#include "db/passwords.h"
#include "db/shopdb.h"
#include "db/sql.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

class ShopStoreTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { TestKit::FreshDataDir(); }

  void newStoreHoldsAdminWithEveryRight() {
    Connection c = OpenShopDatabase();
    QSqlQuery q = Exec(c.db(), "select 姓名, 密码 from 用户 where 账号 = ?", {"admin"});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString("管理员"));
    QVERIFY(q.value(1).toString() != "admin");
    QVERIFY(VerifyPassword("admin", q.value(1).toString()));
    QVERIFY(!VerifyPassword("Admin", q.value(1).toString()));
    QCOMPARE(ScalarText(c.db(), "select count(*) from 权限信息 where 账号 = 'admin'"), QString("5"));
  }

  void reopeningDoesNotSeedAgain() {
    { Connection c = OpenShopDatabase(); Exec(c.db(), "delete from 权限信息"); }
    Connection c = OpenShopDatabase();
    QCOMPARE(ScalarText(c.db(), "select count(*) from 用户"), QString("1"));
    QCOMPARE(ScalarText(c.db(), "select count(*) from 权限信息"), QString("0"));
  }

  void accountIsUnique() {
    Connection c = OpenShopDatabase();
    QVERIFY_THROWS_EXCEPTION(DbError, Exec(c.db(), "insert into 用户 (账号, 姓名, 密码) values (?, ?, ?)",
                                           {"admin", "x", "y"}));
  }

  void quotesAreJustText() {
    Connection c = OpenShopDatabase();
    Exec(c.db(), "insert into 用户 (账号, 姓名, 密码) values (?, ?, ?)", {"O'Neil", "x') or ('1'='1", ""});
    QCOMPARE(ScalarText(c.db(), "select 姓名 from 用户 where 账号 = ?", {"O'Neil"}), QString("x') or ('1'='1"));
  }

  // A shop whose data folder cannot be made is told of its data file, in
  // words that are the shop's as much as the clinic's.
  void aFolderThatCannotBeMadeIsSaidAsTheDataFile() {
    qputenv("BRIMWICK_DATA_DIR", "/proc/brimwick-none/");
    const QString said = ClinicFixture::ThrownBy([] { OpenShopDatabase(); }).text();
    TestKit::FreshDataDir();
    QVERIFY2(said.startsWith("无法打开数据文件：数据文件夹不存在"), qPrintable(said));
  }

  void transactionRollsBackWhole() {
    Connection c = OpenShopDatabase();
    QSqlDatabase db = c.db();
    QVERIFY_THROWS_EXCEPTION(DbError, InTransaction(db, [&] {
      Exec(db, "insert into 单位 (单位) values (?)", {"盒"});
      Exec(db, "insert into no_such_table values (1)");
    }));
    QCOMPARE(ScalarText(db, "select count(*) from 单位"), QString("0"));
  }
};

BRIMWICK_TEST_MAIN(ShopStoreTest)
#include "shopdb.moc"
