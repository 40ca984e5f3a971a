#include "app/denglu.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <cmath>

#include "app/accounts.h"
#include "platform/formevents.h"
#include "app/pictures.h"
#include "app/program.h"
#include "app/zjm.h"
#include "db/sql.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "platform/widgets.h"

namespace {
const QString kSelectName = QStringLiteral("select 姓名 from 用户 where 账号 = ? order by rowid");

// The row of the three labelled boxes.
constexpr int kRowTop = 344;
constexpr int kBoxHeight = 21;

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int pixels, bool bold) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::yellow);
  label->setPalette(palette);
  label->adjustSize();
  // Centred on its box: the stand-in face is taller than the one the row
  // was laid out for, and the labels differ in size. An odd pixel goes
  // above, as the faces draw a little below their line's middle.
  label->move(x, kRowTop + static_cast<int>(std::floor((kBoxHeight - label->height()) / 2.0)));
  return label;
}

QLineEdit* MakeBox(QWidget* parent, const QString& name, int x) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setGeometry(x, kRowTop, 121, kBoxHeight);
  return box;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text, const QString& glyph, int x) {
  auto* button = new QPushButton(Glyph(glyph), text, parent);
  button->setObjectName(name);
  button->setGeometry(x, 400, 97, 25);
  button->setAutoDefault(true);  // Enter on the focused button presses it
  return button;
}
}  // namespace

Tdl::Tdl(Tzhjiemian* zhjiemian, QWidget* parent) : QWidget(parent), zhjiemian_(zhjiemian) {
  setObjectName(QStringLiteral("dl"));
  setWindowTitle(QStringLiteral("登陆信息"));
  setWindowIcon(Glyph(QStringLiteral("icon.png")));
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(593, 440);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(Picture(QStringLiteral("login.jpg")));
  Image1->setScaledContents(true);
  Image1->setGeometry(rect());
  Label1 = MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("帐号："), 40, 13, true);
  Edit4 = MakeBox(this, QStringLiteral("Edit4"), 80);
  Label2 = MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("姓名："), 200, 16, true);
  Edit1 = MakeBox(this, QStringLiteral("Edit1"), 272);
  Label3 = MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("密码："), 392, 16, false);
  Edit3 = MakeBox(this, QStringLiteral("Edit3"), 448);
  SetPasswordCharacter(Edit3, QLatin1Char('*'));
  BitBtn2 = MakeButton(this, QStringLiteral("BitBtn2"), QStringLiteral("登陆"), QStringLiteral("glyph-login.png"), 152);
  BitBtn1 = MakeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("退         出"),
                       QStringLiteral("glyph-exit.png"), 408);
  setTabOrder(BitBtn1, BitBtn2);
  setTabOrder(BitBtn2, Edit4);
  setTabOrder(Edit4, Edit1);
  setTabOrder(Edit1, Edit3);
  Edit4->setFocus();

  OnFocusEnter(Edit4, [this] { Edit4Enter(); });
  OnFocusExit(Edit4, this, [this](QWidget*) { Edit4Exit(); });
  OnEnter(Edit4, [this] { Edit4KeyPress(); });
  OnEnter(Edit3, [this] { Edit3KeyPress(); });
  connect(BitBtn2, &QPushButton::clicked, this, &Tdl::BitBtn2Click);
  connect(BitBtn1, &QPushButton::clicked, this, &Tdl::BitBtn1Click);

  ADOConnection1 = OpenShopOrReport();
}

void Tdl::Edit4Enter() { LookUpName(); }

void Tdl::Edit4Exit() { LookUpName(); }

void Tdl::Edit4KeyPress() { Edit3->setFocus(Qt::OtherFocusReason); }

void Tdl::Edit3KeyPress() { BitBtn2->click(); }

void Tdl::BitBtn2Click() {
  const QString name = Edit1->text().trimmed();
  const QString password = Edit3->text().trimmed();
  zhjiemian_->DisableGatedCommands();
  QString account;
  QStringList rights;
  try {
    account = MatchAccount(ADOConnection1.db(), name, password);
    if (!account.isEmpty()) rights = AccountRights(ADOConnection1.db(), account);
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  if (account.isEmpty()) {
    ShowMessage(QStringLiteral("对不起，密码错误"));
    Edit3->clear();
    return;
  }
  hide();
  // The boxes keep what was typed, for the next time the login shows.
  Session::SetLogin(account, name);
  zhjiemian_->GrantRights(rights);
  zhjiemian_->showMaximized();
  zhjiemian_->raise();
  zhjiemian_->activateWindow();
}

void Tdl::BitBtn1Click() { TerminateProgram(); }

void Tdl::closeEvent(QCloseEvent* event) {
  // The window has no close box; a close from elsewhere ends the run as the
  // exit button does.
  event->accept();
  TerminateProgram();
}

void Tdl::showEvent(QShowEvent* event) {
  // Shown again after someone left the desk: the account and name stay as
  // a reminder, the password does not, or one click would log the next
  // person in as the last.
  if (!event->spontaneous()) Edit3->clear();
  QWidget::showEvent(event);
}

void Tdl::LookUpName() {
  try {
    const QString name = ScalarText(ADOConnection1.db(), kSelectName, {Edit4->text().trimmed()});
    if (!name.isEmpty()) Edit1->setText(name);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}
