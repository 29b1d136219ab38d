// minatori-check: the share check an administrator runs on a classroom PC
// before the first lesson. Like the program, it reads no command line and
// finds the installation from the folder it was started from.

#include <QApplication>

#include "app/ui/guardedapplication.h"
#include "check/ui/checkwindow.h"
#include "platform/clock.h"
#include "platform/folderfacts.h"
#include "platform/paths.h"

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  minatori::applyProgramFonts(app);
  minatori::SystemClock clock;
  minatori::CheckWindow window(minatori::paths::programFolder(), clock, minatori::computerName());
  window.show();
  return app.exec();
}
