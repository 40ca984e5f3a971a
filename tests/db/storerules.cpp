// What both clinic stores must agree on beneath the desks: a posting is a
// success only when it reached the store, money is kept to the cent alike,
// a number column holds numbers, a day is a day, and a new store opens from
// several desks at once.
#include <QDir>
#include <QMutex>
#include <QSqlQuery>
#include <QThread>
#include <atomic>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/datadir.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "tools/lib/csvload.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

class StoreRulesTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void aPostingWhoseStatementFailedIsNoSuccess() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    QString failure;
    const bool done = TransactionPosting(
        db,
        [&] {
          InsertRow(db, "库存", {{"编号", "A"}, {"数量", 5}});
          // The posting's own code swallows the error and goes on.
          try {
            Exec(db, "insert into 没有这张表 values (1)");
          } catch (const DbError&) {
          }
        },
        &failure);
    if (ClinicFixture::CurrentStore() == "postgres") {
      // The server aborted the transaction at the failed statement.
      QVERIFY(!done);
      QVERIFY(!failure.isEmpty());
      QVERIFY(TableRows(db, "库存").isEmpty());
    } else {
      // SQLite undoes the failed statement alone; the rest stands.
      QVERIFY(done);
      QCOMPARE(TableRows(db, "库存"), QStringList{"A|5"});
    }
    // The connection is usable again either way.
    QVERIFY(TransactionPosting(db, [&] { InsertRow(db, "库存", {{"编号", "B"}, {"数量", 1}}); }));
  }

  void anythingThrownRollsBackAndFreesTheStore() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    QString failure;
    const bool done = TransactionPosting(
        db,
        [&] {
          InsertRow(db, "库存", {{"编号", "A"}, {"数量", 5}});
          throw 42;
        },
        &failure);
    QVERIFY(!done);
    QVERIFY(!failure.isEmpty());
    // Another desk writes at once: no lock was left behind.
    Connection other = OpenClinicDatabase();
    if (ClinicFixture::CurrentStore() == "sqlite") Exec(other.db(), "pragma busy_timeout = 100");
    InsertRow(other.db(), "库存", {{"编号", "B"}, {"数量", 1}});
    QCOMPARE(TableRows(db, "库存"), QStringList{"B|1"});
  }

  void moneyIsKeptToTheCentAlike() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    InsertRow(db, "收银信息", {{"流水号", 1}, {"药费(元)", 3 * 1.115}, {"服务费(元)", 1.005}});
    InsertRow(db, "收银信息", {{"流水号", 2}, {"药费(元)", -1.005}, {"服务费(元)", 2.675}});
    Exec(db, R"~(update 收银信息 set "服务费(元)" = ? where 流水号 = 2)~", {0.125});
    const QList<QVariantList> rows =
        ReadAll(db, R"~(select "药费(元)", "服务费(元)" from 收银信息 order by 流水号)~");
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0][0].toDouble(), 3.35);
    QCOMPARE(rows[0][1].toDouble(), 1.01);
    QCOMPARE(rows[1][0].toDouble(), -1.01);
    QCOMPARE(rows[1][1].toDouble(), 0.13);
    // A loaded figure is kept the same way.
    const QString csv = QDir(DataDir()).filePath("收银信息.csv");
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("收费类别,流水号,姓名,时间,药费(元),服务费(元),划价人帐号\n门诊,3,张三,2024-03-09,1.005,0,acc\n");
    file.close();
    QVERIFY(LoadCsvFile(db, "收银信息", csv).ok());
    QCOMPARE(ScalarText(db, R"~(select "药费(元)" from 收银信息 where 流水号 = 3)~"), QString("1.01"));
  }

  void aNumberColumnRefusesText() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    QVERIFY_THROWS_EXCEPTION(DbError, Exec(db, "insert into 库存 (编号, 数量) values (?, ?)", {"A", "abc"}));
    QVERIFY_THROWS_EXCEPTION(DbError, Exec(db, "insert into 库存 (编号, 数量) values ('B', 'abc')"));
    // A number written as text is still a number.
    Exec(db, "insert into 库存 (编号, 数量) values (?, ?)", {"C", "12.5"});
    QCOMPARE(TableRows(db, "库存"), QStringList{"C|12.5"});
  }

  void aBoundDayIsTheDay() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    // A desk that hands over the moment rather than the day still stores
    // the day, and a window ending on that day finds it.
    Exec(db, "insert into 时间表 (时间) values (?)", {QDateTime(QDate(2024, 3, 9), QTime(15, 30))});
    Exec(db, "insert into 时间表 (时间) values (?)", {QDate(2024, 3, 10)});
    QCOMPARE(TableRows(db, "时间表"), QStringList({"2024-03-09", "2024-03-10"}));
    const QString window = "select count(*) from 时间表 where 时间 >= ? and 时间 <= ?";
    QCOMPARE(ScalarText(db, window, {QDateTime(QDate(2024, 3, 9), QTime(9, 0)), QDate(2024, 3, 9)}), QString("1"));
    QCOMPARE(ScalarText(db, window, {QDate(2024, 3, 9), QDateTime(QDate(2024, 3, 10), QTime(0, 0))}), QString("2"));
    QCOMPARE(ScalarText(db, "select count(*) from 时间表 where 时间 = ?", {QDateTime(QDate(2024, 3, 10), QTime(23, 59))}),
             QString("1"));
  }

  void aNewStoreOpensFromSeveralDesksAtOnce() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("the server's store exists before any desk opens it");
    for (int round = 0; round < 5; ++round) {
      TestKit::FreshDataDir();
      std::atomic<int> failures{0};
      QString lastFailure;
      QMutex failureLock;
      QList<QThread*> desks;
      for (int i = 0; i < 8; ++i)
        desks << QThread::create([&] {
          try {
            Connection c = OpenClinicDatabase();
            InsertRow(c.db(), "时间表", {{"时间", "2024-01-01"}});
          } catch (const DbError& e) {
            const QMutexLocker lock(&failureLock);
            lastFailure = e.text();
            ++failures;
          }
        });
      for (QThread* desk : desks) desk->start();
      for (QThread* desk : desks) {
        desk->wait();
        delete desk;
      }
      QVERIFY2(failures == 0, qPrintable(lastFailure));
      Connection c = OpenClinicDatabase();
      QCOMPARE(ScalarText(c.db(), "select count(*) from 时间表"), QString("8"));
    }
  }
};

BRIMWICK_TEST_MAIN(StoreRulesTest)
#include "storerules.moc"
