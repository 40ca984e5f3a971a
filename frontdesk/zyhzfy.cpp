#include "frontdesk/zyhzfy.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskcontrols.h"
#include "frontdesk/inpatients.h"
#include "platform/amountkeys.h"
#include "platform/clock.h"
#include "platform/combolist.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"
#include "stock/pinyin.h"

namespace {
const QString kSelectPatients = QStringLiteral("select 姓名, 性别, 年龄, 合作医疗证号 from 入院信息表");
const QString kSelectPatientsByCode =
    QStringLiteral("select 姓名, 性别, 年龄, 合作医疗证号 from 入院信息表 where 拼音缩写 %1 ?");
const QString kCountPatients = QStringLiteral("select count(*) 姓名 from 入院信息表");
const QString kSelectLedger = QStringLiteral("select * from 住院患者押金表 where 姓名 = ?");

const QString kDuplicateName = QStringLiteral("对不起，姓名重复，请重新录入！");
const QString kIncomplete = QStringLiteral("数据不全！");
const QString kDischargeQuestion = QStringLiteral("您确认该患者出院吗？，如果出院点\"是\"");
const QString kDischargeTitle = QStringLiteral("患者出院提示");

const QList<int> kPatientWidths = {80, 40, 40, 120};
const QList<int> kLedgerWidths = {120, 100, 80, 70, 120};

QLabel* Heading(QWidget* parent, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  return label;
}
}  // namespace

Tzyhzfygl::Tzyhzfygl(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("住院患者费用管理"));
  buildLayout();
  wireHandlers();
  try {
    connection_ = OpenClinicDatabase();
    openPatients();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void Tzyhzfygl::buildLayout() {
  Edit1 = NewEdit(this, QStringLiteral("Edit1"));
  // The sex is picked from the list, never typed or pasted.
  ComboBox1 = NewPickCombo(this, QStringLiteral("ComboBox1"), QStringLiteral("性别"));
  AppendItems(ComboBox1, {QStringLiteral("男"), QStringLiteral("女")});
  Editnl = NewEdit(this, QStringLiteral("Editnl"));
  Editnl->setMaxLength(3);
  Edithzylzh = NewEdit(this, QStringLiteral("Edithzylzh"));
  Editzz = NewEdit(this, QStringLiteral("Editzz"));
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("制作入院凭证"));
  Editpysx = NewEdit(this, QStringLiteral("Editpysx"));
  DBGrid2 = NewGrid(this, QStringLiteral("DBGrid2"), RowStripes::BlackWhiteOnBlue);
  Edit7 = NewReadOnlyEdit(this, QStringLiteral("Edit7"), QString());
  Edit6 = NewReadOnlyEdit(this, QStringLiteral("Edit6"), QString());
  Edit2 = NewEdit(this, QStringLiteral("Edit2"), QStringLiteral("0"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("填入押金"));
  Edit3 = NewReadOnlyEdit(this, QStringLiteral("Edit3"), QStringLiteral("0.0"));
  Edit4 = NewReadOnlyEdit(this, QStringLiteral("Edit4"), QStringLiteral("0.0"));
  Edit5 = NewReadOnlyEdit(this, QStringLiteral("Edit5"), QStringLiteral("0.0"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("出院单"));
  DBGrid1 = NewGrid(this, QStringLiteral("DBGrid1"), RowStripes::BlackWhiteOnBlue);

  QGridLayout* admission = FieldGrid(this, {{{"姓名：", Edit1},
                                             {"", ComboBox1},
                                             {"年龄：", Editnl, "岁"},
                                             {"合作医疗证号：", Edithzylzh},
                                             {"住址：", Editzz},
                                             {"", BitBtn3}}});
  QGridLayout* search = FieldGrid(this, {{{"拼音码：", Editpysx}, {"今日住院：", Edit7, "人"}}});
  QGridLayout* deposit = FieldGrid(this, {{{"姓名：", Edit6}, {"金额：", Edit2, "元"}, {"", BitBtn1}},
                                          {{"存入总金额：", Edit3, "元"},
                                           {"支出总金额：", Edit4, "元"},
                                           {"剩余总金额：", Edit5, "元"},
                                           {"", BitBtn2}}});
  auto* page = new QVBoxLayout(this);
  page->addWidget(Heading(this, QStringLiteral("住     院     登       记       ")));
  page->addLayout(admission);
  page->addWidget(Heading(this, QStringLiteral("今日住院患者信息            ")));
  page->addLayout(search);
  page->addWidget(DBGrid2, 1);
  page->addLayout(deposit);
  page->addWidget(DBGrid1, 1);
}

void Tzyhzfygl::wireHandlers() {
  // One change routine for five boxes, and it always works on the name box.
  for (QLineEdit* box : {Edit1, Editzz, Edithzylzh, Editnl, Edit6})
    connect(box, &QLineEdit::textChanged, this, &Tzyhzfygl::Edit1Change);
  connect(Editpysx, &QLineEdit::textChanged, this, &Tzyhzfygl::EditpysxChange);
  connect(BitBtn3, &QPushButton::clicked, this, &Tzyhzfygl::BitBtn3Click);
  connect(BitBtn1, &QPushButton::clicked, this, &Tzyhzfygl::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &Tzyhzfygl::BitBtn2Click);
  connect(DBGrid2, &DataGrid::CellClick, this, &Tzyhzfygl::DBGrid2CellClick);
  connect(DBGrid2, &DataGrid::KeyUp, this, &Tzyhzfygl::DBGrid2KeyUp);
  AgeKeyFilter(Editnl);
  AmountKeyFilter(Edit2);
  ChainEnter({Edit1, ComboBox1, Editnl, Edithzylzh, Editzz, BitBtn3});
  OnEnter(BitBtn3, [this] {
    BitBtn3Click();
    Edit1->setFocus(Qt::OtherFocusReason);
  });
  ChainEnter({DBGrid2, Edit2, BitBtn1});
  OnEnter(BitBtn1, [this] {
    BitBtn1Click();
    DBGrid2->setFocus(Qt::OtherFocusReason);
  });
}

void Tzyhzfygl::openPatients() {
  const QSqlDatabase db = connection_.db();
  QSqlQuery query = Exec(db, kSelectPatients);
  DBGrid2->Open(query);
  DBGrid2->SetColumnWidths(kPatientWidths);
  Edit7->setText(ScalarText(db, kCountPatients));
}

void Tzyhzfygl::showLedger(const QString& name) {
  const QSqlDatabase db = connection_.db();
  QSqlQuery query = Exec(db, kSelectLedger, {name});
  DBGrid1->Open(query);
  DBGrid1->SetColumnWidths(kLedgerWidths);
  const DepositTotals totals = DepositBalance(db, name);
  Edit3->setText(totals.deposits);
  Edit4->setText(totals.spending);
  Edit5->setText(totals.balance);
}

void Tzyhzfygl::Edit1Change() {
  Editpysx->setText(PinyinAbbreviation(Edit1->text()));
  try {
    showLedger(Edit1->text().trimmed());
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void Tzyhzfygl::EditpysxChange() {
  try {
    const QSqlDatabase db = connection_.db();
    QSqlQuery query = Exec(db, kSelectPatientsByCode.arg(LikeOperator(db)),
                           {QLatin1Char('%') + Editpysx->text().trimmed() + QLatin1Char('%')});
    DBGrid2->Open(query);
    DBGrid2->SetColumnWidths(kPatientWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void Tzyhzfygl::BitBtn3Click() {
  const InpatientAdmission patient{Editpysx->text(), Edit1->text(),      ComboBox1->currentText(),
                                   Editnl->text(),   Edithzylzh->text(), Editzz->text()};
  try {
    switch (AdmitInpatient(connection_.db(), patient)) {
      case AdmissionOutcome::Admitted: break;
      case AdmissionOutcome::Duplicate: ShowMessage(kDuplicateName); break;
      case AdmissionOutcome::Incomplete: ShowMessage(kIncomplete); break;
    }
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  // Whatever came of it, the typed admission starts afresh; the sex stays.
  for (QLineEdit* box : {Edit1, Editnl, Edithzylzh, Editzz}) box->clear();
  try {
    openPatients();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void Tzyhzfygl::DBGrid2CellClick() { choosePatient(); }
void Tzyhzfygl::DBGrid2KeyUp() { choosePatient(); }

void Tzyhzfygl::choosePatient() {
  if (DBGrid2->CurrentRow() < 0) return;
  Edit6->setText(DBGrid2->Cell(0).trimmed());
  try {
    showLedger(Edit6->text());
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void Tzyhzfygl::BitBtn1Click() {
  try {
    switch (BookDeposit(connection_.db(), Edit6->text(), Edit2->text(), Clock::today(), CurrentUserName())) {
      case DepositOutcome::Booked: Edit2->setText(QStringLiteral("0")); break;
      case DepositOutcome::NothingBooked: break;
      case DepositOutcome::Incomplete: ShowMessage(kIncomplete); break;
      case DepositOutcome::Failed: ShowMessage(PostingFailedText(connection_.db())); break;
    }
    showLedger(Edit6->text());
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void Tzyhzfygl::BitBtn2Click() {
  if (!AskYesNo(kDischargeQuestion, kDischargeTitle)) return;
  try {
    const bool discharged = DischargePatient(connection_.db(), Edit6->text());
    showLedger(Edit6->text());
    if (!discharged) return ShowMessage(PostingFailedText(connection_.db()));
    Edit1->clear();
    Edit2->setText(QStringLiteral("0"));
    Edit6->clear();
    openPatients();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}
