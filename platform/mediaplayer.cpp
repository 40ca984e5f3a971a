#include "platform/mediaplayer.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

MediaPlayer::MediaPlayer(QObject* parent) : QObject(parent) {}

MediaPlayer::~MediaPlayer() {
  if (player_) player_->stop();
}

QString MediaPlayer::open() {
  if (player_) {
    player_->stop();
    player_->setSource(QUrl());
    state_ = State::Closed;
  }
  const QFileInfo info(fileName);
  if (!info.exists() || !info.isFile()) return QStringLiteral("找不到文件 \"%1\"").arg(fileName);
  if (!player_) {
    player_ = new QMediaPlayer(this);
    output_ = new QAudioOutput(this);
    player_->setAudioOutput(output_);
    connect(player_, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& text) {
      if (error == QMediaPlayer::NoError) return;
      report(text.isEmpty() ? QStringLiteral("无法播放文件 \"%1\"").arg(fileName) : text);
    });
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
      if (status == QMediaPlayer::InvalidMedia) report(QStringLiteral("无法播放文件 \"%1\"").arg(fileName));
    });
  }
  lastError_.clear();
  player_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
  state_ = State::Stopped;
  return QString();
}

void MediaPlayer::report(const QString& text) {
  // The device may say so twice (an error and an invalid status): once is
  // enough for the user.
  if (!lastError_.isEmpty()) return;
  lastError_ = text;
  state_ = State::Stopped;
  emit Failed(text);
}

QString MediaPlayer::play() {
  if (state_ == State::Closed) return QStringLiteral("媒体设备未打开");
  player_->setPosition(0);
  player_->play();
  state_ = State::Playing;
  return QString();
}

QString MediaPlayer::stop() {
  if (state_ == State::Closed) return QStringLiteral("媒体设备未打开");
  player_->stop();
  state_ = State::Stopped;
  return QString();
}
