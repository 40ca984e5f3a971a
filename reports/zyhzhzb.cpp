#include "reports/zyhzhzb.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/combolist.h"
#include "platform/formevents.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "reports/reportcontrols.h"
#include "reports/summarydetailreport.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"

namespace {
// The patient's '住院' visits within the dates (same-name patients
// together), each once, and of each only its '住院' lines within the dates.
#define STAY_VISITS                                                                      \
  "(select distinct 流水号, 划价人帐号 from 患者信息 where 姓名 = ? and 时间 between ? " \
  "and ? and 收费类别 = '住院') as visits"
#define STAY_LINE(alias)                                                                   \
  alias ".流水号 = visits.流水号 and " alias ".划价人帐号 = visits.划价人帐号 and " alias \
  ".时间 between ? and ? and " alias ".收费类别 = '住院'"
}  // namespace

const QString kSelectInpatientMedicine = QStringLiteral(
    R"~(select ypxi.品名, ckxi.时间 as 开药时间, ckxi.数量, ckxi."单价(元)", ckxi."总价(元)", ypxi.厂商, )~"
    "ckxi.划价人帐号, ckxi.开方医师 from " STAY_VISITS ", 出库信息 as ckxi, 药品信息 as ypxi "
    "where ypxi.编号 = ckxi.编号 and " STAY_LINE("ckxi") " order by ckxi.时间, ckxi.流水号");
const QString kSelectInpatientServices = QStringLiteral(
    R"~(select fwxi.服务类别, fwxi.时间 as 服务时间, fwxi."服务费(元)", fwxi.开方医师, fwxi.服务人, )~"
    "fwxi.划价人帐号 from " STAY_VISITS ", 服务信息 as fwxi where " STAY_LINE("fwxi")
    " order by fwxi.时间, fwxi.流水号");
const QString kSumInpatientServicesByCategory = QStringLiteral(
    R"~(select fwxi.服务类别, count(fwxi.服务类别) as 服务数目, sum(fwxi."服务费(元)") as "服务费(元)" )~"
    "from " STAY_VISITS ", 服务信息 as fwxi where " STAY_LINE("fwxi") " group by fwxi.服务类别");
const QString kSumInpatientMedicineByCategory = QStringLiteral(
    R"~(select ypxx.类别, sum(ckxx."总价(元)") as "总价(元)" from )~" STAY_VISITS
    ", 药品信息 as ypxx, 出库信息 as ckxx where ckxx.编号 = ypxx.编号 and " STAY_LINE("ckxx")
    " group by ypxx.类别");
// The totals count medicine missing from 药品信息 too.
const QString kSumInpatientMedicine = QStringLiteral(
    R"~(select sum(ckxi."总价(元)") as 收入金额 from )~" STAY_VISITS ", 出库信息 as ckxi where " STAY_LINE("ckxi"));
const QString kSumInpatientServices = QStringLiteral(
    R"~(select sum(fwxi."服务费(元)") as 收入金额 from )~" STAY_VISITS ", 服务信息 as fwxi where " STAY_LINE("fwxi"));

#undef STAY_VISITS
#undef STAY_LINE

QVariantList InpatientLineValues(const QString& name, const QString& firstDay, const QString& lastDay) {
  return {name, firstDay, lastDay, firstDay, lastDay};
}

namespace {
const QString kSelectAdmitted = QStringLiteral("select 姓名 from 入院信息表");

const QList<int> kMedicineWidths = {140, 70, 40, 60, 60, 160, 60, 60};
const QList<int> kServiceWidths = {60, 80, 80, 80, 80, 80};
const QList<int> kServiceCategoryWidths = {50, 60, 80};
const QList<int> kMedicineCategoryWidths = {50, 80};

DataGrid* Grid(QWidget* parent, const char* name, const QList<int>& decimals) {
  DataGrid* grid = ReportGrid(parent, QString::fromUtf8(name));
  grid->SetColumnDecimals(decimals);
  return grid;
}

QWidget* Titled(QWidget* parent, const char* title, DataGrid* grid) {
  auto* box = new QWidget(parent);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(new QLabel(QString::fromUtf8(title), box), 0, Qt::AlignHCenter);
  column->addWidget(grid, 1);
  return box;
}
}  // namespace

TFormzyhzhz::TFormzyhzhz(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("住院患者费用统计表"));
  buildLayout();
  wireHandlers();
  // The patient box fills its list when the user enters it, which it
  // could not if it held the focus from the start.
  BitBtn1->setFocus();
  try {
    connection_ = OpenClinicDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormzyhzhz::buildLayout() {
  auto* title = new QLabel(QStringLiteral("住 院 患 者 统 计 信 息       "), this);
  title->setObjectName(QStringLiteral("Label8"));
  ComboBox1 = NewPickCombo(this, QStringLiteral("ComboBox1"), QStringLiteral("请选择患者姓名"),
                           [this] { DateTimePicker1->setFocus(Qt::TabFocusReason); });
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("报表"));
  Edit2 = NewTotalBox(this, QStringLiteral("Edit2"), QStringLiteral("0"));
  Edit6 = NewTotalBox(this, QStringLiteral("Edit6"), QStringLiteral("0.00"));
  Edit5 = NewTotalBox(this, QStringLiteral("Edit5"), QStringLiteral("0.00"));
  DBGrid2 = Grid(this, "DBGrid2", {kGeneral, kGeneral, kGeneral, kMoneyDecimals, kMoneyDecimals});
  DBGridyp = Grid(this, "DBGridyp", {kGeneral, kMoneyDecimals});
  DBGrid4 = Grid(this, "DBGrid4", {kGeneral, kGeneral, kMoneyDecimals});
  DBGrid3 = Grid(this, "DBGrid3", {kGeneral, kGeneral, kMoneyDecimals});

  QGridLayout* boxes = FieldGrid(this, {{{"患者姓名：       ", ComboBox1},
                                         {"住院时间：      ", DateTimePicker1},
                                         {"出院时间：      ", DateTimePicker2},
                                         {"", BitBtn1}},
                                        {{"药费总金额：       ", Edit2, "元    "},
                                         {"服务费总金额：       ", Edit6, "元    "},
                                         {"合计金额：       ", Edit5, "元    "}}});
  auto* grids = new QGridLayout;
  grids->addWidget(Titled(this, "       患  者   用   药     资     料       ", DBGrid2), 0, 0);
  grids->addWidget(Titled(this, "    用药信息统计    ", DBGridyp), 0, 1);
  grids->addWidget(Titled(this, "   患   者   服   务    资  料     ", DBGrid4), 1, 0);
  grids->addWidget(Titled(this, "    服务信息统计  ", DBGrid3), 1, 1);
  grids->setColumnStretch(0, 3);
  grids->setColumnStretch(1, 1);
  auto* page = new QVBoxLayout(this);
  page->addWidget(title, 0, Qt::AlignHCenter);
  page->addLayout(boxes);
  page->addLayout(grids, 1);
}

void TFormzyhzhz::wireHandlers() {
  OnFocusEnter(ComboBox1, [this] { ComboBox1Enter(); });
  OnFocusExit(ComboBox1, this, [this](QWidget*) { ComboBox1Exit(); });
  // The window fills and clears the box without a signal: every change of
  // its text is the user's pick.
  connect(ComboBox1, &QComboBox::currentTextChanged, this, &TFormzyhzhz::ComboBox1Change);
  connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(ComboBox1->currentText()); });
  connect(BitBtn1, &QPushButton::clicked, this, &TFormzyhzhz::BitBtn1Click);
}

void TFormzyhzhz::ComboBox1Enter() {
  try {
    QStringList names;
    for (const QVariantList& row : ReadAll(connection_.db(), kSelectAdmitted)) names << row.at(0).toString().trimmed();
    AppendItems(ComboBox1, names);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormzyhzhz::ComboBox1Change(const QString& text) { patientNameChoice_ = text.trimmed(); }

void TFormzyhzhz::ComboBox1Exit() { ResetCombo(ComboBox1, patientNameChoice_); }

void TFormzyhzhz::BitBtn1Click() {
  try {
    report();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormzyhzhz::report() {
  const QSqlDatabase db = connection_.db();
  const QVariantList values = InpatientLineValues(ComboBox1->currentText().trimmed(),
                                                  DayText(DateTimePicker1->date()), DayText(DateTimePicker2->date()));
  const auto open = [&](DataGrid* grid, const QString& sql, const QList<int>& widths) {
    ReloadGrid(db, grid, {sql, values}, widths);
  };
  open(DBGrid2, kSelectInpatientMedicine, kMedicineWidths);
  open(DBGrid4, kSelectInpatientServices, kServiceWidths);
  open(DBGrid3, kSumInpatientServicesByCategory, kServiceCategoryWidths);
  open(DBGridyp, kSumInpatientMedicineByCategory, kMedicineCategoryWidths);
  Edit2->setText(MoneyText(db, kSumInpatientMedicine, values));
  Edit6->setText(MoneyText(db, kSumInpatientServices, values));
  const double sum = FloatValue(Edit6->text()) + FloatValue(Edit2->text());
  Edit5->setText(TwoDecimals(FloatValue(FloatText(sum))));
}
