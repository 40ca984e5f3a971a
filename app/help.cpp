#include "app/help.h"

#include <QLabel>
#include <QPushButton>

#include "platform/formevents.h"
#include "app/pictures.h"
#include "platform/datadir.h"
#include "platform/mediaplayer.h"
#include "platform/messages.h"

namespace {
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text, int x) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(x, 396, 89, 27);
  button->setAutoDefault(true);  // Enter on the focused button presses it
  return button;
}
}  // namespace

TFormhelp::TFormhelp(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Formhelp"));
  setWindowTitle(QStringLiteral("版权信息"));
  // A dialog frame with the system menu only, at its own size.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(618, 441);

  Image2 = new QLabel(this);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setPixmap(Picture(QStringLiteral("about-side.jpg")));
  Image2->setGeometry(8, 8, 201, 361);
  Image2->setCursor(Qt::PointingHandCursor);
  const QPixmap title = Picture(QStringLiteral("about-title.png"));
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(title);
  // Centred in the room right of the left picture.
  Image1->setGeometry(217 + (618 - 217 - title.width()) / 2, 8 + (370 - title.height()) / 2, title.width(),
                      title.height());
  BitBtn1 = MakeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("播放"), 264);
  BitBtn2 = MakeButton(this, QStringLiteral("BitBtn2"), QStringLiteral("停止"), 372);
  BitBtn3 = MakeButton(this, QStringLiteral("BitBtn3"), QStringLiteral("离开"), 480);
  setTabOrder(BitBtn1, BitBtn2);
  setTabOrder(BitBtn2, BitBtn3);
  MediaPlayer1 = new MediaPlayer(this);
  MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));

  // A file that is there but no sound shows the player's own error, as a
  // missing one does.
  connect(MediaPlayer1, &MediaPlayer::Failed, this, [](const QString& text) { ShowError(text); });
  connect(BitBtn1, &QPushButton::clicked, this, &TFormhelp::BitBtn1Click);
  OnClick(Image2, [this] { Image2Click(); });
  connect(BitBtn2, &QPushButton::clicked, this, &TFormhelp::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TFormhelp::BitBtn3Click);
}

void TFormhelp::BitBtn1Click() { Play(); }

void TFormhelp::Image2Click() { Play(); }

void TFormhelp::BitBtn2Click() {
  const QString error = MediaPlayer1->stop();
  if (!error.isEmpty()) ShowError(error);
}

void TFormhelp::BitBtn3Click() { close(); }

void TFormhelp::Play() {
  MediaPlayer1->fileName = DataDir() + QStringLiteral("1.mp3");
  // Opening again closes what plays, so a second 播放 starts from the top.
  QString error = MediaPlayer1->open();
  if (error.isEmpty()) error = MediaPlayer1->play();
  if (!error.isEmpty()) ShowError(error);
}
