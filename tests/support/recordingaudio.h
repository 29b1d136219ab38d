#pragma once
// An audio player that plays nothing: it keeps the files it was asked to play
// and answers with the results a test gives it.

#include <deque>

#include "platform/audio.h"

namespace minatori::test {

class RecordingAudio final : public AudioPlayer {
 public:
  PlayResult playAndWait(const QString &wavPath) override {
    played << wavPath;
    if (results.empty()) return failAll ? PlayResult{2, QStringLiteral("no such file")} : PlayResult{};
    const PlayResult r = results.front();
    results.pop_front();
    return r;
  }

  QStringList played;
  std::deque<PlayResult> results;  // answered in order; then success (or failure with failAll)
  bool failAll = false;
};

}  // namespace minatori::test
