#include "app/ui/guardedapplication.h"

#include <QFont>

#include "app/ui/application.h"
#include "platform/fonts.h"
#include "platform/twips.h"

namespace minatori {

GuardedApplication::GuardedApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject *receiver, QEvent *event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    reportEscapedException(std::current_exception());
    return false;
  }
}

void applyProgramFonts(QApplication &app) {
  QFont font(gothicFamily());
  font.setPointSizeF(designPoints(11));
  app.setFont(font);
}

}  // namespace minatori
