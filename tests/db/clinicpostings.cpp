// The rules every clinic desk leans on, on both stores: a posting is all or
// nothing, scratch tables belong to one connection, a visit is its serial
// and pricing account together, and the store is the one the settings name.
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/datadir.h"
#include "db/sql.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

namespace {
const VisitKey kVisit{7, "acc"};
const QStringList kDispensingTables{"药品过期表", "临时出库信息", "出库信息", "出库患者信息"};

void SeedPaidVisit(const QSqlDatabase& db) {
  InsertRow(db, "药品过期表", {{"编号", "A"}, {"药品批号", "b1"}, {"数量", 5}, {"生产时间", "2024-01-01"}, {"有效期", 400}});
  InsertRow(db, "药品过期表", {{"编号", "A"}, {"药品批号", "b2"}, {"数量", 10}, {"生产时间", "2024-02-01"}, {"有效期", 400}});
  InsertRow(db, "临时出库信息", {{"流水号", 7}, {"编号", "A"}, {"时间", "2024-05-06"}, {"数量", 3}, {"单价(元)", 2},
                                 {"划价人帐号", "acc"}, {"收银标志", "是"}});
  InsertRow(db, "药品过期表", {{"编号", "B"}, {"药品批号", "c1"}, {"数量", 4}, {"生产时间", "2024-03-01"}, {"有效期", 30}});
  InsertRow(db, "临时出库信息", {{"流水号", 7}, {"编号", "B"}, {"时间", "2024-05-06"}, {"数量", 1}, {"单价(元)", 8},
                                 {"划价人帐号", "acc"}, {"收银标志", "是"}});
  InsertRow(db, "出库患者信息", {{"姓名", "张三"}, {"流水号", 7}, {"时间", "2024-05-06"}, {"划价人帐号", "acc"}});
}

// A dispensing-shaped posting: stage the visit's lines in a scratch table,
// lower the oldest batch, move the lines, clear the queue; then the step
// given, which may fail.
void Dispense(const QSqlDatabase& db, const std::function<void()>& lastStep) {
  ScratchTable lines(db, *FindClinicScratchTable("ckb"));
  Exec(db, "insert into ckb select 编号, 数量 from 临时出库信息 where " + VisitKey::Condition(), kVisit.Values());
  for (const QVariantList& line : ReadAll(db, "select 编号, 数量 from ckb")) {
    const QString batch =
        ScalarText(db, "select 药品批号 from 药品过期表 where 编号 = ? order by 生产时间 limit 1", {line[0]});
    Exec(db, "update 药品过期表 set 数量 = 数量 - ? where 编号 = ? and 药品批号 = ?", {line[1], line[0], batch});
  }
  Exec(db,
       R"~(insert into 出库信息 select 流水号, 编号, 时间, 数量, "单价(元)", 出库人帐号, 划价人帐号, 收银人帐号, )~"
       R"~(开方医师, 收费类别 from 临时出库信息 where )~" + VisitKey::Condition(),
       kVisit.Values());
  Exec(db, "delete from 临时出库信息 where " + VisitKey::Condition(), kVisit.Values());
  Exec(db, "delete from 出库患者信息 where " + VisitKey::Condition(), kVisit.Values());
  lastStep();
}

QMap<QString, QStringList> Snapshot(const QSqlDatabase& db) {
  QMap<QString, QStringList> tables;
  for (const QString& table : kDispensingTables) tables[table] = TableRows(db, table);
  return tables;
}
}  // namespace

class ClinicPostingsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void postingThatFailsPartWayLeavesEverythingAsItWas_data() {
    QTest::addColumn<bool>("engineError");
    QTest::newRow("engine error") << true;
    QTest::newRow("other error") << false;
  }
  void postingThatFailsPartWayLeavesEverythingAsItWas() {
    QFETCH(bool, engineError);
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedPaidVisit(db);
    const auto before = Snapshot(db);
    QString failure;
    const bool done = TransactionPosting(
        db,
        [&] {
          Dispense(db, [&] {
            if (engineError) Exec(db, "insert into 没有这张表 values (1)");
            throw std::runtime_error("the dispenser ran dry");
          });
        },
        &failure);
    QVERIFY(!done);
    QVERIFY(!failure.isEmpty());
    if (!engineError) QCOMPARE(failure, QString("the dispenser ran dry"));
    QCOMPARE(Snapshot(db), before);
    QVERIFY(!ScratchTableExists(db, "ckb"));
    // Another desk sees the same, and this connection goes on working.
    Connection other = OpenClinicDatabase();
    QCOMPARE(Snapshot(other.db()), before);
    QVERIFY(TransactionPosting(db, [&] { Dispense(db, [] {}); }));
  }

  void postingThatSucceedsKeepsEveryChange() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    SeedPaidVisit(db);
    QVERIFY(TransactionPosting(db, [&] { Dispense(db, [] {}); }));
    QVERIFY(!ScratchTableExists(db, "ckb"));
    Connection other = OpenClinicDatabase();
    QCOMPARE(TableRows(other.db(), "药品过期表"),
             QStringList({"A|b1|2|2024-01-01|400|2025-02-04", "A|b2|10|2024-02-01|400|2025-03-07",
                          "B|c1|3|2024-03-01|30|2024-03-31"}));
    QCOMPARE(TableRows(other.db(), "出库信息"),
             QStringList({"7|A|2024-05-06|3|2||acc||||6", "7|B|2024-05-06|1|8||acc||||8"}));
    QVERIFY(TableRows(other.db(), "临时出库信息").isEmpty());
    QVERIFY(TableRows(other.db(), "出库患者信息").isEmpty());
  }

  void postingHoldsTheWriteLockFromItsStart() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("the server locks rows, not the whole store");
    Connection posting = OpenClinicDatabase();
    Connection otherDesk = OpenClinicDatabase();
    Exec(otherDesk.db(), "pragma busy_timeout = 50");
    BeginWrite(posting.db());
    // The other desk still reads, but its writes wait for the posting.
    QCOMPARE(ScalarText(otherDesk.db(), "select count(*) from 库存"), QString("0"));
    QVERIFY_THROWS_EXCEPTION(DbError, InsertRow(otherDesk.db(), "库存", {{"编号", "1"}, {"数量", 1}}));
    CommitWrite(posting.db());
    InsertRow(otherDesk.db(), "库存", {{"编号", "1"}, {"数量", 1}});
    QCOMPARE(TableRows(posting.db(), "库存"), QStringList{"1|1"});
  }

  void scratchTablesBelongToOneConnection() {
    Connection first = OpenClinicDatabase();
    Connection second = OpenClinicDatabase();
    const ClinicTable& goods = *FindClinicScratchTable("tj");
    // Two desks running the same computation at once do not clash.
    ScratchTable mine(first.db(), goods);
    ScratchTable theirs(second.db(), goods);
    Exec(first.db(), "insert into tj values (?, ?)", {"1", "甘草片"});
    Exec(second.db(), "insert into tj values (?, ?)", {"2", "板蓝根"});
    QCOMPARE(TableRows(first.db(), "tj"), QStringList{"1|甘草片"});
    QCOMPARE(TableRows(second.db(), "tj"), QStringList{"2|板蓝根"});
    // A third desk does not see either.
    Connection third = OpenClinicDatabase();
    QVERIFY(!ScratchTableExists(third.db(), "tj"));
  }

  // The statements of the desks name these columns.
  void scratchTablesHaveTheirColumns() {
    Connection c = OpenClinicDatabase();
    const QMap<QString, QStringList> expected{
        {"ckb", {"编号", "数量"}}, {"Pelloc", {"编号", "数量"}}, {"tj", {"编号", "品名"}}};
    QCOMPARE(ClinicScratchTables().size(), size_t(expected.size()));
    for (const ClinicTable& layout : ClinicScratchTables()) {
      QVERIFY2(expected.contains(layout.name), qPrintable(layout.name));
      QVERIFY(!FindClinicTable(layout.name));
      {
        ScratchTable scratch(c.db(), layout);
        QCOMPARE(ClinicFixture::ColumnNames(c.db(), layout.name), expected[layout.name]);
      }
      QVERIFY(!ScratchTableExists(c.db(), layout.name));
    }
  }

  void privateCopyHidesTheSharedTableUntilDropped() {
    Connection first = OpenClinicDatabase();
    Connection second = OpenClinicDatabase();
    const QString table = "住院患者药品统计表";
    InsertRow(second.db(), table, {{"编号", "shared"}, {"数量", 1}, {"单价(元)", 1}});
    CreateScratchTable(first.db(), *FindClinicTable(table));
    QVERIFY(TableRows(first.db(), table).isEmpty());
    InsertRow(first.db(), table, {{"编号", "mine"}, {"数量", 2}, {"单价(元)", 3}, {"流水号", 1}});
    QCOMPARE(ScalarText(first.db(), R"~(select "总价(元)" from 住院患者药品统计表)~"), QString("6"));
    QCOMPARE(TableRows(second.db(), table).size(), 1);
    DropScratchTable(first.db(), table);
    DropScratchTable(first.db(), table);  // nothing left to drop: the shared table stays
    QCOMPARE(ScalarText(first.db(), "select 编号 from 住院患者药品统计表"), QString("shared"));
    QVERIFY(!ScratchTableExists(first.db(), table));
  }

  void scratchTableMadeInAFailedPostingIsGone() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    QVERIFY(!TransactionPosting(db, [&] {
      CreateScratchTable(db, *FindClinicScratchTable("Pelloc"));
      Exec(db, "insert into Pelloc select 编号, sum(数量) from 药品过期表 group by 编号");
      Exec(db, "select 没有这一列 from Pelloc");
    }));
    QVERIFY(!ScratchTableExists(db, "Pelloc"));
  }

  void visitKeyTakesSerialAndAccountTogether() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    for (const QPair<int, QString>& visit : QList<QPair<int, QString>>{{1, "a"}, {1, "b"}, {2, "a"}})
      InsertRow(db, "出库患者信息", {{"流水号", visit.first}, {"划价人帐号", visit.second}});
    const VisitKey visit = VisitKey::FromText(" 1 ", " a ");
    QCOMPARE(visit, (VisitKey{1, "a"}));
    QCOMPARE(ScalarText(db, "select count(*) from 出库患者信息 q where " + VisitKey::Condition("q"), visit.Values()),
             QString("1"));
    Exec(db, "delete from 出库患者信息 where " + VisitKey::Condition(), visit.Values());
    QCOMPARE(TableRows(db, "出库患者信息"), QStringList({"|1||b|", "|2||a|"}));
  }

  void storeIsTheOneTheSettingsName() {
    const QByteArray fixtureServer = qgetenv("BRIMWICK_CLINIC_SERVER");
    qunsetenv("BRIMWICK_CLINIC_SERVER");
    // No setting at all: the SQLite file in the data folder.
    QVERIFY(ClinicConnectionString().isEmpty());
    {
      Connection c = OpenClinicDatabase();
      QVERIFY(!IsPostgres(c.db()));
      QVERIFY(QFile::exists(DataDir() + "Varnhold.db"));
    }
    // A server that does not answer surfaces as an error with its text.
    const QString unreachable = "host=127.0.0.1 port=1 dbname=varnhold user=brimwick password=x,y";
    QFile ini(DataDir() + "brimwick.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(("[clinic]\nserver=" + unreachable + "\n").toUtf8());
    ini.close();
    QCOMPARE(ClinicConnectionString(), unreachable);
    QVERIFY_THROWS_EXCEPTION(DbError, OpenClinicDatabase());
    // The environment wins over the file, even when it is empty.
    qputenv("BRIMWICK_CLINIC_SERVER", QByteArray());
    QVERIFY(ClinicConnectionString().isEmpty());
    if (ClinicFixture::CurrentStore() == "postgres") {
      // Quoted values and blanks around "=" read as libpq reads them.
      QString quoted = QString::fromUtf8(fixtureServer);
      quoted.replace(QRegularExpression("password=(\\S+)"), "password = '\\1'");
      quoted.replace("host=", "host= ");
      qputenv("BRIMWICK_CLINIC_SERVER", quoted.toUtf8());
      Connection c = OpenClinicDatabase();
      QVERIFY(IsPostgres(c.db()));
      QCOMPARE(ScalarText(c.db(), "select count(*) from 药品信息"), QString("0"));
    }
    qputenv("BRIMWICK_CLINIC_SERVER", fixtureServer);
  }
};

BRIMWICK_TEST_MAIN(ClinicPostingsTest)
#include "clinicpostings.moc"
