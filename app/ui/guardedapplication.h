#pragma once
// The Qt application object of the program. An error that escapes an event
// handler ends here, in one place: the run-time error report is shown and the
// program ends, instead of an abort.

#include <QApplication>

namespace minatori {

class GuardedApplication : public QApplication {
 public:
  GuardedApplication(int &argc, char **argv);
  bool notify(QObject *receiver, QEvent *event) override;
};

// The program's screen font (platform/fonts.h chooses it).
void applyProgramFonts(QApplication &app);

}  // namespace minatori
