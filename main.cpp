// ミナトリ: a timed drill of the flow of Japanese history for classroom PCs.
// The program reads no command line; everything it needs is found from the
// folder it was started from.

#include "app/ui/application.h"
#include "app/ui/guardedapplication.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/displayscale.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/qtmessageboxes.h"
#include "platform/random.h"

int main(int argc, char **argv) {
  // Before the program sets anything for itself: the program menu it starts
  // when a student leaves gets the environment it was started with.
  minatori::rememberStartEnvironment();
  // Decided once, from the screen the program starts on, before the
  // application object that every window scales by.
  minatori::applyDesignScale(argv[0]);
  minatori::GuardedApplication qtApp(argc, argv);
  minatori::applyProgramFonts(qtApp);
  qtApp.setQuitOnLastWindowClosed(false);

  minatori::SystemClock clock;
  minatori::Random random;
  minatori::QtMessageBoxes messages;
  minatori::SdlAudioPlayer audio;
  minatori::Application app({&clock, &random, &messages, &audio}, minatori::paths::programFolder());
  app.start();
  if (app.hasEnded()) return app.exitCode();
  const int rc = qtApp.exec();
  return app.hasEnded() ? app.exitCode() : rc;
}
