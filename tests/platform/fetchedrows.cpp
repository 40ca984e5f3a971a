#include <QHeaderView>
#include <QLabel>
#include <QStyleOptionViewItem>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QTemporaryDir>

#include "db/clinicdb.h"
#include "db/connection.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

// A grid's rows must read back exactly as Qt's driver gives them, however
// they are held, and a result read into a grid is done with.
class FetchedRowsTest : public QObject {
  Q_OBJECT

  Connection store_;

  // Every cell of a query as the driver gives it, row after row.
  QList<QVariantList> driverRows(const QSqlDatabase& db, const QString& sql, QSql::NumericalPrecisionPolicy precision) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(precision);
    if (!query.exec(sql)) QTest::qFail("the statement fails", __FILE__, __LINE__);
    QList<QVariantList> rows;
    while (query.next()) {
      QVariantList row;
      for (int c = 0; c < query.record().count(); ++c) row << query.value(c);
      rows << row;
    }
    return rows;
  }

  void compareWithDriver(const QSqlDatabase& db, const QString& sql, QSql::NumericalPrecisionPolicy precision) {
    const QList<QVariantList> expected = driverRows(db, sql, precision);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(precision);
    QVERIFY(query.exec(sql));
    compareRows(expected, query);
  }

  void compareRows(const QList<QVariantList>& expected, QSqlQuery& query) {
    FetchedModel model;
    model.Load(query);
    QCOMPARE(model.rowCount(), expected.size());
    for (int r = 0; r < expected.size(); ++r) {
      QCOMPARE(model.columnCount(), expected[r].size());
      for (int c = 0; c < expected[r].size(); ++c) {
        const QVariant got = model.Value(r, c), want = expected[r][c];
        const QByteArray where = QStringLiteral("row %1 column %2").arg(r).arg(c).toUtf8();
        QVERIFY2(got.typeId() == want.typeId(), where + " type " + got.typeName() + " != " + want.typeName());
        QVERIFY2(got.isNull() == want.isNull(), where + " null");
        const bool bothNaN = got.typeId() == QMetaType::Double && qIsNaN(got.toDouble()) && qIsNaN(want.toDouble());
        QVERIFY2(got == want || bothNaN, where + " value " + got.toString().toUtf8() + " != " + want.toString().toUtf8());
      }
    }
  }

 private slots:
  // A server's stream is kept from the text the server sends: its rows read
  // back as the driver's own prepared statement gives them, every type the
  // store uses, nulls and bytes, over several blocks, at every precision.
  void aServersStreamReadsAsItsDriverGivesIt() {
    const QString server = qEnvironmentVariable("BRIMWICK_TEST_PG");
    if (server.isEmpty()) QSKIP("no PostgreSQL server named");
    Connection pg = OpenPostgres(server);
    const QSqlDatabase db = pg.db();
    const QString sql =
        "select g, (g % 100)::int2 + ?::int2 as 短, g::int8 * ? - 2000 as 长, (g * 1.115)::numeric(18,2) as 金额, "
        "g / 7.0::float8 as 实, date '2024-02-29' + g as 日, case when g % 5 = 0 then null else '名' || g end as 名, "
        "g % 2 = 0 as 是, case when g % 3 = 0 then null::date else date '2024-01-01' end as 空日, "
        "case when g % 4 = 0 then null::numeric end as 空额, 'NaN'::float8 as 非数, decode('00ff', 'hex') as 字节 "
        "from generate_series(1, ?) g";
    const QVariantList values{1, 3, 1500};
    for (const QSql::NumericalPrecisionPolicy precision :
         {QSql::LowPrecisionDouble, QSql::HighPrecision, QSql::LowPrecisionInt32}) {
      QList<QVariantList> expected;
      {
        QSqlQuery own(db);
        own.setForwardOnly(true);
        own.setNumericalPrecisionPolicy(precision);
        QVERIFY(own.prepare(sql));
        for (const QVariant& v : values) own.addBindValue(v);
        QVERIFY2(own.exec(), qPrintable(own.lastError().text()));
        while (own.next()) {
          QVariantList row;
          for (int c = 0; c < own.record().count(); ++c) row << own.value(c);
          expected << row;
        }
      }
      QSqlQuery streamed = Exec(db, sql, values);
      QVERIFY(streamed.result()->handle().canConvert<TextRow*>());
      streamed.setNumericalPrecisionPolicy(precision);
      compareRows(expected, streamed);
    }
  }

  void init() {
    store_ = Connection(UniqueConnectionName("rows"));
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", store_.name());
    db.setDatabaseName(":memory:");
    QVERIFY(db.open());
    Exec(db, "create table t (id integer primary key, name text, price real, amount numeric(18,2), day date, "
             "picture blob, big integer)");
    Exec(db, "insert into t values (?, ?, ?, ?, ?, ?, ?)",
         {1, QString("阿司匹林 100mg"), 6.7, 12.5, QString("2024-02-29"), QByteArray("\x00\x01\xff", 3),
          qlonglong(9007199254740993LL)});
    // Empty text and blob, a whole number in a real column, a text in a number column.
    Exec(db, "insert into t values (?, ?, ?, ?, ?, ?, ?)",
         {2, QString(""), 10, QString("12.50元"), QString(""), QByteArray(""), -1});
    Exec(db, "insert into t (id) values (3)");
    // A text with a NUL inside, which no bound value may carry in.
    Exec(db, "insert into t values (?, 'a' || char(0) || 'b', ?, ?, ?, ?, ?)",
         {4, -0.1, 0, QString("2024-01-01"), QByteArray("x"), 0});
  }
  void cleanup() { store_ = Connection(); }

  void cellsReadBackAsTheDriverGivesThem() {
    const QString all = "select * from t order by id";
    // Values the statement computes, and a column of mixed kinds.
    const QString computed = "select id * 2, name || '号', price / 3, coalesce(name, price, id), null from t order by id";
    for (const auto& [sql, precision] : {std::pair{all, QSql::LowPrecisionDouble}, std::pair{all, QSql::HighPrecision},
                                         std::pair{computed, QSql::LowPrecisionDouble},
                                         // A policy that turns reals into integers is the driver's to apply.
                                         std::pair{all, QSql::LowPrecisionInt32}}) {
      compareWithDriver(store_.db(), sql, precision);
      if (QTest::currentTestFailed()) return;
    }
  }

  // A server's days, times, small integers and the rest are held each in a
  // kind of its own: every type must come back as the driver gives it, also
  // from rows put away and read back.
  void serverCellsReadBackAsTheDriverGivesThem() {
    if (!ClinicFixture::Stores().contains("postgres")) QSKIP("no PostgreSQL server named");
    ClinicFixture::Prepare("postgres");
    Connection server = OpenClinicDatabase();
    const QSqlDatabase db = server.db();
    Exec(db, "create temporary table t (id int4, name text, code varchar(20), unit char(4), amount numeric(18,2), "
             "price float8, small real, tiny int2, big int8, paid bool, day date, at timestamp, zoned timestamptz, "
             "picture bytea)");
    const int rows = 3 * FetchedRows::kBlockRows;
    Exec(db, "insert into t select n, '阿司匹林' || n, 'A' || n, 'ml', n * 1.25, n / 3.0, n / 8.0, n % 100, "
             "n * 100000000000, n % 2 = 0, date '2024-02-29' + n, timestamp '2024-02-29 08:30:15.25' + n * interval "
             "'1 minute', timestamptz '2024-01-01 00:00:00+08' + n * interval '1 hour', 'x\\000y'::bytea "
             "from generate_series(1, ?) n",
         {rows});
    // Nulls of every type, and the numbers the driver spells apart.
    Exec(db, "insert into t (id) values (0)");
    Exec(db, "insert into t (id, name, amount, price) values (-1, '', 'NaN', '-Infinity')");
    const QString all = "select * from t order by id";
    for (const QSql::NumericalPrecisionPolicy precision :
         {QSql::LowPrecisionDouble, QSql::HighPrecision, QSql::LowPrecisionInt32}) {
      compareWithDriver(db, all, precision);
      if (QTest::currentTestFailed()) return;
    }
  }

  void cellTextsAreThoseShown() {
    QSqlQuery query = Exec(store_.db(), "select name, price, big, day from t where id in (?, ?) order by id", {1, 3});
    FetchedModel model;
    model.Load(query);
    QCOMPARE(model.data(model.index(0, 0)).toString(), QString("阿司匹林 100mg"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QString("6.7"));
    QCOMPARE(model.data(model.index(0, 2)).toString(), QString("9007199254740993"));
    QCOMPARE(model.data(model.index(0, 3)).toString(), QString("2024-02-29"));
    QCOMPARE(model.data(model.index(1, 0)).toString(), QString());
    QVERIFY(!model.Value(2, 0).isValid());
    QVERIFY(!model.Value(0, 4).isValid());
    QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QString("day"));
  }

  // Read to its end, a statement run again would start over: the query must
  // be done with, not hand its first row out a second time.
  void aReadQueryIsFinished() {
    QSqlQuery query = Exec(store_.db(), "select id from t where id > ?", {0});
    FetchedModel model;
    model.Load(query);
    QCOMPARE(model.rowCount(), 4);
    QVERIFY(!query.isActive());
    QVERIFY(!query.next());
  }

  void aNewResultReplacesTheOldWhole() {
    Exec(store_.db(), "create table many (n integer, label text)");
    QSqlDatabase db = store_.db();
    InTransaction(db, [&] {
      for (int n = 0; n < 3000; ++n)
        Exec(store_.db(), "insert into many values (?, ?)", {n, QString("第%1行").arg(n)});
    });
    DataGrid grid;
    QSqlQuery many = Exec(store_.db(), "select n, label from many order by n");
    grid.Open(many);
    QCOMPARE(grid.RecordCount(), 3000);
    QCOMPARE(grid.Model()->Value(2999, 1).toString(), QString("第2999行"));

    QSqlQuery few = Exec(store_.db(), "select label, n from many where n in (?, ?) order by n desc", {7, 3});
    grid.Open(few);
    QCOMPARE(grid.RecordCount(), 2);
    QCOMPARE(grid.Model()->columnCount(), 2);
    QCOMPARE(grid.Cell(0), QString("第7行"));
    QCOMPARE(grid.Model()->Value(1, 0).toString(), QString("第3行"));
    QCOMPARE(grid.Model()->Value(1, 1), QVariant(qlonglong(3)));
    QVERIFY(!grid.Model()->Value(2, 0).isValid());

    // No row still shows the columns; a cleared grid shows nothing.
    QSqlQuery none = Exec(store_.db(), "select n, label, n + 1 from many where n < ?", {0});
    grid.Open(none);
    QCOMPARE(grid.RecordCount(), 0);
    QCOMPARE(grid.Model()->columnCount(), 3);
    QCOMPARE(grid.Cell(0), QString());
    QSqlQuery again = Exec(store_.db(), "select n from many where n >= ? order by n", {2990});
    grid.Open(again);
    QCOMPARE(grid.RecordCount(), 10);
    QCOMPARE(grid.Cell(0), QString("2990"));
    grid.Clear();
    QCOMPARE(grid.RecordCount(), 0);
    QCOMPARE(grid.Model()->columnCount(), 0);
  }

  // Columns fit their titles and the cells on screen exactly as the grid's
  // delegate measures them; a width of 0 still hides its column.
  void columnsFitTheirTitlesAndCellsAsPainted() {
    Exec(store_.db(), "create table widths (a text, b text, c text, d text)");
    // Trailing spaces take no room in a cell as painted.
    const QList<QVariantList> rows = {
        {QString("阿司匹林肠溶片 100mg×30"), QString("12.50"), QString("x"), QString("hidden all the same")},
        {QString("W"), QString("1              "), QString(), QString("")},
        {QString("iiii lll"), QString(), QString("                    "), QString("a")}};
    for (const QVariantList& row : rows) Exec(store_.db(), "insert into widths values (?, ?, ?, ?)", row);
    Exec(store_.db(), "insert into widths values ('i', '2', '第一行长一些的说明' || char(10) || '二', 'b')");
    struct MeasuredGrid : DataGrid {
      QStyleOptionViewItem Option() {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        return option;
      }
    } grid;
    grid.resize(600, 300);
    QSqlQuery query = Exec(store_.db(), "select a as 品名, b, c, d from widths");
    grid.Open(query, {1, 1, 1, 0});
    const QStyleOptionViewItem option = grid.Option();
    QVERIFY(grid.isColumnHidden(3));
    for (int c = 0; c < 3; ++c) {
      int want = grid.horizontalHeader()->sectionSizeHint(c);
      for (int r = 0; r < grid.model()->rowCount(); ++r) {
        const QModelIndex index = grid.model()->index(r, c);
        want = qMax(want, grid.itemDelegate()->sizeHint(option, index).width() + 1);
      }
      QCOMPARE(grid.columnWidth(c), want);
    }
  }

  // A connection keeps its statements prepared between runs: none runs again
  // under a grid still reading it, none kept holds the connection to the rows
  // it once saw, and one whose table changed or whose connection was opened
  // again reads what is there now.
  void aStatementKeptPreparedDisturbsNoReader() {
    QTemporaryDir folder;
    Connection desk(UniqueConnectionName("kept")), other(UniqueConnectionName("kept"));
    for (const Connection* c : {&desk, &other}) {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", c->name());
      db.setDatabaseName(folder.filePath("kept.db"));
      QVERIFY(db.open());
    }
    QSqlDatabase db = desk.db();
    Exec(db, "pragma journal_mode = wal");
    Exec(db, "create table n (k integer, v text)");
    InTransaction(db, [&] {
      for (int k = 0; k < 2000; ++k) Exec(db, "insert into n values (?, ?)", {k, QString("v%1").arg(k)});
    });
    const QString from = "select k, v from n where k >= ? order by k";
    DataGrid grid;
    QSqlQuery first = Exec(db, from, {0});
    const QSqlResult* prepared = first.result();
    grid.Open(first);
    QVERIFY(grid.Model()->Pending());
    QCOMPARE(ReadRows(db, from, {1990}).size(), 10);
    QCOMPARE(ScalarText(db, from, {5}), QString("5"));
    QCOMPARE(grid.RecordCount(), 2000);
    QCOMPARE(grid.Model()->Value(1999, 1).toString(), QString("v1999"));
    QCOMPARE(ReadRows(db, from, {1998}).value(1).value(1).toString(), QString("v1999"));
    QSqlQuery again = Exec(db, from, {1000});
    QCOMPARE(again.result(), prepared);
    grid.Open(again);
    QCOMPARE(grid.RecordCount(), 1000);
    QCOMPARE(grid.Cell(1), QString("v1000"));

    // Read in part, then another desk writes: the next statement sees it.
    const QString values = "select v from n where k >= ? order by k";
    QCOMPARE(ScalarText(db, values, {5}), QString("v5"));
    QCOMPARE(ExecCount(other.db(), "update n set v = ? where k = ?", {QString("changed"), 5}), 1);
    QCOMPARE(ScalarText(db, "select v from n where k = ?", {5}), QString("changed"));
    QCOMPARE(ScalarText(db, values, {5}), QString("changed"));

    const QString all = "select * from n where k = ?";
    QCOMPARE(ReadRows(db, all, {7}).value(0).size(), 2);
    Exec(db, "drop table n");
    Exec(db, "create table n (k integer, v text, w text)");
    Exec(db, "insert into n values (?, ?, ?)", {7, QString("seven"), QString("new")});
    QCOMPARE(ReadRows(db, all, {7}), (QList<QVariantList>{{qlonglong(7), QString("seven"), QString("new")}}));
    db.close();
    QVERIFY(db.open());
    QCOMPARE(ReadRows(db, all, {7}).value(0).value(2).toString(), QString("new"));
  }

  // A long result keeps a few blocks in memory whatever its length; the
  // rest read back exactly, in any order, however they were read.
  void aLongResultHoldsOnlyTheRowsLookedAt() {
    const int rows = 40 * FetchedRows::kBlockRows;
    Exec(store_.db(), "create table many (n integer, label text, price real)");
    QSqlDatabase db = store_.db();
    InTransaction(db, [&] {
      for (int n = 0; n < rows; ++n)
        Exec(store_.db(), "insert into many values (?, ?, ?)", {n, QString("第%1行").arg(n), n / 4.0});
    });
    // Straight from the statement, and through the driver (whole numbers
    // for reals, which it streams with their type).
    for (const QSql::NumericalPrecisionPolicy precision : {QSql::LowPrecisionDouble, QSql::LowPrecisionInt32}) {
      QSqlQuery query(store_.db());
      query.setForwardOnly(true);
      query.setNumericalPrecisionPolicy(precision);
      QVERIFY(query.exec("select n, label, price from many order by n"));
      FetchedModel model;
      model.Load(query, 256);
      QCOMPARE(model.rowCount(), 256);
      // The rest is read while the program waits, and the views hear of it all.
      QTRY_VERIFY(!model.Pending());
      QCOMPARE(model.rowCount(), rows);
      QCOMPARE(model.RecordCount(), rows);
      for (const int row : {rows - 1, 0, rows / 2, 1, rows - FetchedRows::kBlockRows, 7777, 3, rows / 3}) {
        QCOMPARE(model.Value(row, 0).toLongLong(), qlonglong(row));
        QCOMPARE(model.Value(row, 1).toString(), QString("第%1行").arg(row));
        if (precision == QSql::LowPrecisionInt32) QCOMPARE(model.Value(row, 2), QVariant(int(row / 4.0)));
        else QCOMPARE(model.Value(row, 2), QVariant(row / 4.0));
      }
      for (int row = 0; row < rows; row += 97) QCOMPARE(model.Value(row, 1).toString(), QString("第%1行").arg(row));
      const qint64 held = model.Rows().HeldBytes();
      QVERIFY2(held < 2 * FetchedRows::kHeldBlocks * FetchedRows::kBlockRows * 80, QByteArray::number(held));
      QVERIFY(model.Rows().PutAwayBytes() > 3 * held);
    }
  }

  // A step that fails part way (here a value that overflows at row 600,
  // both straight from the statement and through the driver) is never the
  // end of the rows: read whole it raises, and a grid keeps the rows it
  // has, says so, and gives none of them to a total.
  void aStepThatFailsIsNeverTheEndOfTheRows() {
    const QString failing = "with recursive s(n) as (select 1 union all select n + 1 from s where n < 2000) "
                            "select n, case when n = 600 then abs(-9223372036854775807 - 1) else n end from s";
    QVERIFY_THROWS_EXCEPTION(DbError, ReadAll(store_.db(), failing));
    QSqlQuery whole = Exec(store_.db(), failing);
    FetchedRows rows;
    QVERIFY_THROWS_EXCEPTION(DbError, rows.Read(whole));
    for (const QSql::NumericalPrecisionPolicy precision : {QSql::LowPrecisionDouble, QSql::LowPrecisionInt32}) {
      QSqlQuery query(store_.db());
      query.setForwardOnly(true);
      query.setNumericalPrecisionPolicy(precision);
      QVERIFY(query.exec(failing));
      DataGrid grid;
      grid.Open(query);
      grid.Model()->FetchAll();
      QVERIFY(grid.Model()->Broken());
      QCOMPARE(grid.Model()->rowCount(), 599);
      const auto* notice = grid.findChild<QLabel*>("incompleteNotice");
      QVERIFY(notice && !notice->isHidden() && notice->text().startsWith("列表不完整：只读到前 599 行"));
      QVERIFY(notice->text().contains("integer overflow"));
      QCOMPARE(grid.RecordCount(), 599);
      QVERIFY_THROWS_EXCEPTION(DbError, grid.Model()->Value(599, 0));
      QCOMPARE(grid.Model()->Value(598, 0).toInt(), 599);
    }
  }
};

BRIMWICK_TEST_MAIN(FetchedRowsTest)
#include "fetchedrows.moc"
