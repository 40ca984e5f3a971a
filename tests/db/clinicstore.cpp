// The clinic store on both engines: its tables and their column orders, the
// computed columns, the positional copies the desks rely on, date windows,
// and values that are only ever text.
#include <QElapsedTimer>
#include <QScopeGuard>
#include <csignal>
#include <sqlite3.h>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskstatements.h"
#include "frontdesk/todayfees.h"
#include "platform/grid.h"
#include "reports/cashincome.h"
#include "reports/crosstable.h"
#include "reports/cwzhbb.h"
#include "reports/commission.h"
#include "reports/hzxibb.h"
#include "reports/issuepurge.h"
#include "reports/reconciliationsums.h"
#include "reports/ypckbb.h"
#include "reports/yyhzbb.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "support/throwawayserver.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

class ClinicStoreTest : public QObject {
  Q_OBJECT

  static QString ErrorText(const std::function<void()>& work) { return ClinicFixture::ThrownBy(work).text(); }

  // The first row's cells as the grids show them, joined by "|".
  static QString FirstRow(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery query = Exec(db, sql);
    if (!query.next()) return QString();
    QStringList cells;
    for (int i = 0; i < query.record().count(); ++i) cells << CellText(query.value(i));
    return cells.join('|');
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() { ClinicFixture::Prepare(); }

  void everyTableIsMadeWithItsColumnsInOrder() {
    Connection c = OpenClinicDatabase();
    for (const ClinicTable& table : ClinicTables()) {
      QStringList described;
      for (const ClinicColumn& column : table.columns) described << column.name;
      QCOMPARE(ClinicFixture::ColumnNames(c.db(), table.name), described);
    }
  }

  // Every table under the names the desks' statements use, character for
  // character. The desks copy rows by position and show some tables with
  // select *, so the order counts too (服务信息 is 服务信息临时表 copied
  // whole, then its own row id).
  void everyTableHasItsNamesInOrder() {
    Connection c = OpenClinicDatabase();
    const QString listing = QString::fromUtf8(R"~(
药品信息: 编号, 品名, 单位, 规格, 厂商, 类别, 拼音缩写, 售价(元), 下限, 剂型
药品类别: 药品类别
药品剂型: 剂型
服务人: 姓名, 职务
药品单位: 药品单位
药品来源: 药品来源
服务项目: 拼音缩写, 服务项目, 项目单价(元), 行号
比例分配表: 拼音缩写, 项目, 医生比例, 服务人比例
库存: 编号, 数量
药品过期表: 编号, 药品批号, 数量, 生产时间, 有效期, 过期时间
入库信息: 编号, 时间, 药品批号, 数量, 单价(元), 总价(元), 药品来源, 入库人帐号, 行号
收银信息: 收费类别, 流水号, 姓名, 时间, 药费(元), 服务费(元), 划价人帐号
临时出库信息: 流水号, 编号, 时间, 数量, 单价(元), 开方医师, 划价人帐号, 收银标志, 收费类别, 收银人帐号, 出库人帐号, 总价(元)
出库患者信息: 姓名, 流水号, 时间, 划价人帐号, 收银人帐号
服务信息临时表: 服务类别, 流水号, 时间, 服务费(元), 开方医师, 服务人, 划价人帐号, 收费类别
服务信息: 服务类别, 流水号, 时间, 服务费(元), 开方医师, 服务人, 划价人帐号, 收费类别, 行号
患者信息: 收费类别, 流水号, 姓名, 时间, 药费(元), 服务费(元), 划价人帐号, 收银人帐号, 收入金额(元)
出库信息: 流水号, 编号, 时间, 数量, 单价(元), 出库人帐号, 划价人帐号, 收银人帐号, 开方医师, 收费类别, 总价(元)
退药临时信息: 编号, 开药时间, 退药时间, 数量, 单价(元), 批号, 操作人帐号, 流水号, 划价人帐号, 总价(元)
退药信息: 编号, 开药时间, 退药时间, 数量, 单价(元), 批号, 操作人帐号, 流水号, 划价人帐号, 总价(元)
服务费退还临时信息: 服务类别, 流水号, 服务时间, 退还时间, 服务费(元), 开方医师, 服务人, 划价人帐号, 退还人帐号
服务费退还信息: 服务类别, 流水号, 服务时间, 退还时间, 服务费(元), 开方医师, 服务人, 退还人帐号, 划价人帐号
临时反库信息: 编号, 入库时间, 返库时间, 药品批号, 数量, 单价(元), 售价(元), 药品来源, 反库人帐号, 入库人帐号, 返库原因, 总价(元)
药品反库信息: 编号, 入库时间, 返库时间, 药品批号, 数量, 单价(元), 售价(元), 药品来源, 入库人帐号, 反库人帐号, 返库原因, 总价(元), 零售金额
药品报损临时信息: 编号, 入库时间, 报损时间, 药品批号, 数量, 单价(元), 报损零售价(元), 药品来源, 报损人帐号, 入库人帐号, 报损原因, 总价(元)
药品报损信息: 编号, 入库时间, 报损时间, 药品批号, 数量, 单价(元), 报损零售价(元), 药品来源, 入库人帐号, 报损人帐号, 报损原因, 总价(元), 报损总价
入院信息表: 拼音缩写, 姓名, 性别, 年龄, 合作医疗证号, 住址
住院患者押金表: 姓名, 时间, 收费类别, 金额, 操作人帐号
住院患者药品统计表: 编号, 开药时间, 数量, 单价(元), 流水号, 划价人帐号, 开方医师, 总价(元)
住院患者服务统计表: 服务类别, 服务时间, 服务费(元), 开方医师, 服务人, 划价人帐号
医生药品提成统计表: 服务项目, 总金额, 提成比例, 提成金额, 开方医师, 统计人
医生处方提成统计表: 服务项目, 服务数目, 总金额, 提成比例, 提成金额, 开方医师, 统计人
服务费提成统计表: 服务项目, 服务数目, 总金额, 提成比例, 提成金额, 服务人, 统计人
财务综合报表: 时间, 药品利润(元), 服务项目利润(元), 本月购药金额(元), 耗材金额(元), 本月库存金额(元), 本月库存零售金额(元)
卫材入库历史记录表: 产品名称, 时间, 数量, 单位, 单价(元), 总价(元), 供货商, 产地, 入库人帐号
卫材出库表: 产品名称, 时间, 数量, 单位, 单价(元), 售价(元), 进货金额(元), 零售金额(元), 利润金额(元), 总价(元), 供货商, 产地, 领取人
时间表: 时间
流水号计数: 划价人帐号, 流水号
)~");
    QStringList tables;
    for (const QString& line : listing.split('\n', Qt::SkipEmptyParts)) {
      const QString table = line.section(": ", 0, 0);
      tables << table;
      QCOMPARE(ClinicFixture::ColumnNames(c.db(), table), line.section(": ", 1).split(", "));
    }
    QStringList made;
    for (const ClinicTable& table : ClinicTables()) made << table.name;
    QCOMPARE(made, tables);
  }

  void reopeningKeepsTheRowsAndMakesNothingTwice() {
    {
      Connection c = OpenClinicDatabase();
      InsertRow(c.db(), "库存", {{"编号", "00001"}, {"数量", 5}});
    }
    Connection again = OpenClinicDatabase();
    CreateClinicSchema(again.db());
    QCOMPARE(TableRows(again.db(), "库存"), QStringList{"00001|5"});
  }

  void missingTablesAreMadeOnOpening() {
    {
      Connection c = OpenClinicDatabase();
      InsertRow(c.db(), "时间表", {{"时间", "2024-03-01"}});
      ExecDirect(c.db(), "drop table 出库信息");
    }
    Connection c = OpenClinicDatabase();
    QCOMPARE(ClinicFixture::ColumnNames(c.db(), "出库信息").size(), 11);
    QCOMPARE(TableRows(c.db(), "时间表"), QStringList{"2024-03-01"});
  }

  // A store made before the reports' indexes gets them when it opens, and
  // loses those they replace, which the planner would still pick or every
  // dispensed line would still write; a new store never has them.
  void indexesOfAnEarlierStoreAreMadeOnOpening() {
    const auto indexes = [](const QSqlDatabase& db) {
      QStringList names;
      for (const QVariantList& row :
           ReadAll(db, IsPostgres(db) ? "select indexname from pg_indexes where schemaname = current_schema()"
                                      : "select name from sqlite_master where type = 'index'"))
        names << row.value(0).toString();
      return names;
    };
    // The indexes an earlier store had, as it had them.
    const QStringList earlier{"服务信息_i5 on 服务信息 (服务类别, 时间)", "出库信息_i2 on 出库信息 (编号)",
                              "出库信息_i3 on 出库信息 (时间)", "出库信息_i4 on 出库信息 (开方医师, 时间)",
                              "出库信息_i5 on 出库信息 (数量)", "出库信息_收费时间 on 出库信息 (收费类别, 时间)",
                              "患者信息_i3 on 患者信息 (\"收入金额(元)\")", "药品过期表_i5 on 药品过期表 (数量)",
                              "入库信息_i3 on 入库信息 (数量)", "临时出库信息_i3 on 临时出库信息 (时间)",
                              "退药临时信息_i3 on 退药临时信息 (开药时间)",
                              "出库信息_时间 on 出库信息 (时间, 收费类别, 数量, \"单价(元)\")",
                              "出库信息_划价时间 on 出库信息 (划价人帐号, 时间, 编号, 数量, \"单价(元)\")",
                              "出库信息_时间流水 on 出库信息 (时间, 收费类别, 流水号, 数量, \"单价(元)\")",
                              "患者信息_类别时间 on 患者信息 (收费类别, 时间, \"药费(元)\", \"服务费(元)\")"};
    {
      Connection c = OpenClinicDatabase();
      ExecDirect(c.db(), "drop index \"出库信息_编号时间\"");
      ExecDirect(c.db(), "drop index \"患者信息_类别时间收入\"");
      ExecDirect(c.db(), "drop index \"出库信息_编号收费时间\"");
      ExecDirect(c.db(), "drop index \"出库信息_空行\"");
      ExecDirect(c.db(), "drop index \"药品过期表_空量\"");
      QVERIFY(!indexes(c.db()).contains("出库信息_i2"));
      for (const QString& index : earlier) ExecDirect(c.db(), "create index " + index);
    }
    Connection c = OpenClinicDatabase();
    const QStringList names = indexes(c.db());
    for (const char* made : {"出库信息_编号时间", "患者信息_类别时间收入", "出库信息_空行", "患者信息_零收入",
                             "药品过期表_空量", "出库信息_编号收费时间", "出库信息_划价时间流水"})
      QVERIFY2(names.contains(made), made);
    for (const QString& index : earlier) QVERIFY2(!names.contains(index.section(' ', 0, 0)), qPrintable(index));
    // The indexes numbered after the one given up keep their names.
    QVERIFY(names.contains("患者信息_i2"));
    QVERIFY(names.contains("出库信息_i1"));
  }

  // The reports' long sums read the index each was written for: the
  // planner's own pick reads the table or sorts a year of lines (five to
  // fifteen times slower), and a later index must not undo that. The
  // front desk's largest serial keeps the visit key, not the wider
  // account-and-day index that the reports added.
  void slowStatementsReadTheirOwnIndexes() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    if (IsPostgres(db)) QSKIP("SQLite plans only");
    const auto plan = [&](const QString& sql) {
      QStringList lines;
      for (const QVariantList& row : ReadAll(db, "explain query plan " + sql, QVariantList(sql.count('?'), "x")))
        lines << row.value(3).toString();
      return lines.join(" / ");
    };
    const QString like = LikeOperator(db);
    const QVariantList everything{"x", "x", "%", "%", "%", "%", "%%"};
    const QList<std::pair<QString, QStringList>> expected{
        {kSheetMedicineOfCategory, {"药品信息_类别编号", "出库信息_编号收费时间 (编号=? AND 收费类别=? AND 时间>? AND 时间<?)"}},
        {kSheetServiceOfItem, {"服务信息_类别收费时间"}},
        {kPeriodIncomeByCashier, {"患者信息_收银时间"}},
        {kPeriodIncomeByPricingAccount, {"患者信息_划价时间"}},
        {kPeriodMedicineOfPricingAccount, {"出库信息_划价时间流水"}},
        {IssueStatement(kSelectIssueSummary, like, everything).sql, {"出库信息_编号时间"}},
        {IssueStatement(kSumIssues, like, everything).sql, {"出库信息_编号时间"}},
        {CrossTableSql::kSumServicesByDoctor, {"服务信息_类别医师时间"}},
        {CrossTableSql::kSumServicesByPerformer, {"服务信息_类别服务人时间"}},
        {CrossTableSql::kSumMedicineByDoctor, {"药品信息_类别编号", "出库信息_医师编号时间"}},
        {CommissionSql::kInsertMedicine, {"COVERING INDEX 出库信息_医师编号时间"}},
        {CommissionSql::kSumMedicineSold, {"COVERING INDEX 出库信息_医师编号时间"}},
        {kFinanceMedicinePrescribed, {"COVERING INDEX 出库信息_医师编号时间"}},
        {kDeleteEmptyIssueLines, {"出库信息_空行"}},
        {kPurgeVisitsWithoutIncome, {"患者信息_零收入"}},
        {"select rowid from 药品过期表 where " + kEmptyQuantity, {"药品过期表_空量"}},
        {"select rowid from 入库信息 where " + kEmptyQuantity, {"入库信息_空量"}},
        {kFinanceIncomeByDay, {"患者信息_类别时间收入"}},
        {kSelectVisits.arg(like), {"患者信息_类别时间收入"}},
        {kSumCategory, {"患者信息_类别时间收入 (收费类别=? AND 时间>? AND 时间<?)"}},
        {kCountCategory, {"COVERING INDEX 患者信息_类别时间收入"}},
    };
    for (const auto& [sql, names] : expected)
      for (const QString& name : names) QVERIFY2(plan(sql).contains(name), qPrintable(sql + " : " + plan(sql)));
    QStringList sums;
    for (const ReconciliationStatement& s : ReconciliationStatements(QDate(2024, 1, 1), QDate(2024, 12, 31),
                                                                     CashierOrder::ByCashier))
      sums << plan(s.sql);
    for (const char* name : {"患者信息_收银时间", "患者信息_类别时间收入", "出库信息_编号收费时间",
                             "服务信息_类别收费时间"})
      QVERIFY2(sums.join(" | ").contains(QString::fromUtf8(name)), name);
    const QString serial = plan(DeskStatements::kLargestSerial);
    QVERIFY2(!serial.contains("时间"), qPrintable(serial));
  }

  // The visits' income is stored, and the category's index holds it: the
  // sums by category take it from there and never seek the visit's row
  // (a year of them read a year of rows from the table).
  void incomeSumsNeverReadTheVisitRows() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    if (IsPostgres(db)) QSKIP("SQLite plans only");
    const QString table = ScalarText(db, "select rootpage from sqlite_master where type = 'table' and name = '患者信息'");
    QStringList statements{kSumCategory, kFinanceIncomeByDay, kFinanceIncomeOfCategory};
    for (const ReconciliationStatement& s : ReconciliationStatements(QDate(2024, 1, 1), QDate(2024, 12, 31),
                                                                     CashierOrder::ByCashier))
      if (s.sql.contains("患者信息_类别时间收入")) statements << s.sql;
    QCOMPARE(statements.size(), 7);
    const QStringList readsTheRow{"Column", "SeekRowid", "NotExists"};
    for (const QString& sql : statements) {
      const QList<QVariantList> program = ReadAll(db, "explain " + sql, QVariantList(sql.count('?'), "x"));
      QString cursor;
      for (const QVariantList& step : program)
        if (step[1].toString() == "OpenRead" && step[3].toString() == table) cursor = step[2].toString();
      QVERIFY2(!cursor.isEmpty(), qPrintable(sql));
      for (const QVariantList& step : program)
        QVERIFY2(step[2].toString() != cursor || !readsTheRow.contains(step[1].toString()),
                 qPrintable(sql + " : " + step[1].toString()));
    }
  }

  // The desks compare these columns with values ("数量 > ?" for a batch with
  // stock); a purge index's condition of the same form would have SQLite
  // prepare each such statement again at every run, to see whether the
  // value bound makes the index apply (a third of a dispensing's batch
  // reads went that way).
  void comparisonsWithValuesArePreparedOnce() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    if (IsPostgres(db)) QSKIP("SQLite plans only");
    sqlite3* handle = *static_cast<sqlite3* const*>(db.driver()->handle().constData());
    int checked = 0;
    for (const ClinicTable& table : ClinicTables())
      for (const ClinicTable::NamedIndex& index : table.namedIndexes) {
        if (index.condition.isEmpty()) continue;
        for (const char* op : {"<", "<=", ">", ">="}) {
          const QByteArray sql = QStringLiteral("select count(*) from %1 where %2 %3 ?")
                                     .arg(QuotedName(table.name), QuotedName(index.columns[0]), QString(op))
                                     .toUtf8();
          sqlite3_stmt* statement = nullptr;
          QCOMPARE(sqlite3_prepare_v2(handle, sql.constData(), -1, &statement, nullptr), SQLITE_OK);
          sqlite3_bind_double(statement, 1, kQuantityTolerance);
          const int stepped = sqlite3_step(statement);
          const int prepared = sqlite3_stmt_status(statement, SQLITE_STMTSTATUS_REPREPARE, 0);
          sqlite3_finalize(statement);
          QCOMPARE(stepped, SQLITE_ROW);
          QVERIFY2(prepared == 0, sql.constData());
          ++checked;
        }
      }
    QCOMPARE(checked, 16);
  }

  // The purges' indexes are empty most of the time; the statistics
  // refresh at each day close must not take their tables for tables never
  // analyzed and analyze the whole history again.
  void statisticsRefreshLeavesNothingToAnalyze() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    if (IsPostgres(db)) QSKIP("SQLite statistics only");
    for (int i = 0; i < 40; ++i) {
      InsertRow(db, "出库信息", {{"流水号", i}, {"编号", QString::number(i % 4)}, {"时间", "2024-03-01"}, {"数量", 1}});
      InsertRow(db, "患者信息", {{"流水号", i}, {"时间", "2024-03-01"}, {"药费(元)", 2}, {"服务费(元)", 0}});
    }
    ExecDirect(db, "analyze");
    RefreshPlannerStatistics(db);
    ReadAll(db, "select count(*) from 出库信息 where 编号 = ? and 时间 = ?", {"1", "2024-03-01"});
    ReadAll(db, "select count(*) from 患者信息 where 收费类别 = ? and 时间 = ?", {"门诊", "2024-03-01"});
    QCOMPARE(ReadAll(db, "pragma optimize(3)"), QList<QVariantList>());
    // A store without one of them gets no row for it: SQLite would read it
    // as its table's row count.
    ExecDirect(db, "drop index \"出库信息_空行\"");
    ExecDirect(db, "analyze 出库信息");
    RefreshPlannerStatistics(db);
    QCOMPARE(ScalarText(db, "select count(*) from sqlite_stat1 where idx = '出库信息_空行'"), QString("0"));
  }

  void oneStockRowPerCode() {
    Connection c = OpenClinicDatabase();
    InsertRow(c.db(), "库存", {{"编号", "00001"}, {"数量", 5}});
    QVERIFY_THROWS_EXCEPTION(DbError, InsertRow(c.db(), "库存", {{"编号", "00001"}, {"数量", 1}}));
  }

  // The names the desks find rows by are held once, blanks around them
  // aside, and a plain select still reads a list in the order it was kept.
  void listNamesAreUniqueAndKeepTheirOrder() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    for (const char* unit : {"瓶", "盒", "包"}) InsertRow(db, "药品单位", {{"药品单位", unit}});
    QVERIFY_THROWS_EXCEPTION(DbError, InsertRow(db, "药品单位", {{"药品单位", " 盒 "}}));
    QStringList units;
    for (const QVariantList& row : ReadAll(db, "select 药品单位 from 药品单位")) units << row[0].toString();
    QCOMPARE(units, (QStringList{"瓶", "盒", "包"}));
    const QList<QPair<QString, QString>> keys{
        {"药品来源", "药品来源"}, {"服务项目", "服务项目"}, {"比例分配表", "项目"}, {"入院信息表", "姓名"}};
    for (const auto& [table, column] : keys) {
      InsertRow(db, table, {{column, "甲"}});
      QVERIFY_THROWS_EXCEPTION(DbError, InsertRow(db, table, {{column, "甲 "}}));
    }
  }

  void computedColumnsFollowTheirFormulas() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    InsertRow(db, "入库信息", {{"编号", "1"}, {"时间", "2024-01-02"}, {"数量", 4}, {"单价(元)", 2.5}});
    QCOMPARE(ScalarText(db, R"~(select "总价(元)" from 入库信息)~"), QString("10"));
    // A quantity sent as text is stored as a number and adds up.
    InsertRow(db, "临时出库信息", {{"流水号", 1}, {"编号", "1"}, {"数量", "2"}, {"单价(元)", "1.5"}});
    Exec(db, "update 临时出库信息 set 数量 = 数量 + ? where 编号 = ?", {"3", "1"});
    QCOMPARE(FirstRow(db, R"~(select 数量, "总价(元)" from 临时出库信息)~"), QString("5|7.5"));
    InsertRow(db, "患者信息", {{"流水号", 1}, {"药费(元)", 12.5}, {"服务费(元)", 3}});
    QCOMPARE(ScalarText(db, R"~(select "收入金额(元)" from 患者信息)~"), QString("15.5"));
    InsertRow(db, "医生药品提成统计表", {{"服务项目", "西药"}, {"总金额", 250}, {"提成比例", 12}});
    QCOMPARE(ScalarText(db, "select 提成金额 from 医生药品提成统计表"), QString("30"));
    InsertRow(db, "服务费提成统计表", {{"服务项目", "注射"}, {"服务数目", 2}, {"总金额", 40}, {"提成比例", 5}});
    QCOMPARE(ScalarText(db, "select 提成金额 from 服务费提成统计表"), QString("2"));
    InsertRow(db, "药品反库信息", {{"编号", "1"}, {"数量", 3}, {"单价(元)", 2}, {"售价(元)", 2.5}});
    QCOMPARE(FirstRow(db, R"~(select "总价(元)", 零售金额 from 药品反库信息)~"), QString("6|7.5"));
    InsertRow(db, "药品报损信息", {{"编号", "1"}, {"数量", 2}, {"单价(元)", 1.25}, {"报损零售价(元)", 4}});
    QCOMPARE(FirstRow(db, R"~(select "总价(元)", 报损总价 from 药品报损信息)~"), QString("2.5|8"));
    InsertRow(db, "退药信息", {{"编号", "1"}, {"数量", 2}, {"单价(元)", 0.5}});
    QCOMPARE(ScalarText(db, R"~(select "总价(元)" from 退药信息)~"), QString("1"));
    // Changing a factor changes the product.
    Exec(db, "update 入库信息 set 数量 = ?", {1});
    QCOMPARE(ScalarText(db, R"~(select "总价(元)" from 入库信息)~"), QString("2.5"));
  }

  void expiryDayIsTheMakingDayPlusTheShelfLife() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    InsertRow(db, "药品过期表", {{"编号", "a"}, {"药品批号", "1"}, {"生产时间", "2024-01-30"}, {"有效期", 30}});
    InsertRow(db, "药品过期表", {{"编号", "b"}, {"药品批号", "1"}, {"生产时间", "2023-12-31"}, {"有效期", 366}});
    InsertRow(db, "药品过期表", {{"编号", "c"}, {"药品批号", "1"}, {"生产时间", "2024-03-01"}, {"有效期", 0}});
    InsertRow(db, "药品过期表", {{"编号", "d"}, {"药品批号", "1"}, {"生产时间", "2024-03-01"}, {"有效期", 2.9}});
    const auto expiry = [&](const char* code) {
      return ScalarText(db, "select 过期时间 from 药品过期表 where 编号 = ?", {code});
    };
    QCOMPARE(expiry("a"), QString("2024-02-29"));
    QCOMPARE(expiry("b"), QString("2024-12-31"));
    QCOMPARE(expiry("c"), QString("2024-03-01"));
    QCOMPARE(expiry("d"), QString("2024-03-03"));
    // The expiry warning compares it with a bound day.
    QCOMPARE(ScalarText(db, "select count(*) from 药品过期表 where 过期时间 <= ?", {"2024-03-01"}), QString("2"));
  }

  void computedColumnsCannotBeWritten() {
    Connection c = OpenClinicDatabase();
    QVERIFY_THROWS_EXCEPTION(DbError, InsertRow(c.db(), "出库信息", {{"流水号", 1}, {"总价(元)", 9}}));
  }

  // The dispensing desk copies priced lines by position; the cashier copies
  // the service lines whole.
  void positionalCopiesLandInTheirColumns() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    const VisitKey visit{7, "acc"};
    InsertRow(db, "临时出库信息",
              {{"流水号", 7}, {"编号", "00012"}, {"时间", "2024-05-06"}, {"数量", 3}, {"单价(元)", 2},
               {"开方医师", "李医生"}, {"划价人帐号", "acc"}, {"收银标志", "是"}, {"收费类别", "门诊"},
               {"收银人帐号", "王收银"}, {"出库人帐号", "赵药房"}});
    Exec(db,
         R"~(insert into 出库信息 select 流水号, 编号, 时间, 数量, "单价(元)", 出库人帐号, 划价人帐号, 收银人帐号, )~"
         R"~(开方医师, 收费类别 from 临时出库信息 where )~" + VisitKey::Condition(),
         visit.Values());
    QCOMPARE(TableRows(db, "出库信息"), QStringList{"7|00012|2024-05-06|3|2|赵药房|acc|王收银|李医生|门诊|6"});

    InsertRow(db, "服务信息临时表",
              {{"服务类别", "注射"}, {"流水号", 7}, {"时间", "2024-05-06"}, {"服务费(元)", 5}, {"开方医师", "李医生"},
               {"服务人", "护士甲"}, {"划价人帐号", "acc"}, {"收费类别", "门诊"}});
    InsertRow(db, "服务信息临时表",
              {{"服务类别", "注射"}, {"流水号", 7}, {"时间", "2024-05-06"}, {"服务费(元)", 5}, {"开方医师", "李医生"},
               {"服务人", "护士甲"}, {"划价人帐号", "acc"}, {"收费类别", "门诊"}});
    const QString lines = "服务类别, 流水号, 时间, \"服务费(元)\", 开方医师, 服务人, 划价人帐号, 收费类别";
    Exec(db, "insert into 服务信息 (" + lines + ") select " + lines + " from 服务信息临时表 where " + VisitKey::Condition(),
         visit.Values());
    // Two identical lines, each with a row id of its own.
    QCOMPARE(ReadAll(db, "select " + lines + " from 服务信息 order by 行号"),
             ReadAll(db, "select " + lines + " from 服务信息临时表"));
    QCOMPARE(ScalarText(db, "select count(distinct 行号) from 服务信息"), QString("2"));
  }

  void dateWindowsIncludeBothEnds() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    for (int day = 1; day <= 5; ++day)
      InsertRow(db, "患者信息",
                {{"收费类别", "门诊"}, {"流水号", day}, {"时间", DayText(QDate(2024, 2, 26).addDays(day - 1))},
                 {"药费(元)", day}, {"服务费(元)", 0}});
    const QString window = "select count(*) from 患者信息 where 时间 between ? and ?";
    QCOMPARE(ScalarText(db, window, {DayText(QDate(2024, 2, 27)), DayText(QDate(2024, 2, 29))}), QString("3"));
    QCOMPARE(ScalarText(db, window, {DayText(QDate(2024, 2, 28)), DayText(QDate(2024, 2, 28))}), QString("1"));
    QCOMPARE(ScalarText(db, window, {DayText(QDate(2024, 2, 29)), DayText(QDate(2024, 2, 27))}), QString("0"));
    // Days order as days across the month's end.
    QCOMPARE(ScalarText(db, "select 流水号 from 患者信息 order by 时间 desc limit 1"), QString("5"));
    const QString sum = R"~(select sum("收入金额(元)") from 患者信息 where 时间 between ? and ?)~";
    QCOMPARE(MoneyText(db, sum, {DayText(QDate(2024, 3, 1)), DayText(QDate(2024, 3, 9))}), QString("5.00"));
    QCOMPARE(MoneyText(db, sum, {DayText(QDate(2024, 3, 9)), DayText(QDate(2024, 3, 1))}), QString("0.00"));
  }

  void moneyOfAVoucherKeepsTwoDecimals() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    InsertRow(db, "收银信息", {{"收费类别", "门诊"}, {"流水号", 1}, {"药费(元)", "12.34"}, {"服务费(元)", 0},
                               {"划价人帐号", "acc"}});
    InsertRow(db, "收银信息", {{"收费类别", "门诊"}, {"流水号", 2}, {"药费(元)", 0.1}, {"服务费(元)", 0.2},
                               {"划价人帐号", "acc"}});
    const QString sum = R"~(select sum("药费(元)" + "服务费(元)") 总价 from 收银信息 where 划价人帐号 = ?)~";
    QCOMPARE(MoneyText(db, sum, {"acc"}), QString("12.64"));
    QCOMPARE(MoneyText(db, sum, {"nobody"}), QString("0.00"));
    QVERIFY_THROWS_EXCEPTION(ConversionError, MoneyTextStrict(ScalarText(db, sum, {"nobody"})));
  }

  void quotesInValuesAreJustText() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    const QString name = "O'Brien'); delete from 患者信息; --";
    const QString pattern = "100%_'\"";
    InsertRow(db, "患者信息", {{"流水号", 1}, {"姓名", "someone"}, {"划价人帐号", "acc"}});
    InsertRow(db, "患者信息", {{"流水号", 2}, {"姓名", name}, {"划价人帐号", pattern}});
    QCOMPARE(ScalarText(db, "select 姓名 from 患者信息 where 划价人帐号 = ?", {pattern}), name);
    QCOMPARE(ScalarText(db, "select count(*) from 患者信息 where 姓名 like ?", {"%O'Brien'%"}), QString("1"));
    QCOMPARE(ScalarText(db, "select count(*) from 患者信息"), QString("2"));
  }

  // A server stopped under two open desks and started again: while it is
  // down every step says so in the clinic's words; once it is back a read
  // on the same connection carries on, and a posting that lost its
  // transaction half way was undone whole and written once on the retry.
  void aStoppedServerIsSaidAndTheDesksCarryOn() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("runs once, on a server of its own");
    ThrowAwayServer server;
    QVERIFY2(server.Error().isEmpty(), qPrintable(server.Error()));
    QVERIFY_THROWS_EXCEPTION(DbError, OpenPostgres(server.ConnectionString("wrong")));
    QVERIFY(ErrorText([&] { OpenPostgres(server.ConnectionString("wrong")); }).startsWith("诊所数据库密码错误"));
    QVERIFY(ErrorText([&] { OpenPostgres(server.ConnectionString() + " dbname=nosuch"); })
                .startsWith("诊所数据库服务器上没有这个数据库"));
    qputenv("BRIMWICK_CLINIC_SERVER", server.ConnectionString().toUtf8());
    Connection reading = OpenClinicDatabase();
    Connection posting = OpenClinicDatabase();
    InsertRow(reading.db(), "库存", {{"编号", "A"}, {"数量", 5}});
    const QString stock = "select 数量 from 库存 where 编号 = 'A'";
    const QString take = "update 库存 set 数量 = 数量 - 1 where 编号 = ?";

    QVERIFY(server.Stop());
    QElapsedTimer waited;
    waited.start();
    const QString down = ErrorText([&] { ScalarText(reading.db(), stock); });
    qInfo("a stopped server is said after %lld ms: %s", waited.elapsed(), qPrintable(down));
    QVERIFY2(down.startsWith("无法连接诊所数据库服务器"), qPrintable(down));
    QVERIFY(!TransactionPosting(posting.db(), [&] { Exec(posting.db(), take, {"A"}); }));
    QVERIFY(PostingFailedText(posting.db()).startsWith(kOperationFailed + "：本次操作已全部撤销"));
    QVERIFY(server.Start());
    QCOMPARE(ScalarText(reading.db(), stock), QString("5"));

    QString failure;
    QVERIFY(!TransactionPosting(
        posting.db(),
        [&] {
          Exec(posting.db(), take, {"A"});
          QVERIFY(server.Stop() && server.Start());
          Exec(posting.db(), take, {"A"});
        },
        &failure));
    QVERIFY2(failure.startsWith("与诊所数据库服务器的连接已断开"), qPrintable(failure));
    QCOMPARE(ScalarText(reading.db(), stock), QString("5"));
    QVERIFY(TransactionPosting(posting.db(), [&] { Exec(posting.db(), take, {"A"}); }));
    QCOMPARE(ScalarText(reading.db(), stock), QString("4"));

    // A frozen server process answers nothing, yet its machine acknowledges
    // every packet: the statement is cut a little past its time-out and
    // the read runs again on a fresh connection.
    qputenv("BRIMWICK_CLINIC_SERVER", (server.ConnectionString() + " statement_timeout=1s").toUtf8());
    Connection frozen = OpenClinicDatabase();
    const pid_t backend = ScalarText(frozen.db(), "select pg_backend_pid()").toInt();
    QVERIFY(::kill(backend, SIGSTOP) == 0);
    const auto thaw = qScopeGuard([backend] { ::kill(backend, SIGCONT); });
    waited.restart();
    QCOMPARE(ScalarText(frozen.db(), stock), QString("4"));
    qInfo("a frozen server is given up after %lld ms", waited.elapsed());
  }

  // A listener that takes the connection and never answers is given up
  // after the connect time-out, with the clinic's sentence.
  void aServerThatNeverAnswersIsGivenUp() {
    if (ClinicFixture::CurrentStore() != "sqlite") QSKIP("runs once, against a listener of its own");
    SilentListener listener;
    QVERIFY(listener.Port() > 0);
    qputenv("BRIMWICK_CLINIC_SERVER",
            QString("host=127.0.0.1 port=%1 dbname=x user=x password=x").arg(listener.Port()).toUtf8());
    QElapsedTimer waited;
    waited.start();
    const QString said = ErrorText([] { OpenClinicDatabase(); });
    qInfo("a silent server is said after %lld ms: %s", waited.elapsed(), qPrintable(said));
    QVERIFY2(said.startsWith("无法连接诊所数据库服务器"), qPrintable(said));
  }

  // A lower-case pinyin code finds the goods on both stores alike.
  void likeIgnoresTheCaseOfLatinLetters() {
    Connection c = OpenClinicDatabase();
    const QSqlDatabase db = c.db();
    InsertRow(db, "药品信息", {{"编号", "00001"}, {"品名", "维生素C片"}, {"拼音缩写", "WSSCP"}});
    InsertRow(db, "药品信息", {{"编号", "00002"}, {"品名", "阿莫西林"}, {"拼音缩写", "AMXL"}});
    const QString count = "select count(*) from 药品信息 where 拼音缩写 " + LikeOperator(db) + " ?";
    QCOMPARE(ScalarText(db, count, {"wss%"}), QString("1"));
    QCOMPARE(ScalarText(db, count, {"%c%"}), QString("1"));
    QCOMPARE(ScalarText(db, count, {"%"}), QString("2"));
  }

  // A long list shows its first screen at once and reads the rest later,
  // but never loses a row to the window's next statements on the same
  // connection: a sum, a dropped scratch table, another list.
  void aLongListIsReadWholeBesideItsWindowsStatements() {
    Connection c = OpenClinicDatabase();
    QSqlDatabase db = c.db();
    InTransaction(db, [&] {
      for (int n = 0; n < 2000; ++n)
        Exec(db, "insert into 药品类别 (药品类别) values (?)", {QString("类别%1").arg(n, 4, 10, QChar('0'))});
    });
    Exec(db, "create temp table 类别副本 as select 药品类别 from 药品类别");
    DataGrid grid;
    QSqlQuery list = Exec(db, "select 药品类别 from 类别副本 order by 药品类别");
    grid.Open(list);
    QVERIFY(grid.Model()->rowCount() < 2000);
    QCOMPARE(ScalarText(db, "select count(*) from 类别副本"), QString("2000"));
    Exec(db, "drop table 类别副本");
    QCOMPARE(grid.Model()->rowCount(), 2000);
    QCOMPARE(grid.Model()->Value(1999, 0).toString(), QString("类别1999"));

    QSqlQuery again = Exec(db, "select 药品类别 from 药品类别 order by 药品类别 desc");
    grid.Open(again);
    while (grid.Model()->Pending()) QCoreApplication::processEvents();
    QCOMPARE(grid.Model()->rowCount(), 2000);
    QCOMPARE(grid.Cell(0), QString("类别1999"));
    QCOMPARE(grid.Model()->Value(1999, 0).toString(), QString("类别0000"));
  }
};

BRIMWICK_TEST_MAIN(ClinicStoreTest)
#include "clinicstore.moc"
