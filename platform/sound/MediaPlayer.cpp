#include "platform/sound/MediaPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace {

QString QtText(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

[[noreturn]] void Fail(const std::string& fileName, const std::string& reason) {
  throw EMediaError("Cannot play " + fileName + ": " + reason);
}

}  // namespace

struct TMediaPlayer::TImpl {
  QAudioOutput Output;
  QMediaPlayer Player;
  TImpl() {
    Player.setAudioOutput(&Output);
    // A back end may report a stream it cannot decode and still call itself
    // playing; such a sound is over.
    QObject::connect(&Player, &QMediaPlayer::errorOccurred, &Player, [this] { Player.stop(); });
  }
};

TMediaPlayer::TMediaPlayer(TComponent* AOwner) : TComponent(AOwner) {}

TMediaPlayer::~TMediaPlayer() { Close(); }

void TMediaPlayer::Open() {
  Close();
  if (FFileName.empty()) throw EMediaError("Cannot play a sound without a file name");
  QFileInfo file(QtText(FFileName));
  if (!file.isFile()) Fail(FFileName, "the file does not exist");
  if (!file.isReadable()) Fail(FFileName, "the file cannot be read");
  // Without an output device the multimedia back ends cannot even be set up
  // safely, so the player is never made then.
  if (QCoreApplication::instance() == nullptr || QMediaDevices::audioOutputs().isEmpty())
    Fail(FFileName, "there is no audio output device");
  auto impl = std::make_unique<TImpl>();
  if (!impl->Player.isAvailable()) Fail(FFileName, "this system has no media support");
  impl->Player.setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
  if (impl->Player.error() != QMediaPlayer::NoError)
    Fail(FFileName, impl->Player.errorString().toLatin1().toStdString());
  FImpl = std::move(impl);
}

void TMediaPlayer::Play() {
  if (!FImpl) throw EMediaError("Cannot play: no sound file is open");
  FImpl->Player.setPosition(0);
  FImpl->Player.play();
}

void TMediaPlayer::Stop() {
  if (FImpl) FImpl->Player.stop();
}

void TMediaPlayer::Close() { FImpl.reset(); }

TMPModes TMediaPlayer::Mode() const {
  if (!FImpl) return mpNotReady;
  const QMediaPlayer& player = FImpl->Player;
  bool playing = player.playbackState() == QMediaPlayer::PlayingState &&
                 player.error() == QMediaPlayer::NoError &&
                 player.mediaStatus() != QMediaPlayer::InvalidMedia;
  return playing ? mpPlaying : mpStopped;
}
