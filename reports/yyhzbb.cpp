#include "reports/yyhzbb.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "reports/reconciliationpanel.h"
#include "reports/reportcontrols.h"
#include "stock/controls.h"

// Each takes the first and the last day; the medicine of one pricing
// account takes the account after them.
const QString kPeriodIncomeByCashier = QStringLiteral(
    R"~(select 收银人帐号, sum("药费(元)" + "服务费(元)") as "收入金额(元)" from 患者信息 indexed by "患者信息_收银时间" )~"
    "where 时间 between ? and ? group by 收银人帐号 order by 收银人帐号");
const QString kPeriodIncomeByPricingAccount = QStringLiteral(
    R"~(select 划价人帐号, sum("药费(元)" + "服务费(元)") as "收入金额(元)" from 患者信息 indexed by "患者信息_划价时间" )~"
    "where 时间 between ? and ? group by 划价人帐号 order by 划价人帐号");
const QString kPeriodMedicineOfPricingAccount = QStringLiteral(
    R"~(select ypxx.类别, sum(ckxx.数量 * ckxx."单价(元)") as "总价(元)" )~"
    R"~(from 药品信息 as ypxx, 出库信息 as ckxx indexed by "出库信息_划价时间流水" )~"
    "where ckxx.时间 between ? and ? and ckxx.划价人帐号 = ? and ckxx.编号 = ypxx.编号 "
    "group by ypxx.类别 order by ypxx.类别");

namespace {
const ReconciliationWidths kWidths{{65, 65, 65}, {60, 80}, {60, 60, 70}};
const QList<int> kSummaryWidths = {60, 70};
const QList<int> kMedicineWidths = {40, 50};
const QList<int> kAmountDecimals = {kGeneral, kMoneyDecimals};
}  // namespace

TFormhzb::TFormhzb(QWidget* parent) : QWidget(parent) {
  // The window carries the caption of the command that opens it.
  setWindowTitle(QStringLiteral("汇总对账报表"));
  Label3 = TitleLabel(this, QStringLiteral("Label3"), QStringLiteral("汇     总    对    帐   详   单    "));
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("对账报表"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("打印门诊收入报表"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("打印住院收入报表"));
  BitBtn1->hide();
  BitBtn2->hide();
  DBGrid6 = ReportGrid(this, QStringLiteral("DBGrid6"), kAmountDecimals);
  DBGrid7 = ReportGrid(this, QStringLiteral("DBGrid7"), kAmountDecimals);
  DBGrid8 = ReportGrid(this, QStringLiteral("DBGrid8"), kAmountDecimals);
  DBGrid8->hide();
  panel_ = new ReconciliationPanel(this, kWidths);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new QLabel(QStringLiteral("开始时间：   "), this));
  buttons->addWidget(DateTimePicker1);
  buttons->addWidget(new QLabel(QStringLiteral("结束时间：   "), this));
  buttons->addWidget(DateTimePicker2);
  for (QPushButton* button : {BitBtn3, BitBtn1, BitBtn2}) buttons->addWidget(button);
  buttons->addStretch();
  auto* summaries = new QGridLayout;
  summaries->addWidget(new QLabel(QStringLiteral("收银汇总   "), this), 0, 0);
  summaries->addWidget(DBGrid6, 1, 0);
  summaries->addWidget(new QLabel(QStringLiteral("划价汇总   "), this), 0, 1);
  summaries->addWidget(DBGrid7, 1, 1);
  summaries->addWidget(DBGrid8, 1, 2);
  auto* page = new QVBoxLayout(this);
  page->addWidget(Label3, 0, Qt::AlignHCenter);
  page->addLayout(buttons);
  page->addWidget(panel_, 2);
  page->addLayout(summaries, 1);

  connect(BitBtn3, &QPushButton::clicked, this, &TFormhzb::BitBtn3Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormhzb::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormhzb::BitBtn2Click);
  connect(DBGrid7, &DataGrid::CellClick, this, &TFormhzb::DBGrid7CellClick);
  connect(DBGrid8, &DataGrid::DblClick, this, &TFormhzb::DBGrid8DblClick);
  try {
    connection_ = OpenClinicDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhzb::BitBtn3Click() {
  const QDate first = DateTimePicker1->date();
  const QDate last = DateTimePicker2->date();
  if (!panel_->Reconcile(connection_.db(), first, last, CashierOrder::ByCashier)) return;
  BitBtn2->show();
  BitBtn1->show();
  try {
    const QVariantList days{DayText(first), DayText(last)};
    QSqlQuery cashiers = Exec(connection_.db(), kPeriodIncomeByCashier, days);
    DBGrid6->Open(cashiers);
    DBGrid6->SetColumnWidths(kSummaryWidths);
    QSqlQuery accounts = Exec(connection_.db(), kPeriodIncomeByPricingAccount, days);
    DBGrid7->Open(accounts);
    DBGrid7->SetColumnWidths(kSummaryWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhzb::DBGrid7CellClick() {
  const QString account = DBGrid7->Cell(0).trimmed();
  if (account.isEmpty()) return;
  DBGrid8->show();
  try {
    QSqlQuery medicine = Exec(connection_.db(), kPeriodMedicineOfPricingAccount,
                              {DayText(DateTimePicker1->date()), DayText(DateTimePicker2->date()), account});
    DBGrid8->Open(medicine);
    DBGrid8->SetColumnWidths(kMedicineWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhzb::DBGrid8DblClick() { DBGrid8->hide(); }

void TFormhzb::BitBtn1Click() { panel_->PrintSheet(connection_.db(), IncomeKind::Outpatient, SheetOrigin::Period); }

void TFormhzb::BitBtn2Click() { panel_->PrintSheet(connection_.db(), IncomeKind::Inpatient, SheetOrigin::Period); }
