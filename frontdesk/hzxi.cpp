#include "frontdesk/hzxi.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskcontrols.h"
#include "frontdesk/todayfees.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"

// The grid's columns in the order the desk reads them by: 流水号 first.
const QString kSelectTodayVisits = QStringLiteral(
    R"~(select 流水号, 收费类别, 时间, 姓名, "药费(元)", "服务费(元)", "收入金额(元)", 划价人帐号 )~"
    R"~(from 患者信息 where 时间 between ? and ? order by 收费类别, 时间)~");
const QString kSumVisitIncome = QStringLiteral(
    R"~(select sum("收入金额(元)") 收入金额 from 患者信息 where 时间 between ? and ? and 收费类别 = ?)~");
const QString kCountVisits =
    QStringLiteral("select count(收费类别) 收费类别 from 患者信息 where 时间 between ? and ? and 收费类别 = ?");
// A visit's lines by its key, whatever day they were priced on.
const QString kSelectVisitMedicine = QStringLiteral(
    R"~(select ckxi.编号, ypxi.品名, ckxi.时间, ckxi.数量, ckxi."单价(元)", ckxi."总价(元)", ypxi.厂商, )~"
    R"~(ckxi.划价人帐号, ckxi.开方医师 from 出库信息 as ckxi, 药品信息 as ypxi )~"
    R"~(where ypxi.编号 = ckxi.编号 and ckxi.流水号 = ? and ckxi.划价人帐号 = ?)~");
const QString kSelectVisitServices = QStringLiteral(
    R"~(select fwxi.服务类别, fwxi.时间, fwxi."服务费(元)", fwxi.服务人, fwxi.开方医师, fwxi.划价人帐号 )~"
    R"~(from 服务信息 as fwxi where fwxi.流水号 = ? and fwxi.划价人帐号 = ? order by fwxi.行号)~");

namespace {
const QString kOutpatient = QStringLiteral("门诊");
const QString kInpatient = QStringLiteral("住院");
const QString kNoFee = QStringLiteral("0");

const QList<int> kVisitWidths = {80, 80, 80, 80, 80, 80, 80};
const QList<int> kVisitDecimals = {kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals, kMoneyDecimals,
                                   kMoneyDecimals};
// The lines show their figures as stored ("3", "12.5"): only the visits
// have a money format.
const QList<int> kMedicineWidths = {60, 120, 60, 60, 60, 60, 160, 60, 60};
const QList<int> kServiceWidths = {60, 60, 60, 60, 60, 60};

const int kSerialColumn = 0;
const int kMedicineFeeColumn = 4;
const int kServiceFeeColumn = 5;
const int kAccountColumn = 7;

void OpenInto(DataGrid* grid, const QSqlDatabase& db, const QString& sql, const QVariantList& values,
              const QList<int>& widths) {
  QSqlQuery query = Exec(db, sql, values);
  grid->Open(query);
  grid->SetColumnWidths(widths);
}
}  // namespace

TFormjrhzxi::TFormjrhzxi(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("今日患者信息报表"));
  buildLayout();
  connect(DBGrid1, &DataGrid::CellClick, this, &TFormjrhzxi::DBGrid1CellClick);
  connect(DBGrid2, &DataGrid::DblClick, this, &TFormjrhzxi::DBGrid2DblClick);
  connect(DBGrid3, &DataGrid::DblClick, this, &TFormjrhzxi::DBGrid2DblClick);
  try {
    connection_ = OpenClinicDatabase();
    FormCreate();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormjrhzxi::buildLayout() {
  Editmz = NewReadOnlyEdit(this, QStringLiteral("Editmz"), QStringLiteral("0.00"));
  Edit3 = NewReadOnlyEdit(this, QStringLiteral("Edit3"), QStringLiteral("0"));
  Editzy = NewReadOnlyEdit(this, QStringLiteral("Editzy"), QStringLiteral("0.00"));
  Edit4 = NewReadOnlyEdit(this, QStringLiteral("Edit4"), QStringLiteral("0"));
  Editzj = NewEdit(this, QStringLiteral("Editzj"), QStringLiteral("0.00"));
  DBGrid1 = NewGrid(this, QStringLiteral("DBGrid1"));
  DBGrid1->SetColumnDecimals(kVisitDecimals);
  DBGrid2 = NewGrid(this, QStringLiteral("DBGrid2"));
  DBGrid2->hide();
  DBGrid3 = NewGrid(this, QStringLiteral("DBGrid3"));
  DBGrid3->hide();
  // The day window stays hidden: the window always shows today.
  DateTimePicker1 = new QDateEdit(Clock::today(), this);
  DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
  DateTimePicker1->hide();
  DateTimePicker2 = new QDateEdit(Clock::today(), this);
  DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
  DateTimePicker2->hide();

  auto* heading = new QLabel(QStringLiteral("今日患者费用查询表          "), this);
  heading->setAlignment(Qt::AlignCenter);
  QGridLayout* totals = FieldGrid(this, {{{"门诊合计：", Editmz, "元"},
                                          {"处方数：", Edit3, "份"},
                                          {"住院合计：", Editzy, "元"},
                                          {"处方数：", Edit4, "份"},
                                          {"总金额：", Editzj, "元"}}});
  auto* page = new QVBoxLayout(this);
  page->addWidget(heading);
  page->addLayout(totals);
  page->addWidget(DBGrid1, 2);
  page->addWidget(DBGrid2, 1);
  page->addWidget(DBGrid3, 1);
}

void TFormjrhzxi::FormCreate() {
  const QSqlDatabase db = connection_.db();
  DateTimePicker1->setDate(Clock::today());
  DateTimePicker2->setDate(Clock::today());
  PurgeVisitsWithoutIncome(db);
  const QString first = DayText(DateTimePicker1->date());
  const QString last = DayText(DateTimePicker2->date());
  for (QLineEdit* box : {Edit3, Edit4, Editmz, Editzy, Editzj}) box->clear();
  OpenInto(DBGrid1, db, kSelectTodayVisits, {first, last}, kVisitWidths);
  Editmz->setText(MoneyText(db, kSumVisitIncome, {first, last, kOutpatient}));
  Editzy->setText(MoneyText(db, kSumVisitIncome, {first, last, kInpatient}));
  Editzj->setText(FloatText(FloatValue(Editmz->text()) + FloatValue(Editzy->text())));
  const auto count = [&](const QString& category) {
    const QString text = ScalarText(db, kCountVisits, {first, last, category});
    return text.isEmpty() ? QStringLiteral("0") : text;
  };
  Edit3->setText(count(kOutpatient));
  Edit4->setText(count(kInpatient));
}

void TFormjrhzxi::DBGrid1CellClick() {
  if (DBGrid1->Cell(kSerialColumn).trimmed().isEmpty()) return;
  try {
    const QSqlDatabase db = connection_.db();
    const VisitKey visit = VisitKey::FromText(DBGrid1->Cell(kSerialColumn), DBGrid1->Cell(kAccountColumn));
    const bool medicine = DBGrid1->Cell(kMedicineFeeColumn) != kNoFee;
    const bool services = DBGrid1->Cell(kServiceFeeColumn) != kNoFee;
    DBGrid2->setVisible(medicine);
    if (medicine) OpenInto(DBGrid2, db, kSelectVisitMedicine, visit.Values(), kMedicineWidths);
    DBGrid3->setVisible(services);
    if (services) OpenInto(DBGrid3, db, kSelectVisitServices, visit.Values(), kServiceWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormjrhzxi::DBGrid2DblClick() {
  DBGrid2->hide();
  DBGrid3->hide();
}
