// Loading CSV files into the clinic store: typed values, and every refusal
// naming file, line and column while the tables stay as they were.
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QThread>
#include <QtTest>

#include "db/clinicdb.h"
#include "db/datadir.h"
#include "db/sql.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "tools/lib/csv.h"
#include "tools/lib/csvload.h"
#include "tools/lib/loadcommand.h"

namespace {
QString WriteFile(const QString& folder, const QString& name, const QString& text) {
  const QString path = QDir(folder).filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  file.write(text.toUtf8());
  return path;
}

QString Describe(const LoadResult& result) {
  QStringList lines;
  for (const LoadProblem& p : result.problems) lines << p.Describe();
  return lines.join(QLatin1Char('\n'));
}

int Rows(const QSqlDatabase& db, const QString& table) {
  return ScalarText(db, QStringLiteral("select count(*) from %1").arg(QuotedName(table))).toInt();
}

const char kBatchHeader[] = "编号,药品批号,数量,生产时间,有效期\n";
}  // namespace

class CsvLoadTest : public QObject {
  Q_OBJECT
  QString dir_;
  Connection store_;

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    dir_ = DataDir();
    store_ = OpenClinicDatabase();
  }
  void cleanup() { store_ = Connection(); }

  void goodFileLoadsTypedValues() {
    const QString goods = WriteFile(dir_, "goods.csv",
                                    "编号,品名,单位,规格,厂商,类别,拼音缩写,售价(元),下限,剂型\r\n"
                                    "1001,\"复方\"\"甘草\"\",片\",瓶,100片,\"江澄药业, 有限公司\",西药,FFGCP,6.50,10,片剂\r\n"
                                    "1002,板蓝根颗粒,袋,10g*20袋,南屏药业,中成药,BLGKL, 12 ,,颗粒剂\r\n");
    LoadResult result = LoadCsvFile(store_.db(), QStringLiteral("药品信息"), goods);
    QVERIFY2(result.ok(), qPrintable(Describe(result)));
    QCOMPARE(result.rows, 2);
    const QSqlDatabase db = store_.db();
    QCOMPARE(ScalarText(db, "select 品名 from 药品信息 where 编号 = ?", {"1001"}), QStringLiteral("复方\"甘草\",片"));
    QCOMPARE(ScalarText(db, "select 厂商 from 药品信息 where 编号 = ?", {"1001"}), QStringLiteral("江澄药业, 有限公司"));
    // Stored as numbers: they add up and compare as numbers, not as text.
    QCOMPARE(ScalarText(db, "select sum(\"售价(元)\") from 药品信息"), QStringLiteral("18.5"));
    QCOMPARE(ScalarText(db, "select count(*) from 药品信息 where 下限 is null"), QStringLiteral("1"));

    const QString batches = WriteFile(dir_, "batches.csv",
                                      QString::fromUtf8(kBatchHeader) + "1001,B-7,12.5,2026-01-31,30\n1001,B-8,3,,\n"
                                      "\uFEFF1001,B-\uFEFF9,\" \uFEFF4\",,0\n");
    result = LoadCsvFile(db, QStringLiteral("药品过期表"), batches);
    QVERIFY2(result.ok(), qPrintable(Describe(result)));
    // A real day: the store's computed expiry counts from it.
    QCOMPARE(ScalarText(db, "select 过期时间 from 药品过期表 where 药品批号 = ?", {"B-7"}), QStringLiteral("2026-03-02"));
    QCOMPARE(ScalarText(db, "select 数量 from 药品过期表 where 药品批号 = ?", {"B-7"}), QStringLiteral("12.5"));
    QCOMPARE(ScalarText(db, "select count(*) from 药品过期表 where 生产时间 is null"), QStringLiteral("2"));
    // Byte-order marks go wherever a sheet left them.
    QCOMPARE(ScalarText(db, "select 数量 from 药品过期表 where 编号 = ? and 药品批号 = ?", {"1001", "B-9"}),
             QStringLiteral("4"));
  }

  void refusalsNameFileLineAndColumn_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("where");  // what the problem must say
    const QString batch = QString::fromUtf8(kBatchHeader);
    QTest::newRow("missing column") << "药品过期表" << "编号,药品批号,数量,生产时间\n1001,B1,1,2026-01-01\n"
                                    << ":1: column 有效期:";
    QTest::newRow("unknown column") << "药品过期表" << "编号,药品批号,数量,生产时间,有效期,产地\n"
                                    << ":1: column 产地:";
    QTest::newRow("computed column") << "药品过期表" << "编号,药品批号,数量,生产时间,有效期,过期时间\n"
                                     << ":1: column 过期时间:";
    QTest::newRow("text in a number") << "药品过期表" << batch + "1001,B1,1,2026-01-01,30\n1001,B2,十,2026-01-01,30\n"
                                      << ":3: column 数量:";
    QTest::newRow("number with a unit") << "药品过期表" << batch + "1001,B1,5盒,2026-01-01,30\n"
                                        << ":2: column 数量:";
    QTest::newRow("day that does not exist") << "药品过期表" << batch + "1001,B1,1,2026-02-30,30\n"
                                             << ":2: column 生产时间:";
    QTest::newRow("day in another form") << "药品过期表" << batch + "1001,B1,1,2026/01/05,30\n"
                                         << ":2: column 生产时间:";
    QTest::newRow("short row") << "药品过期表" << batch + "1001,B1,1,2026-01-01,30\n\n1002,B2,1\n"
                               << ":4: column 生产时间:";
    QTest::newRow("long row") << "药品过期表" << batch + "1001,B1,1,2026-01-01,30,x\n"
                              << ":2: column 6:";
    QTest::newRow("open quote") << "药品过期表" << batch + "1001,\"B1,1,2026-01-01,30\n"
                                << ":2: ";
    QTest::newRow("a table the windows keep") << "患者信息" << "收费类别\n门诊\n" << ": 患者信息 is not";
    QTest::newRow("batch below zero") << "药品过期表" << batch + "1001,B1,-0.5,2026-01-01,30\n" << ":2: column 数量:";
    QTest::newRow("shelf life below zero") << "药品过期表" << batch + "1001,B1,1,2026-01-01,-30\n"
                                           << ":2: column 有效期:";
    QTest::newRow("stock below zero") << "库存" << "编号,数量\n1001,3\n1002,-2\n" << ":3: column 数量:";
    QTest::newRow("stock past the digits") << "库存" << "编号,数量\n1001,99999999999999999999\n" << ":2: column 数量:";
    QTest::newRow("price past the digits") << "入库信息" << "编号,时间,药品批号,数量,单价(元),药品来源,入库人帐号\n"
                                                          "1001,2026-01-01,B1,1,10000000000000,甲,张\n"
                                           << ":2: column 单价(元):";
    QTest::newRow("price below zero") << "药品信息" << "编号,品名,单位,规格,厂商,类别,拼音缩写,售价(元),下限,剂型\n"
                                                      "1001,甘草片,瓶,100片,某厂,西药,GCP,-1.5,10,片剂\n"
                                      << ":2: column 售价(元):";
    QTest::newRow("control character") << "药品过期表" << batch + "1001,\"B\x01\",1,2026-01-01,30\n"
                                       << ":2: column 药品批号:";
    QTest::newRow("direction mark") << "药品过期表" << batch + QString::fromUtf8("1001,B\u202E1,1,2026-01-01,30\n")
                                    << ":2: column 药品批号: holds a control character or an invisible format";
    QTest::newRow("line break in a field") << "药品过期表" << batch + "1001,\"B\n1\",1,2026-01-01,30\n"
                                           << ":2: column 药品批号:";
    QTest::newRow("line past the limit") << "药品过期表"
                                         << batch + "1001," + QString(kLongestRecord, 'x') + ",1,2026-01-01,30\n"
                                         << ":2: the line is longer";
  }

  void refusalsNameFileLineAndColumn() {
    QFETCH(QString, table);
    QFETCH(QString, text);
    QFETCH(QString, where);
    const QSqlDatabase db = store_.db();
    Exec(db, "insert into 药品过期表 (编号, 药品批号, 数量, 生产时间, 有效期) values (?, ?, ?, ?, ?)",
         {"9000", "OLD", 4.0, QDate(2025, 1, 1), 365.0});
    const int before = Rows(db, table);

    const QString path = WriteFile(dir_, "bad.csv", text);
    const LoadResult result = LoadCsvFile(db, table, path);
    QVERIFY(!result.ok());
    QCOMPARE(result.rows, 0);
    const QString described = Describe(result);
    QVERIFY2(described.contains(path + where), qPrintable(described));
    QCOMPARE(Rows(db, table), before);  // the good rows of the file stay out too
    QCOMPARE(ScalarText(db, "select 数量 from 药品过期表 where 药品批号 = ?", {"OLD"}), QStringLiteral("4"));
  }

  void storeRefusalRollsBackEveryFile() {
    // Both rows are well formed, but the goods code is the stock table's key:
    // the second row fails in the store, and the first file goes back too.
    const QString units = WriteFile(dir_, "units.csv", "药品单位\n盒\n瓶\n");
    const QString stock = WriteFile(dir_, "stock.csv", "编号,数量\n1001,5\n1001,7\n");
    const LoadResult result = LoadCsvFiles(store_.db(), {{QStringLiteral("药品单位"), units}, {QStringLiteral("库存"), stock}});
    QVERIFY(!result.ok());
    QVERIFY2(Describe(result).startsWith(stock + QStringLiteral(":3: ")), qPrintable(Describe(result)));
    // Said as a refused row with the engine's words, never as a server.
    QVERIFY2(Describe(result).contains(QStringLiteral("数据库拒绝了这些数据")), qPrintable(Describe(result)));
    QCOMPARE(Rows(store_.db(), QStringLiteral("药品单位")), 0);
    QCOMPARE(Rows(store_.db(), QStringLiteral("库存")), 0);
  }

  void loadedRowsAreReachable() {
    const QString goods = WriteFile(dir_, "goods.csv",
                                    "编号,品名,单位,规格,厂商,类别,拼音缩写,售价(元),下限,剂型\n"
                                    "9001 , 去痛片 ,瓶,,北岭制药厂,西药,,4.5,10,片剂\n");
    LoadResult result = LoadCsvFile(store_.db(), QStringLiteral("药品信息"), goods);
    QVERIFY2(result.ok(), qPrintable(Describe(result)));
    const QSqlDatabase db = store_.db();
    // Blanks around a field are gone: the code is found as typed at a desk.
    QCOMPARE(ScalarText(db, "select 品名 from 药品信息 where 编号 = ?", {"9001"}), QStringLiteral("去痛片"));
    QCOMPARE(ScalarText(db, "select count(*) from 药品信息 where 品名 = ?", {"去痛片"}), QStringLiteral("1"));
    // An empty field is empty text, which every like search still finds.
    QCOMPARE(ScalarText(db, "select count(*) from 药品信息 where 拼音缩写 like ?", {"%"}), QStringLiteral("1"));
    QCOMPARE(ScalarText(db, "select count(*) from 药品信息 where 规格 is null"), QStringLiteral("0"));
    const QString supplies = WriteFile(dir_, "supplies.csv",
                                       "产品名称,时间,数量,单位,单价(元),总价(元),供货商,产地,入库人帐号\n"
                                       "纱布,2024-03-01,10,包,1.5,15,,,admin\n");
    result = LoadCsvFile(db, QStringLiteral("卫材入库历史记录表"), supplies);
    QVERIFY2(result.ok(), qPrintable(Describe(result)));
    QCOMPARE(ScalarText(db, "select count(*) from 卫材入库历史记录表 where 供货商 like ?", {"%"}), QStringLiteral("1"));
  }

  void aRowWithoutItsKeyIsRefused() {
    const QString stock = WriteFile(dir_, "stock.csv", "编号,数量\n1001,5\n  ,7\n");
    const LoadResult result = LoadCsvFile(store_.db(), QStringLiteral("库存"), stock);
    QVERIFY(!result.ok());
    QVERIFY2(Describe(result).contains(stock + ":3: column 编号:"), qPrintable(Describe(result)));
    QCOMPARE(Rows(store_.db(), QStringLiteral("库存")), 0);
  }

  void aRefusedLoadCreatesNothing() {
    store_ = Connection();
    ClinicFixture::Prepare();
    const QString data = DataDir();
    const QString folder = QDir(data).filePath("lists");
    QDir().mkpath(folder);
    WriteFile(folder, "药品单位.csv", "药品单位\n盒\n");
    WriteFile(folder, "库存.csv", "编号,数量\n1001,五\n");
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(RunClinicLoad({data, folder}, out, err), 1);
    if (ClinicFixture::CurrentStore() == "sqlite") {
      // The data folder holds what it held: the list folder, no store.
      QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden), QStringList());
    } else {
      Connection server = OpenPostgres(ClinicConnectionString());
      QCOMPARE(ScalarText(server.db(), "select count(*) from pg_tables where schemaname = current_schema()"),
               QStringLiteral("0"));
    }
    store_ = OpenClinicDatabase();
  }

  void aRefusedLoadLeavesTheFilesOfADeskThatOpenedTheStoreMeanwhile() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("files of the embedded store");
    // The store is idle: its last user closed it, and SQLite took its -wal
    // and -shm away.
    store_ = Connection();
    const QString db = ClinicDatabasePath();
    QVERIFY(!QFile::exists(db + "-wal"));
    // A long load, refused at its last row, and a desk that opens the store
    // while it runs.
    QString text = "编号,数量\n";
    for (int i = 0; i < 300000; ++i) text += QString("%1,1\n").arg(100000 + i);
    const QString stock = WriteFile(dir_, "stock.csv", text + "1002,五\n");
    int loaded = -1;
    std::unique_ptr<QThread> loader(QThread::create([&] {
      QString said;
      QTextStream out(&said), err(&said);
      loaded = RunClinicLoad({dir_, "库存=" + stock}, out, err);
    }));
    loader->start();
    const auto joined = qScopeGuard([&] { loader->wait(); });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(db + "-wal"), 20000);
    Connection desk = OpenClinicStore();
    QCOMPARE(Rows(desk.db(), "药品单位"), 0);
    QVERIFY2(loader->isRunning(), "the load ended before the desk opened the store");
    loader->wait();
    QCOMPARE(loaded, 1);
    QVERIFY(QFile::exists(db + "-wal") && QFile::exists(db + "-shm"));
    // The desk's writes reach every other program.
    ClinicFixture::InsertRow(desk.db(), "药品单位", {{"药品单位", "盒"}});
    QCOMPARE(TestKit::OutsideSqlite(db, "select count(*) from 药品单位"), QString("1"));
  }

  void aLargeFileLoadsInTurnsOfRows() {
    // More rows than one batch, with a refusal in the store far down: the
    // row at fault is named, and nothing stays.
    QString text = "编号,数量\n";
    for (int i = 0; i < 450; ++i) text += QString("%1,%2\n").arg(10000 + i).arg(i);
    text += "10007,1\n";
    const QString stock = WriteFile(dir_, "stock.csv", text);
    LoadResult result = LoadCsvFile(store_.db(), QStringLiteral("库存"), stock);
    QVERIFY(!result.ok());
    QVERIFY2(Describe(result).startsWith(stock + ":452: "), qPrintable(Describe(result)));
    QCOMPARE(Rows(store_.db(), QStringLiteral("库存")), 0);
    text.chop(QString("10007,1\n").size());
    WriteFile(dir_, "stock.csv", text);
    result = LoadCsvFile(store_.db(), QStringLiteral("库存"), stock);
    QVERIFY2(result.ok(), qPrintable(Describe(result)));
    QCOMPARE(result.rows, 450);
    QCOMPARE(ScalarText(store_.db(), "select sum(数量) from 库存"), QStringLiteral("101025"));
  }

  void commandLoadsAFolderOnceAndReportsFaults() {
    const QString folder = QDir(dir_).filePath("lists");
    QDir().mkpath(folder);
    WriteFile(folder, "库存.csv", "编号,数量\n1001,5\n");
    WriteFile(folder, "药品信息.csv",
              "编号,品名,单位,规格,厂商,类别,拼音缩写,售价(元),下限,剂型\n1001,去痛片,瓶,100片,北岭制药厂,西药,QTP,4.5,10,片剂\n");
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(RunClinicLoad({"--only-new", dir_, folder}, out, err), 0);
    QVERIFY2(outText.contains("Loaded 2 rows"), qPrintable(outText + errText));
    // A second run into a store in use loads nothing twice.
    QCOMPARE(RunClinicLoad({"--only-new", dir_, folder}, out, err), 0);
    Connection again = OpenClinicDatabase();
    QCOMPARE(Rows(again.db(), QStringLiteral("库存")), 1);

    // A file of a table the loader does not fill is a fault, not skipped.
    WriteFile(folder, "出库信息.csv", "编号\n1001\n");
    errText.clear();
    QCOMPARE(RunClinicLoad({dir_, folder}, out, err), 1);
    QVERIFY2(errText.contains("出库信息.csv"), qPrintable(errText));
    QCOMPARE(Rows(again.db(), QStringLiteral("库存")), 1);

    QCOMPARE(RunClinicLoad({dir_}, out, err), 2);
    QCOMPARE(RunClinicLoad({dir_, "库存=" + QDir(dir_).filePath("none.csv")}, out, err), 1);
  }
};

BRIMWICK_TEST_MAIN(CsvLoadTest)
#include "csvload.moc"
