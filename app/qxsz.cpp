#include "app/qxsz.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/accounts.h"
#include "app/pictures.h"
#include "db/passwords.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"

namespace {
const QString kSelectAccounts = QStringLiteral("select 账号, 姓名 from 用户 order by rowid");
const QString kSelectAccount = QStringLiteral("select 账号 from 用户 where 账号 = ?");
const QString kInsertAccount = QStringLiteral("insert into 用户 (账号, 姓名, 密码) values (?, ?, ?)");

QCheckBox* MakeBox(QGroupBox* group, const QString& name, const QString& caption, int row) {
  auto* box = new QCheckBox(caption, group);
  box->setObjectName(name);
  box->setGeometry(24, 28 + row * 30, 120, 22);
  return box;
}

template <class Control>
Control* Named(Control* control, const QString& name, const QRect& place) {
  control->setObjectName(name);
  control->setGeometry(place);
  return control;
}
}  // namespace

TFormqxsz::TFormqxsz(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Formqxsz"));
  setWindowTitle(QStringLiteral("权限设置"));
  setAttribute(Qt::WA_DeleteOnClose);
  resize(520, 470);

  Label1 = Named(new QLabel(QStringLiteral("帐户设置："), this), QStringLiteral("Label1"), QRect(16, 12, 120, 20));
  DBGrid1 = Named(new DataGrid(this), QStringLiteral("DBGrid1"), QRect(16, 36, 240, 300));
  DBGrid1->verticalHeader()->setDefaultSectionSize(20);
  DBGrid1->verticalHeader()->setFixedWidth(14);
  GroupBox1 = Named(new QGroupBox(QStringLiteral("权限设置"), this), QStringLiteral("GroupBox1"),
                    QRect(276, 36, 170, 190));
  CheckBoxypxi = MakeBox(GroupBox1, QStringLiteral("CheckBoxypxi"), QStringLiteral("资料维护"), 0);
  CheckBoxyprk = MakeBox(GroupBox1, QStringLiteral("CheckBoxyprk"), QStringLiteral("产品入库"), 1);
  CheckBoxyzcx = MakeBox(GroupBox1, QStringLiteral("CheckBoxyzcx"), QStringLiteral("老板查询"), 2);
  CheckBoxypfk = MakeBox(GroupBox1, QStringLiteral("CheckBoxypfk"), QStringLiteral("产品出库"), 3);
  CheckBoxxtsz = MakeBox(GroupBox1, QStringLiteral("CheckBoxxtsz"), QStringLiteral("系统设置"), 4);
  BitBtn2 = Named(new QPushButton(Glyph(QStringLiteral("glyph-ok.png")), QStringLiteral("权限应用"), this),
                  QStringLiteral("BitBtn2"), QRect(312, 240, 97, 27));
  Label2 = Named(new QLabel(QStringLiteral("帐户："), this), QStringLiteral("Label2"), QRect(16, 352, 48, 21));
  Editzh = Named(new QLineEdit(this), QStringLiteral("Editzh"), QRect(64, 352, 121, 21));
  Label3 = Named(new QLabel(QStringLiteral("姓名："), this), QStringLiteral("Label3"), QRect(16, 384, 48, 21));
  Editxm = Named(new QLineEdit(this), QStringLiteral("Editxm"), QRect(64, 384, 121, 21));
  BitBtn1 = Named(new QPushButton(Glyph(QStringLiteral("glyph-add.png")), QStringLiteral("填加"), this),
                  QStringLiteral("BitBtn1"), QRect(64, 420, 97, 27));

  // Enter on a focused button presses it.
  BitBtn2->setAutoDefault(true);
  BitBtn1->setAutoDefault(true);
  setTabOrder(CheckBoxypxi, CheckBoxxtsz);
  setTabOrder(CheckBoxxtsz, CheckBoxyprk);
  setTabOrder(CheckBoxyprk, CheckBoxypfk);
  setTabOrder(CheckBoxypfk, CheckBoxyzcx);
  setTabOrder(CheckBoxyzcx, DBGrid1);
  setTabOrder(DBGrid1, Editzh);
  setTabOrder(Editzh, Editxm);
  setTabOrder(Editxm, BitBtn2);
  setTabOrder(BitBtn2, BitBtn1);

  connect(DBGrid1, &DataGrid::CellClick, this, &TFormqxsz::DBGrid1CellClick);
  connect(DBGrid1, &DataGrid::KeyPress, this, &TFormqxsz::DBGrid1KeyPress);
  connect(DBGrid1, &DataGrid::KeyUp, this, &TFormqxsz::DBGrid1KeyUp);
  connect(DBGrid1, &DataGrid::DblClick, this, &TFormqxsz::DBGrid1DblClick);
  // The boxes always show the rights of the row that "权限应用" writes to,
  // however the current row moved.
  connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TFormqxsz::LoadRights);
  OnEnter(Editzh, [this] { EditzhKeyPress(); });
  connect(BitBtn1, &QPushButton::clicked, this, &TFormqxsz::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormqxsz::BitBtn2Click);

  ADOConnection1 = OpenShopOrReport();
  ListAccounts();
}

void TFormqxsz::DBGrid1CellClick() {
  Editzh->setText(RowAccount());
  Editxm->setText(DBGrid1->Cell(1));
  LoadRights();
}

void TFormqxsz::DBGrid1KeyPress() { Editzh->setText(RowAccount()); }

void TFormqxsz::DBGrid1KeyUp() {
  Editzh->setText(RowAccount());
  Editxm->setText(DBGrid1->Cell(1));
}

void TFormqxsz::DBGrid1DblClick() {
  if (AskYesNo(QStringLiteral("您是要删除这个记吗？"), QStringLiteral("记录删除提示"))) {
    try {
      DeleteAccount(ADOConnection1.db(), RowAccount());
    } catch (const DbError& e) {
      ShowError(e.text());
    }
    Editzh->clear();
  }
  ListAccounts();
}

void TFormqxsz::EditzhKeyPress() { Editxm->setFocus(Qt::OtherFocusReason); }

void TFormqxsz::BitBtn1Click() {
  const QString account = Editzh->text().trimmed();
  if (account.isEmpty() || Editxm->text().isEmpty()) {
    ShowMessage(QStringLiteral("对不起，信息不全，不能建立，请重新输入信息！"));
    return;
  }
  try {
    if (!ScalarText(ADOConnection1.db(), kSelectAccount, {account}).isEmpty()) {
      ShowMessage(QStringLiteral("对不起，账号重复，不能建立，请重新输入帐号！"));
      Editzh->clear();
      Editxm->clear();
      return;
    }
    // A new account's password is its own account until its owner changes it.
    Exec(ADOConnection1.db(), kInsertAccount, {account, Editxm->text().trimmed(), HashPassword(account)});
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  ListAccounts();
  Editzh->clear();
  Editxm->clear();
}

void TFormqxsz::BitBtn2Click() {
  QStringList rights;
  for (QCheckBox* box : RightBoxes())
    if (box->isChecked()) rights << box->text().trimmed();
  try {
    ApplyRights(ADOConnection1.db(), RowAccount(), rights);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormqxsz::ListAccounts() {
  try {
    QSqlQuery accounts = Exec(ADOConnection1.db(), kSelectAccounts);
    DBGrid1->Open(accounts);
    DBGrid1->SetColumnWidths({60, 120});
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  LoadRights();
}

void TFormqxsz::LoadRights() {
  try {
    const QStringList rights = AccountRights(ADOConnection1.db(), RowAccount());
    for (QCheckBox* box : RightBoxes()) box->setChecked(rights.contains(box->text().trimmed()));
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

QString TFormqxsz::RowAccount() const { return DBGrid1->Cell(0).trimmed(); }

QList<QCheckBox*> TFormqxsz::RightBoxes() const {
  return {CheckBoxypxi, CheckBoxyprk, CheckBoxypfk, CheckBoxyzcx, CheckBoxxtsz};
}
