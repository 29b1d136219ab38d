#pragma once
// What a window test runs on: a fake clock, a seeded random generator,
// recorded message boxes and sounds, an installation tree, and the
// application object made from them.

#include <memory>

#include "app/ui/application.h"
#include "platform/random.h"
#include "tests/support/fakeclock.h"
#include "tests/support/recordingaudio.h"
#include "tests/support/recordingmessageboxes.h"
#include "tests/support/testinstallation.h"

namespace minatori::test {

struct WindowRun {
  FakeClock clock;
  Random random;
  RecordingMessageBoxes messages;
  RecordingAudio audio;
  TestInstallation inst;
  std::unique_ptr<Application> app;

  // Makes the application; files the test writes into the tree first are read from then on.
  Application &makeApp() {
    app = std::make_unique<Application>(Services{&clock, &random, &messages, &audio}, inst.programFolder());
    return *app;
  }
};

}  // namespace minatori::test
