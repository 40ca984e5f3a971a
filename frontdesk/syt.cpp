#include "frontdesk/syt.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/settlement.h"
#include "platform/amountkeys.h"
#include "platform/clock.h"
#include "platform/formevents.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"

namespace {
const QString kSelectVouchers = QStringLiteral(
    "select 收费类别, 流水号, 姓名, 时间, \"药费(元)\", \"服务费(元)\", 划价人帐号 from 收银信息");
const QString kDayMedicineIncome = QStringLiteral(
    "select sum(\"药费(元)\") as 药品收入 from 患者信息 where 时间 = ? and 收银人帐号 = ?");
const QString kDayServiceIncome = QStringLiteral(
    "select sum(\"服务费(元)\") as 药品收入 from 患者信息 where 时间 = ? and 收银人帐号 = ?");

const QList<int> kVoucherWidths{80, 60, 80, 60, 60, 60, 80};
const QList<int> kVoucherDecimals{kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals, kMoneyDecimals};
enum VoucherColumn { kCategory, kSerial, kName, kDay, kMedicine, kServices, kAccount };

const QString kNotEnough = QStringLiteral("对不起，金额不足不能结帐");
const QString kPaidNoNumber = QStringLiteral("对不起，实收金额必须是数字");
}  // namespace

TFormsyt::~TFormsyt() = default;

TFormsyt::TFormsyt(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("收银台"));
  auto* heading = new QLabel(QStringLiteral("收   银     台"), this);
  QFont large = heading->font();
  large.setPointSize(large.pointSize() * 2);
  large.setBold(true);
  heading->setFont(large);
  heading->setAlignment(Qt::AlignCenter);
  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->SetColumnDecimals(kVoucherDecimals);
  Edit1 = NewEdit(this, QStringLiteral("Edit1"));
  Edit2 = NewEdit(this, QStringLiteral("Edit2"), QStringLiteral("0"));
  Edit2->setReadOnly(true);
  Edit3 = NewEdit(this, QStringLiteral("Edit3"), QStringLiteral("0.00"));
  Edit3->setReadOnly(true);
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("制作凭证"));
  BitBtn1->hide();
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("刷新记录"));
  Editjrzsr = NewEdit(this, QStringLiteral("Editjrzsr"), QStringLiteral("0"));
  Editjrzsr->setReadOnly(true);

  auto* page = new QVBoxLayout(this);
  page->addWidget(heading);
  page->addWidget(DBGrid1, 1);
  auto* payRow = new QHBoxLayout;
  payRow->addLayout(FieldGrid(this, {{{"实收金额：", Edit1}, {"应收金额：", Edit2}, {"找零：", Edit3}}}));
  payRow->addWidget(BitBtn1);
  payRow->addWidget(BitBtn2);
  payRow->addStretch();
  page->addLayout(payRow);
  page->addLayout(FieldGrid(this, {{{"今日本帐户总收入：", Editjrzsr}}}));

  connect(DBGrid1, &DataGrid::CellClick, this, &TFormsyt::DBGrid1CellClick);
  connect(DBGrid1, &DataGrid::KeyPress, this, &TFormsyt::DBGrid1KeyPress);
  connect(DBGrid1, &DataGrid::KeyUp, this, &TFormsyt::DBGrid1KeyUp);
  AmountKeyFilter(Edit1);
  OnEnter(Edit1, [this] { Edit1KeyPress(); });
  OnKeyUp(Edit1, [this](int) { Edit1KeyUp(); });
  connect(BitBtn1, &QPushButton::clicked, this, &TFormsyt::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormsyt::BitBtn2Click);

  // The desk's connection is made with the window: an unreachable store
  // keeps the window from opening.
  ADOConnection1 = OpenClinicDatabase();
  openVouchers();
  showDayIncome();
}

// A click or a key that moves the row picks the voucher under it.
void TFormsyt::DBGrid1CellClick() {
  picked_ = DBGrid1->CurrentRow() >= 0;
  if (showDue()) Edit3->setText(QStringLiteral("0.00"));
}

void TFormsyt::DBGrid1KeyPress(const QString& text) {
  showDue();
  if (text == QLatin1String("\r")) {
    BitBtn1->show();
    Edit1->setFocus(Qt::OtherFocusReason);
  }
}

// The row moved by the keys shows its own amount due, as a click does:
// the box never shows another voucher's amount than the one settled.
void TFormsyt::DBGrid1KeyUp(int key) {
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: DBGrid1CellClick(); break;
    default: break;
  }
}

void TFormsyt::Edit1KeyPress() {
  BitBtn1->show();
  BitBtn1->setFocus(Qt::OtherFocusReason);
}

// The change is worked out for the picked voucher only, to the cent as the
// due box shows it: with nothing picked a paid amount would read as change.
void TFormsyt::Edit1KeyUp() {
  if (!picked_ || Edit1->text().trimmed().isEmpty()) return;
  const std::optional<double> paid = ParseFloat(Edit1->text());
  const std::optional<double> due = ParseFloat(Edit2->text());
  if (paid && due) Edit3->setText(TwoDecimals(*paid - *due));
}

void TFormsyt::BitBtn1Click() {
  // Only the voucher the cashier picked is settled, never the row a reload
  // left under the cursor.
  if (!picked_) return;
  const QString serial = DBGrid1->Cell(kSerial).trimmed();
  if (!serial.isEmpty()) {
    const std::optional<double> paid = ParseAmount(Edit1->text());
    if (Edit1->text().isEmpty()) {
      ShowMessage(kNotEnough);
    } else if (!paid) {
      ShowMessage(ParseFloat(Edit1->text()) ? kAmountOutOfRange : kPaidNoNumber);
    } else {
      try {
        // The amounts are the store's, read again as the voucher is taken.
        const VisitKey key = VisitKey::FromText(serial, DBGrid1->Cell(kAccount));
        switch (SettleVoucher(ADOConnection1.db(), key, CurrentUserName(), Clock::today(), *paid)) {
          case SettlementResult::Settled:
            DBGrid1->setFocus(Qt::OtherFocusReason);
            openVouchers();
            showDayIncome();
            break;
          case SettlementResult::ShortPaid: ShowMessage(kNotEnough); break;
          case SettlementResult::Failed: ShowMessage(PostingFailedText(ADOConnection1.db())); break;
        }
      } catch (const DbError& e) {
        ShowError(e.text());
      }
    }
  }
  // The due box goes back to 0.00 whatever happened, so the pick goes with
  // it: a voucher still picked behind it would settle for an amount typed
  // against nothing, and the change shown would be the whole amount.
  dropPick();
  Edit1->clear();
  Edit2->setText(QStringLiteral("0.00"));
  Edit3->setText(QStringLiteral("0.00"));
  BitBtn1->hide();
}

void TFormsyt::BitBtn2Click() {
  try {
    openVouchers();
    showDayIncome();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  Edit2->setText(QStringLiteral("0.00"));
  Edit1->clear();
}

void TFormsyt::mouseDoubleClickEvent(QMouseEvent* event) {
  QWidget::mouseDoubleClickEvent(event);
  if (OnOwnBackground(this, event->position())) ReturnToLogin();
}

void TFormsyt::openVouchers() {
  QSqlQuery vouchers = Exec(ADOConnection1.db(), kSelectVouchers);
  DBGrid1->Open(vouchers);
  DBGrid1->SetColumnWidths(kVoucherWidths);
  // No voucher is picked until the cashier picks one.
  dropPick();
}

void TFormsyt::dropPick() {
  DBGrid1->setCurrentIndex(QModelIndex());
  DBGrid1->clearSelection();
  picked_ = false;
}

void TFormsyt::showDayIncome() {
  const QSqlDatabase db = ADOConnection1.db();
  const QVariantList values{DayText(Clock::today()), CurrentUserName()};
  const auto income = [&](const QString& sql) {
    const QString text = ScalarText(db, sql, values);
    return text.isEmpty() ? 0.0 : FloatValue(text);
  };
  Editjrzsr->setText(TwoDecimals(income(kDayMedicineIncome) + income(kDayServiceIncome)));
}

bool TFormsyt::showDue() {
  if (!picked_) return false;
  const QString medicine = DBGrid1->Cell(kMedicine).trimmed();
  const QString services = DBGrid1->Cell(kServices).trimmed();
  if (medicine.isEmpty() || services.isEmpty()) return false;
  Edit1->clear();
  Edit2->setText(TwoDecimals(FloatValue(medicine) + FloatValue(services)));
  return true;
}
