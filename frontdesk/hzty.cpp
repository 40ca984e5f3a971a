#include "frontdesk/hzty.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicdb.h"
#include "frontdesk/correctionlists.h"
#include "frontdesk/hztyvoucher.h"
#include "frontdesk/patientreturnposting.h"
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
const QString kSelectVisits = QStringLiteral(
    R"~(select 姓名, 流水号, 时间, "药费(元)", "服务费(元)", 划价人帐号 from 患者信息 where 姓名 = ? and 时间 = ?)~");
// The line's own row rides along hidden (%1 is DispensedLineRowId), so a
// return lowers exactly the line picked.
const QString kSelectLines = QStringLiteral(
    R"~(select ckxi.编号, ypxi.品名, ckxi.时间, ckxi.数量, ckxi."单价(元)", ckxi."总价(元)", ypxi.厂商, ckxi.流水号, )~"
    "ckxi.划价人帐号, ckxi.开方医师, ckxi.%1 from 出库信息 as ckxi, 药品信息 as ypxi "
    "where (ypxi.编号 = ckxi.编号) and (ckxi.流水号 = ? and ckxi.划价人帐号 = ?) order by ckxi.编号, ckxi.%1");
// 行号 rides along hidden, so a refund changes exactly the line picked.
const QString kSelectServices = QStringLiteral(
    R"~(select 服务类别, 流水号, 时间, "服务费(元)", 开方医师, 服务人, 划价人帐号, 行号 from 服务信息 )~"
    "where (流水号 = ? and 划价人帐号 = ?)");
const QString kSelectStaged = QStringLiteral(
    R"~(select ypxi.编号, ypxi.品名, tyxi.数量, ypxi.单位, tyxi."单价(元)", tyxi."总价(元)", ypxi.规格, ypxi.厂商 )~"
    "from 药品信息 as ypxi, 退药临时信息 as tyxi where (tyxi.编号 = ypxi.编号)");
const QString kOfOperatorAndVisit =
    QStringLiteral(" and tyxi.操作人帐号 = ? and (tyxi.流水号 = ? and tyxi.划价人帐号 = ?)");
const QString kChoosePatient = QStringLiteral("对不起，请选择退药患者");
const QString kBadQuantity = QStringLiteral("对不起，请输入药品数量");
const QString kBadShelfLife = QStringLiteral("对不起，药效期必须是数字");
const QString kNothingToRefund = QStringLiteral("对不起，不能退费！");
const QString kReturnQuestion = QStringLiteral("您确定给这个患者退药品吗？");
const QString kReturnTitle = QStringLiteral("药品提示");
const QString kPrintedQuestion = QStringLiteral("打印成功，请按，此单不能更改");
const QString kPrintedTitle = QStringLiteral("打印成功提示");
const QString kZeroMoney = QStringLiteral("0.00");

const QList<int> kVisitWidths = {120, 120, 120, 120, 120, 120};
const QList<int> kLineWidths = {60, 120, 60, 60, 60, 60, 160, 60, 60, 60};
const QList<int> kStagedWidths = {50, 120, 60, 60, 60, 60, 60};
// The service list's widths; the dispensed lines take them after a return.
const QList<int> kServiceWidths = {60, 120, 60, 60, 60, 60, 160};
const int kServiceRowId = 7;
const int kLineRowId = 10;

// Grid columns read by index.
enum VisitColumn { kVisitName = 0, kVisitSerial = 1, kVisitAccount = 5 };
enum LineColumn { kLineCode = 0, kLineName = 1, kLineQuantity = 3 };
enum ServiceColumn { kServiceSerial = 1, kServiceFee = 3 };

QDateEdit* NewPicker(QWidget* parent, const QString& name) {
  auto* picker = new QDateEdit(Clock::today(), parent);
  picker->setObjectName(name);
  picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  picker->setCalendarPopup(true);
  return picker;
}

QLineEdit* ReadOnly(QLineEdit* box) {
  box->setReadOnly(true);
  return box;
}

}  // namespace

TFormhzty::TFormhzty(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("患者退药"));
  buildLayout();
  wireHandlers();
  try {
    connection_ = OpenClinicDatabase();
    loadVisits();
    loadLines(kLineWidths);
    loadServices();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhzty::buildLayout() {
  DateTimePicker1 = NewPicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewPicker(this, QStringLiteral("DateTimePicker2"));
  Label1 = new QLabel(QStringLiteral("患者姓名：       "), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->hide();
  Edit1 = NewEdit(this, QStringLiteral("Edit1"));
  Edit1->setToolTip(QStringLiteral("请先选择时间"));
  Edit1->hide();
  Edit5 = ReadOnly(NewEdit(this, QStringLiteral("Edit5"), kZeroMoney));
  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->setToolTip(QStringLiteral("请选择"));
  DBGrid2 = new DataGrid(this);
  DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
  Editph = NewEdit(this, QStringLiteral("Editph"));
  Editpm = ReadOnly(NewEdit(this, QStringLiteral("Editpm")));
  Editsl = NewEdit(this, QStringLiteral("Editsl"), QStringLiteral("0"));
  Edityxq = NewEdit(this, QStringLiteral("Edityxq"), QStringLiteral("0"));
  Edit3 = ReadOnly(NewEdit(this, QStringLiteral("Edit3"), kZeroMoney));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("退药 "));
  BitBtn1->hide();
  DBGrid3 = new DataGrid(this);
  DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
  DBGrid3->setEnabled(false);
  DBGrid4 = new DataGrid(this);
  DBGrid4->setObjectName(QStringLiteral("DBGrid4"));
  Edit4 = ReadOnly(NewEdit(this, QStringLiteral("Edit4"), kZeroMoney));
  Edit6 = ReadOnly(NewEdit(this, QStringLiteral("Edit6"), kZeroMoney));
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("退费"));
  BitBtn3->hide();
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("制作退药凭证"));
  BitBtn2->hide();
  Edit2 = NewEdit(this, QStringLiteral("Edit2"));
  Editbh = NewEdit(this, QStringLiteral("Editbh"));
  Editlsh = NewEdit(this, QStringLiteral("Editlsh"));
  for (QLineEdit* hidden : {Edit2, Editbh, Editlsh}) hidden->hide();

  auto* patient = new QGridLayout;
  patient->addWidget(new QLabel(QStringLiteral("取药时间：      "), this), 0, 0, Qt::AlignRight);
  patient->addWidget(DateTimePicker1, 0, 1);
  patient->addWidget(Label1, 0, 2, Qt::AlignRight);
  patient->addWidget(Edit1, 0, 3);
  patient->addWidget(new QLabel(QStringLiteral("退还总金额：       "), this), 0, 4, Qt::AlignRight);
  patient->addWidget(Edit5, 0, 5);
  patient->addWidget(BitBtn2, 0, 6);
  QGridLayout* medicine = FieldGrid(this, {{{"药品批号：        ", Editph},
                                            {"药品名称         ", Editpm},
                                            {"请输入退药数量：              ", Editsl},
                                            {"药效期：     ", Edityxq, "天   "}},
                                           {{"生产时间：     ", DateTimePicker2},
                                            {"退药金额：       ", Edit3},
                                            {"", BitBtn1}}});
  QGridLayout* service = FieldGrid(this, {{{"服务费退还总金额：           ", Edit4},
                                           {"服务费退费金额：       ", Edit6},
                                           {"", BitBtn3}}});
  auto* page = new QVBoxLayout(this);
  page->addLayout(patient);
  page->addWidget(new QLabel(QStringLiteral("患者就诊信息"), this));
  page->addWidget(DBGrid1, 1);
  page->addWidget(new QLabel(QStringLiteral("患者取药信息"), this));
  page->addWidget(DBGrid2, 2);
  page->addLayout(medicine);
  page->addWidget(new QLabel(QStringLiteral("退药信息"), this));
  page->addWidget(DBGrid3, 1);
  page->addWidget(new QLabel(QStringLiteral("服务信息"), this));
  page->addWidget(DBGrid4, 1);
  page->addLayout(service);
  for (QWidget* hidden : {static_cast<QWidget*>(Edit2), static_cast<QWidget*>(Editbh),
                          static_cast<QWidget*>(Editlsh)})
    page->addWidget(hidden);
}

void TFormhzty::wireHandlers() {
  OnClick(DateTimePicker1, [this] { DateTimePicker1Click(); });
  if (auto* inner = DateTimePicker1->findChild<QLineEdit*>()) OnClick(inner, [this] { DateTimePicker1Click(); });
  // Enter in the day shows the name box as a click does, then moves there.
  OnEnter(DateTimePicker1, [this] {
    DateTimePicker1Click();
    Edit1->setFocus();
  });
  connect(Edit1, &QLineEdit::textChanged, this, &TFormhzty::Edit1Change);
  OnFocusExit(Edit1, this, [this](QWidget*) { Edit1Exit(); });
  OnEnter(Edit1, [this] { Edit1Enter(); });
  connect(DBGrid1, &DataGrid::CellClick, this, &TFormhzty::DBGrid1CellClick);
  connect(DBGrid1, &DataGrid::KeyUp, this, &TFormhzty::DBGrid1KeyUp);
  OnEnter(DBGrid1, [this] { DBGrid1Enter(); });
  connect(DBGrid2, &DataGrid::CellClick, this, &TFormhzty::DBGrid2CellClick);
  connect(DBGrid2, &DataGrid::KeyUp, this, &TFormhzty::DBGrid2KeyUp);
  connect(DBGrid2, &DataGrid::KeyPress, this, [this] { pickLine(); });
  connect(DBGrid2, &DataGrid::DblClick, this, &TFormhzty::DBGrid2DblClick);
  OnEnter(DBGrid2, [this] { DBGrid2Enter(); });
  FilterKeys(Editph, kBatchNumberKeys);
  connect(Editph, &QLineEdit::textChanged, this, &TFormhzty::EditphChange);
  ChainEnter(Editph, Editsl);
  AmountKeyFilter(Editsl);
  OnKeyUp(Editsl, [this](int) { EditslKeyUp(); });
  OnEnter(Editsl, [this] { EditslEnter(); });
  ChainEnter({Edityxq, DateTimePicker2, BitBtn1});
  connect(DBGrid4, &DataGrid::CellClick, this, &TFormhzty::DBGrid4CellClick);
  connect(DBGrid4, &DataGrid::KeyUp, this, &TFormhzty::DBGrid4KeyUp);
  ChainEnter(DBGrid4, Edit6);
  AmountKeyFilter(Edit6);
  OnKeyUp(Edit6, [this](int) { Edit6KeyUp(); });
  ChainEnter(Edit6, BitBtn3);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormhzty::BitBtn1Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TFormhzty::BitBtn3Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormhzty::BitBtn2Click);
}

void TFormhzty::DateTimePicker1Click() {
  Label1->show();
  Edit1->show();
}

void TFormhzty::Edit1Change() {
  DateTimePicker1->setEnabled(false);
  visitChosen_ = false;
  try {
    loadVisits();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  BitBtn2->show();
  BitBtn1->hide();
  BitBtn3->hide();
}

void TFormhzty::Edit1Exit() {
  Edit1->setReadOnly(true);
  DBGrid1->setEnabled(true);
}

void TFormhzty::Edit1Enter() {
  selectVisit();
  DBGrid1->setFocus();
}

void TFormhzty::DBGrid1CellClick() { selectVisit(); }

void TFormhzty::DBGrid1KeyUp() { selectVisit(); }

// Enter chooses the visit as a click does, then offers its first line.
void TFormhzty::DBGrid1Enter() {
  selectVisit();
  pickLine();
  BitBtn1->show();
  BitBtn3->show();
  DBGrid2->setFocus();
}

void TFormhzty::DBGrid2CellClick() {
  pickLine();
  DBGrid1->setEnabled(false);
}

void TFormhzty::DBGrid2KeyUp() {
  pickLine();
  if (batchFound()) Editsl->setText(DBGrid2->Cell(kLineQuantity).trimmed());
}

void TFormhzty::DBGrid2DblClick() { batchFound(); }

void TFormhzty::DBGrid2Enter() {
  Editsl->setText(DBGrid2->Cell(kLineQuantity).trimmed());
  Editph->setFocus();
}

void TFormhzty::EditphChange() { DBGrid3->setEnabled(true); }

void TFormhzty::EditslKeyUp() {
  const std::optional<double> typed = ParseAmount(Editsl->text());
  const std::optional<double> dispensed = ParseFloat(Edit2->text());
  if (typed && dispensed && *typed > *dispensed) Editsl->setText(Edit2->text());
}

void TFormhzty::EditslEnter() {
  if (batchFound()) Edityxq->setFocus();
}

void TFormhzty::DBGrid4CellClick() {
  DBGrid1->setEnabled(false);
  if (DBGrid4->Cell(kServiceFee).trimmed().isEmpty()) return;
  Edit6->setReadOnly(false);
  keepFee();
}

void TFormhzty::DBGrid4KeyUp() {
  DBGrid1->setEnabled(false);
  keepFee();
}

void TFormhzty::Edit6KeyUp() {
  const std::optional<double> typed = ParseAmount(Edit6->text());
  const std::optional<double> fee = ParseFloat(keptFee_);
  if (typed && fee && *typed > *fee) Edit6->setText(keptFee_);
}

void TFormhzty::BitBtn1Click() {
  if (!visitChosen_ || DBGrid1->Cell(kVisitName).trimmed().isEmpty()) {
    ShowMessage(kChoosePatient);
    return;
  }
  try {
    if (!batchFound()) return;
    if (!AskYesNo(kReturnQuestion, kReturnTitle)) return;
    const LineReturn line{visit_,         DBGrid2->Cell(kLineCode), Editph->text(),
                          Editsl->text(), Edityxq->text(),          DateTimePicker2->date(),
                          Clock::today(), CurrentUserName(),        DBGrid2->CellValue(kLineRowId)};
    QString failure;
    switch (ReturnDispensedLine(connection_.db(), line, &failure)) {
      case ReturnOutcome::Done:
        Editph->clear();
        Editbh->clear();
        break;
      case ReturnOutcome::BadQuantity: ShowMessage(kBadQuantity); break;
      case ReturnOutcome::BadShelfLife: ShowMessage(kBadShelfLife); break;
      case ReturnOutcome::Failed: ShowMessage(PostingFailedText(connection_.db())); break;
    }
    loadLines(kServiceWidths);
    loadStaged(false);
    DBGrid1->SetColumnWidths(kVisitWidths);
    readRefundSums();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  DBGrid2->setFocus();
}

void TFormhzty::BitBtn3Click() {
  const QVariant rowId = DBGrid4->CellValue(kServiceRowId);
  if (DBGrid4->Cell(kServiceSerial).trimmed().isEmpty() || !rowId.isValid() ||
      Edit6->text().trimmed() == kZeroMoney) {
    ShowMessage(PostingFailedText(connection_.db()));
  } else {
    switch (RefundServiceLine(connection_.db(), rowId.toLongLong(), Edit6->text(), Clock::today(),
                              CurrentUserName())) {
      case RefundOutcome::Whole:
      case RefundOutcome::Part: break;
      case RefundOutcome::BadAmount:
      case RefundOutcome::Failed: ShowMessage(PostingFailedText(connection_.db())); break;
    }
    Edit6->setText(kZeroMoney);
    Edit6->setReadOnly(true);
  }
  try {
    loadServices();
    readRefundSums();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  DBGrid4->setFocus();
}

void TFormhzty::BitBtn2Click() {
  if (Edit5->text().trimmed() == kZeroMoney) {
    ShowMessage(kNothingToRefund);
    return;
  }
  BitBtn1->hide();
  BitBtn3->hide();
  if (!printVoucher()) return;
  if (!AskYesNo(kPrintedQuestion, kPrintedTitle)) return;
  BitBtn1->show();
  if (!visitChosen_ || !CommitPatientReturn(connection_.db(), visit_, CurrentUserName(), Clock::today())) {
    ShowMessage(PostingFailedText(connection_.db()));
  } else {
    Edit1->clear();
    Edit1->hide();
    Label1->hide();
  }
  DateTimePicker1->setEnabled(true);
  try {
    loadStaged(true);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  BitBtn2->hide();
}

// The visit under the cursor of the visits grid becomes the one every
// later step works on: its lines, its services, its staged rows and sums.
bool TFormhzty::selectVisit() {
  if (DBGrid1->CurrentRow() < 0 || DBGrid1->Cell(kVisitName).trimmed().isEmpty()) return false;
  try {
    visit_ = VisitKey::FromText(DBGrid1->Cell(kVisitSerial), DBGrid1->Cell(kVisitAccount));
    visitChosen_ = true;
    Editlsh->setText(DBGrid1->Cell(kVisitSerial).trimmed());
    Edit1->setEnabled(false);
    BitBtn1->show();
    BitBtn3->show();
    loadLines(kLineWidths);
    loadServices();
    loadStaged(false);
    DBGrid1->SetColumnWidths(kVisitWidths);
    readRefundSums();
  } catch (const DbError& e) {
    ShowError(e.text());
    return false;
  }
  return true;
}

void TFormhzty::pickLine() {
  if (DBGrid2->CurrentRow() < 0) return;
  const QString quantity = DBGrid2->Cell(kLineQuantity).trimmed();
  Edit2->setText(quantity);
  Editbh->setText(DBGrid2->Cell(kLineCode).trimmed());
  Editpm->setText(DBGrid2->Cell(kLineName).trimmed());
  Editsl->setText(quantity);
}

bool TFormhzty::batchFound() {
  bool found = false;
  try {
    found = BatchReceivedHere(connection_.db(), DBGrid2->Cell(kLineCode), Editph->text());
  } catch (const DbError& e) {
    ShowError(e.text());
    return false;
  }
  if (!found) ShowMessage(kNotOurBatch);
  return found;
}

void TFormhzty::loadVisits() {
  QSqlQuery query = Exec(connection_.db(), kSelectVisits, {Edit1->text().trimmed(), DayText(DateTimePicker1->date())});
  DBGrid1->Open(query);
}

void TFormhzty::loadLines(const QList<int>& widths) {
  const VisitKey key = visitChosen_ ? visit_ : VisitKey{0, QStringLiteral("0")};
  QSqlQuery query = Exec(connection_.db(), kSelectLines.arg(DispensedLineRowId(connection_.db())), key.Values());
  DBGrid2->Open(query);
  DBGrid2->setColumnHidden(kLineRowId, true);
  // The columns past the widths given take the plain width as their least,
  // as in a list opened anew, and still widen to show their values whole.
  DBGrid2->SetColumnWidths(widths);
}

void TFormhzty::loadServices() {
  const VisitKey key = visitChosen_ ? visit_ : VisitKey{0, QStringLiteral("0")};
  QSqlQuery query = Exec(connection_.db(), kSelectServices, key.Values());
  DBGrid4->Open(query);
  DBGrid4->SetColumnWidths(kServiceWidths);
  DBGrid4->setColumnHidden(kServiceRowId, true);
}

void TFormhzty::loadStaged(bool everyOperator) {
  QSqlQuery query = everyOperator ? Exec(connection_.db(), kSelectStaged)
                                  : Exec(connection_.db(), kSelectStaged + kOfOperatorAndVisit,
                                         QVariantList{CurrentUserName()} + visit_.Values());
  DBGrid3->Open(query);
  // After a commit the list shows every operator's rows, one width fewer set.
  DBGrid3->SetColumnWidths(everyOperator ? kStagedWidths.first(kStagedWidths.size() - 1) : kStagedWidths);
}

void TFormhzty::readRefundSums() {
  const RefundTotals totals = RefundSums(connection_.db(), visit_, CurrentUserName());
  Edit3->setText(totals.medicine);
  Edit4->setText(totals.service);
  Edit5->setText(totals.total);
}

void TFormhzty::keepFee() {
  if (DBGrid4->CurrentRow() < 0) return;
  keptFee_ = DBGrid4->Cell(kServiceFee).trimmed();
  if (const std::optional<double> fee = ParseFloat(keptFee_)) Edit6->setText(TwoDecimals(*fee));
}

// The voucher of the chosen visit's rows staged by this operator. A print
// that fails shows the printer's error; the caller then commits nothing.
bool TFormhzty::printVoucher() {
  const PrintResult result =
      PrintPatientReturnVoucher(connection_.db(), visit_, CurrentUserName(),
                                {Edit1->text().trimmed(), Edit5->text().trimmed(), Edit3->text().trimmed(),
                                 Edit4->text().trimmed()});
  if (!result) ShowError(result.error);
  return static_cast<bool>(result);
}
