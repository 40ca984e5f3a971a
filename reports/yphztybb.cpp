#include "reports/yphztybb.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "reports/reportcontrols.h"
#include "stock/controls.h"

const QString kSelectPatientReturnSummary = QStringLiteral(
    "select rkxx.编号, ypxx.品名, sum(rkxx.数量) as 数量, ypxx.单位, sum(rkxx.\"总价(元)\") as \"总价(元)\", ypxx.厂商 "
    "from 药品信息 as ypxx, 退药信息 as rkxx where rkxx.退药时间 between ? and ? and rkxx.编号 = ypxx.编号 "
    "group by rkxx.编号, ypxx.品名, ypxx.单位, ypxx.厂商 order by rkxx.编号");

namespace {
// The total reads the returns alone: an item missing from the goods list
// still counts.
const QString kSumPatientReturns =
    QStringLiteral("select sum(\"总价(元)\") as 总价 from 退药信息 where 退药时间 between ? and ?");
const QString kItemReturnLines = QStringLiteral(
    "select rkxx.开药时间, rkxx.退药时间, ypxx.品名, rkxx.批号, rkxx.\"单价(元)\", rkxx.数量, ypxx.单位, "
    "rkxx.\"总价(元)\", ypxx.类别, ypxx.规格, ypxx.厂商, rkxx.操作人帐号, rkxx.划价人帐号 "
    "from 药品信息 as ypxx, 退药信息 as rkxx "
    "where rkxx.退药时间 between ? and ? and rkxx.编号 = ? and rkxx.编号 = ypxx.编号");

const QList<int> kSummaryWidths = {50, 120, 60, 60, 60, 160};
const QList<int> kDetailWidths = WidthsThen({80, 80}, 60, 13);
}  // namespace

TFormyphztybb::TFormyphztybb(QWidget* parent)
    : QWidget(parent),
      DBGrid2(ReportGrid(this, QStringLiteral("DBGrid2"))),
      DBGrid1(ReportGrid(this, QStringLiteral("DBGrid1"))),
      report_(DBGrid2, DBGrid1, false) {
  setWindowTitle(QStringLiteral("患者退药报表"));
  buildLayout();
  DBGrid2->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals});
  DBGrid1->SetColumnDecimals(
      {kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals, kGeneral, kGeneral, kMoneyDecimals});
  connect(BitBtn1, &QPushButton::clicked, this, &TFormyphztybb::BitBtn1Click);
  connect(DBGrid2, &DataGrid::CellClick, this, &TFormyphztybb::DBGrid2CellClick);
  try {
    connection_ = OpenClinicDatabase();
    report_.SetDatabase(connection_.db());
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormyphztybb::buildLayout() {
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  Edit1 = NewTotalBox(this, QStringLiteral("Edit1"), QStringLiteral("0.00"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("报表查询"));

  const QColor red(Qt::red);
  QHBoxLayout* dates =
      WideDateRow(this, DateTimePicker1, DateTimePicker2,
                  {BitBtn1, PlainLabel(this, QStringLiteral("Label3"), QStringLiteral("退药总金额：   ")), Edit1,
                   PlainLabel(this, QStringLiteral("Label5"), QStringLiteral("元     "))});

  auto* page = new QVBoxLayout(this);
  page->addWidget(
      CalligraphicLabel(this, QStringLiteral("Label6"), QStringLiteral("退药查询报表       "), red, 35, false), 0,
      Qt::AlignHCenter);
  page->addLayout(dates);
  AddGridSections(page, this, DBGrid2, DBGrid1);
}

QVariantList TFormyphztybb::dates() const {
  return {DayText(DateTimePicker1->date()), DayText(DateTimePicker2->date())};
}

void TFormyphztybb::BitBtn1Click() {
  // The detail stays as it was, even after a query that finds nothing.
  try {
    report_.ShowSummary({kSelectPatientReturnSummary, dates()}, kSummaryWidths);
    Edit1->setText(report_.Total({kSumPatientReturns, dates()}));
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormyphztybb::DBGrid2CellClick() {
  try {
    report_.ShowDetail({kItemReturnLines, dates() + QVariantList{report_.ClickedCode()}}, kDetailWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}
