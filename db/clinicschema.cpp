#include "db/clinicschema.h"

#include "db/clinicconventions.h"

#include <algorithm>
#include <optional>

namespace {
ClinicColumn Text(const char* name, int width = 0) { return {QString::fromUtf8(name), ColumnType::Text, {}, width, {}}; }
ClinicColumn Number(const char* name) { return {QString::fromUtf8(name), ColumnType::Number, {}, 0, {}}; }
ClinicColumn Money(const char* name) { return {QString::fromUtf8(name), ColumnType::Money, {}, 0, {}}; }
ClinicColumn Day(const char* name) { return {QString::fromUtf8(name), ColumnType::Day, {}, 0, {}}; }
// The row id the windows change one line by; it stands last, after the
// columns that copies between tables name.
ClinicColumn RowId() { return {QStringLiteral("行号"), ColumnType::RowId, {}, 0, {}}; }
ClinicColumn Computed(const char* name, ColumnType type, const char* formula, const char* postgres = "") {
  return {QString::fromUtf8(name), type, QString::fromUtf8(formula), 0, QString::fromUtf8(postgres)};
}

// The computed columns; both engines read these formulas alike except the
// day arithmetic. A fractional shelf life counts its whole days only.
ClinicColumn LineTotal() { return Computed("总价(元)", ColumnType::Number, R"~("数量" * "单价(元)")~"); }
ClinicColumn Commission() { return Computed("提成金额", ColumnType::Number, R"~("总金额" * "提成比例" / 100)~"); }
ClinicColumn ExpiryDay() {
  return Computed("过期时间", ColumnType::Day, R"~(date("生产时间", cast("有效期" as integer) || ' days'))~",
                  R"~("生产时间" + cast(trunc("有效期") as integer))~");
}

// The visit flow's pair of service-line tables share their columns: one is
// copied into the other whole.
std::vector<ClinicColumn> ServiceLineColumns() {
  return {Text("服务类别"), Number("流水号"),   Day("时间"),        Number("服务费(元)"),
          Text("开方医师"), Text("服务人"),     Text("划价人帐号"), Text("收费类别")};
}
std::vector<ClinicColumn> WithRowId(std::vector<ClinicColumn> columns) {
  columns.push_back(RowId());
  return columns;
}
std::vector<ClinicColumn> MedicineReturnColumns() {
  return {Text("编号"), Day("开药时间"),   Day("退药时间"),   Number("数量"),       Number("单价(元)"),
          Text("批号"), Text("操作人帐号"), Number("流水号"), Text("划价人帐号"), LineTotal()};
}

// Returns to the supplier and write-offs: the receipt row, the day and the
// reason of the correction, the two operators in the order each table
// keeps them, the line total, and for the final tables one more amount.
std::vector<ClinicColumn> CorrectionColumns(const char* day, const char* salePrice, const char* firstOperator,
                                            const char* secondOperator, const char* reason,
                                            std::optional<ClinicColumn> saleTotal = std::nullopt) {
  std::vector<ClinicColumn> columns{Text("编号"),         Day("入库时间"),         Day(day),
                                    Text("药品批号"),     Number("数量"),          Number("单价(元)"),
                                    Number(salePrice),    Text("药品来源"),        Text(firstOperator),
                                    Text(secondOperator), Text(reason),            LineTotal()};
  if (saleTotal) columns.push_back(*saleTotal);
  return columns;
}

bool Has(const ClinicTable& table, const char* column) { return table.Find(QString::fromUtf8(column)) != nullptr; }

// Indexes follow from the columns: the visit key, the goods code with its
// batch, and every day that a date window filters on.
void AddIndexes(ClinicTable& table, const QStringList& extra, bool oneRowPerVisit) {
  const QString code = QStringLiteral("编号");
  // The account first: it finds one visit's rows and also, cheaply, the
  // largest serial an account has used, which every new visit asks for.
  // A table holding one row per visit keeps the visit key unique.
  if (Has(table, "流水号") && Has(table, "划价人帐号")) {
    const QStringList visit{QStringLiteral("划价人帐号"), QStringLiteral("流水号")};
    if (oneRowPerVisit)
      table.uniques.push_back(visit);
    else
      table.indexes.push_back(visit);
  }
  if (Has(table, "编号") && table.key != QStringList{code}) {
    if (Has(table, "药品批号"))
      table.indexes.push_back({code, QStringLiteral("药品批号")});
    else if (Has(table, "批号"))
      table.indexes.push_back({code, QStringLiteral("批号")});
    else
      table.indexes.push_back({code});
  }
  // Batches of one goods by age: dispensing takes the oldest first.
  if (Has(table, "编号") && Has(table, "生产时间")) table.indexes.push_back({code, QStringLiteral("生产时间")});
  for (const ClinicColumn& column : table.columns)
    if (column.type == ColumnType::Day) table.indexes.push_back({column.name});
  for (const QString& column : extra) table.indexes.push_back({column});
}

ClinicTable Table(const char* name, std::vector<ClinicColumn> columns, QStringList key = {}, QStringList extra = {}) {
  ClinicTable table{QString::fromUtf8(name), std::move(columns), std::move(key), {}};
  // A priced voucher and a visit waiting at the dispensary are each one
  // row: a second would settle or dispense the visit twice.
  static const QStringList visitRows{QStringLiteral("收银信息"), QStringLiteral("出库患者信息")};
  AddIndexes(table, extra, visitRows.contains(table.name));
  return table;
}
// A table whose one named column no two rows may share, blanks around it
// aside.
ClinicTable UniqueBy(ClinicTable table, const char* column) {
  table.uniqueNames << QString::fromUtf8(column);
  return table;
}

// Indexes over several columns, after those that follow from the columns.
ClinicTable WithIndexes(ClinicTable table, const std::vector<QStringList>& indexes) {
  for (const QStringList& index : indexes) table.indexes.push_back(index);
  return table;
}

// An index a wider one now serves, given up where it stood: its number
// stays taken, so the indexes after it keep their names (earlier stores
// lose it on opening, see RetiredClinicIndexes).
ClinicTable GivenUp(ClinicTable table, const std::vector<QStringList>& given) {
  for (std::size_t i = 0; i < table.indexes.size(); ++i)
    if (std::find(given.begin(), given.end(), table.indexes[i]) != given.end()) {
      table.retiredIndexes.push_back({QStringLiteral("%1_i%2").arg(table.name).arg(i + 1), table.indexes[i]});
      table.indexes[i].clear();
    }
  return table;
}

// Indexes earlier stores were made with, by suffix and columns.
ClinicTable Retired(ClinicTable table, const std::vector<std::pair<const char*, QStringList>>& indexes) {
  for (const auto& [suffix, columns] : indexes)
    table.retiredIndexes.push_back({table.name + QLatin1Char('_') + QString::fromUtf8(suffix), columns});
  return table;
}

// A table of work still open (visits not yet paid or dispensed, returns and
// corrections not yet confirmed): every posting writes it, and no statement
// reads it by day, so it keeps no day index.
ClinicTable OpenWork(ClinicTable table) {
  std::vector<QStringList> days;
  for (const ClinicColumn& column : table.columns)
    if (column.type == ColumnType::Day) days.push_back({column.name});
  return GivenUp(std::move(table), days);
}

// An index of the rows a purge deletes, and of no others: the desks' rows
// never enter it, so writing them costs nothing there. The purge's own
// condition must read exactly as this one for the planner to take it.
ClinicTable WithPurgeIndex(ClinicTable table, const char* suffix, const char* column, const QString& condition) {
  table.namedIndexes.push_back(
      {table.name + QLatin1Char('_') + QString::fromUtf8(suffix), {QString::fromUtf8(column)}, condition});
  return table;
}

// Indexes named for the reports that pin them: each holds every column its
// report reads of the table, in the order the report walks it, so a date
// window is a range read per key and never a visit to the table. SQLite
// takes a computed column an index holds from the index (its plan names
// the index without "covering", for a seek of the row it never makes);
// the line indexes hold the factors of the line total, which the reports
// multiply, and the visits' category index the income itself.
ClinicTable WithNamedIndexes(ClinicTable table, const std::vector<std::pair<const char*, QStringList>>& indexes) {
  for (const auto& [suffix, columns] : indexes)
    table.namedIndexes.push_back({table.name + QLatin1Char('_') + QString::fromUtf8(suffix), columns, {}});
  return table;
}

// An index for PostgreSQL alone: SQLite's statements are pinned to their
// covering indexes and would only pay for its upkeep.
ClinicTable WithServerIndex(ClinicTable table, const char* suffix, const QStringList& columns) {
  table.namedIndexes.push_back({table.name + QLatin1Char('_') + QString::fromUtf8(suffix), columns, {}, true});
  return table;
}

// Supplies are loaded in whatever day order their files come in, so the
// rows of one month lie scattered over the whole table: a report of a date
// window reads them from an index of every column, the day and the columns
// its filters test first, and never visits the table.
ClinicTable ReadByDay(ClinicTable table, const QStringList& leading) {
  QStringList columns = leading;
  for (const ClinicColumn& column : table.columns)
    if (!columns.contains(column.name)) columns << column.name;
  return WithIndexes(std::move(table), {columns});
}

std::vector<ClinicTable> MakeTables() {
  const QStringList byCode{QStringLiteral("编号")};
  const QStringList byName{QStringLiteral("姓名")};
  return {
      // Reference and lists.
      // A category's goods in code order: the sums by category walk them.
      WithNamedIndexes(Table("药品信息",
                             {Text("编号"), Text("品名"), Text("单位"), Text("规格"), Text("厂商"), Text("类别"),
                              Text("拼音缩写"), Number("售价(元)"), Number("下限"), Text("剂型")},
                             byCode, {QStringLiteral("拼音缩写")}),
                       {{"类别编号", {"类别", "编号"}}}),
      Table("药品类别", {Text("药品类别")}),
      Table("药品剂型", {Text("剂型")}),
      Table("服务人", {Text("姓名"), Text("职务")}),
      UniqueBy(Table("药品单位", {Text("药品单位")}), "药品单位"),
      UniqueBy(Table("药品来源", {Text("药品来源")}), "药品来源"),
      // 行号 keeps the items in the order they were entered, which the cash
      // income sheet lists them in: PostgreSQL moves a row whose price
      // changes to the end of a plain scan.
      UniqueBy(Table("服务项目", {Text("拼音缩写"), Text("服务项目"), Number("项目单价(元)"), RowId()}), "服务项目"),
      // The commission count finds an item's shares by its name.
      WithNamedIndexes(
          UniqueBy(Table("比例分配表", {Text("拼音缩写"), Text("项目"), Number("医生比例"), Number("服务人比例")}), "项目"),
          {{"项目", {"项目"}}}),

      // Stock.
      Table("库存", {Text("编号"), Number("数量")}, byCode),
      // A return to the supplier purges the emptied batches and receipts
      // from an index of those rows alone: a quantity that dispensing or a
      // correction lowers but does not empty writes no index entry.
      // Dispensing takes a goods' oldest batch not yet expired: its index
      // holds the expiry day too, so that the expired batches a store
      // keeps until they are written off are passed over in the index.
      WithPurgeIndex(WithNamedIndexes(Retired(Table("药品过期表", {Text("编号"), Text("药品批号"), Number("数量"),
                                                                  Day("生产时间"), Number("有效期"), ExpiryDay()}),
                                              {{"i5", {QStringLiteral("数量")}}, {"空行", {}}}),
                                      {{"编号生产时间", {"编号", "生产时间", "药品批号", "过期时间"}}}),
                     "空量", "数量", kEmptyQuantity),
      WithPurgeIndex(Retired(Table("入库信息", {Text("编号"), Day("时间"), Text("药品批号"), Number("数量"),
                                                Number("单价(元)"), LineTotal(), Text("药品来源"),
                                                Text("入库人帐号"), RowId()}),
                             {{"i3", {QStringLiteral("数量")}}, {"空行", {}}}),
                     "空量", "数量", kEmptyQuantity),

      // Visit flow.
      OpenWork(Table("收银信息",
                     {Text("收费类别", 20), Number("流水号"), Text("姓名", 50), Day("时间"), Money("药费(元)"),
                      Money("服务费(元)"), Text("划价人帐号", 50)})),
      OpenWork(Table("临时出库信息",
                     {Number("流水号"), Text("编号"), Day("时间"), Number("数量"), Number("单价(元)"),
                      Text("开方医师"), Text("划价人帐号"), Text("收银标志"), Text("收费类别"), Text("收银人帐号"),
                      Text("出库人帐号"), LineTotal()})),
      OpenWork(
          Table("出库患者信息", {Text("姓名"), Number("流水号"), Day("时间"), Text("划价人帐号"), Text("收银人帐号")})),
      OpenWork(Table("服务信息临时表", ServiceLineColumns())),
      // The income report reads one person's lines over a date window.
      // Its item-and-day index (the fifth) gave way to the item, category
      // and day one.
      WithNamedIndexes(
          Retired(WithIndexes(Table("服务信息", WithRowId(ServiceLineColumns())),
                              {{QStringLiteral("开方医师"), QStringLiteral("时间")},
                               {QStringLiteral("服务人"), QStringLiteral("时间")}}),
                  {{"i5", {QStringLiteral("服务类别"), QStringLiteral("时间")}}}),
          // The cash income sheet and the reconciliations read them item by
          // item and charge category, the cross tables item by item and
          // person by person.
          {{"类别收费时间", {"服务类别", "收费类别", "时间", "服务费(元)"}},
           {"类别服务人时间", {"服务类别", "服务人", "时间", "服务费(元)"}},
           {"类别医师时间", {"服务类别", "开方医师", "时间", "服务费(元)"}}}),
      // The reconciliations sum the income of a date window by charge
      // category, cashier or pricing account; the patient list walks it by
      // category and day. The income is stored, so the category's index
      // holds it alone, where the two fees it is the sum of took a wider
      // entry (its earlier form, 类别时间). The server walks the patient
      // list along an index of every column it shows, in its order, so the
      // first rows leave at once rather than after a sort of the year.
      WithServerIndex(WithPurgeIndex(
          WithNamedIndexes(
              Retired(Table("患者信息",
                            {Text("收费类别"), Number("流水号"), Text("姓名"), Day("时间"), Number("药费(元)"),
                             Number("服务费(元)"), Text("划价人帐号"), Text("收银人帐号"),
                             Computed("收入金额(元)", ColumnType::Number, R"~("药费(元)" + "服务费(元)")~")}),
                      {{"i3", {QStringLiteral("收入金额(元)")}}, {"无收入", {}}, {"类别时间", {}}}),
              {{"类别时间收入", {"收费类别", "时间", "收入金额(元)"}},
               {"收银时间", {"收银人帐号", "时间", "药费(元)", "服务费(元)"}},
               {"划价时间", {"划价人帐号", "时间", "药费(元)", "服务费(元)"}}}),
          // The purge of visits without income finds them by it.
          "零收入", "收入金额(元)", kNoIncome),
          "类别时间列表",
          {"收费类别", "时间", "流水号", "姓名", "药费(元)", "服务费(元)", "收入金额(元)", "划价人帐号"}),
      // Dispensed lines. The stock reports read a date window goods by
      // goods; the cash income sheet and the reconciliations a charge
      // category's date window goods by goods, and its medicine income
      // walking the same index over the goods; a pricing account's medicine
      // by its own key; a doctor's lines, for the doctors' sales, the income
      // report and the commission, goods by goods. Every dispensed line
      // writes each of these, so they are as few as the reports allow: the
      // plain day index gave way to the day-and-category one, and that to
      // the goods-and-category one, the doctor-and-day index to the
      // doctor's goods, and the quantity index to one of the empty lines
      // alone. Where a day leads, the visit's serial follows it: a visit's
      // lines then land together after the day's last, on one page.
      // The server reads a year of them fastest along a plain day index (a
      // third of the table, in day order); the wider day-led index it passes
      // over for a scan of the whole table.
      WithServerIndex(WithPurgeIndex(
          Retired(WithNamedIndexes(
                      GivenUp(Table("出库信息",
                                    {Number("流水号"), Text("编号"), Day("时间"), Number("数量"), Number("单价(元)"),
                                     Text("出库人帐号"), Text("划价人帐号"), Text("收银人帐号"), Text("开方医师"),
                                     Text("收费类别"), LineTotal()}),
                              {{QStringLiteral("编号")}, {QStringLiteral("时间")}}),
                      {{"编号时间", {"编号", "时间", "收费类别", "开方医师", "出库人帐号", "数量", "单价(元)"}},
                       {"划价时间流水", {"划价人帐号", "时间", "流水号", "编号", "数量", "单价(元)"}},
                       {"医师编号时间", {"开方医师", "编号", "时间", "数量", "单价(元)"}},
                       {"编号收费时间", {"编号", "收费类别", "时间", "数量", "单价(元)"}}}),
                  {{"i4", {QStringLiteral("开方医师"), QStringLiteral("时间")}},
                   {"i5", {QStringLiteral("数量")}},
                   {"收费时间", {}},
                   {"划价时间", {}},
                   {"时间", {}},
                   {"时间流水", {}}}),
          // The issue report purges the empty lines at every opening.
          "空行", "数量", kEmptyIssueLine), "日", {QStringLiteral("时间")}),

      // Patient returns.
      OpenWork(Table("退药临时信息", MedicineReturnColumns())),
      Table("退药信息", MedicineReturnColumns()),
      OpenWork(Table("服务费退还临时信息",
                     {Text("服务类别"), Number("流水号"), Day("服务时间"), Day("退还时间"), Number("服务费(元)"),
                      Text("开方医师"), Text("服务人"), Text("划价人帐号"), Text("退还人帐号")})),
      Table("服务费退还信息",
            {Text("服务类别"), Number("流水号"), Day("服务时间"), Day("退还时间"), Number("服务费(元)"),
             Text("开方医师"), Text("服务人"), Text("退还人帐号"), Text("划价人帐号")}),

      // Stock corrections.
      OpenWork(Table("临时反库信息", CorrectionColumns("返库时间", "售价(元)", "反库人帐号", "入库人帐号", "返库原因"))),
      Table("药品反库信息",
            CorrectionColumns("返库时间", "售价(元)", "入库人帐号", "反库人帐号", "返库原因",
                              Computed("零售金额", ColumnType::Number, R"~("数量" * "售价(元)")~"))),
      OpenWork(Table("药品报损临时信息",
                     CorrectionColumns("报损时间", "报损零售价(元)", "报损人帐号", "入库人帐号", "报损原因"))),
      Table("药品报损信息",
            CorrectionColumns("报损时间", "报损零售价(元)", "入库人帐号", "报损人帐号", "报损原因",
                              Computed("报损总价", ColumnType::Number, R"~("数量" * "报损零售价(元)")~"))),

      // Inpatients.
      UniqueBy(Table("入院信息表",
                     {Text("拼音缩写"), Text("姓名"), Text("性别"), Text("年龄"), Text("合作医疗证号"), Text("住址")},
                     {}, byName),
               "姓名"),
      Table("住院患者押金表", {Text("姓名"), Day("时间"), Text("收费类别"), Number("金额"), Text("操作人帐号")}, {},
            byName),
      Table("住院患者药品统计表",
            {Text("编号"), Day("开药时间"), Number("数量"), Number("单价(元)"), Number("流水号"), Text("划价人帐号"),
             Text("开方医师"), LineTotal()}),
      Table("住院患者服务统计表",
            {Text("服务类别"), Day("服务时间"), Number("服务费(元)"), Text("开方医师"), Text("服务人"),
             Text("划价人帐号")}),

      // Commission and finance.
      Table("医生药品提成统计表",
            {Text("服务项目"), Number("总金额"), Number("提成比例"), Commission(), Text("开方医师"), Text("统计人")}, {},
            {QStringLiteral("统计人")}),
      Table("医生处方提成统计表",
            {Text("服务项目"), Number("服务数目"), Number("总金额"), Number("提成比例"), Commission(), Text("开方医师"),
             Text("统计人")},
            {}, {QStringLiteral("统计人")}),
      Table("服务费提成统计表",
            {Text("服务项目"), Number("服务数目"), Number("总金额"), Number("提成比例"), Commission(), Text("服务人"),
             Text("统计人")},
            {}, {QStringLiteral("统计人")}),
      Table("财务综合报表",
            {Day("时间"), Number("药品利润(元)"), Number("服务项目利润(元)"), Number("本月购药金额(元)"),
             Number("耗材金额(元)"), Number("本月库存金额(元)"), Number("本月库存零售金额(元)")}),
      ReadByDay(Table("卫材入库历史记录表",
                      {Text("产品名称"), Day("时间"), Number("数量"), Text("单位"), Number("单价(元)"),
                       Number("总价(元)"), Text("供货商"), Text("产地"), Text("入库人帐号")}),
                {"时间", "供货商", "入库人帐号"}),
      ReadByDay(Table("卫材出库表",
                      {Text("产品名称"), Day("时间"), Number("数量"), Text("单位"), Number("单价(元)"),
                       Number("售价(元)"), Number("进货金额(元)"), Number("零售金额(元)"), Number("利润金额(元)"),
                       Number("总价(元)"), Text("供货商"), Text("产地"), Text("领取人")}),
                {"时间", "供货商", "领取人"}),
      Table("时间表", {Day("时间")}),

      // The last serial each pricing account has handed out. A new visit
      // takes its serial from here, never from the visit rows: a serial
      // whose rows a day close voided is not handed out again.
      Table("流水号计数", {Text("划价人帐号"), Number("流水号")}, {QStringLiteral("划价人帐号")}),
  };
}
std::vector<ClinicTable> MakeScratchTables() {
  const std::vector<ClinicColumn> codeQuantity{Text("编号"), Number("数量")};
  return {
      {QStringLiteral("ckb"), codeQuantity, {}, {}},
      {QStringLiteral("Pelloc"), codeQuantity, {}, {}},
      {QStringLiteral("tj"), {Text("编号", 10), Text("品名", 50)}, {}, {}},
  };
}

const ClinicTable* FindIn(const std::vector<ClinicTable>& tables, const QString& name) {
  for (const ClinicTable& table : tables)
    if (table.name == name) return &table;
  return nullptr;
}
}  // namespace

const ClinicColumn* ClinicTable::Find(const QString& column) const {
  for (const ClinicColumn& c : columns)
    if (c.name == column) return &c;
  return nullptr;
}

QStringList ClinicTable::StoredColumns() const {
  QStringList names;
  for (const ClinicColumn& c : columns)
    if (!c.IsGenerated() && !c.IsRowId()) names << c.name;
  return names;
}

const std::vector<ClinicTable>& ClinicTables() {
  static const std::vector<ClinicTable> tables = MakeTables();
  return tables;
}

const ClinicTable* FindClinicTable(const QString& name) { return FindIn(ClinicTables(), name); }

const QStringList& RetiredClinicIndexes() {
  static const QStringList names = [] {
    QStringList all;
    for (const ClinicTable& table : ClinicTables())
      for (const auto& [name, columns] : table.retiredIndexes) all << name;
    return all;
  }();
  return names;
}

const std::vector<ClinicTable>& ClinicScratchTables() {
  static const std::vector<ClinicTable> tables = MakeScratchTables();
  return tables;
}

const ClinicTable* FindClinicScratchTable(const QString& name) { return FindIn(ClinicScratchTables(), name); }
