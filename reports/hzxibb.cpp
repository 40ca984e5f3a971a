#include "reports/hzxibb.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/combolist.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "reports/inpatientmove.h"
#include "reports/optionalfilter.h"
#include "reports/reportcontrols.h"
#include "reports/summarydetailreport.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"

namespace {
// %1: the condition on the name. An empty name box asks only that the name
// be set, which is all a pattern of per-cent signs matches: a like on every
// visit of a year took a fifth of the server's time for the list.
const QString kSelectVisitsOf = QStringLiteral(
    R"~(select 流水号, 收费类别, 时间, 姓名, "药费(元)", "服务费(元)", "收入金额(元)", 划价人帐号 )~"
    R"~(from 患者信息 indexed by "患者信息_类别时间收入" )~"
    R"~(where (时间 between ? and ?) and (%1) order by 收费类别, 时间 asc)~");
const QString kSumListedOf = QStringLiteral(
    R"~(select sum("收入金额(元)") as 总价 from 患者信息 where (时间 between ? and ?) and (%1))~");
}  // namespace

// %1 is the store's case-blind like; the name pattern is bound.
const QString kSelectVisits = kSelectVisitsOf.arg(QStringLiteral("姓名 %1 ?"));
const QString kSumListed = kSumListedOf.arg(QStringLiteral("姓名 %1 ?"));
// The outpatient and inpatient figures cover every name of the dates, read
// from the category's index, which holds the income.
const QString kSumCategory = QStringLiteral(
    R"~(select sum("收入金额(元)") as 收入金额 from 患者信息 indexed by "患者信息_类别时间收入" )~"
    "where 时间 between ? and ? and 收费类别 = ?");
const QString kCountCategory = QStringLiteral(
    R"~(select count(收费类别) as 收费类别 from 患者信息 indexed by "患者信息_类别时间收入" )~"
    "where 时间 between ? and ? and 收费类别 = ?");

namespace {
const QString kSelectMedicineLines = QStringLiteral(
    R"~(select ckxi.编号, ypxi.品名, ckxi.时间, ckxi.数量, ckxi."单价(元)", ckxi."总价(元)", ypxi.厂商, )~"
    R"~(ckxi.划价人帐号, ckxi.开方医师 from 出库信息 as ckxi, 药品信息 as ypxi where ypxi.编号 = ckxi.编号 )~"
    R"~(and ckxi.流水号 = ? and ckxi.划价人帐号 = ? and ckxi.时间 = ? and ckxi.收费类别 = ?)~");
const QString kSelectServiceLines = QStringLiteral(
    R"~(select fwxi.服务类别, fwxi.时间, fwxi."服务费(元)", fwxi.服务人, fwxi.开方医师, fwxi.划价人帐号 )~"
    R"~(from 服务信息 as fwxi where fwxi.流水号 = ? and fwxi.划价人帐号 = ? and fwxi.时间 = ? )~"
    R"~(and fwxi.收费类别 = ?)~");

const QString kOutpatient = QStringLiteral("门诊");
const QString kInpatient = QStringLiteral("住院");
const QString kMoveQuestion = QStringLiteral("转入，请按＂是＂，不转入，请按＂否＂");
const QString kMoveTitle = QStringLiteral("门诊转入住院提示");
const QString kIncomplete = QStringLiteral("数据不全！");
const QString kSexPrompt = QStringLiteral("性别");

const QList<int> kVisitWidths = {60, 60, 60, 70, 70, 70, 80, 80};
const QList<int> kVisitDecimals = {kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals, kMoneyDecimals,
                                   kMoneyDecimals, kGeneral};
const QList<int> kMedicineWidths = {60, 120, 60, 60, 60, 60, 160, 60, 60};
const QList<int> kServiceWidths = {60, 60, 60, 60, 60, 60};

// Columns of a visit row.
enum VisitColumn { kSerial, kCategory, kDay, kName, kMedicineFee, kServiceFee, kAmount, kAccount };

// A fee cell counts as none only when it holds the number 0.
bool NoFee(const QVariant& fee) {
  bool number = false;
  const double value = fee.toDouble(&number);
  return !fee.isNull() && number && value == 0;
}
}  // namespace

TFormhzxibb::TFormhzxibb(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("患者信息报表"));
  buildLayout();
  wireHandlers();
  try {
    connection_ = OpenClinicDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhzxibb::buildLayout() {
  QLabel* title = PlainLabel(this, QStringLiteral("Label1"), QStringLiteral("患者费用查询表          "));
  Edit1 = NewEdit(this, QStringLiteral("Edit1"));
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("查询"));
  Edit2 = NewTotalBox(this, QStringLiteral("Edit2"), QStringLiteral("0.00"));
  Editmz = NewTotalBox(this, QStringLiteral("Editmz"), QStringLiteral("0.00"));
  Edit3 = NewTotalBox(this, QStringLiteral("Edit3"), QStringLiteral("0"));
  Editzy = NewTotalBox(this, QStringLiteral("Editzy"), QStringLiteral("0.00"));
  Edit4 = NewTotalBox(this, QStringLiteral("Edit4"), QStringLiteral("0"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("门诊转住院"));
  BitBtn2->hide();

  DBGrid1 = ReportGrid(this, QStringLiteral("DBGrid1"));
  DBGrid1->SetStripes(RowStripes::BlackWhiteOnBlue);
  DBGrid1->SetColumnDecimals(kVisitDecimals);
  DBGrid2 = ReportGrid(this, QStringLiteral("DBGrid2"));
  DBGrid2->hide();
  DBGrid3 = ReportGrid(this, QStringLiteral("DBGrid3"));
  DBGrid3->hide();

  // The admission fields and their labels show and hide together.
  admissionFields = new QWidget(this);
  ComboBox1 = NewPickCombo(admissionFields, QStringLiteral("ComboBox1"), kSexPrompt);
  // Any sex may be typed as well as picked.
  ComboBox1->lineEdit()->setReadOnly(false);
  Editnl = NewEdit(admissionFields, QStringLiteral("Editnl"));
  Edithzylzh = NewEdit(admissionFields, QStringLiteral("Edithzylzh"));
  Editzz = NewEdit(admissionFields, QStringLiteral("Editzz"));
  admissionFields->setLayout(FieldGrid(admissionFields, {{{"性别：  ", ComboBox1},
                                                          {"年龄：    ", Editnl, "岁  "},
                                                          {"合作医疗证号：          ", Edithzylzh},
                                                          {"住址：    ", Editzz}}}));
  showAdmission(false);
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("制作入院凭证"));
  BitBtn3->hide();

  QGridLayout* boxes = FieldGrid(this, {{{"患者姓名： ", Edit1},
                                         {"开始时间：   ", DateTimePicker1},
                                         {"结束时间：   ", DateTimePicker2},
                                         {"", BitBtn1}},
                                        {{"总金额：  ", Edit2, "元 "},
                                         {"门诊合计：     ", Editmz},
                                         {"处方数：  ", Edit3, "份  "},
                                         {"住院合计：     ", Editzy},
                                         {"处方数：  ", Edit4, "份       "},
                                         {"", BitBtn2}}});
  auto* admission = new QHBoxLayout;
  admission->addWidget(admissionFields);
  admission->addWidget(BitBtn3);
  admission->addStretch();
  auto* lines = new QHBoxLayout;
  lines->addWidget(DBGrid2, 3);
  lines->addWidget(DBGrid3, 2);
  auto* page = new QVBoxLayout(this);
  page->addWidget(title, 0, Qt::AlignHCenter);
  page->addLayout(boxes);
  page->addLayout(admission);
  page->addWidget(DBGrid1, 2);
  page->addLayout(lines, 1);
}

void TFormhzxibb::wireHandlers() {
  connect(BitBtn1, &QPushButton::clicked, this, &TFormhzxibb::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormhzxibb::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TFormhzxibb::BitBtn3Click);
  connect(DBGrid1, &DataGrid::CellClick, this, &TFormhzxibb::DBGrid1CellClick);
  connect(DBGrid2, &DataGrid::DblClick, this, &TFormhzxibb::DBGrid2DblClick);
  connect(DBGrid3, &DataGrid::DblClick, this, &TFormhzxibb::DBGrid3DblClick);
}

void TFormhzxibb::BitBtn1Click() {
  DBGrid3->hide();
  DBGrid2->hide();
  try {
    query();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhzxibb::query() {
  const QSqlDatabase db = connection_.db();
  const QString first = DayText(DateTimePicker1->date());
  const QString last = DayText(DateTimePicker2->date());
  const QString like = LikeOperator(db);
  const QString pattern = QLatin1Char('%') + Edit1->text().trimmed() + QLatin1Char('%');
  QVariantList values{first, last};
  const QString name = FilterConditions(like, {{QStringLiteral("姓名"), pattern}}, values);
  ReloadGrid(db, DBGrid1, {kSelectVisitsOf.arg(name), values}, kVisitWidths);
  Edit2->setText(MoneyText(db, kSumListedOf.arg(name), values));
  Editmz->setText(MoneyText(db, kSumCategory, {first, last, kOutpatient}));
  Editzy->setText(MoneyText(db, kSumCategory, {first, last, kInpatient}));
  const auto count = [&](const QString& category) {
    const QString text = ScalarText(db, kCountCategory, {first, last, category});
    return text.isEmpty() ? QStringLiteral("0") : text;
  };
  Edit3->setText(count(kOutpatient));
  Edit4->setText(count(kInpatient));
}

void TFormhzxibb::DBGrid1CellClick() {
  if (DBGrid1->Cell(kSerial).trimmed().isEmpty()) return;
  BitBtn2->show();
  Edit1->setText(visitName());
  try {
    showLines();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

// Only the lines of the visit's own day and charge category.
void TFormhzxibb::showLines() {
  const QSqlDatabase db = connection_.db();
  const QVariantList visit{DBGrid1->CellValue(kSerial).toDouble(), DBGrid1->Cell(kAccount).trimmed(),
                           DBGrid1->Cell(kDay).trimmed(), DBGrid1->Cell(kCategory).trimmed()};
  if (NoFee(DBGrid1->CellValue(kMedicineFee))) {
    DBGrid2->hide();
  } else {
    DBGrid2->show();
    ReloadGrid(db, DBGrid2, {kSelectMedicineLines, visit}, kMedicineWidths);
  }
  if (NoFee(DBGrid1->CellValue(kServiceFee))) {
    DBGrid3->hide();
  } else {
    DBGrid3->show();
    ReloadGrid(db, DBGrid3, {kSelectServiceLines, visit}, kServiceWidths);
  }
}

void TFormhzxibb::DBGrid2DblClick() { DBGrid2->hide(); }
void TFormhzxibb::DBGrid3DblClick() { DBGrid3->hide(); }

// Each field and label shows and hides by itself, so that each reports
// its own state.
void TFormhzxibb::showAdmission(bool shown) {
  for (QWidget* field : admissionFields->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) field->setVisible(shown);
}

QString TFormhzxibb::visitName() const { return DBGrid1->Cell(kName).trimmed(); }

void TFormhzxibb::BitBtn2Click() {
  const QSqlDatabase db = connection_.db();
  bool admitted = false;
  try {
    admitted = IsAdmitted(db, visitName());
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  if (!admitted) {
    showAdmission(true);
    AppendItems(ComboBox1, {QStringLiteral("男"), QStringLiteral("女")});
    BitBtn3->show();
    BitBtn2->hide();
    return;
  }
  if (AskYesNo(kMoveQuestion, kMoveTitle)) {
    const ListedVisit visit{{DBGrid1->CellValue(kSerial).toDouble(), DBGrid1->Cell(kAccount).trimmed()},
                            DBGrid1->Cell(kDay).trimmed(),
                            visitName()};
    if (QString failure; !MoveToInpatient(db, visit, CurrentUserName(), &failure)) {
      // A lost server or a time-out says so itself; any other refusal
      // tells the clerk why, most often that the visit moved meanwhile.
      const QString said = PostingFailedText(db);
      ShowMessage(said != kOperationFailed ? said : kOperationFailed + QLatin1Char('\n') + failure);
    }
  }
  BitBtn1Click();
  BitBtn2->hide();
}

void TFormhzxibb::BitBtn3Click() {
  if (Editnl->text().trimmed().isEmpty() || ComboBox1->currentText() == kSexPrompt) {
    ShowMessage(kIncomplete);
    return;
  }
  try {
    // Admitted meanwhile at another desk: that admission stands.
    AdmitPatient(connection_.db(), {visitName(), ComboBox1->currentText(), Editnl->text(), Edithzylzh->text(),
                                    Editzz->text()});
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  Editnl->clear();
  showAdmission(false);
  BitBtn2->show();
  BitBtn3->hide();
  BitBtn2Click();
}
