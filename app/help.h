#pragma once
// The about window: two pictures and a short sound from the program's
// folder.
#include <QWidget>

class MediaPlayer;
class QLabel;
class QPushButton;

class TFormhelp : public QWidget {
  Q_OBJECT
 public:
  explicit TFormhelp(QWidget* parent = nullptr);

 public slots:
  void BitBtn1Click();
  void Image2Click();
  void BitBtn2Click();
  void BitBtn3Click();

 private:
  void Play();

  QLabel* Image2;
  QLabel* Image1;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QPushButton* BitBtn3;
  MediaPlayer* MediaPlayer1;
};
