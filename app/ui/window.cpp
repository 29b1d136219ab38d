#include "app/ui/window.h"

#include <QCloseEvent>
#include <QScreen>

#include "app/ui/application.h"

namespace minatori {

Window::Window(Application &app) : app_(app) {}

ProgramState &Window::state() const { return app_.state(); }

void Window::closeEvent(QCloseEvent *event) {
  QWidget::closeEvent(event);
  if (!event->isAccepted()) return;
  app_.windows().forget(this);
  Q_EMIT closed();
}

void Window::centreOnScreen() {
  if (const QScreen *s = screen()) {
    const QRect area = s->availableGeometry();
    move(area.center() - rect().center());
  }
}

}  // namespace minatori
