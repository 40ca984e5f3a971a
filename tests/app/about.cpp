#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "app/help.h"
#include "platform/datadir.h"
#include "platform/mediaplayer.h"
#include "support/testkit.h"

class AboutTest : public QObject {
  Q_OBJECT
  QPointer<TFormhelp> window_;

  QPushButton* button(const char* name) { return Find<QPushButton>(window_, name); }
  MediaPlayer* player() { return Find<MediaPlayer>(window_, "MediaPlayer1"); }

 private slots:
  void init() {
    TestKit::FreshDataDir();
    TestKit::ClearMessages();
    window_ = new TFormhelp;
    window_->show();
  }
  void cleanup() { delete window_; }

  void missingSoundIsReported() {
    TestKit::Click(button("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts().size(), 1);
    QVERIFY(TestKit::MessageTexts()[0].contains(DataDir() + "1.mp3"));
    QCOMPARE(player()->state(), MediaPlayer::State::Closed);
    TestKit::ClearMessages();
    TestKit::Click(button("BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"媒体设备未打开"});
  }

  void unplayableSoundIsReported() {
    QFile sound(DataDir() + "1.mp3");
    QVERIFY(sound.open(QIODevice::WriteOnly));
    sound.write(QByteArray(4096, 'x'));
    sound.close();
    TestKit::Click(button("BitBtn1"));
    // The player says so once it has looked at the file.
    QTRY_COMPARE(TestKit::MessageTexts().size(), 1);
    QTest::qWait(200);
    QCOMPARE(TestKit::MessageTexts().size(), 1);
  }

  void enterOnAFocusedButtonPressesIt() {
    button("BitBtn2")->setFocus();
    TestKit::PressEnter(button("BitBtn2"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"媒体设备未打开"});
    TestKit::ClearMessages();
    button("BitBtn1")->setFocus();
    TestKit::PressEnter(button("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts().size(), 1);
    button("BitBtn3")->setFocus();
    TestKit::PressEnter(button("BitBtn3"));
    QTRY_VERIFY(window_.isNull());
  }

  void playStopAndLeave() {
    // The chime the build lays beside the program.
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/../1.mp3", DataDir() + "1.mp3"));
    TestKit::Click(button("BitBtn1"));
    QCOMPARE(player()->state(), MediaPlayer::State::Playing);
    QCOMPARE(player()->fileName, DataDir() + "1.mp3");
    TestKit::Click(button("BitBtn2"));
    QCOMPARE(player()->state(), MediaPlayer::State::Stopped);
    QTest::mouseClick(Find<QLabel>(window_, "Image2"), Qt::LeftButton);
    QCOMPARE(player()->state(), MediaPlayer::State::Playing);
    QVERIFY(TestKit::MessageTexts().isEmpty());
    QPointer<MediaPlayer> playing = player();
    TestKit::Click(button("BitBtn3"));
    QTRY_VERIFY(window_.isNull());
    QVERIFY(playing.isNull());
  }
};

BRIMWICK_TEST_MAIN(AboutTest)
#include "about.moc"
