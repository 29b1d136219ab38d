#include <SDL.h>

#include <QFile>

#include "platform/audio.h"

namespace minatori {

namespace {

QString sdlError() { return QString::fromUtf8(SDL_GetError()); }

// Audio is started for each sound and stopped after it, so a device plugged
// in later is found, and nothing is held open between sounds.
struct AudioSubsystem {
  bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  ~AudioSubsystem() {
    if (ok) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
};

}  // namespace

PlayResult SdlAudioPlayer::playAndWait(const QString &wavPath) {
  AudioSubsystem audio;
  if (!audio.ok)
    return {audioerr::CannotInitialise, QStringLiteral("音声を初期化できません: ") + sdlError()};

  SDL_AudioSpec format{};
  Uint8 *buffer = nullptr;
  Uint32 length = 0;
  const QByteArray path = QFile::encodeName(wavPath);
  if (!SDL_LoadWAV(path.constData(), &format, &buffer, &length))
    return {audioerr::CannotLoadFile, QStringLiteral("音声ファイルを読めません: ") + wavPath + u' ' + sdlError()};

  // A small device buffer: the call then blocks for little more than the sound.
  format.samples = 512;
  format.callback = nullptr;
  SDL_AudioSpec obtained{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &format, &obtained, 0);
  if (device == 0) {
    SDL_FreeWAV(buffer);
    return {audioerr::CannotOpenDevice, QStringLiteral("音声デバイスを開けません: ") + sdlError()};
  }
  SDL_QueueAudio(device, buffer, length);
  SDL_FreeWAV(buffer);
  SDL_PauseAudioDevice(device, 0);
  while (SDL_GetQueuedAudioSize(device) > 0) SDL_Delay(5);
  // The last buffer taken from the queue is still being played.
  if (obtained.freq > 0) SDL_Delay(1000u * obtained.samples / static_cast<Uint32>(obtained.freq) + 10);
  SDL_CloseAudioDevice(device);
  return {};
}

}  // namespace minatori
