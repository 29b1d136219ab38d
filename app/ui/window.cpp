#include "app/ui/window.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

#include "app/ui/application.h"
#include "platform/displayscale.h"
#include "platform/events.h"

namespace minatori {

Window::Window(Application &app) : app_(app) {}

ProgramState &Window::state() const { return app_.state(); }

void Window::closeEvent(QCloseEvent *event) {
  // Only the window system sends a spontaneous close; while the program
  // ends, every close is its own.
  const PersonClose what = event->spontaneous() && !programEnding() ? closedByPerson() : PersonClose::Close;
  if (what == PersonClose::Stay) {
    event->ignore();
    return;
  }
  event->accept();
  app_.windows().forget(this);
  Q_EMIT closed();
  if (what == PersonClose::EndProgram) app_.endProgram(0);
}

bool Window::isPersonInputHere(const QObject *watched, const QEvent &event) const {
  switch (event.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
      break;
    default:
      return false;
  }
  const auto *w = qobject_cast<const QWidget *>(watched);
  return w && (w == this || isAncestorOf(w));
}

void Window::centreOnScreen() {
  if (const QScreen *s = screen()) {
    // The title bar above the window counts: the whole window stays on the screen.
    const QRect area = s->availableGeometry();
    const int room = titleBarRoom();
    move(area.left() + (area.width() - width()) / 2, area.top() + std::max(0, (area.height() - height() - room) / 2));
  }
}

void fitCaption(QPushButton *button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const int room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
  QFont font = button->font();
  const double designed = font.pointSizeF();
  constexpr double kSmallestPoints = 6;
  while (font.pointSizeF() > kSmallestPoints &&
         QFontMetrics(font).size(Qt::TextShowMnemonic, button->text()).width() > room)
    font.setPointSizeF(font.pointSizeF() - 0.5);
  // Where it fits as designed the button keeps following its window's type.
  if (font.pointSizeF() != designed) button->setFont(font);
}

}  // namespace minatori
