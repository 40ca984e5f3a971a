#include "reports/ypbsbb.h"

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
#include "reports/reportcontrols.h"
#include "stock/controls.h"
#include "reports/stockprint.h"

const QString kSelectWriteOffLines = QStringLiteral(
    "select ypxx.品名, ypbs.数量, ypxx.单位, ypbs.\"总价(元)\", ypbs.药品批号, ypbs.入库时间, ypbs.报损时间, "
    "ypbs.药品来源, ypxx.厂商, ypbs.报损人帐号, ypbs.入库人帐号, ypbs.报损原因 "
    "from 药品信息 as ypxx, 药品报损信息 as ypbs where ypbs.报损时间 between ? and ? and ypbs.编号 = ypxx.编号");

namespace {
const QString kByItem = QStringLiteral("group by rkxx.编号, ypxx.品名, ypxx.单位, ypxx.厂商 order by rkxx.编号");
const QString kSelectWriteOffSummary =
    QStringLiteral(
        "select ypxx.品名, sum(rkxx.数量) as 数量, ypxx.单位, sum(rkxx.\"总价(元)\") as \"总价(元)\", ypxx.厂商 "
        "from 药品信息 as ypxx, 药品报损信息 as rkxx where rkxx.报损时间 between ? and ? and rkxx.编号 = ypxx.编号 ") +
    kByItem;
// The totals read the write-offs alone: an item missing from the goods
// list still counts.
const QString kSumWriteOffCost =
    QStringLiteral("select sum(\"总价(元)\") as 收入金额 from 药品报损信息 where 报损时间 between ? and ?");
const QString kSumWriteOffRetail =
    QStringLiteral("select sum(报损总价) as 收入金额 from 药品报损信息 where 报损时间 between ? and ?");
const QString kVoucherRows =
    QStringLiteral(
        "select ypxx.品名, sum(rkxx.数量) as 数量, ypxx.单位 as 单位, sum(rkxx.\"总价(元)\") as 总价, ypxx.厂商 "
        "from 药品信息 as ypxx, 药品报损信息 as rkxx where rkxx.报损时间 between ? and ? and rkxx.编号 = ypxx.编号 ") +
    kByItem;
const QString kDetailListRows = QStringLiteral(
    "select ypxx.品名, ypxx.规格, lsrkxx.数量, ypxx.单位, lsrkxx.\"单价(元)\", lsrkxx.\"总价(元)\", lsrkxx.药品批号, "
    "lsrkxx.报损原因 from 药品信息 as ypxx, 药品报损信息 as lsrkxx "
    "where lsrkxx.报损时间 between ? and ? and lsrkxx.编号 = ypxx.编号 "
    "order by lsrkxx.药品批号, lsrkxx.编号, ypxx.品名, ypxx.单位, ypxx.厂商");

const QList<int> kDetailWidths = {240, 60, 60, 60, 60, 70, 70, 120, 120, 60, 60, 60};
const QList<int> kSummaryWidths = {240, 60, 60, 60, 160};
}  // namespace

TFormbsbb::TFormbsbb(QWidget* parent)
    : QWidget(parent),
      DBGrid2(ReportGrid(this, QStringLiteral("DBGrid2"))),
      DBGrid1(ReportGrid(this, QStringLiteral("DBGrid1"))),
      report_(DBGrid2, DBGrid1) {
  setWindowTitle(QStringLiteral("药品报损报表"));
  buildLayout();
  DBGrid2->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kMoneyDecimals});
  connect(BitBtn1, &QPushButton::clicked, this, &TFormbsbb::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormbsbb::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TFormbsbb::BitBtn3Click);
  try {
    connection_ = OpenClinicDatabase();
    report_.SetDatabase(connection_.db());
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormbsbb::buildLayout() {
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  Edit2 = NewTotalBox(this, QStringLiteral("Edit2"), QStringLiteral("0.00"));
  Edit1 = NewTotalBox(this, QStringLiteral("Edit1"), QStringLiteral("0.00"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("报损查询"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("报损打印"));
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("打印详单"));

  QHBoxLayout* dates =
      ControlRow({PlainLabel(this, QStringLiteral("Label8"), QStringLiteral("请选择查询时间：             ")),
                  PlainLabel(this, QStringLiteral("Label1"), QStringLiteral("开始时间：       ")), DateTimePicker1,
                  PlainLabel(this, QStringLiteral("Label7"), QStringLiteral("结束时间：      ")), DateTimePicker2,
                  BitBtn1, BitBtn2, BitBtn3});
  QHBoxLayout* totals =
      ControlRow({PlainLabel(this, QStringLiteral("Label2"), QStringLiteral("报损金额：       ")), Edit2,
                  PlainLabel(this, QStringLiteral("Label9"), QStringLiteral("元     ")),
                  PlainLabel(this, QStringLiteral("Label6"), QStringLiteral("报损零售总金额：          ")), Edit1,
                  PlainLabel(this, QStringLiteral("Label4"), QStringLiteral("元     "))});

  auto* page = new QVBoxLayout(this);
  page->addWidget(
      CalligraphicLabel(this, QStringLiteral("Label5"), QStringLiteral("药品报损表 "), QColor(0, 0, 128), 56, false), 0,
      Qt::AlignHCenter);
  page->addLayout(dates);
  page->addLayout(totals);
  page->addWidget(DBGrid2, 1);
  page->addWidget(DBGrid1, 2);
}

QVariantList TFormbsbb::dates() const { return {DayText(DateTimePicker1->date()), DayText(DateTimePicker2->date())}; }

void TFormbsbb::BitBtn1Click() {
  try {
    report_.ShowDetail({kSelectWriteOffLines, dates()}, kDetailWidths);
    report_.ShowSummary({kSelectWriteOffSummary, dates()}, kSummaryWidths);
    Edit2->setText(report_.Total({kSumWriteOffCost, dates()}));
    Edit1->setText(report_.Total({kSumWriteOffRetail, dates()}));
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormbsbb::BitBtn2Click() {
  const QVariantList values = dates();
  QString costTotal, retailTotal;
  QList<QStringList> rows;
  // Summed now with the window's own total statements, never copied from
  // boxes an earlier query may have left.
  if (!ReadForPrint([&] {
        costTotal = report_.Total({kSumWriteOffCost, values});
        retailTotal = report_.Total({kSumWriteOffRetail, values});
        rows = PrintedRows(ReadAll(connection_.db(), kVoucherRows, values), {3});
      }))
    return;
  const bool printed = PrintShown(QStringLiteral("药品报损凭证"), [&](PrinterCanvasReport& doc) {
    doc.SetFooter(CurrentAccount());
    doc.SetFontSize(18);
    doc.Title(QStringLiteral("Fenmarrow药品报损凭证"), 2.5_in, 1_in / 3, 1.5_in, 7.5_in, 1_in / 3 + 1_in / 3);
    doc.SetFontSize(10);
    const Inches info = 1_in / 3 + 1_in / 2;
    TextsAlong(doc, 0, info,
               {{1_in / 2, QStringLiteral("供货时间：")},
                {2_in / 3, values.at(0).toString()},
                {2_in / 3, QStringLiteral("---")},
                {1_in / 4, values.at(1).toString()},
                {1, QStringLiteral("药品报损金额(元)")},
                {3_in / 2, costTotal},
                {1, QStringLiteral("报损零售总金额(元)：")},
                {3_in / 2, retailTotal}});
    const PrintTable table = VoucherTable(8);
    doc.HeadRow(table, info + 1_in / 7);
    doc.Rows(table, rows);
    doc.FooterBelowLastRow();
  });
  if (printed) OfferDetailList(BitBtn3);
}

void TFormbsbb::BitBtn3Click() {
  QList<QStringList> rows;
  if (!ReadForPrint([&] { rows = PrintedRows(ReadAll(connection_.db(), kDetailListRows, dates()), {4, 5}); })) return;
  PrintShown(QStringLiteral("药品报损详单"), [&](PrinterCanvasReport& doc) {
    doc.SetFooter(CurrentAccount());
    doc.BreakAfterRows(kRowsPerListPage);
    doc.SetFontSize(18);
    doc.Title(QStringLiteral("Fenmarrow药品报损详单凭证"), 2.5_in, 1_in / 5, 1.5_in, 7.5_in, 1_in / 5 + 1_in / 3);
    doc.SetFontSize(10);
    PrintTable table = DetailListTable(8, QStringLiteral("药品报损原因"));
    // A later page's head names the last column shorter.
    const PrintTable later = DetailListTable(8, QStringLiteral("报损原因"));
    table.continuationHead = [later](PrinterCanvasReport& report, int top) { report.HeadRow(later, Units(top)); };
    doc.HeadRow(table, 1_in / 5 + 1_in / 2);
    doc.Rows(table, rows);
    doc.FooterBelowLastRow();
  });
}
