#include "app/mmxg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/accounts.h"
#include "platform/formevents.h"
#include "app/pictures.h"
#include "db/passwords.h"
#include "db/sql.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "platform/widgets.h"

namespace {
const QString kSelectPassword = QStringLiteral("select 密码 from 用户 where 账号 = ?");
const QString kUpdatePassword = QStringLiteral("update 用户 set 密码 = ? where 账号 = ?");

QLineEdit* MakeBox(QWidget* parent, const QString& name, const QString& text, const QColor& colour, int y) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(name);
  box->setGeometry(448, y, 201, 21);
  box->setMaxLength(20);
  SetPasswordCharacter(box, QLatin1Char('#'));
  QPalette palette = box->palette();
  palette.setColor(QPalette::Text, colour);
  box->setPalette(palette);
  return box;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setGeometry(320, y, 128, 21);
  return label;
}
}  // namespace

TFormmaxg::TFormmaxg(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Formmaxg"));
  setWindowTitle(QStringLiteral("密码修改"));
  setWindowFlags(Qt::FramelessWindowHint);
  setAttribute(Qt::WA_DeleteOnClose);
  resize(760, 460);

  Label1 = MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("请输入原密码：        "), 264);
  Edit1 = MakeBox(this, QStringLiteral("Edit1"), QString(), QColor(0, 0, 128), 264);
  Label3 = MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("请输入新密码：    "), 296);
  Edit2 = MakeBox(this, QStringLiteral("Edit2"), QStringLiteral("482915"), Qt::red, 296);
  Label2 = MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("请再输入一次：    "), 336);
  Edit3 = MakeBox(this, QStringLiteral("Edit3"), QStringLiteral("482915"), Qt::red, 336);
  BitBtn1 = new QPushButton(Glyph(QStringLiteral("glyph-ok.png")), QStringLiteral("更改"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(448, 384, 89, 27);
  BitBtn2 = new QPushButton(QStringLiteral("离开"), this);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setGeometry(560, 384, 89, 27);
  // Enter on a focused button presses it: the repeat check leaves the focus
  // on "更改" for exactly that.
  BitBtn1->setAutoDefault(true);
  BitBtn2->setAutoDefault(true);
  setTabOrder(Edit1, Edit2);
  setTabOrder(Edit2, Edit3);
  setTabOrder(Edit3, BitBtn1);
  setTabOrder(BitBtn1, BitBtn2);
  Edit1->setFocus();

  OnEnter(Edit1, [this] { Edit1KeyPress(); });
  // Leaving for "离开" checks nothing: the user is on the way out.
  OnFocusExit(Edit1, this, [this](QWidget* next) {
    if (next != BitBtn2) Edit1Exit();
  });
  OnEnter(Edit2, [this] { Edit2KeyPress(); });
  OnEnter(Edit3, [this] { Edit3KeyPress(); });
  connect(BitBtn1, &QPushButton::clicked, this, &TFormmaxg::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormmaxg::BitBtn2Click);

  ADOConnection1 = OpenShopOrReport();
}

void TFormmaxg::Edit1KeyPress() { CheckOldPassword(); }

void TFormmaxg::Edit1Exit() { CheckOldPassword(); }

void TFormmaxg::Edit2KeyPress() { Edit3->setFocus(Qt::OtherFocusReason); }

void TFormmaxg::Edit3KeyPress() {
  if (!RepeatMatches()) return RepeatWrong();
  BitBtn1->setFocus(Qt::OtherFocusReason);
}

void TFormmaxg::BitBtn1Click() {
  int changed = 0;
  try {
    // The checks of the boxes again: the button can be reached without them.
    if (!OldPasswordMatches()) return OldPasswordWrong();
    if (!RepeatMatches()) return RepeatWrong();
    changed = ExecCount(ADOConnection1.db(), kUpdatePassword, {HashPassword(Edit2->text().trimmed()), CurrentAccount()});
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  if (changed == 0) {
    ShowMessage(QStringLiteral("对不起，操作失败"));
    return;
  }
  ShowMessage(QStringLiteral("修改成功，请牢记自己的密码，下次请用新密码登陆！"));
  close();
}

void TFormmaxg::BitBtn2Click() { close(); }

bool TFormmaxg::OldPasswordMatches() {
  return VerifyPassword(Edit1->text().trimmed(), ScalarText(ADOConnection1.db(), kSelectPassword, {CurrentAccount()}));
}

void TFormmaxg::CheckOldPassword() {
  try {
    if (!OldPasswordMatches()) return OldPasswordWrong();
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  Edit2->setFocus(Qt::OtherFocusReason);
  Edit2->clear();
  Edit3->clear();
}

void TFormmaxg::OldPasswordWrong() {
  ShowMessage(QStringLiteral("对不起，密码错误，请重新输入！"));
  Edit1->clear();
  Edit1->setFocus(Qt::OtherFocusReason);
}

bool TFormmaxg::RepeatMatches() const { return Edit2->text().trimmed() == Edit3->text().trimmed(); }

void TFormmaxg::RepeatWrong() {
  ShowMessage(QStringLiteral("对不起，密码不一不同，请重新输入！"));
  Edit2->clear();
  Edit3->clear();
  Edit2->setFocus(Qt::OtherFocusReason);
}
