#include "reports/grsrbb.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/combolist.h"
#include "platform/datadir.h"
#include "platform/desktopopen.h"
#include "platform/formevents.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/printcanvas.h"
#include "platform/savedialog.h"
#include "platform/session.h"
#include "reports/commission.h"
#include "reports/crosstable.h"
#include "reports/payslips.h"
#include "reports/reportcontrols.h"
#include "stock/controls.h"

namespace {
// Values: category, d1, d2, person.
const QString kSelectMedicineDetail = QStringLiteral(
    "select ypxx.品名, ckxx.时间, ckxx.数量 from 药品信息 as ypxx, 出库信息 as ckxx "
    "where ckxx.编号 = ypxx.编号 and ypxx.类别 = ? and ckxx.时间 between ? and ? and ckxx.开方医师 = ? "
    "order by ckxx.时间");
const QString kSelectMedicineByName = QStringLiteral(
    "select ypxx.品名, sum(ckxx.数量) as 数量 from 药品信息 as ypxx, 出库信息 as ckxx "
    "where ckxx.编号 = ypxx.编号 and ypxx.类别 = ? and ckxx.时间 between ? and ? and ckxx.开方医师 = ? "
    "group by ypxx.品名");
// Values: d1, d2, person.
const QString kSelectPrescribedServices = QStringLiteral(
    R"~(select 服务类别, 时间, "服务费(元)" from 服务信息 where 时间 between ? and ? and 开方医师 = ? order by 时间)~");
const QString kSelectPerformedServices = QStringLiteral(
    R"~(select 服务类别, 时间, "服务费(元)" from 服务信息 where 时间 between ? and ? and 服务人 = ? order by 时间)~");
// Values: d1, d2, person, item. The visit is matched on its pricing
// account too, so that two accounts' visits of one serial keep their names.
const QString kSelectPrescribedWithNames = QStringLiteral(
    R"~(select fwxi.服务类别, fwxi.时间, fwxi."服务费(元)", hzxi.姓名, fwxi.服务人 )~"
    "from 服务信息 as fwxi, 患者信息 as hzxi "
    "where fwxi.时间 between ? and ? and fwxi.开方医师 = ? and fwxi.服务类别 = ? "
    "and fwxi.流水号 = hzxi.流水号 and fwxi.划价人帐号 = hzxi.划价人帐号 and fwxi.收费类别 = hzxi.收费类别 "
    "and fwxi.时间 = hzxi.时间 order by fwxi.时间");
const QString kSelectPerformedWithNames = QStringLiteral(
    R"~(select fwxi.服务类别, fwxi.时间, fwxi."服务费(元)", hzxi.姓名, fwxi.开方医师 )~"
    "from 服务信息 as fwxi, 患者信息 as hzxi "
    "where fwxi.时间 between ? and ? and fwxi.服务人 = ? and fwxi.服务类别 = ? "
    "and fwxi.流水号 = hzxi.流水号 and fwxi.划价人帐号 = hzxi.划价人帐号 and fwxi.收费类别 = hzxi.收费类别 "
    "and fwxi.时间 = hzxi.时间 order by fwxi.时间");

const QString kNoPerson = QStringLiteral("选择被统计人");
const QString kZero = QStringLiteral("0.00");
const QString kExportFailed = QStringLiteral("导入数据出错！请检查文件的格式是否正确！");
const QString kExportFailedTitle = QStringLiteral("提示信息");
const QString kExported = QStringLiteral("数据导出成功!");
const QString kExportedTitle = QStringLiteral("提示");
const QString kWorkbookFilter = QStringLiteral("Excel 工作簿 (*.xlsx)");

const QList<int> kMedicineWidths = {60, 60, 70, 70};
const QList<int> kServiceWidths = {60, 60, 60, 70, 70};
const QList<int> kListWidths = {60, 60};
const QList<int> kMedicineDetailWidths = {100, 60, 40};
const QList<int> kByNameWidths = {120, 60};
const QList<int> kNamedDetailWidths = {80, 60, 60, 60, 60};

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

void Open(DataGrid* grid, QSqlQuery query, const QList<int>& widths) {
  grid->Open(query);
  grid->SetColumnWidths(widths);
}
}  // namespace

TFormgrsrbb::~TFormgrsrbb() = default;

TFormgrsrbb::TFormgrsrbb(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("个人收入报表"));
  setAttribute(Qt::WA_DeleteOnClose);
  buildLayout();
  wireHandlers();
  FormCreate();
}

void TFormgrsrbb::buildLayout() {
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  // What is typed never reaches the combo; Enter leaves it for the grid.
  ComboBoxys = NewPickCombo(this, QStringLiteral("ComboBoxys"), kNoPerson, [this] { ComboBoxysKeyPress(); });
  ComboBoxys->setMinimumWidth(140);
  DBGrid1 = ReportGrid(this, QStringLiteral("DBGrid1"));
  DBGrid2 = ReportGrid(this, QStringLiteral("DBGrid2"));
  DBGrid3 = ReportGrid(this, QStringLiteral("DBGrid3"));
  DBGrid4 = ReportGrid(this, QStringLiteral("DBGrid4"));
  DBGrid5 = ReportGrid(this, QStringLiteral("DBGrid5"));
  DBGrid1->SetColumnDecimals({kGeneral, kMoneyDecimals, kGeneral, kMoneyDecimals});
  DBGrid2->SetColumnDecimals({kGeneral, kGeneral, kMoneyDecimals, kGeneral, kMoneyDecimals});
  DBGrid3->SetColumnDecimals({kGeneral, kGeneral, kMoneyDecimals, kGeneral, kMoneyDecimals});
  Edit1 = NewTotalBox(this, QStringLiteral("Edit1"), kZero);
  Edit2 = NewTotalBox(this, QStringLiteral("Edit2"), kZero);
  Edit3 = NewTotalBox(this, QStringLiteral("Edit3"), kZero);
  Editypje = NewTotalBox(this, QStringLiteral("Editypje"), kZero);
  Editcfje = NewTotalBox(this, QStringLiteral("Editcfje"), kZero);
  Editfwje = NewTotalBox(this, QStringLiteral("Editfwje"), kZero);
  Edithj = NewTotalBox(this, QStringLiteral("Edithj"), kZero);
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("个人工资打印"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("个人销售单"));
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("医院销售详单"));
  Button1 = NewButton(this, QStringLiteral("Button1"), QStringLiteral("医院服务明细单"));

  auto* top = new QHBoxLayout;
  top->addWidget(PlainLabel(this, QStringLiteral("Label7"), QStringLiteral("个人收入查询        ")));
  top->addWidget(PlainLabel(this, QStringLiteral("Label1"), QStringLiteral("请选择查询开始时间                ")));
  top->addWidget(DateTimePicker1);
  top->addWidget(PlainLabel(this, QStringLiteral("Label2"), QStringLiteral("请选择查询结束时间                ")));
  top->addWidget(DateTimePicker2);
  top->addWidget(PlainLabel(this, QStringLiteral("Label17"), QStringLiteral("请选择被统计人：    ")));
  top->addWidget(ComboBoxys);
  top->addStretch(1);

  // A result grid under its label, its total beside a "合计：" below.
  auto result = [this](const char* label, const QString& labelText, DataGrid* grid, const char* totalLabel,
                       QLineEdit* total) {
    auto* column = new QVBoxLayout;
    column->addWidget(PlainLabel(this, QString::fromUtf8(label), labelText));
    column->addWidget(grid, 1);
    auto* line = new QHBoxLayout;
    line->addWidget(PlainLabel(this, QString::fromUtf8(totalLabel), QStringLiteral("合计：")));
    line->addWidget(total);
    line->addWidget(PlainLabel(this, QString(), QStringLiteral("元  ")));
    line->addStretch(1);
    column->addLayout(line);
    return column;
  };
  auto* results = new QHBoxLayout;
  results->addLayout(result("Label3", QStringLiteral("药品出库统计               "), DBGrid1, "Label23", Edit1), 1);
  results->addLayout(result("Label4", QStringLiteral("服务处方统计                 "), DBGrid2, "Label21", Edit2), 1);
  results->addLayout(result("Label5", QStringLiteral("服务统计                              "), DBGrid3, "Label22", Edit3),
                     1);

  auto* commissions = new QHBoxLayout;
  const std::pair<const char*, QString> commissionLabels[] = {{"Label8", QStringLiteral("药品提成金额：   ")},
                                                              {"Label9", QStringLiteral("服务处方提成金额：   ")},
                                                              {"Label10", QStringLiteral("个人服务提成金额：     ")},
                                                              {"Label14", QStringLiteral("合计：")}};
  QLineEdit* const commissionBoxes[] = {Editypje, Editcfje, Editfwje, Edithj};
  for (int i = 0; i < 4; ++i) {
    commissions->addWidget(PlainLabel(this, QString::fromUtf8(commissionLabels[i].first), commissionLabels[i].second));
    commissions->addWidget(commissionBoxes[i]);
    commissions->addWidget(PlainLabel(this, QString(), QStringLiteral("元  ")));
  }
  commissions->addStretch(1);

  auto* details = new QHBoxLayout;
  auto* detail = new QVBoxLayout;
  detail->addWidget(PlainLabel(this, QStringLiteral("Label6"), QStringLiteral("详                单             ")));
  detail->addWidget(DBGrid4, 1);
  auto* byName = new QVBoxLayout;
  byName->addWidget(PlainLabel(this, QStringLiteral("Label16"), QStringLiteral("药品分类汇总   ")));
  byName->addWidget(DBGrid5, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3, Button1}) buttons->addWidget(b);
  buttons->addStretch(1);
  details->addLayout(detail, 3);
  details->addLayout(byName, 2);
  details->addLayout(buttons);

  auto* page = new QVBoxLayout(this);
  page->addLayout(top);
  page->addLayout(results, 3);
  page->addLayout(commissions);
  page->addLayout(details, 2);
}

void TFormgrsrbb::wireHandlers() {
  OnFocusEnter(ComboBoxys, [this] { ComboBoxysEnter(); });
  connect(ComboBoxys, &QComboBox::currentTextChanged, this, [this] {
    changeRan_ = true;
    ComboBoxysChange();
    // Cleared only once the change has run: a box it shows turns the event
    // loop, and the pick's activated signal still comes after it.
    QTimer::singleShot(0, this, [this] { changeRan_ = false; });
  });
  // Picking the name already shown changes no text but counts again.
  connect(ComboBoxys, &QComboBox::activated, this, [this] {
    if (!changeRan_) ComboBoxysChange();
  });

  connect(DBGrid1, &DataGrid::CellClick, this, &TFormgrsrbb::DBGrid1CellClick);
  connect(DBGrid1, &DataGrid::KeyUp, this, &TFormgrsrbb::DBGrid1KeyUp);
  OnEnter(DBGrid1, [this] { DBGrid1KeyPress(); });
  connect(DBGrid2, &DataGrid::CellClick, this, &TFormgrsrbb::DBGrid2CellClick);
  connect(DBGrid2, &DataGrid::KeyUp, this, &TFormgrsrbb::DBGrid2KeyUp);
  OnEnter(DBGrid2, [this] { DBGrid2KeyPress(); });
  connect(DBGrid3, &DataGrid::CellClick, this, &TFormgrsrbb::DBGrid3CellClick);
  connect(DBGrid3, &DataGrid::KeyUp, this, &TFormgrsrbb::DBGrid3KeyUp);
  FilterKeys(DBGrid3, QString());
  OnEnter(DBGrid3, [this] { DBGrid3KeyPress(); });
  const QList<QWidget*> carriers{DBGrid1, DBGrid2, DBGrid3, ComboBoxys, ComboBoxys->lineEdit()};
  for (QWidget* control : carriers) control->installEventFilter(this);

  connect(BitBtn1, &QPushButton::clicked, this, &TFormgrsrbb::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormgrsrbb::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TFormgrsrbb::BitBtn3Click);
  connect(Button1, &QPushButton::clicked, this, &TFormgrsrbb::Button1Click);
}

// The release of a carried Enter runs the grid's list, where the keyboard
// delivers it (the grid holding the focus by then) or where a sender that
// addresses press and release to one control delivers it (the control
// pressed). Taken there, it goes no further.
bool TFormgrsrbb::eventFilter(QObject* watched, QEvent* event) {
  // The person box hears its keys on itself or on its edit.
  const bool pressedHere =
      watched == carriedFrom_ || (carriedFrom_ == ComboBoxys && watched == ComboBoxys->lineEdit());
  if (carried_ && (watched == carried_ || pressedHere)) {
    if (event->type() == QEvent::FocusOut && watched == carried_) {
      carried_ = nullptr;
      carriedFrom_ = nullptr;
    } else if (event->type() == QEvent::KeyRelease) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (IsEnter(key->key()) && !key->isAutoRepeat()) {
        DataGrid* grid = carried_;
        carried_ = nullptr;
        carriedFrom_ = nullptr;
        if (grid == DBGrid1) DBGrid1KeyUp();
        if (grid == DBGrid2) DBGrid2KeyUp();
        if (grid == DBGrid3) DBGrid3KeyUp();
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFormgrsrbb::carryEnterTo(QObject* from, DataGrid* grid) {
  carriedFrom_ = from;
  carried_ = grid;
}

// ---- values read anew for each statement ----------------------------------

QString TFormgrsrbb::person() const { return ComboBoxys->currentText().trimmed(); }
QDate TFormgrsrbb::d1() const { return DateTimePicker1->date(); }
QDate TFormgrsrbb::d2() const { return DateTimePicker2->date(); }

void TFormgrsrbb::runGuarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

// ---- opening -----------------------------------------------------------------

void TFormgrsrbb::FormCreate() {
  runGuarded([this] {
    connection_ = OpenClinicDatabase();
    reloadResults();
    const SalesAmounts sold = ReadSalesAmounts(connection_.db(), person(), d1(), d2());
    Editypje->setText(sold.medicine);
    Editcfje->setText(sold.prescribed);
    Editfwje->setText(sold.performed);
  });
}

void TFormgrsrbb::reloadResults() {
  const QVariantList values{person(), CurrentUserName()};
  Open(DBGrid1, Exec(connection_.db(), kSelectMedicineResult, values), kMedicineWidths);
  Open(DBGrid3, Exec(connection_.db(), kSelectPerformedResult, values), kServiceWidths);
  Open(DBGrid2, Exec(connection_.db(), kSelectPrescribedResult, values), kServiceWidths);
}

// ---- the person ----------------------------------------------------------------

void TFormgrsrbb::ComboBoxysEnter() {
  runGuarded([this] {
    QStringList staff;
    for (const QVariantList& row : ReadAll(connection_.db(), CrossTableSql::kSelectServiceStaff))
      staff << row.at(0).toString().trimmed();
    // Filling the list is no pick: the text shown and the computation stay.
    AppendItems(ComboBoxys, staff);
  });
}

void TFormgrsrbb::ComboBoxysKeyPress() {
  DBGrid1->setFocus(Qt::OtherFocusReason);
  carryEnterTo(ComboBoxys, DBGrid1);
}

void TFormgrsrbb::ComboBoxysChange() {
  const QString user = CurrentUserName();
  // The detail list takes the category the medicine grid showed before.
  const QString category = DBGrid1->Cell(0).trimmed();
  try {
    ComputeCommission(connection_.db(), person(), d1(), d2(), user);
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  computed_ = true;
  computedPerson_ = ComboBoxys->currentText();
  computedD1_ = d1();
  computedD2_ = d2();
  DBGrid1->setFocus(Qt::OtherFocusReason);
  runGuarded([&] {
    showMedicineDetail(category, false);
    reloadResults();
    const CommissionTotals totals = ReadCommissionTotals(connection_.db(), person(), user);
    Editypje->setText(totals.medicineCommission);
    Editcfje->setText(totals.prescribedCommission);
    Editfwje->setText(totals.performedCommission);
    Edithj->setText(CommissionSum(Editypje->text(), Editcfje->text(), Editfwje->text()));
    Edit2->setText(totals.prescribedAmount);
    Edit1->setText(totals.medicineAmount);
    Edit3->setText(totals.performedAmount);
  });
}

// ---- detail lists --------------------------------------------------------------

void TFormgrsrbb::showMedicineDetail(const QString& category, bool withNames) {
  const QVariantList values{category, DayText(d1()), DayText(d2()), person()};
  Open(DBGrid4, Exec(connection_.db(), kSelectMedicineDetail, values),
       withNames ? kMedicineDetailWidths : kListWidths);
  if (withNames) Open(DBGrid5, Exec(connection_.db(), kSelectMedicineByName, values), kByNameWidths);
}

void TFormgrsrbb::showServices(Role role) {
  Open(DBGrid4,
       Exec(connection_.db(), role == Role::Prescriber ? kSelectPrescribedServices : kSelectPerformedServices,
            {DayText(d1()), DayText(d2()), person()}),
       kListWidths);
}

void TFormgrsrbb::showServiceDetail(Role role, const QString& item) {
  Open(DBGrid4,
       Exec(connection_.db(), role == Role::Prescriber ? kSelectPrescribedWithNames : kSelectPerformedWithNames,
            {DayText(d1()), DayText(d2()), person(), item}),
       kNamedDetailWidths);
}

void TFormgrsrbb::DBGrid1CellClick() {
  runGuarded([this] { showMedicineDetail(DBGrid1->Cell(0).trimmed(), true); });
}

void TFormgrsrbb::DBGrid1KeyUp() {
  runGuarded([this] { showMedicineDetail(DBGrid1->Cell(0).trimmed(), false); });
}

void TFormgrsrbb::DBGrid1KeyPress() {
  DBGrid2->setFocus(Qt::OtherFocusReason);
  carryEnterTo(DBGrid1, DBGrid2);
  runGuarded([this] { showServices(Role::Prescriber); });
}

void TFormgrsrbb::DBGrid2CellClick() {
  runGuarded([this] { showServiceDetail(Role::Prescriber, DBGrid2->Cell(0).trimmed()); });
}

void TFormgrsrbb::DBGrid2KeyPress() {
  carryEnterTo(DBGrid2, DBGrid2);
  runGuarded([this] { showServices(Role::Performer); });
}

void TFormgrsrbb::DBGrid2KeyUp() {
  runGuarded([this] { showServices(Role::Prescriber); });
}

void TFormgrsrbb::DBGrid3CellClick() {
  runGuarded([this] { showServiceDetail(Role::Performer, DBGrid3->Cell(0).trimmed()); });
}

void TFormgrsrbb::DBGrid3KeyPress() {
  DBGrid1->setFocus(Qt::OtherFocusReason);
  carryEnterTo(DBGrid3, DBGrid1);
}

void TFormgrsrbb::DBGrid3KeyUp() {
  runGuarded([this] { showServices(Role::Performer); });
}

// ---- slips -----------------------------------------------------------------------

bool TFormgrsrbb::slipContent(SlipContent& c) {
  c.person = computed_ ? computedPerson_ : ComboBoxys->currentText();
  c.d1 = DayText(computed_ ? computedD1_ : d1());
  c.d2 = DayText(computed_ ? computedD2_ : d2());
  c.user = CurrentUserName();
  c.medicineCommission = Editypje->text();
  c.prescribedCommission = Editcfje->text();
  c.performedCommission = Editfwje->text();
  c.commissionTotal = Edithj->text();
  c.medicineAmount = Edit1->text();
  c.prescribedAmount = Edit2->text();
  c.performedAmount = Edit3->text();
  try {
    ReadSlipRows(connection_.db(), c.person.trimmed(), c.user, c);
  } catch (const DbError& e) {
    ShowError(e.text());
    return false;
  }
  return true;
}

void TFormgrsrbb::printSlip(bool pay) {
  SlipContent content;
  if (!slipContent(content)) return;
  const PrintResult printed = PrintReport(pay ? kPaySlipTitle : kSalesSlipTitle, [&](PrinterCanvasReport& doc) {
    if (pay)
      DrawPaySlip(doc, content);
    else
      DrawSalesSlip(doc, content);
  });
  if (!printed) ShowError(printed.error);
}

void TFormgrsrbb::BitBtn1Click() { printSlip(true); }
void TFormgrsrbb::BitBtn2Click() { printSlip(false); }

// ---- workbooks ---------------------------------------------------------------------

void TFormgrsrbb::exportCrossTable(CrossTable table) {
  const QDate from = d1();
  const QDate to = d2();
  const QString path = AskSaveFileName(
      this, {CrossTableTitle(table), WorkbookFolder(), CrossTableFileName(table, from, to), kWorkbookFilter});
  if (path.isEmpty()) return;
  QString failure;
  bool written = false;
  try {
    failure = ExcelCrossTableExport(connection_.db(), table, from, to).SaveAs(path);
    written = failure.isEmpty();
  } catch (const DbError& e) {
    failure = e.text();
  }
  if (!written) {
    qWarning("workbook not written: %s", qPrintable(failure));
    ShowInformation(kExportFailed, kExportFailedTitle);
    return;
  }
  ShowExclamation(kExported, kExportedTitle);
  OpenWithDesktop(path);
}

void TFormgrsrbb::BitBtn3Click() { exportCrossTable(CrossTable::DoctorSales); }
void TFormgrsrbb::Button1Click() { exportCrossTable(CrossTable::ServiceDetail); }
