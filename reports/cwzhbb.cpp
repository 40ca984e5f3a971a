#include "reports/cwzhbb.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "reports/reportcontrols.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"

// Each date window takes its first and last day as bound values, then the
// category or the person where it has one.
const QString kFinanceIncomeByDay = QStringLiteral(
    R"~(select 收费类别, 时间, sum("收入金额(元)") as "收入金额(元)" from 患者信息 indexed by "患者信息_类别时间收入" )~"
    "where 时间 between ? and ? and (收费类别 = '门诊' or 收费类别 = '住院') "
    "group by 时间, 收费类别 order by 时间, 收费类别");
const QString kFinanceRows = QStringLiteral("select * from 财务综合报表 where 时间 between ? and ?");
const QString kFinanceIncomeOfCategory = QStringLiteral(
    R"~(select sum("收入金额(元)") as 收入金额 from 患者信息 indexed by "患者信息_类别时间收入" )~"
    "where 时间 between ? and ? and 收费类别 = ?");
const QString kFinanceDoctors = QStringLiteral("select 姓名 from 服务人 where 职务 = '医师' or 职务 = '化验师'");
const QString kFinanceCashiers = QStringLiteral("select 姓名 from 服务人 where 职务 = '收银员'");
const QString kFinanceCashierTakings = QStringLiteral(
    R"~(select 时间, sum("药费(元)" + "服务费(元)") as "收入金额(元)" from 患者信息 indexed by "患者信息_收银时间" )~"
    "where 时间 between ? and ? and 收银人帐号 = ? group by 时间 order by 时间");
const QString kFinanceServicesPerformed = QStringLiteral(
    R"~(select 服务类别, count(服务类别) as 服务数目, sum("服务费(元)") as "服务总额(元)" from 服务信息 )~"
    "where 时间 between ? and ? and 服务人 = ? group by 服务类别 order by 服务类别");
const QString kFinanceServicesPrescribed = QStringLiteral(
    R"~(select 服务类别, count(服务类别) as 服务数目, sum("服务费(元)") as "服务总额(元)" from 服务信息 )~"
    "where 时间 between ? and ? and 开方医师 = ? group by 服务类别 order by 服务类别");
// The line totals from their factors, which the doctor's goods index holds.
const QString kFinanceMedicinePrescribed = QStringLiteral(
    R"~(select ypxx.类别, sum(ckxx.数量 * ckxx."单价(元)") as "总价(元)" from 药品信息 as ypxx, 出库信息 as ckxx )~"
    "where ckxx.时间 between ? and ? and ckxx.开方医师 = ? and ckxx.编号 = ypxx.编号 "
    "group by ypxx.类别 order by ypxx.类别");

namespace {
const int kFirstDayOfMonth = 25;
const QList<int> kIncomeWidths = {80, 80, 80};
const QList<int> kFinanceWidths = {80, 70, 90, 90, 60, 90, 90};
const QList<int> kServiceWidths = {50, 80, 60};
const QList<int> kMedicineWidths = {50, 50};
const QList<int> kTakingsWidths = {80, 80};

QLabel* Label(QWidget* parent, const char* name, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromUtf8(name));
  return label;
}

// A month list acts on a click and, as a list does for a user at the keys,
// on a choice moved with the arrow keys; a mouse press that moves the
// choice leaves it to the click that follows.
void OnChoice(QListWidget* list, TFormcwzhbb* window, void (TFormcwzhbb::*handler)()) {
  QObject::connect(list, &QListWidget::itemClicked, window, handler);
  QObject::connect(list, &QListWidget::itemSelectionChanged, window, [list, window, handler] {
    if (!list->selectedItems().isEmpty() && list->hasFocus() && QGuiApplication::mouseButtons() == Qt::NoButton)
      (window->*handler)();
  });
}

QString SelectedName(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text().trimmed();
}
}  // namespace

std::optional<MonthWindow> ReconciliationMonth(const QDate& today) {
  if (!today.isValid() || today.day() < kFirstDayOfMonth) return std::nullopt;
  const QDate monthBefore = today.addMonths(-1);
  return MonthWindow{QDate(monthBefore.year(), monthBefore.month(), kFirstDayOfMonth),
                     QDate(today.year(), today.month(), kFirstDayOfMonth - 1)};
}

TFormcwzhbb::TFormcwzhbb(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("财务综合报表"));
  Label9 = TitleLabel(this, QStringLiteral("Label9"), QStringLiteral("综   合   报    表"));
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("综合报表"));
  DBGrid5 = ReportGrid(this, QStringLiteral("DBGrid5"), {kGeneral, kGeneral, kMoneyDecimals});
  // Only the outpatient total is locked; nothing here reads either box
  // back, so a figure typed over the inpatient one goes nowhere.
  Editmz = NewTotalBox(this, QStringLiteral("Editmz"), QStringLiteral("0.00"));
  Editzy = NewEdit(this, QStringLiteral("Editzy"), QStringLiteral("0.00"));
  Editzy->setMaximumWidth(Editmz->maximumWidth());
  DBGridcw = ReportGrid(this, QStringLiteral("DBGridcw"),
                           {kGeneral, kMoneyDecimals, kMoneyDecimals, kMoneyDecimals, kMoneyDecimals, kMoneyDecimals,
                            kMoneyDecimals});
  Edit1 = NewEdit(this, QStringLiteral("Edit1"));
  Edit2 = NewEdit(this, QStringLiteral("Edit2"));
  Edit3 = NewEdit(this, QStringLiteral("Edit3"));
  for (QLineEdit* hidden : {Edit1, Edit2, Edit3}) hidden->hide();
  Label3 = Label(this, "Label3", "本   月    对    帐   详   单");
  Label1 = Label(this, "Label1", "医 师       ");
  Label2 = Label(this, "Label2", "收银人       ");
  Label5 = Label(this, "Label5", "服务统计         ");
  Label6 = Label(this, "Label6", "药品统计          ");
  Label7 = Label(this, "Label7", "服务开方统计           ");
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox3 = new QListWidget(this);
  ListBox3->setObjectName(QStringLiteral("ListBox3"));
  DBGrid6 = ReportGrid(this, QStringLiteral("DBGrid6"), {kGeneral, kMoneyDecimals});
  DBGrid3 = ReportGrid(this, QStringLiteral("DBGrid3"), {kGeneral, kMoneyDecimals});
  DBGrid2 = ReportGrid(this, QStringLiteral("DBGrid2"), {kGeneral, kGeneral, kMoneyDecimals});
  DBGrid1 = ReportGrid(this, QStringLiteral("DBGrid1"), {kGeneral, kGeneral, kMoneyDecimals});

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("开始时间：   "), this));
  top->addWidget(DateTimePicker1);
  top->addWidget(new QLabel(QStringLiteral("结束时间：   "), this));
  top->addWidget(DateTimePicker2);
  top->addWidget(BitBtn1);
  top->addStretch();
  QGridLayout* totals = FieldGrid(this, {{{"门诊收入：  ", Editmz, "元   "}, {"住院收入：  ", Editzy, "元   "}}});
  auto* month = new QGridLayout;
  month->addWidget(Label3, 0, 0, 1, 5, Qt::AlignHCenter);
  month->addWidget(Label1, 1, 0);
  month->addWidget(ListBox1, 2, 0);
  month->addWidget(Label2, 1, 1);
  month->addWidget(ListBox3, 2, 1);
  month->addWidget(DBGrid6, 2, 2);
  month->addWidget(Label6, 1, 3);
  month->addWidget(DBGrid3, 2, 3);
  month->addWidget(Label7, 3, 2);
  month->addWidget(DBGrid2, 4, 2);
  month->addWidget(Label5, 3, 3);
  month->addWidget(DBGrid1, 4, 3);
  auto* page = new QVBoxLayout(this);
  page->addWidget(Label9, 0, Qt::AlignHCenter);
  page->addLayout(top);
  page->addWidget(DBGrid5, 1);
  page->addLayout(totals);
  page->addWidget(DBGridcw, 1);
  page->addLayout(month, 2);

  connect(BitBtn1, &QPushButton::clicked, this, &TFormcwzhbb::BitBtn1Click);
  OnChoice(ListBox3, this, &TFormcwzhbb::ListBox3Click);
  OnChoice(ListBox1, this, &TFormcwzhbb::ListBox1Click);

  // The month is decided once, by the day the window opens on.
  month_ = ReconciliationMonth(Clock::today());
  if (!month_) {
    for (QWidget* w : std::initializer_list<QWidget*>{ListBox1, ListBox3, DBGrid1, DBGrid2, DBGrid3, DBGrid6, Label1,
                                                       Label2, Label3, Label5, Label6, Label7})
      w->hide();
  }
  try {
    connection_ = OpenClinicDatabase();
    if (month_) {
      fillPeople();
      fillCashiers();
    }
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormcwzhbb::openGrid(DataGrid* grid, const QString& sql, const QVariantList& values, const QList<int>& widths) {
  QSqlQuery rows = Exec(connection_.db(), sql, values);
  grid->Open(rows);
  grid->SetColumnWidths(widths);
}

void TFormcwzhbb::fillPeople() {
  ListBox1->clear();
  for (const QVariantList& row : ReadAll(connection_.db(), kFinanceDoctors)) ListBox1->addItem(row.value(0).toString().trimmed());
}

void TFormcwzhbb::fillCashiers() {
  ListBox3->clear();
  for (const QVariantList& row : ReadAll(connection_.db(), kFinanceCashiers)) ListBox3->addItem(row.value(0).toString().trimmed());
}

void TFormcwzhbb::BitBtn1Click() {
  const QString d1 = DayText(DateTimePicker1->date());
  const QString d2 = DayText(DateTimePicker2->date());
  Edit2->setText(month_ ? DayText(month_->first) : QString());
  Edit3->setText(month_ ? DayText(month_->last) : QString());
  try {
    openGrid(DBGrid5, kFinanceIncomeByDay, {d1, d2}, kIncomeWidths);
    openGrid(DBGridcw, kFinanceRows, {d1, d2}, kFinanceWidths);
    Editmz->setText(MoneyText(connection_.db(), kFinanceIncomeOfCategory, {d1, d2, QStringLiteral("门诊")}));
    Editzy->setText(MoneyText(connection_.db(), kFinanceIncomeOfCategory, {d1, d2, QStringLiteral("住院")}));
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormcwzhbb::showCashier(const QString& name) {
  openGrid(DBGrid6, kFinanceCashierTakings, {DayText(month_->first), DayText(month_->last), name}, kTakingsWidths);
}

void TFormcwzhbb::showPerson(const QString& name) {
  const QVariantList values{DayText(month_->first), DayText(month_->last), name};
  openGrid(DBGrid1, kFinanceServicesPerformed, values, kServiceWidths);
  openGrid(DBGrid2, kFinanceServicesPrescribed, values, kServiceWidths);
  openGrid(DBGrid3, kFinanceMedicinePrescribed, values, kMedicineWidths);
}

// One side of the month shows at a time: a cashier's takings empty the
// person's grids, and the other way round.
void TFormcwzhbb::ListBox3Click() {
  const QString name = SelectedName(ListBox3);
  if (!month_ || name.isEmpty()) return;
  try {
    fillPeople();
    showCashier(name);
    showPerson(QString());
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormcwzhbb::ListBox1Click() {
  const QString name = SelectedName(ListBox1);
  if (!month_ || name.isEmpty()) return;
  try {
    fillCashiers();
    showCashier(QString());
    showPerson(name);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}
