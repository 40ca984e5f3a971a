#pragma once
// A small media player in the manner of the original control: open a file,
// play it without waiting, stop it. Errors are returned as text so the
// window can show them.
#include <QObject>
#include <QString>

class QMediaPlayer;
class QAudioOutput;

class MediaPlayer : public QObject {
  Q_OBJECT
 public:
  enum class State { Closed, Stopped, Playing };
  explicit MediaPlayer(QObject* parent = nullptr);
  ~MediaPlayer() override;

  QString fileName;
  // Closes what is open, then opens fileName. Empty result on success.
  QString open();
  QString play();
  QString stop();
  State state() const { return state_; }
  // The last error the device reported while playing.
  QString lastError() const { return lastError_; }

 signals:
  // The device found it cannot play the file opened (not sound, damaged):
  // known only once it has looked at the file, after open() returned.
  void Failed(const QString& text);

 private:
  void report(const QString& text);

  QMediaPlayer* player_ = nullptr;
  QAudioOutput* output_ = nullptr;
  State state_ = State::Closed;
  QString lastError_;
};
