#include "reports/ypfkbb.h"

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
#include "platform/session.h"
#include "reports/optionalfilter.h"
#include "reports/reportcontrols.h"
#include "stock/controls.h"
#include "reports/stockprint.h"

namespace {
const QString kFromReturns = QStringLiteral("from 药品信息 as ypxx, 药品反库信息 as rkxx ");
// The filters every sum and printout of the window shares.
const QString kWhereFiltered = QStringLiteral(
    "where rkxx.返库时间 between ? and ? and rkxx.药品来源 %1 ? and rkxx.反库人帐号 %1 ? and ypxx.类别 %1 ? "
    "and ypxx.拼音缩写 %1 ? and rkxx.编号 = ypxx.编号 ");
const QString kByItem = QStringLiteral("group by rkxx.编号, ypxx.品名, ypxx.单位, ypxx.厂商 order by rkxx.编号");
}  // namespace

const QString kSelectReturnSummary = QStringLiteral(
                                         "select rkxx.编号, ypxx.品名, sum(rkxx.数量) as 数量, ypxx.单位, "
                                         "sum(rkxx.\"总价(元)\") as \"总价(元)\", ypxx.厂商 ") +
                                     kFromReturns + kWhereFiltered + kByItem;

namespace {
const QString kSumReturnCost = QStringLiteral("select sum(rkxx.\"总价(元)\") as 总价 ") + kFromReturns + kWhereFiltered;
const QString kSumReturnRetail = QStringLiteral("select sum(rkxx.零售金额) as 总价 ") + kFromReturns + kWhereFiltered;
const QString kSelectReturnLines =
    QStringLiteral(
        "select rkxx.返库时间, rkxx.入库时间, ypxx.品名, rkxx.药品批号, rkxx.\"单价(元)\", rkxx.数量, ypxx.单位, "
        "rkxx.\"总价(元)\", ypxx.类别, ypxx.规格, ypxx.厂商, rkxx.入库人帐号, rkxx.反库人帐号, rkxx.返库原因 ") +
    kFromReturns;
// An item's returns of every source and returner, whatever the filters.
const QString kItemReturnLines =
    kSelectReturnLines +
    QStringLiteral("where rkxx.返库时间 between ? and ? and rkxx.编号 = ? and rkxx.编号 = ypxx.编号");
const QString kVoucherRows =
    QStringLiteral(
        "select ypxx.品名 as 品名, sum(rkxx.数量) as 数量, ypxx.单位 as 单位, sum(rkxx.\"总价(元)\") as 总价, "
        "ypxx.厂商 as 厂商 ") +
    kFromReturns + kWhereFiltered + kByItem;
const QString kDetailListRows =
    QStringLiteral(
        "select ypxx.品名, ypxx.规格, rkxx.数量, ypxx.单位, rkxx.\"单价(元)\", rkxx.\"总价(元)\", rkxx.药品批号 ") +
    kFromReturns + kWhereFiltered +
    QStringLiteral("order by rkxx.药品批号, rkxx.编号, ypxx.品名, ypxx.单位, ypxx.厂商");

const QString kCategories = QStringLiteral("select 药品类别 from 药品类别");
const QString kSources = QStringLiteral("select 药品来源 from 药品来源");

// Empty text, which a null string would not be: bound, that is NULL.
const QString kEmptyText = QStringLiteral("");

const QList<int> kSummaryWidths = {50, 120, 60, 60, 60};
const QList<int> kEmptiedDetailWidths = WidthsThen({}, 60, 13);
const QList<int> kDetailWidths = WidthsThen({70}, 60, 13);
}  // namespace

TFormypfkbb::TFormypfkbb(QWidget* parent)
    : QWidget(parent),
      DBGrid2(ReportGrid(this, QStringLiteral("DBGrid2"))),
      DBGrid1(ReportGrid(this, QStringLiteral("DBGrid1"))),
      report_(DBGrid2, DBGrid1) {
  setWindowTitle(QStringLiteral("药品返库报表"));
  buildLayout();
  DBGrid2->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals});
  DBGrid1->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kGeneral, kThreeDecimals, kGeneral, kGeneral, kMoneyDecimals});
  category_ = new OptionalFilter(CheckBox1, ComboBox1, QStringLiteral("请选择药品类别"), {kCategories, {}}, this);
  source_ = new OptionalFilter(CheckBox2, ComboBox2, QStringLiteral("请选择药品来源"), {kSources, {}}, this);
  // The voucher is for one supplier: its button shows with the source box.
  source_->AlsoShows(BitBtn1);
  pinyin_ = new OptionalFilter(CheckBox3, Edit2, QStringLiteral("请输入拼音码"), this);
  returner_ = new OptionalFilter(CheckBox4, Edit3, QStringLiteral("请输入返库人帐号"), this);
  for (OptionalFilter* filter : {category_, source_}) filter->SetConnection(&connection_);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormypfkbb::BitBtn2Click);
  connect(DBGrid2, &DataGrid::CellClick, this, &TFormypfkbb::DBGrid2CellClick);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormypfkbb::BitBtn1Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TFormypfkbb::BitBtn3Click);
  try {
    connection_ = OpenClinicDatabase();
    report_.SetDatabase(connection_.db());
    // At opening the pinyin condition is an empty pattern: only items
    // whose code is empty text, normally none, under the summary's heads.
    QVariantList values = filterValues();
    values.last() = kEmptyText;
    report_.ShowSummary({kSelectReturnSummary.arg(LikeOperator(connection_.db())), values}, kSummaryWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypfkbb::buildLayout() {
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  Edit5 = NewTotalBox(this, QStringLiteral("Edit5"), QStringLiteral("0.00"));
  Editlsje = NewTotalBox(this, QStringLiteral("Editlsje"), QStringLiteral("0.00"));
  CheckBox1 = new MouseUpCheckBox(QStringLiteral("CheckBox1"), QStringLiteral("按类别查询        "), this);
  CheckBox2 = new MouseUpCheckBox(QStringLiteral("CheckBox2"), QStringLiteral("按药品来源查询             "), this);
  CheckBox3 = new MouseUpCheckBox(QStringLiteral("CheckBox3"), QStringLiteral("按药品拼音码查询          "), this);
  CheckBox4 = new MouseUpCheckBox(QStringLiteral("CheckBox4"), QStringLiteral("按返库人帐号查询      "), this);
  ComboBox1 = FilterCombo(this, QStringLiteral("ComboBox1"));
  ComboBox2 = FilterCombo(this, QStringLiteral("ComboBox2"));
  Edit2 = NewEdit(this, QStringLiteral("Edit2"));
  Edit3 = NewEdit(this, QStringLiteral("Edit3"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("报表查询"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("打印返库单"));
  BitBtn1->hide();
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("打印详单"));
  BitBtn3->hide();

  const QColor red(Qt::red);
  QHBoxLayout* dates =
      WideDateRow(this, DateTimePicker1, DateTimePicker2,
                  {PlainLabel(this, QStringLiteral("Label3"), QStringLiteral("返库总金额：            ")), Edit5,
                   PlainLabel(this, QStringLiteral("Label5"), QStringLiteral("元     ")),
                   PlainLabel(this, QStringLiteral("Label10"), QStringLiteral("返库药品零售金额：   ")), Editlsje,
                   PlainLabel(this, QStringLiteral("Label11"), QStringLiteral("元     "))});
  QGridLayout* filters =
      FilterGrid({{CheckBox1, ComboBox1}, {CheckBox2, ComboBox2}, {CheckBox3, Edit2}, {CheckBox4, Edit3}});
  const int buttons = filters->columnCount();
  filters->addWidget(BitBtn2, 0, buttons);
  filters->addWidget(BitBtn1, 1, buttons);
  filters->addWidget(BitBtn3, 1, buttons + 1);

  auto* page = new QVBoxLayout(this);
  page->addWidget(
      CalligraphicLabel(this, QStringLiteral("Label6"), QStringLiteral("药品返库查询       "), red, 35, false), 0,
      Qt::AlignHCenter);
  page->addLayout(dates);
  page->addWidget(CalligraphicLabel(this, QStringLiteral("Label7"), QStringLiteral("  查询条件   "), red, 24, true));
  page->addLayout(filters);
  AddGridSections(page, this, DBGrid2, DBGrid1);
}

QVariantList TFormypfkbb::dates() const { return {DayText(DateTimePicker1->date()), DayText(DateTimePicker2->date())}; }

QVariantList TFormypfkbb::filterValues() const {
  return dates() + QVariantList{source_->Value(), returner_->Value(), category_->Value(), pinyin_->Inside()};
}

void TFormypfkbb::BitBtn2Click() {
  try {
    const QString like = LikeOperator(connection_.db());
    report_.ShowSummary({kSelectReturnSummary.arg(like), filterValues()}, kSummaryWidths);
    Edit5->setText(report_.Total({kSumReturnCost.arg(like), filterValues()}));
    Editlsje->setText(report_.Total({kSumReturnRetail.arg(like), filterValues()}));
    report_.ShowDetail({kItemReturnLines, dates() + QVariantList{kEmptyText}}, kEmptiedDetailWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  DBGrid2->setFocus(Qt::OtherFocusReason);
}

void TFormypfkbb::DBGrid2CellClick() {
  try {
    report_.ShowDetail({kItemReturnLines, dates() + QVariantList{report_.ClickedCode()}}, kDetailWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypfkbb::BitBtn1Click() {
  if (report_.ClickedCode().isEmpty()) return;
  const QString like = LikeOperator(connection_.db());
  const QVariantList values = filterValues();
  QString costTotal, retailTotal;
  QList<QStringList> rows;
  // The totals are summed now, over the very rows the voucher lists.
  if (!ReadForPrint([&] {
        costTotal = report_.Total({kSumReturnCost.arg(like), values});
        retailTotal = report_.Total({kSumReturnRetail.arg(like), values});
        rows = PrintedRows(ReadAll(connection_.db(), kVoucherRows.arg(like), values), {3});
      }))
    return;
  const QString supplier = ComboBox2->currentText().trimmed();
  const bool printed = PrintShown(QStringLiteral("药品返库凭证"), [&](PrinterCanvasReport& doc) {
    doc.SetFooter(CurrentAccount());
    doc.SetFooterSteps({2, 1.1_in, 1, 0.9_in, 2, 0.6_in});
    doc.SetFontSize(18);
    doc.Title(QStringLiteral("Fenmarrow药品返库凭证"), 1.5_in, 1_in / 3, 1.5_in, 7, 1_in / 3 + 1_in / 3);
    doc.SetFontSize(10);
    doc.Text(1.5_in + 3.5_in, 1_in / 2, QStringLiteral("供货单位："));
    doc.Text(1.5_in + 3.5_in + 2_in / 3, 1_in / 2, supplier);
    const Inches info = 1_in / 3 + 2_in / 5;
    TextsAlong(doc, 1_in / 2 + 1_in / 2, info,
               {{0, QStringLiteral("供货时间：")},
                {1, values.at(0).toString()},
                {2_in / 3, QStringLiteral("---")},
                {1_in / 4, values.at(1).toString()},
                {1, QStringLiteral("退药总金额(元)")},
                {1, costTotal},
                {2_in / 3, QStringLiteral("退药零售金额(元)")},
                {5_in / 4, retailTotal}});
    const PrintTable table = VoucherTable(7.8_in);
    doc.HeadRow(table, info + 1_in / 7);
    doc.Rows(table, rows);
    doc.FooterBelowLastRow();
  });
  if (printed) OfferDetailList(BitBtn3);
}

void TFormypfkbb::BitBtn3Click() {
  QList<QStringList> rows;
  if (!ReadForPrint([&] {
        rows = PrintedRows(
            ReadAll(connection_.db(), kDetailListRows.arg(LikeOperator(connection_.db())), filterValues()), {4, 5});
      }))
    return;
  PrintShown(QStringLiteral("药品返库详单"), [&](PrinterCanvasReport& doc) {
    doc.SetFooter(CurrentAccount());
    doc.BreakAfterRows(kRowsPerListPage);
    doc.SetFontSize(10);
    // The first head reaches 8 in; the rows and later heads stop at 7.8.
    doc.HeadRow(DetailListTable(8), 1_in / 7);
    doc.Rows(DetailListTable(7.8_in), rows);
    doc.FooterBelowLastRow();
  });
}
