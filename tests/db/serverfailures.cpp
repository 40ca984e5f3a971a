// A real server process ended or frozen under a statement: a broken read is
// never the whole list, a frozen server is given up in time, and a commit
// whose connection broke is said as what is known of it.
#include <QElapsedTimer>
#include <QLabel>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlRecord>
#include <QThread>
#include <QWidget>
#include <csignal>
#include <thread>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "db/statementwatch.h"
#include "platform/grid.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

namespace {
// Six thousand rows over some three seconds: the first come at once.
const int kSlowCount = 6000;
const QString kSlowRows = QStringLiteral("select g, pg_sleep(0.0005) from generate_series(1, %1) g").arg(kSlowCount);

// The slow list as a statement alone (the driver's own stream) and with a
// value (the server's extended protocol).
void AddSlowReads() {
  QTest::addColumn<QString>("sql");
  QTest::addColumn<QVariantList>("values");
  QTest::newRow("alone") << kSlowRows << QVariantList();
  QTest::newRow("with a value") << QString("select g, pg_sleep(0.0005) from generate_series(1, ?) g")
                                << QVariantList{kSlowCount};
}

// Signals a server process after a moment, from beside the test.
class Later {
 public:
  Later(pid_t process, int signal, int afterMs)
      : thread_([=] {
          std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
          ::kill(process, signal);
        }) {}
  ~Later() { thread_.join(); }

 private:
  std::thread thread_;
};

StoreFailure KindOf(const std::function<void()>& work) { return ClinicFixture::ThrownBy(work).kind(); }
}  // namespace

class ServerFailuresTest : public QObject {
  Q_OBJECT

  // A connection of the suite's server with short limits of its own.
  static Connection Desk(const QString& limits) { return OpenPostgres(ClinicConnectionString() + ' ' + limits); }
  static pid_t Backend(const QSqlDatabase& db) { return ScalarText(db, "select pg_backend_pid()").toInt(); }

 private slots:
  void init() {
    if (!ClinicFixture::Stores().contains("postgres")) QSKIP("no PostgreSQL server named");
    ClinicFixture::Prepare("postgres");
    Connection owner = OpenClinicStore();
    ExecDirect(owner.db(), "create table 行 (n int)");
    // A commit that takes a while, so that the server can fail under it.
    ExecDirect(owner.db(), "create function 慢() returns trigger language plpgsql as "
                           "$$ begin perform pg_sleep(2); return null; end $$");
    ExecDirect(owner.db(), "create constraint trigger 慢提交 after insert on 行 deferrable initially deferred "
                           "for each row execute function 慢()");
  }

  // A read the statement time-out ends part way is never the whole list.
  void aReadTimedOutMidStreamRaises_data() { AddSlowReads(); }
  void aReadTimedOutMidStreamRaises() {
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    Connection desk = Desk("statement_timeout=1s");
    QElapsedTimer waited;
    waited.start();
    QCOMPARE(KindOf([&] { ReadAll(desk.db(), sql, values); }), StoreFailure::TimedOut);
    QVERIFY(waited.elapsed() < 3000);

    DataGrid grid;
    QSqlQuery query = Exec(desk.db(), sql, values);
    grid.Open(query);
    QVERIFY(grid.Model()->rowCount() > 0);
    grid.Model()->FetchAll();
    QVERIFY(grid.Model()->Broken());
    const int shown = grid.Model()->rowCount();
    QVERIFY(shown > 0 && shown < kSlowCount);
    auto* notice = grid.findChild<QLabel*>("incompleteNotice");
    QVERIFY(notice && !notice->isHidden());
    QVERIFY2(notice->text().startsWith(QString("列表不完整：只读到前 %1 行").arg(shown)) &&
                 notice->text().contains("等待数据库超时"),
             qPrintable(notice->text()));
    // Nothing is printed or totalled from it: a row past those read raises.
    QCOMPARE(grid.RecordCount(), shown);
    QVERIFY_THROWS_EXCEPTION(DbError, grid.Model()->Value(shown, 0));
    // The connection goes on serving.
    QSqlQuery again = Exec(desk.db(), "select 1");
    grid.Open(again);
    QVERIFY(notice->isHidden());
  }

  // Ended under a read: read whole, it runs again and comes back whole;
  // inside a transaction it raises; a grid says why it stopped.
  void aReadWhoseServerEndsIsNeverTakenForTheWhole_data() { AddSlowReads(); }
  void aReadWhoseServerEndsIsNeverTakenForTheWhole() {
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    Connection desk = Desk("statement_timeout=60s");
    {
      const Later end(Backend(desk.db()), SIGTERM, 300);
      QCOMPARE(ReadAll(desk.db(), sql, values).size(), kSlowCount);
    }
    BeginWrite(desk.db());
    {
      const Later end(Backend(desk.db()), SIGTERM, 300);
      QCOMPARE(KindOf([&] { ReadAll(desk.db(), sql, values); }), StoreFailure::LostConnection);
    }
    RollbackWrite(desk.db());
    DataGrid grid;
    {
      const Later end(Backend(desk.db()), SIGTERM, 300);
      QSqlQuery query = Exec(desk.db(), sql, values);
      grid.Open(query);
      grid.Model()->FetchAll();
    }
    QVERIFY(grid.Model()->Broken() && grid.Model()->rowCount() < kSlowCount);
    QVERIFY(grid.findChild<QLabel*>("incompleteNotice")->text().contains("连接已断开"));
    QCOMPARE(ScalarText(desk.db(), "select 3"), QString("3"));
  }

  // A read with values hands over its rows as the server makes them: the
  // first come although the server fails at the 3000th, and that failure
  // still raises, in a grid too, never taken for the end of the list.
  void aReadWithValuesStreamsItsRowsAndStillRaises() {
    Connection desk = Desk("statement_timeout=60s");
    const QString sql = "select g, 1 / (? - g) from generate_series(1, ?) g";
    QSqlQuery query = Exec(desk.db(), sql, {3000, 5000});
    int read = 0;
    const DbError failed = ClinicFixture::ThrownBy([&] {
      while (NextRow(query)) ++read;
    });
    QCOMPARE(read, 2999);
    QVERIFY2(failed.text().contains("division by zero"), qPrintable(failed.text()));

    DataGrid grid;
    QSqlQuery listed = Exec(desk.db(), sql, {3000, 5000});
    grid.Open(listed);
    QVERIFY(grid.Model()->rowCount() > 0);
    grid.Model()->FetchAll();
    QVERIFY(grid.Model()->Broken());
    QCOMPARE(grid.Model()->rowCount(), 2999);
    QCOMPARE(ScalarText(desk.db(), "select ? + 1", {41}), QString("42"));
  }

  // Another statement on the connection while a stream is half read: each
  // gets its own rows, in order, none lost; a grid's rest is read first.
  void aStreamHalfReadKeepsItsRowsWhenTheConnectionIsNeeded() {
    Connection desk = Desk("statement_timeout=60s");
    const QString sql = "select g from generate_series(1, ?) g";
    QSqlQuery query = Exec(desk.db(), sql, {3000});
    QVERIFY(NextRow(query));
    QCOMPARE(query.value(0).toInt(), 1);
    QCOMPARE(ScalarText(desk.db(), "select ? + 1", {41}), QString("42"));
    QCOMPARE(ReadAll(desk.db(), sql, {5}).size(), 5);
    int next = 2;
    while (NextRow(query)) QCOMPARE(query.value(0).toInt(), next++);
    QCOMPARE(next, 3001);

    DataGrid grid;
    QSqlQuery listed = Exec(desk.db(), sql, {20000});
    grid.Open(listed);
    QVERIFY(grid.Model()->rowCount() < 20000);
    QCOMPARE(ScalarText(desk.db(), "select ?::text", {"甲"}), QString("甲"));
    grid.Model()->FetchAll();
    QCOMPARE(grid.Model()->rowCount(), 20000);
    QVERIFY(!grid.Model()->Broken());
    QCOMPARE(grid.Model()->Value(19999, 0).toInt(), 20000);
  }

  // A window's read is planned for its own values every time (a plan kept
  // for any values sorted a year's list before its first row); a
  // posting's reads, many and small, are kept prepared.
  void aWindowsReadIsPlannedForItsValuesAPostingsIsKept() {
    Connection desk = Desk("statement_timeout=60s");
    const QString kept = "select count(*) from pg_prepared_statements where statement like '%generate_series(1, $1)%'";
    for (int run = 0; run < 7; ++run) QCOMPARE(ReadAll(desk.db(), "select g from generate_series(1, ?) g", {3}).size(), 3);
    QCOMPARE(ScalarText(desk.db(), kept), QString("0"));
    QSqlDatabase db = desk.db();
    InTransaction(db, [&] { ReadAll(db, "select g from generate_series(1, ?) g", {3}); });
    QCOMPARE(ScalarText(desk.db(), kept), QString("1"));
  }

  // The rows of a read with values are typed and valued as the driver's
  // own prepared statement gives them, nulls and bytes included.
  void aStreamedReadGivesWhatTheDriverGives() {
    Connection desk = Desk("statement_timeout=60s");
    const QString sql =
        "select ?::int2 as 短, ?::int4 as 整, ?::int8 as 长, ?::numeric(18,2) as 金额, ?::float8 as 实, ?::date as 日, "
        "?::text as 名, ?::bool as 是, ?::bytea as 字节, null::int4, null::numeric, null::date, null::text, ''::text";
    const QVariantList values{7, -123456, 9007199254740993LL, 3 * 1.115, 0.1, QDate(2024, 2, 29),
                              QString("王五 é"), true, QByteArray("\0\x01\xff'", 4)};
    QSqlQuery streamed = Exec(desk.db(), sql, values);
    QVERIFY(NextRow(streamed));
    const QSqlRecord record = streamed.record();
    QVariantList got;
    for (int i = 0; i < record.count(); ++i) got << streamed.value(i);
    QVERIFY(!NextRow(streamed));

    QSqlQuery own(desk.db());
    own.setForwardOnly(true);
    QVERIFY(own.prepare(sql));
    for (const QVariant& v : values) own.addBindValue(BoundValue(v));
    QVERIFY2(own.exec() && own.next(), qPrintable(own.lastError().text()));
    QCOMPARE(record.count(), own.record().count());
    for (int i = 0; i < record.count(); ++i) {
      QCOMPARE(record.fieldName(i), own.record().fieldName(i));
      QCOMPARE(got[i].typeId(), own.value(i).typeId());
      QCOMPARE(got[i].isNull(), own.value(i).isNull());
      QCOMPARE(got[i], own.value(i));
    }
    QCOMPARE(got[3].toDouble(), 3.35);
    QCOMPARE(got[8].toByteArray(), QByteArray("\0\x01\xff'", 4));
  }

  // A server process frozen after its rows began is given up on a quarter
  // past its statement time-out from the statement's start.
  void aServerFrozenMidStreamIsGivenUpInTime_data() { AddSlowReads(); }
  void aServerFrozenMidStreamIsGivenUpInTime() {
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    Connection desk = Desk("statement_timeout=1s");
    const pid_t backend = Backend(desk.db());
    const auto thaw = qScopeGuard([backend] { ::kill(backend, SIGCONT); });
    // On a desktop the window shows the wait meanwhile (a busy cursor).
    QWidget window;
    window.show();
    QElapsedTimer waited;
    waited.start();
    QSqlQuery query = Exec(desk.db(), sql, values);
    QVERIFY(NextRow(query));
    QVERIFY(::kill(backend, SIGSTOP) == 0);
    QCOMPARE(KindOf([&] {
               while (NextRow(query)) {
               }
             }),
             StoreFailure::TimedOut);
    QVERIFY(waited.elapsed() < 2500);
  }

  // Frozen while a posting that runs alone waits for its tables: given up
  // at the statement's limit, not when the server comes back.
  void aServerFrozenDuringALockWaitIsGivenUp() {
    Connection holder = OpenClinicStore();
    BeginWrite(holder.db());
    ExecDirect(holder.db(), "lock table 行 in exclusive mode");
    Connection desk = Desk("statement_timeout=1s");
    const pid_t backend = Backend(desk.db());
    const auto thaw = qScopeGuard([backend] { ::kill(backend, SIGCONT); });
    QElapsedTimer waited;
    waited.start();
    {
      const Later freeze(backend, SIGSTOP, 600);
      QVERIFY_THROWS_EXCEPTION(DbError, BeginWriteAlone(desk.db(), {"行"}));
    }
    QVERIFY(waited.elapsed() < 4000);
    RollbackWrite(holder.db());
  }

  // The connection breaks under the commit: ended by the server, nothing
  // was written and it is said so; frozen, nobody knows, and no sentence
  // says nothing was written. The same for a write that runs alone.
  void aCommitWhoseConnectionBreaksIsSaidAsWhatIsKnown() {
    Connection desk = Desk("statement_timeout=1s");
    const QString insert = "insert into 行 values (?)";
    {
      const Later end(Backend(desk.db()), SIGTERM, 500);
      QString failure;
      QVERIFY(!TransactionPosting(desk.db(), [&] { Exec(desk.db(), insert, {1}); }, &failure));
      QVERIFY2(failure.startsWith("与诊所数据库服务器的连接已断开"), qPrintable(failure));
      QVERIFY(PostingFailedText(desk.db()).contains("没有写入任何数据"));
    }
    {
      const Later end(Backend(desk.db()), SIGTERM, 500);
      QCOMPARE(KindOf([&] { Exec(desk.db(), insert, {2}); }), StoreFailure::LostConnection);
    }
    QCOMPARE(ScalarText(desk.db(), "select count(*) from 行"), QString("0"));

    const pid_t backend = Backend(desk.db());
    auto thaw = qScopeGuard([backend] { ::kill(backend, SIGCONT); });
    QElapsedTimer waited;
    waited.start();
    QString failure;
    {
      const Later freeze(backend, SIGSTOP, 500);
      QVERIFY(!TransactionPosting(desk.db(), [&] { Exec(desk.db(), insert, {3}); }, &failure));
    }
    // The statement's limit and a quarter, then a few moments for the old
    // server process to end the transaction either way.
    QVERIFY(waited.elapsed() < 6000);
    QVERIFY2(failure.startsWith(CommitUnknownSentence()), qPrintable(failure));
    QVERIFY(PostingFailedText(desk.db()).startsWith(CommitUnknownSentence()));
  }

  // Cut off while the server was still committing (slow, not frozen): the
  // desk learns on a new connection that it was written, and carries on as
  // after any posting; trying again is not asked for.
  void aCommitCutOffButWrittenIsTakenAsWritten() {
    Connection desk = Desk("statement_timeout=60s");
    QElapsedTimer waited;
    waited.start();
    QVERIFY(TransactionPosting(desk.db(), [&] {
      Exec(desk.db(), "insert into 行 values (?)", {1});
      // The watch gives up on the commit long before its two seconds.
      StatementWatch::SetTransactionLimit(desk.db(), "200ms");
    }));
    QVERIFY(waited.elapsed() >= 1500);  // the answer came from asking again
    QCOMPARE(ScalarText(desk.db(), "select count(*) from 行"), QString("1"));
  }

  // One transaction on the server too: a connection lost part way fails
  // the whole, never the first half gone and the second half written.
  void aTransactionLosingItsConnectionWritesNothing() {
    Connection desk = Desk("statement_timeout=60s");
    QSqlDatabase db = desk.db();
    ExecDirect(db, "drop trigger 慢提交 on 行");
    QVERIFY_THROWS_EXCEPTION(DbError, InTransaction(db, [&] {
      Exec(db, "insert into 行 values (?)", {1});
      ::kill(Backend(db), SIGTERM);
      QThread::msleep(200);
      ScalarText(db, "select count(*) from 行");
      Exec(db, "insert into 行 values (?)", {2});
    }));
    QCOMPARE(ScalarText(db, "select count(*) from 行"), QString("0"));
    InTransaction(db, [&] { Exec(db, "insert into 行 values (?)", {3}); });
    QCOMPARE(ScalarText(db, "select count(*) from 行"), QString("1"));
  }
};

QTEST_MAIN(ServerFailuresTest)
#include "serverfailures.moc"
