#pragma once
// Synchronous WAV playback: the call returns when the sound has ended, and
// nothing else of the program runs meanwhile.

#include <QString>

namespace minatori {

struct PlayResult {
  int code = 0;       // 0: played to its end
  QString errorText;  // what went wrong, for the message a student sees
};

class AudioPlayer {
 public:
  virtual ~AudioPlayer() = default;
  virtual PlayResult playAndWait(const QString &wavPath) = 0;
};

// Return codes of the SDL player.
namespace audioerr {
inline constexpr int CannotInitialise = 1;  // no audio driver could start
inline constexpr int CannotLoadFile = 2;    // missing, unreadable or not a WAV file
inline constexpr int CannotOpenDevice = 3;  // no device for the file's format
inline constexpr int PlaybackStalled = 4;   // the device did not play the sound in its time
}  // namespace audioerr

// Plays through SDL2's audio: the file is loaded, a device opened for its
// format, the samples queued, and the call waits until the device has
// played them all before closing it. The driver comes from SDL's usual
// environment (SDL_AUDIODRIVER).
class SdlAudioPlayer final : public AudioPlayer {
 public:
  PlayResult playAndWait(const QString &wavPath) override;
};

}  // namespace minatori
