#include "reports/ypckbb.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "reports/issuepurge.h"
#include "reports/optionalfilter.h"
#include "reports/reportcontrols.h"
#include "stock/controls.h"

// Goods by goods in code order, each one's lines of the dates read from
// the index that holds every line column filtered and summed: no sort and
// no visit to the lines themselves. %1: the filters' conditions.
const QString kSelectIssueSummary = QStringLiteral(
    "select ypxx.编号, ypxx.品名, sum(ckxx.数量) as 数量, ypxx.单位, sum(ckxx.数量 * ckxx.\"单价(元)\") as \"总价(元)\" "
    "from 药品信息 as ypxx cross join 出库信息 as ckxx indexed by \"出库信息_编号时间\" "
    "where ckxx.时间 between ? and ? and %1 and ckxx.编号 = ypxx.编号 "
    "group by ypxx.编号 order by ypxx.编号");
const QString kSumIssues = QStringLiteral(
    "select sum(ckxx.数量 * ckxx.\"单价(元)\") as 总价 from 药品信息 as ypxx cross join 出库信息 as ckxx "
    "indexed by \"出库信息_编号时间\" "
    "where ckxx.时间 between ? and ? and %1 and ckxx.编号 = ypxx.编号");

namespace {
QList<std::pair<QString, QVariant>> LineFilters(const QVariantList& filters) {
  return {{QStringLiteral("ckxx.开方医师"), filters.value(2)}, {QStringLiteral("ckxx.出库人帐号"), filters.value(3)}};
}

QList<std::pair<QString, QVariant>> GoodsFilters(const QVariantList& filters) {
  return {{QStringLiteral("ypxx.类别"), filters.value(4)},
          {QStringLiteral("ypxx.剂型"), filters.value(5)},
          {QStringLiteral("ypxx.拼音缩写"), filters.value(6)}};
}

// The same summary on the server: goods by goods in code order, each
// one's lines of the dates summed from the index that holds them, so that
// the server sends the first goods as soon as they are summed and the
// first screen shows at once. Summing every code first and joining the
// goods after made a year's first row wait for the last line (though the
// whole came a little sooner). Goods without lines of the dates are not
// listed, as in the join. %1: the lines' conditions, %2: the goods'.
const QString kServerIssueSummary = QStringLiteral(
    "select ypxx.编号, ypxx.品名, sums.数量, ypxx.单位, sums.\"总价(元)\" from 药品信息 as ypxx cross join lateral "
    "(select count(*) as 行数, sum(ckxx.数量) as 数量, sum(ckxx.数量 * ckxx.\"单价(元)\") as \"总价(元)\" "
    "from 出库信息 as ckxx where ckxx.编号 = ypxx.编号 and ckxx.时间 between ? and ? and %1) as sums "
    "where sums.行数 > 0 and %2 order by ypxx.编号");

BoundStatement IssueSummary(const QSqlDatabase& db, const QString& like, const QVariantList& filters) {
  QVariantList narrowing;
  FilterConditions(like, GoodsFilters(filters), narrowing);
  if (IsPostgres(db) && narrowing.isEmpty()) return IssueStatement(kServerIssueSummary, like, filters);
  return IssueStatement(kSelectIssueSummary, like, filters);
}
}  // namespace

BoundStatement IssueStatement(const QString& sql, const QString& like, const QVariantList& filters) {
  QVariantList values = filters.mid(0, 2);
  const QString lines = FilterConditions(like, LineFilters(filters), values);
  const QString goods = FilterConditions(like, GoodsFilters(filters), values);
  if (sql.contains(QLatin1String("%2"))) return {sql.arg(lines, goods), values};
  return {sql.arg(lines + QStringLiteral(" and ") + goods), values};
}

namespace {
const QString kSelectIssueLines = QStringLiteral(
    "select ckxx.时间, ypxx.品名, ckxx.\"单价(元)\", ckxx.数量, ypxx.单位, ckxx.\"总价(元)\", ypxx.类别, ypxx.规格, "
    "ypxx.厂商, ckxx.出库人帐号, ckxx.开方医师 from 药品信息 as ypxx, 出库信息 as ckxx ");
// The dosage form is no part of an item's lines. Values: first day, last
// day, code, doctor, issuer, category, pinyin.
const QString kItemIssueLines =
    kSelectIssueLines +
    QStringLiteral(
        "where ckxx.时间 between ? and ? and ckxx.编号 = ? and ckxx.编号 = ypxx.编号 and ckxx.开方医师 %1 ? "
        "and ckxx.出库人帐号 %1 ? and ypxx.类别 %1 ? and ypxx.拼音缩写 %1 ? order by ckxx.时间 asc");
const QString kNoItemIssueLines =
    kSelectIssueLines + QStringLiteral("where ckxx.时间 between ? and ? and ckxx.编号 = '0' and ckxx.编号 = ypxx.编号");

const QString kCategories = QStringLiteral("select 药品类别 from 药品类别");
const QString kForms = QStringLiteral("select 剂型 from 药品剂型");
const QString kDoctors = QStringLiteral("select 姓名 from 服务人 where trim(职务) = ?");

const QList<int> kSummaryWidths = {50, 240, 60, 60, 60};
const QList<int> kDetailWidths = WidthsThen({60, 240}, 60, 11);
}  // namespace

TFormypckbb::TFormypckbb(QWidget* parent)
    : QWidget(parent),
      DBGrid2(ReportGrid(this, QStringLiteral("DBGrid2"))),
      DBGrid1(ReportGrid(this, QStringLiteral("DBGrid1"))),
      report_(DBGrid2, DBGrid1) {
  setWindowTitle(QStringLiteral("药品出库报表"));
  buildLayout();
  DBGrid2->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals});
  DBGrid1->SetColumnDecimals({kGeneral, kGeneral, kMoneyDecimals, kGeneral, kGeneral, kMoneyDecimals});
  DBGrid2->setEnabled(false);
  DBGrid1->setEnabled(false);
  category_ = new OptionalFilter(CheckBox1, ComboBox1, QStringLiteral("请选择药品类别"), {kCategories, {}}, this);
  form_ = new OptionalFilter(CheckBox2, ComboBox2, QStringLiteral("请选择药品剂型"), {kForms, {}}, this);
  pinyin_ = new OptionalFilter(CheckBox3, Edit2, QStringLiteral("请输入拼音码"), this);
  issuer_ = new OptionalFilter(CheckBox4, Edit3, QStringLiteral("请输入出库人帐号"), this);
  doctor_ = new OptionalFilter(CheckBox5, ComboBoxys, QStringLiteral("请选开方医师"),
                               {kDoctors, {QStringLiteral("医师")}}, this, true);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormypckbb::BitBtn1Click);
  connect(DBGrid2, &DataGrid::CellClick, this, &TFormypckbb::DBGrid2CellClick);
  try {
    connection_ = OpenClinicDatabase();
    report_.SetDatabase(connection_.db());
    for (OptionalFilter* filter : {category_, form_, doctor_}) filter->SetConnection(&connection_);
    PurgeEmptyIssueLines(connection_.db());
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypckbb::buildLayout() {
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  Edit1 = NewTotalBox(this, QStringLiteral("Edit1"), QStringLiteral("0.00"));
  CheckBox1 = new MouseUpCheckBox(QStringLiteral("CheckBox1"), QStringLiteral("按类别查询     "), this);
  CheckBox2 = new MouseUpCheckBox(QStringLiteral("CheckBox2"), QStringLiteral("药品剂型"), this);
  CheckBox3 = new MouseUpCheckBox(QStringLiteral("CheckBox3"), QStringLiteral("按药品拼音码查询        "), this);
  CheckBox4 = new MouseUpCheckBox(QStringLiteral("CheckBox4"), QStringLiteral("按出库人查询      "), this);
  CheckBox5 = new MouseUpCheckBox(QStringLiteral("CheckBox5"), QStringLiteral("开方医师     "), this);
  ComboBox1 = FilterCombo(this, QStringLiteral("ComboBox1"));
  ComboBox2 = FilterCombo(this, QStringLiteral("ComboBox2"));
  ComboBoxys = FilterCombo(this, QStringLiteral("ComboBoxys"));
  Edit2 = NewEdit(this, QStringLiteral("Edit2"));
  Edit3 = NewEdit(this, QStringLiteral("Edit3"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("查询"));

  const QColor red(Qt::red);
  QHBoxLayout* dates =
      ControlRow({PlainLabel(this, QStringLiteral("Label4"), QStringLiteral("请选择查询时间：")),
                  PlainLabel(this, QStringLiteral("Label1"), QStringLiteral("开始时间：")), DateTimePicker1,
                  PlainLabel(this, QStringLiteral("Label2"), QStringLiteral("结束时间：")), DateTimePicker2,
                  PlainLabel(this, QStringLiteral("Label3"), QStringLiteral("出库金额：")), Edit1,
                  PlainLabel(this, QStringLiteral("Label5"), QStringLiteral("元"))});
  QGridLayout* filters = FilterGrid({{CheckBox1, ComboBox1},
                                     {CheckBox2, ComboBox2},
                                     {CheckBox3, Edit2},
                                     {CheckBox4, Edit3},
                                     {CheckBox5, ComboBoxys}});
  const int buttons = filters->columnCount();
  filters->addWidget(BitBtn1, 0, buttons, 2, 1);

  auto* page = new QVBoxLayout(this);
  page->addWidget(CalligraphicLabel(this, QStringLiteral("Label9"), QStringLiteral("   出 库 报 表   "),
                                    QColor(0, 0, 128), 35, true),
                  0, Qt::AlignHCenter);
  page->addLayout(dates);
  page->addWidget(
      CalligraphicLabel(this, QStringLiteral("Label7"), QStringLiteral("     统计条件      "), red, 21, true));
  page->addLayout(filters);
  page->addWidget(
      CalligraphicLabel(this, QStringLiteral("Label6"), QStringLiteral("       药品出库统计         "), red, 21, true));
  page->addWidget(DBGrid2, 1);
  page->addWidget(
      CalligraphicLabel(this, QStringLiteral("Label8"), QStringLiteral("    统计详单      "), red, 24, true));
  page->addWidget(DBGrid1, 1);
}

QVariantList TFormypckbb::filterValues() const {
  return {DayText(DateTimePicker1->date()),
          DayText(DateTimePicker2->date()),
          doctor_->Value(),
          issuer_->Value(),
          category_->Value(),
          form_->Value(),
          pinyin_->Inside()};
}

void TFormypckbb::BitBtn1Click() {
  DBGrid2->setEnabled(true);
  try {
    const QSqlDatabase db = connection_.db();
    const QString like = LikeOperator(db);
    report_.ShowSummary(IssueSummary(db, like, filterValues()), kSummaryWidths);
    const BoundStatement sum = IssueStatement(kSumIssues, like, filterValues());
    const QString total = ScalarText(db, sum.sql, sum.values);
    Edit1->setText(MoneyText(total));
    // The detail keeps what it showed unless the query found nothing.
    if (!total.isEmpty()) return;
    report_.ShowDetail({kNoItemIssueLines, {DayText(DateTimePicker1->date()), DayText(DateTimePicker2->date())}},
                       kDetailWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypckbb::DBGrid2CellClick() {
  DBGrid1->setEnabled(true);
  const QVariantList filters = filterValues();
  const QVariantList values = {filters[0], filters[1], report_.ClickedCode(), filters[2], filters[3],
                               filters[4], filters[6]};
  try {
    report_.ShowDetail({kItemIssueLines.arg(LikeOperator(connection_.db())), values}, kDetailWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}
