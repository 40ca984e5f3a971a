// Two programs on one shop store: each completes its issues while the other
// does the same, and neither is turned away by the other's lock.
#include <QMutex>
#include <QThread>

#include "db/shopdb.h"
#include "db/sql.h"
#include "stock/issueposting.h"
#include "support/testkit.h"

class IssueTogetherTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { TestKit::FreshDataDir(); }

  void twoProgramsCompleteIssuesInTurn() {
    const int rounds = 40;
    {
      Connection store = OpenShopDatabase();
      Exec(store.db(), "insert into 库存 values ('A', '00001', 'A', 1, 1000, 2, 1000, '2024-01-02', '2026-01-01')");
    }
    QMutex lock;
    QStringList failures;
    int added = 0;
    const auto program = [&] {
      try {
        Connection store = OpenShopDatabase();
        QSqlDatabase db = store.db();
        for (int i = 0; i < rounds; ++i) {
          if (AddIssueLine(db, "A", "00001", 1, 2, QDate(2024, 3, 9)) == IssueRefusal::None) {
            const QMutexLocker locked(&lock);
            ++added;
          }
          if (!CompleteIssue(db)) throw DbError("a completion was refused");
        }
      } catch (const DbError& e) {
        const QMutexLocker locked(&lock);
        failures << e.text();
      }
    };
    QThread* first = QThread::create(program);
    QThread* second = QThread::create(program);
    first->start();
    second->start();
    first->wait();
    second->wait();
    delete first;
    delete second;
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    QCOMPARE(added, 2 * rounds);
    // Nothing lost, nothing doubled.
    Connection store = OpenShopDatabase();
    QCOMPARE(ScalarText(store.db(), "select sum(数量) from 出库记录"), QString::number(2 * rounds));
    QCOMPARE(ScalarText(store.db(), "select 数量 from 库存"), QString::number(1000 - 2 * rounds));
    QCOMPARE(ScalarText(store.db(), "select count(*) from 临时出库"), QString("0"));
  }
};

BRIMWICK_TEST_MAIN(IssueTogetherTest)
#include "issuetogether.moc"
