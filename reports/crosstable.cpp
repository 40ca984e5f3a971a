#include "reports/crosstable.h"

#include <QHash>
#include <QStringList>
#include <optional>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/fetchedrows.h"
#include "platform/numbers.h"

const QString kCrossTableMoneyFormat = QStringLiteral("#,##0.00;-#,##0.00");

namespace {
const QStringList kCategories = {QStringLiteral("西药"), QStringLiteral("中成药"), QStringLiteral("饮片")};

// One category's sum over the lines whose doctor meets doctor, read along
// the index that holds them by doctor and goods. Values: d1, d2.
QString SumOfCategoryWhereDoctor(const QString& doctor) {
  return QStringLiteral(
             R"~((select sum(ckxx.数量 * ckxx."单价(元)") )~"
             R"~(from 药品信息 as ypxx indexed by "药品信息_类别编号" )~"
             R"~(cross join 出库信息 as ckxx indexed by "出库信息_医师编号时间" )~"
             "where ypxx.类别 = 类别表.类别 and ckxx.开方医师 ") +
         doctor + QStringLiteral(" and ckxx.编号 = ypxx.编号 and ckxx.时间 between ? and ?)");
}
}  // namespace

namespace CrossTableSql {
const QString kSelectDoctors = QStringLiteral("select 姓名 from 服务人 where 职务 = '医师'");
const QString kSelectServiceStaff =
    QStringLiteral("select 姓名 from 服务人 where 职务 = '医师' or 职务 = '化验师' or 职务 = '护士'");
const QString kSelectItems = QStringLiteral("select 服务项目 from 服务项目 order by 行号");
// Values: the three categories, then d1, d2 twice. A year's lines sorted
// by doctor and category cost four times their reading; so each doctor who
// ever prescribed (walked along the index, a seek each) and each category
// gets its sum from the index that holds the lines by doctor and goods,
// with no sort at all. Lines with no doctor make a row of their own, as a
// grouping gave them.
const QString kSumMedicineByDoctor =
    QStringLiteral(
        R"~(with recursive 医师表(姓名) as (select min(开方医师) from 出库信息 indexed by "出库信息_医师编号时间" )~"
        R"~(union all select (select min(开方医师) from 出库信息 indexed by "出库信息_医师编号时间" )~"
        "where 开方医师 > 医师表.姓名) from 医师表 where 医师表.姓名 is not null), "
        "类别表(类别) as (values (?), (?), (?)) "
        "select 医师表.姓名, 类别表.类别, ") +
    SumOfCategoryWhereDoctor(QStringLiteral("= 医师表.姓名")) +
    QStringLiteral(" from 医师表 cross join 类别表 where 医师表.姓名 is not null union all select null, 类别表.类别, ") +
    SumOfCategoryWhereDoctor(QStringLiteral("is null")) + QStringLiteral(" from 类别表");
// PostgreSQL sums the groups in a hash as it reads the lines, with no sort,
// and walks the doctors' index far slower than it reads them. Values: d1,
// d2 and the three categories.
const QString kSumMedicineByDoctorGrouped = QStringLiteral(
    R"~(select ckxx.开方医师, ypxx.类别, sum(ckxx.数量 * ckxx."单价(元)") from 药品信息 as ypxx, 出库信息 as ckxx )~"
    "where ckxx.时间 between ? and ? and ckxx.编号 = ypxx.编号 and ypxx.类别 in (?, ?, ?) "
    "group by ckxx.开方医师, ypxx.类别");

std::pair<QString, QVariantList> MedicineByDoctor(bool postgres, const QString& d1, const QString& d2) {
  const QStringList& c = kCategories;
  if (postgres) return {kSumMedicineByDoctorGrouped, {d1, d2, c[0], c[1], c[2]}};
  return {kSumMedicineByDoctor, {c[0], c[1], c[2], d1, d2, d1, d2}};
}

const QString kSumServicesByDoctor = QStringLiteral(
    R"~(select 服务类别, 开方医师, sum("服务费(元)") from 服务信息 indexed by "服务信息_类别医师时间" )~"
    "where 时间 between ? and ? "
    "group by 服务类别, 开方医师");
const QString kSumServicesByPerformer = QStringLiteral(
    R"~(select 服务类别, 服务人, sum("服务费(元)") from 服务信息 indexed by "服务信息_类别服务人时间" )~"
    "where 时间 between ? and ? "
    "group by 服务类别, 服务人");
const QString kSumByCashier = QStringLiteral(
    R"~(select 收银人帐号, sum("药费(元)" + "服务费(元)") from 患者信息 indexed by "患者信息_收银时间" )~"
    "where 时间 between ? and ? "
    "group by 收银人帐号 order by 收银人帐号");

}  // namespace CrossTableSql

using namespace CrossTableSql;

namespace {
const QString kTotalHead = QStringLiteral("合计");
const QString kDash = QStringLiteral("-----");
// The category whose empty total still shows 0.00.
const QString kCategoryShownAtZero = QStringLiteral("饮片");
constexpr int kFirstCashierColumn = 7;  // G

// Sums of a grouped block by (row key, column key), by row, by column and
// in all; a key missing from a map had no rows.
struct Block {
  QHash<std::pair<QString, QString>, double> cells;
  QHash<QString, double> byRow;
  QHash<QString, double> byColumn;
  std::optional<double> all;

  // Rows of (row key, column key, sum), keys trimmed.
  void Add(const QList<QVariantList>& rows) {
    for (const QVariantList& row : rows) {
      const QVariant& amount = row.at(2);
      if (amount.isNull()) continue;
      const QString r = row.at(0).toString().trimmed();
      const QString c = row.at(1).toString().trimmed();
      const double sum = amount.toDouble();
      cells[{r, c}] += sum;
      byRow[r] += sum;
      byColumn[c] += sum;
      all = all.value_or(0) + sum;
    }
  }
  std::optional<double> Cell(const QString& row, const QString& column) const {
    const auto it = cells.find({row, column});
    return it == cells.end() ? std::nullopt : std::optional<double>(*it);
  }
  static std::optional<double> In(const QHash<QString, double>& map, const QString& key) {
    const auto it = map.find(key);
    return it == map.end() ? std::nullopt : std::optional<double>(*it);
  }
};

// Four or so sums each shown with two decimals and added as such.
double AddedCents(std::initializer_list<std::optional<double>> sums) {
  double total = 0;
  for (const std::optional<double>& s : sums) total += CentsValue(s.value_or(0));
  return CentsValue(FloatValue(FloatText(total)));
}

// The rows straight from the store's statement where it can be: the
// driver's own reading, which turns every cell into a QVariant and every
// text into UTF-16 as it steps, costs a third of a month's statement.
QList<QVariantList> ReadFromStore(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  QSqlQuery query = Exec(db, sql, values);
  FetchedRows fetched;
  fetched.Read(query);
  QList<QVariantList> rows;
  rows.reserve(fetched.rowCount());
  for (int r = 0; r < fetched.rowCount(); ++r) {
    QVariantList row;
    row.reserve(fetched.columnCount());
    for (int c = 0; c < fetched.columnCount(); ++c) row << fetched.value(r, c);
    rows << row;
  }
  return rows;
}

class Export {
 public:
  Export(const CrossTableReader& read, bool postgres, CrossTable table, const QDate& d1, const QDate& d2)
      : read_(read), postgres_(postgres), table_(table), from_(DayText(d1)), to_(DayText(d2)), sheet_(book_.Sheet(1)) {}

  Workbook Build() {
    TitleRow();
    PersonHeads();
    items_ = Names(kSelectItems);
    if (table_ == CrossTable::DoctorSales)
      DoctorSales();
    else
      ServiceDetail();
    Borders();
    if (table_ == CrossTable::DoctorSales) Cashiers();
    return std::move(book_);
  }

 private:
  QStringList Names(const QString& sql) const {
    QStringList names;
    for (const QVariantList& row : read_(sql, {})) names << row.at(0).toString().trimmed();
    return names;
  }

  void Money(int row, int column, std::optional<double> sum) {
    sheet_.Cells(row, column).SetNumberFormat(kCrossTableMoneyFormat);
    Amount(row, column, sum);
  }
  // A sum in a cell already formatted.
  void Amount(int row, int column, std::optional<double> sum) {
    if (sum) sheet_.Cells(row, column).SetValue(CentsValue(*sum));
  }
  void Label(int row, const QString& text, bool formatted) {
    if (formatted) sheet_.Cells(row, 1).SetNumberFormat(kCrossTableMoneyFormat);
    sheet_.Cells(row, 1).SetValue(text);
  }

  void TitleRow() {
    sheet_.Range(QStringLiteral("A1:M1")).Merge();
    sheet_.Rows(1).SetHorizontalAlignment(HorizontalAlignment::Center);
    sheet_.Rows(1).SetFontName(QStringLiteral("隶书"));
    sheet_.Rows(1).SetFontSize(18);
    sheet_.Cells(1, 1).SetValue(from_ + kDash + to_ + CrossTableTitle(table_));
  }

  void PersonHeads() {
    persons_ = Names(table_ == CrossTable::DoctorSales ? kSelectDoctors : kSelectServiceStaff);
    int c = 2;
    for (const QString& name : persons_) {
      sheet_.Columns(c).SetColumnWidth(9);
      sheet_.Columns(c).SetHorizontalAlignment(HorizontalAlignment::Center);
      if (table_ == CrossTable::DoctorSales) sheet_.Cells(2, c).SetNumberFormat(kCrossTableMoneyFormat);
      sheet_.Cells(2, c).SetValue(name);
      ++c;
    }
    total_ = c;
    sheet_.Cells(2, total_).SetNumberFormat(kCrossTableMoneyFormat);
    sheet_.Cells(2, total_).SetValue(kTotalHead);
    sheet_.Columns(total_ + 1).SetColumnWidth(15);
    sheet_.Columns(total_ + 1).SetHorizontalAlignment(HorizontalAlignment::Center);
  }

  // The item rows of a service block: a cell per person, the item's total
  // over everyone in the total column (0 when none), general alignment.
  void ItemRows(int firstRow, const Block& services) {
    // One setting for the whole block: thousands of settings of one cell
    // each cost more than its values.
    if (!persons_.isEmpty() && !items_.isEmpty())
      sheet_.Range(QStringLiteral("B%1:%2%3").arg(firstRow).arg(ColumnLetters(total_)).arg(firstRow + items_.size() - 1))
          .SetNumberFormat(kCrossTableMoneyFormat);
    int r = firstRow;
    for (const QString& item : items_) {
      if (!persons_.isEmpty()) {
        int c = 2;
        for (const QString& name : persons_) Amount(r, c++, services.Cell(item, name));
        Amount(r, total_, Block::In(services.byRow, item).value_or(0));
      }
      sheet_.Rows(r).SetHorizontalAlignment(HorizontalAlignment::General);
      ++r;
    }
  }

  void DoctorSales() {
    for (int i = 0; i < kCategories.size(); ++i) Label(3 + i, kCategories.at(i), false);
    int r = 6;
    for (const QString& item : items_) {
      sheet_.Columns(total_ + 1).SetColumnWidth(5);
      Label(r++, item, false);
    }
    totalRow_ = r;
    Label(totalRow_, kTotalHead, true);

    // Medicine: doctor by category.
    Block medicine;
    const auto [sql, values] = MedicineByDoctor(postgres_, from_, to_);
    medicine.Add(read_(sql, values));
    for (int i = 0; i < kCategories.size(); ++i) {
      const QString& category = kCategories.at(i);
      const int row = 3 + i;
      int c = 2;
      for (const QString& name : persons_) {
        Money(row, c++, medicine.Cell(name, category));
        sheet_.Rows(row).SetHorizontalAlignment(HorizontalAlignment::General);
      }
      std::optional<double> total = Block::In(medicine.byColumn, category);
      if (!total && category == kCategoryShownAtZero) total = 0;
      Money(row, total_, total);
    }

    Block services;
    services.Add(read_(kSumServicesByDoctor, {from_, to_}));
    ItemRows(6, services);

    int c = 2;
    for (const QString& name : persons_) {
      Money(totalRow_, c++,
            AddedCents({medicine.Cell(name, kCategories.at(0)), medicine.Cell(name, kCategories.at(1)),
                        medicine.Cell(name, kCategories.at(2)), Block::In(services.byColumn, name)}));
      sheet_.Rows(totalRow_).SetHorizontalAlignment(HorizontalAlignment::General);
    }
    Money(totalRow_, total_,
          AddedCents({Block::In(medicine.byColumn, kCategories.at(0)), Block::In(medicine.byColumn, kCategories.at(1)),
                      Block::In(medicine.byColumn, kCategories.at(2)), services.all}));
  }

  void ServiceDetail() {
    int r = 3;
    for (const QString& item : items_) Label(r++, item, true);
    totalRow_ = r;
    Label(totalRow_, kTotalHead, true);

    Block services;
    services.Add(read_(kSumServicesByPerformer, {from_, to_}));
    ItemRows(3, services);

    int c = 2;
    for (const QString& name : persons_) {
      sheet_.Rows(totalRow_).SetHorizontalAlignment(HorizontalAlignment::General);
      Money(totalRow_, c++, Block::In(services.byColumn, name).value_or(0));
    }
    Money(totalRow_, total_, services.all.value_or(0));
  }

  void Borders() {
    CellRange bordered = sheet_.Range(QStringLiteral("A2:%1%2").arg(ColumnLetters(total_)).arg(totalRow_));
    bordered.SetFontName(QStringLiteral("宋体"));
    bordered.SetBorders();
  }

  void Cashiers() {
    const int row = totalRow_ + 1;
    int c = kFirstCashierColumn;
    for (const QVariantList& cashier : read_(kSumByCashier, {from_, to_})) {
      sheet_.Cells(row, c).SetValue(cashier.at(0).toString().trimmed());
      ++c;
      Money(row, c, cashier.at(1).isNull() ? std::nullopt : std::optional<double>(cashier.at(1).toDouble()));
      c += 2;
    }
  }

  const CrossTableReader& read_;
  bool postgres_;
  CrossTable table_;
  QString from_;
  QString to_;
  Workbook book_;
  Worksheet& sheet_;
  QStringList persons_;
  QStringList items_;
  int total_ = 2;     // the 合计 column
  int totalRow_ = 3;  // the 合计 row
};
}  // namespace

QString CrossTableTitle(CrossTable table) {
  return table == CrossTable::DoctorSales ? QStringLiteral("医生销售统计表") : QStringLiteral("辅助科室服务明细表");
}

QString CrossTableFileName(CrossTable table, const QDate& d1, const QDate& d2) {
  return QStringLiteral("%1 %2-%3.xlsx").arg(CrossTableTitle(table), DayText(d1), DayText(d2));
}

Workbook ExcelCrossTableExport(const QSqlDatabase& db, CrossTable table, const QDate& d1, const QDate& d2) {
  const CrossTableReader read = [&db](const QString& sql, const QVariantList& values) {
    return ReadFromStore(db, sql, values);
  };
  return ExcelCrossTableExport(read, IsPostgres(db), table, d1, d2);
}

Workbook ExcelCrossTableExport(const CrossTableReader& read, bool postgres, CrossTable table, const QDate& d1,
                               const QDate& d2) {
  return Export(read, postgres, table, d1, d2).Build();
}
