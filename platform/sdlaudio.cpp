#include <SDL.h>

#include <QFile>

#include "platform/audio.h"

namespace minatori {

namespace {

QString sdlError() { return QString::fromUtf8(SDL_GetError()); }

// How long `bytes` of samples in `format` play.
Uint64 soundMilliseconds(const SDL_AudioSpec &format, Uint32 bytes) {
  const Uint64 perSecond =
      static_cast<Uint64>(format.freq) * format.channels * (SDL_AUDIO_BITSIZE(format.format) / 8);
  return perSecond == 0 ? 0 : 1000ull * bytes / perSecond;
}

// Beyond the sound's own length: the device's start and its buffers.
constexpr Uint64 kPlaybackMarginMs = 2000;

// Audio is started for each sound and stopped after it, so a device plugged
// in later is found, and nothing is held open between sounds.
struct AudioSubsystem {
  bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  bool stuck = false;  // a device that does not play: closing it would wait for it
  ~AudioSubsystem() {
    if (ok && !stuck) SDL_QuitSubSystem(SDL_INIT_AUDIO);
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
  // The file is read here rather than by SDL: SDL opens a path in its own
  // encoding on each system (UTF-8 on Windows, not the ANSI code page), and
  // the sound folder sits under Japanese folder names.
  QFile file(wavPath);
  if (!file.open(QIODevice::ReadOnly))
    return {audioerr::CannotLoadFile, QStringLiteral("音声ファイルを読めません: ") + wavPath + u' ' + file.errorString()};
  const QByteArray bytes = file.readAll();
  file.close();
  if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes.constData(), static_cast<int>(bytes.size())), 1, &format, &buffer,
                      &length))
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
  // A device that never takes its queue (a stuck driver) must not hold the
  // program: past the sound's length and a margin it counts as failed.
  const Uint64 deadline = SDL_GetTicks64() + soundMilliseconds(format, length) + kPlaybackMarginMs;
  while (SDL_GetQueuedAudioSize(device) > 0) {
    if (SDL_GetTicks64() > deadline) {
      // Closing the device, or the audio, waits for its driver thread, which
      // is what hangs: the device is paused and left to the end of the run.
      SDL_PauseAudioDevice(device, 1);
      audio.stuck = true;
      return {audioerr::PlaybackStalled, QStringLiteral("音声の再生が終わりません: ") + wavPath};
    }
    SDL_Delay(5);
  }
  // The last buffer taken from the queue is still being played.
  if (obtained.freq > 0) SDL_Delay(1000u * obtained.samples / static_cast<Uint32>(obtained.freq) + 10);
  SDL_CloseAudioDevice(device);
  return {};
}

}  // namespace minatori
