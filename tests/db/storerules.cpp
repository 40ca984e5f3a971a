// What both clinic stores must agree on beneath the desks: a posting is a
// success only when it reached the store, money is kept to the cent alike,
// a number column holds numbers, a day is a day, and a new store opens from
// several desks at once; and each failure is said as what it is.
#include <QDir>
#include <QMutex>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <array>
#include <atomic>
#include <latch>
#include <thread>
#include <sys/mount.h>
#include <unistd.h>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/datadir.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "support/throwawayserver.h"
#include "tools/lib/csvload.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;
using ClinicFixture::ThrownBy;

class StoreRulesTest : public QObject {
  Q_OBJECT

  // Fills the store on db until it is full: one statement alone, then a
  // posting; both must be said as a full disk of the file, and nothing of
  // either may remain.
  static void CheckFullStoreIsSaid(const QSqlDatabase& db) {
    const QString stock = ScalarText(db, "select count(*) from 库存");
    const QString fill = "insert into 库存 (编号, 数量) select ? || hex(randomblob(400)) || n, 1 from "
                         "(with recursive r(n) as (select 1 union all select n + 1 from r where n < 4000) "
                         "select n from r)";
    const DbError alone = ThrownBy([&] { Exec(db, fill, {"A"}); });
    QVERIFY2(alone.kind() == StoreFailure::DiskFull && alone.text().startsWith("磁盘已满：数据文件所在的磁盘") && !alone.text().contains("服务器"),
             qPrintable(alone.text()));
    QVERIFY(!TransactionPosting(db, [&] { Exec(db, fill, {"B"}); }));
    const QString said = PostingFailedText(db);
    QVERIFY2(said.startsWith("对不起，操作失败：本次操作已全部撤销，没有写入任何数据。\n磁盘已满") &&
                 !said.contains("服务器"),
             qPrintable(said));
    QCOMPARE(ScalarText(db, "select count(*) from 库存"), stock);
  }

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

  // SQLite's own page limit, and when the test may mount one, a real file
  // system that runs out of room.
  void aFullFileStoreIsSaidAsAFullDisk() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("the file store only");
    {
      Connection c = OpenClinicDatabase();
      const int pages = ScalarText(c.db(), "pragma page_count").toInt();
      Exec(c.db(), QString("pragma max_page_count = %1").arg(pages + 4));
      CheckFullStoreIsSaid(c.db());
    }
    if (::geteuid() != 0) return;
    QTemporaryDir small;
    const QByteArray mountPoint = small.path().toLocal8Bit();
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=3m") != 0) return;
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
    const QByteArray folder = qgetenv("BRIMWICK_DATA_DIR");
    const auto restore = qScopeGuard([&] { qputenv("BRIMWICK_DATA_DIR", folder); });
    qputenv("BRIMWICK_DATA_DIR", mountPoint);
    Connection c = OpenClinicDatabase();
    CheckFullStoreIsSaid(c.db());
  }

  // A clinic on the file store whose folder cannot be made or written is
  // told of its data file, not of a server and the ini file's host.
  void aFileThatCannotBeOpenedIsSaidAsAFile() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("the file store only");
    const QByteArray folder = qgetenv("BRIMWICK_DATA_DIR");
    const auto restore = qScopeGuard([&] { qputenv("BRIMWICK_DATA_DIR", folder); });
    qputenv("BRIMWICK_DATA_DIR", "/proc/brimwick-none/");
    const QString said = ThrownBy([] { OpenClinicDatabase(); }).text();
    QVERIFY2(said.startsWith("无法打开数据文件"), qPrintable(said));
  }

  // A desk holding a stock row (SQLite: the store's write lock) ends
  // another desk's posting after the lock time-out, undone whole and said.
  void aHeldLockEndsAPostingWithoutWritingIt() {
    Connection holder = OpenClinicDatabase();
    Connection desk = OpenClinicDatabase();
    InsertRow(holder.db(), "库存", {{"编号", "A"}, {"数量", 5}});
    BeginWrite(holder.db());
    Exec(holder.db(), "update 库存 set 数量 = 4 where 编号 = ?", {"A"});
    QVERIFY(!TransactionPosting(desk.db(), [&] {
      InsertRow(desk.db(), "库存", {{"编号", "B"}, {"数量", 1}});
      Exec(desk.db(), "update 库存 set 数量 = 数量 - 1 where 编号 = ?", {"A"});
    }));
    const QString said = PostingFailedText(desk.db());
    QVERIFY2(said.contains("等待数据库超时"), qPrintable(said));
    // The file store has no server to blame.
    if (ClinicFixture::CurrentStore() == "sqlite") QVERIFY2(!said.contains("服务器"), qPrintable(said));
    RollbackWrite(holder.db());
    QCOMPARE(TableRows(desk.db(), "库存"), QStringList{"A|5"});
  }

  // A twin key is said as a refused row with the engine's words; on the
  // file store a trigger that raises is too, and one that fails for any
  // other reason is "对不起，操作失败" with SQLite's words, never a server.
  void aRefusedStatementIsSaidWithItsOwnWords() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    InsertRow(db, "库存", {{"编号", "A"}, {"数量", 5}});
    const DbError twin = ThrownBy([&] { InsertRow(db, "库存", {{"编号", "A"}, {"数量", 1}}); });
    QCOMPARE(twin.kind(), StoreFailure::Refused);
    QVERIFY2(twin.text().startsWith("数据库拒绝了这些数据") && twin.text().contains("库存"), qPrintable(twin.text()));
    if (ClinicFixture::CurrentStore() != "sqlite") return;
    Exec(db, "create trigger refuse before update on 库存 when new.数量 < 0 "
             "begin select raise(abort, '库存不能为负'); end");
    const DbError raised = ThrownBy([&] { Exec(db, "update 库存 set 数量 = -1"); });
    QCOMPARE(raised.kind(), StoreFailure::Refused);
    QVERIFY2(raised.text().endsWith("\n库存不能为负"), qPrintable(raised.text()));
    Exec(db, "create trigger broken after update on 库存 begin insert into 没有这张表 values (1); end");
    const DbError failed = ThrownBy([&] { Exec(db, "update 库存 set 数量 = 2"); });
    QCOMPARE(failed.kind(), StoreFailure::FileFailed);
    QVERIFY2(failed.text().startsWith("对不起，操作失败\n") && failed.text().contains("没有这张表"),
             qPrintable(failed.text()));
    QVERIFY(!TransactionPosting(db, [&] { Exec(db, "update 库存 set 数量 = 3"); }));
    const QString said = PostingFailedText(db);
    QVERIFY2(said.startsWith("对不起，操作失败：本次操作已全部撤销，没有写入任何数据。\n") &&
                 said.count("对不起，操作失败") == 1 && said.contains("没有这张表") && !said.contains("服务器"),
             qPrintable(said));
    QCOMPARE(TableRows(db, "库存"), QStringList{"A|5"});
  }

  // Two desks that each hold the row the other one needs: the server ends
  // one posting to break the circle, and that desk is told to try again.
  void aDeadlockIsSaidWithTheAdviceToTryAgain() {
    if (ClinicFixture::CurrentStore() != "postgres") QSKIP("the file store lets one writer in at a time");
    {
      Connection c = OpenClinicDatabase();
      InsertRow(c.db(), "库存", {{"编号", "A"}, {"数量", 5}});
      InsertRow(c.db(), "库存", {{"编号", "B"}, {"数量", 5}});
    }
    std::latch holding(2);
    std::array<QString, 2> said;
    auto desk = [&](int n, const QString& first, const QString& second) {
      Connection c = OpenClinicDatabase();
      QString failure;
      const bool done = TransactionPosting(c.db(), [&] {
        const QString take = "update 库存 set 数量 = 数量 - 1 where 编号 = ?";
        Exec(c.db(), take, {first});
        holding.arrive_and_wait();
        Exec(c.db(), take, {second});
      }, &failure);
      said[n] = done ? QString() : failure;
    };
    std::thread one(desk, 0, QString("A"), QString("B"));
    std::thread other(desk, 1, QString("B"), QString("A"));
    one.join();
    other.join();
    std::sort(said.begin(), said.end());
    QVERIFY(said[0].isEmpty());
    QVERIFY2(said[1].startsWith("与其他电脑的操作冲突") && said[1].contains("直接重试即可"), qPrintable(said[1]));
    Connection c = OpenClinicDatabase();
    QCOMPARE(TableRows(c.db(), "库存"), QStringList({"A|4", "B|4"}));
  }

  // A server that answered is never said as unreachable: it is full, or
  // the user may not use the database.
  void aServerThatAnsweredIsSaidAsWhatItSaid() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("runs once, on a server of its own");
    ThrowAwayServer server;
    QVERIFY2(server.Error().isEmpty(), qPrintable(server.Error()));
    Connection owner = OpenPostgres(server.ConnectionString());
    Exec(owner.db(), "create role crowded login password 'p' connection limit 0");
    Exec(owner.db(), "create role outsider login password 'p'");
    Exec(owner.db(), "revoke connect on database postgres from public");
    const QString base = server.ConnectionString().section(" user=", 0, 0);
    const DbError full = ThrownBy([&] { OpenPostgres(base + " user=crowded password=p"); });
    QVERIFY2(full.kind() == StoreFailure::ServerFull && full.text().startsWith("诊所数据库服务器的连接已满"),
             qPrintable(full.text()));
    const DbError refused = ThrownBy([&] { OpenPostgres(base + " user=outsider password=p"); });
    QVERIFY2(refused.kind() == StoreFailure::NotPermitted &&
                 refused.text().startsWith("诊所数据库服务器不允许这个用户做这一步"),
             qPrintable(refused.text()));
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
