#include "reports/yprkbb.h"

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
#include "reports/optionalfilter.h"
#include "reports/reportcontrols.h"
#include "stock/controls.h"

// A line whose compared column is NULL never matches, filtered or not:
// "%" matches every text, but no NULL.
const QString kSelectReceiptSummary = QStringLiteral(
    "select rkxx.编号, ypxx.品名, sum(rkxx.数量) as 数量, ypxx.单位, sum(rkxx.\"总价(元)\") as \"总价(元)\" "
    "from 药品信息 as ypxx, 入库信息 as rkxx "
    "where (rkxx.时间 between ? and ?) and (rkxx.药品来源 %1 ?) and (rkxx.入库人帐号 %1 ?) "
    "and (ypxx.类别 %1 ?) and (ypxx.拼音缩写 %1 ?) and (rkxx.编号 = ypxx.编号) "
    "group by rkxx.编号, ypxx.品名, ypxx.单位 order by rkxx.编号");
const QString kSumReceipts = QStringLiteral(
    "select sum(rkxx.\"总价(元)\") as 总价 from 药品信息 as ypxx, 入库信息 as rkxx "
    "where rkxx.时间 between ? and ? and rkxx.药品来源 %1 ? and rkxx.入库人帐号 %1 ? "
    "and ypxx.类别 %1 ? and ypxx.拼音缩写 %1 ? and rkxx.编号 = ypxx.编号");

namespace {
const QString kSelectReceiptLines = QStringLiteral(
    "select rkxx.时间, ypxx.品名, rkxx.药品批号, rkxx.\"单价(元)\", rkxx.数量, ypxx.单位, rkxx.\"总价(元)\", "
    "ypxx.类别, ypxx.规格, ypxx.厂商, rkxx.药品来源, rkxx.入库人帐号 "
    "from 药品信息 as ypxx, 入库信息 as rkxx ");
// Values: first day, last day, code, source, account, category, pinyin.
const QString kItemReceiptLines =
    kSelectReceiptLines +
    QStringLiteral(
        "where (rkxx.时间 between ? and ?) and (rkxx.编号 = ?) and (rkxx.编号 = ypxx.编号) "
        "and (rkxx.药品来源 %1 ?) and (rkxx.入库人帐号 %1 ?) and (ypxx.类别 %1 ?) and (ypxx.拼音缩写 %1 ?) "
        "order by rkxx.行号");
// After a query that found nothing: the lines of an item coded "0" only.
const QString kNoItemReceiptLines =
    kSelectReceiptLines +
    QStringLiteral("where rkxx.时间 between ? and ? and rkxx.编号 = '0' and rkxx.编号 = ypxx.编号 order by rkxx.行号");

const QString kCategories = QStringLiteral("select 药品类别 from 药品类别");
const QString kSources = QStringLiteral("select 药品来源 from 药品来源");

const QList<int> kSummaryWidths = {50, 240, 60, 60, 60};
const QList<int> kDetailWidths = WidthsThen({80, 220}, 60, 11);
}  // namespace

TFormrkbb::TFormrkbb(QWidget* parent)
    : QWidget(parent),
      DBGrid2(ReportGrid(this, QStringLiteral("DBGrid2"))),
      DBGrid1(ReportGrid(this, QStringLiteral("DBGrid1"))),
      report_(DBGrid2, DBGrid1) {
  setWindowTitle(QStringLiteral("药品入库报表"));
  buildLayout();
  DBGrid2->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals});
  DBGrid1->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kThreeDecimals, kGeneral, kGeneral, kMoneyDecimals});
  DBGrid2->setEnabled(false);
  DBGrid1->setEnabled(false);
  category_ = new OptionalFilter(CheckBox1, ComboBox1, QStringLiteral("请选择药品类别"), {kCategories, {}}, this);
  source_ = new OptionalFilter(CheckBox2, ComboBox2, QStringLiteral("请选择药品来源"), {kSources, {}}, this);
  pinyin_ = new OptionalFilter(CheckBox3, Edit2, QStringLiteral("请输入拼音码"), this);
  account_ = new OptionalFilter(CheckBox4, Edit3, QStringLiteral("请输入入库人帐号"), this);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormrkbb::BitBtn1Click);
  connect(DBGrid2, &DataGrid::CellClick, this, &TFormrkbb::DBGrid2CellClick);
  try {
    connection_ = OpenClinicDatabase();
    report_.SetDatabase(connection_.db());
    for (OptionalFilter* filter : {category_, source_}) filter->SetConnection(&connection_);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormrkbb::buildLayout() {
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  Edit1 = NewTotalBox(this, QStringLiteral("Edit1"), QStringLiteral("0.00"));
  CheckBox1 = new MouseUpCheckBox(QStringLiteral("CheckBox1"), QStringLiteral("按类别查询        "), this);
  CheckBox2 = new MouseUpCheckBox(QStringLiteral("CheckBox2"), QStringLiteral("按药品来源查询             "), this);
  CheckBox3 = new MouseUpCheckBox(QStringLiteral("CheckBox3"), QStringLiteral("按药品拼音码查询          "), this);
  CheckBox4 = new MouseUpCheckBox(QStringLiteral("CheckBox4"), QStringLiteral("按入库人查询      "), this);
  ComboBox1 = FilterCombo(this, QStringLiteral("ComboBox1"));
  ComboBox2 = FilterCombo(this, QStringLiteral("ComboBox2"));
  Edit2 = NewEdit(this, QStringLiteral("Edit2"));
  Edit3 = NewEdit(this, QStringLiteral("Edit3"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("报表查询"));

  const QColor red(Qt::red);
  QHBoxLayout* dates =
      WideDateRow(this, DateTimePicker1, DateTimePicker2,
                  {PlainLabel(this, QStringLiteral("Label3"), QStringLiteral("入库金额：            ")), Edit1,
                   PlainLabel(this, QStringLiteral("Label5"), QStringLiteral("元     "))});
  QGridLayout* filters =
      FilterGrid({{CheckBox1, ComboBox1}, {CheckBox2, ComboBox2}, {CheckBox3, Edit2}, {CheckBox4, Edit3}});
  const int buttons = filters->columnCount();
  filters->addWidget(BitBtn1, 0, buttons, 2, 1);

  auto* page = new QVBoxLayout(this);
  page->addWidget(
      CalligraphicLabel(this, QStringLiteral("Label6"), QStringLiteral("药品入库查询       "), red, 35, false), 0,
      Qt::AlignHCenter);
  page->addLayout(dates);
  page->addWidget(CalligraphicLabel(this, QStringLiteral("Label7"), QStringLiteral("  查询条件   "), red, 24, true));
  page->addLayout(filters);
  AddGridSections(page, this, DBGrid2, DBGrid1);
}

QVariantList TFormrkbb::filterValues() const {
  return {DayText(DateTimePicker1->date()),
          DayText(DateTimePicker2->date()),
          source_->Value(),
          account_->Value(),
          category_->Value(),
          pinyin_->Inside()};
}

void TFormrkbb::BitBtn1Click() {
  DBGrid2->setEnabled(true);
  try {
    const QSqlDatabase db = connection_.db();
    const QString like = LikeOperator(db);
    report_.ShowSummary({kSelectReceiptSummary.arg(like), filterValues()}, kSummaryWidths);
    const QString total = ScalarText(db, kSumReceipts.arg(like), filterValues());
    Edit1->setText(MoneyText(total));
    // The detail keeps what it showed, even an item outside the new
    // filters, unless the query found nothing.
    if (!total.isEmpty()) return;
    report_.ShowDetail({kNoItemReceiptLines, {DayText(DateTimePicker1->date()), DayText(DateTimePicker2->date())}},
                       kDetailWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormrkbb::DBGrid2CellClick() {
  DBGrid1->setEnabled(true);
  const QVariantList filters = filterValues();
  QVariantList values = {filters[0], filters[1], report_.ClickedCode()};
  values += filters.mid(2);
  try {
    report_.ShowDetail({kItemReceiptLines.arg(LikeOperator(connection_.db())), values}, kDetailWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}
