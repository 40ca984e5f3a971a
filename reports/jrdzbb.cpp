#include "reports/jrdzbb.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "reports/dayclose.h"
#include "reports/reconciliationpanel.h"
#include "reports/reportcontrols.h"
#include "stock/controls.h"

namespace {
const QString kNone = QStringLiteral("0");
const QString kCloseTitle = QStringLiteral("对账提示");
const QString kVoidQuestion =
    QStringLiteral("还有%1张处方没收银，是否要作废。如果确定作废点击\"是\"，不作废点击\"否\",去收银");
const QString kPaidWaiting = QStringLiteral("不能进行结帐操作，还有%1人药品没有出库，请出库后再结帐。");
const QString kPaidWaitingTitle = QStringLiteral("提示");
const QString kCloseQuestion = QStringLiteral("此操作后，没收银的处方全部作废。如果确定点击\"是\"");
const QString kConfirmQuestion = QStringLiteral("此操作将使所有未结帐的处方作废，如果要操作请点\"是\"");
const QString kConfirmTitle = QStringLiteral("未结帐处方作废提示");

const ReconciliationWidths kWidths{{80, 80, 80}, {60, 80}, {60, 60, 90}};
}  // namespace

TFormdzbb::TFormdzbb(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("今日对账报表"));
  Label3 = TitleLabel(this, QStringLiteral("Label3"), QStringLiteral("今     日    对    帐   详   单    "));
  BitBtn4 = NewButton(this, QStringLiteral("BitBtn4"), QStringLiteral("对账报表"));
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("确认完成对帐操作"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("打印门诊收入报表"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("打印住院收入报表"));
  for (QPushButton* hidden : {BitBtn3, BitBtn1, BitBtn2}) hidden->hide();
  // The reconciliation's days, fixed when the window opens: a window left
  // open past midnight still sums the day it was opened on.
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  DateTimePicker1->hide();
  DateTimePicker2->hide();
  auto* startLabel = new QLabel(QStringLiteral("开始时间：   "), this);
  auto* endLabel = new QLabel(QStringLiteral("结束时间：   "), this);
  startLabel->hide();
  endLabel->hide();
  panel_ = new ReconciliationPanel(this, kWidths);

  auto* buttons = new QHBoxLayout;
  // The confirm stands where the close was.
  for (QWidget* w : std::initializer_list<QWidget*>{BitBtn4, BitBtn3, startLabel, DateTimePicker1, endLabel,
                                                     DateTimePicker2, BitBtn1, BitBtn2})
    buttons->addWidget(w);
  buttons->addStretch();
  auto* page = new QVBoxLayout(this);
  page->addWidget(Label3, 0, Qt::AlignHCenter);
  page->addLayout(buttons);
  page->addWidget(panel_, 1);

  connect(BitBtn4, &QPushButton::clicked, this, &TFormdzbb::BitBtn4Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TFormdzbb::BitBtn3Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormdzbb::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormdzbb::BitBtn2Click);
  try {
    connection_ = OpenClinicDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

// Voids the unpaid visits for as long as the user says so and there are
// any; true when none is left, false when the user keeps them or the void
// failed.
bool TFormdzbb::voidOrWait() {
  for (;;) {
    const QString unpaid = UnpaidVisitCount(connection_.db());
    if (unpaid == kNone) return true;
    if (!AskYesNoExclamation(kVoidQuestion.arg(unpaid), kCloseTitle)) return false;
    if (!VoidUnpaidVisits(connection_.db())) {
      ShowMessage(PostingFailedText(connection_.db()));
      return false;
    }
  }
}

void TFormdzbb::BitBtn4Click() {
  try {
    if (!voidOrWait()) return;
    const QString waiting = PaidUndispensedCount(connection_.db());
    if (waiting != kNone) {
      ShowExclamation(kPaidWaiting.arg(waiting), kPaidWaitingTitle);
      return;
    }
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  if (!AskYesNo(kCloseQuestion, kCloseTitle)) return;
  const DayCloseResult closed = DayClose(connection_.db());
  switch (closed.outcome) {
    case DayCloseResult::Closed: showClosed(); break;
    case DayCloseResult::PaidWaiting: ShowExclamation(kPaidWaiting.arg(closed.waiting), kPaidWaitingTitle); break;
    case DayCloseResult::Failed: ShowMessage(PostingFailedText(connection_.db())); break;
  }
}

void TFormdzbb::showClosed() {
  BitBtn4->hide();
  BitBtn2->show();
  BitBtn1->show();
  BitBtn3->show();
  panel_->Reconcile(connection_.db(), DateTimePicker1->date(), DateTimePicker2->date(), CashierOrder::ByDay);
}

void TFormdzbb::BitBtn3Click() {
  BitBtn4->hide();
  BitBtn2->hide();
  BitBtn1->hide();
  const bool voidPending = AskYesNo(kConfirmQuestion, kConfirmTitle);
  if (!ConfirmDayClose(connection_.db(), voidPending, Clock::today())) ShowMessage(PostingFailedText(connection_.db()));
}

void TFormdzbb::BitBtn1Click() { panel_->PrintSheet(connection_.db(), IncomeKind::Outpatient, SheetOrigin::DayClose); }

void TFormdzbb::BitBtn2Click() { panel_->PrintSheet(connection_.db(), IncomeKind::Inpatient, SheetOrigin::DayClose); }
