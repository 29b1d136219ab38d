#pragma once
// An audio player that plays nothing: it keeps the files it was asked to play
// and answers with the results a test gives it.

#include <deque>
#include <functional>

#include "platform/audio.h"

namespace minatori::test {

class RecordingAudio final : public AudioPlayer {
 public:
  PlayResult playAndWait(const QString &wavPath) override {
    played << wavPath;
    if (onPlay) onPlay(wavPath);
    if (results.empty()) return failAll ? PlayResult{2, QStringLiteral("no such file")} : PlayResult{};
    const PlayResult r = results.front();
    results.pop_front();
    return r;
  }

  QStringList played;
  std::deque<PlayResult> results;  // answered in order; then success (or failure with failAll)
  bool failAll = false;
  // Runs while a sound "plays": what a test wants to happen meanwhile, or to see then.
  std::function<void(const QString &)> onPlay;
};

}  // namespace minatori::test
