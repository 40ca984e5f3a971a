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
    connect(player_, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) { lastError_ = text; });
  }
  lastError_.clear();
  player_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
  state_ = State::Stopped;
  return QString();
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
