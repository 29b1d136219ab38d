#include "app/ui/buttonkeys.h"

#include <QKeyEvent>
#include <QPushButton>

namespace minatori {

bool EnterPressesButton::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto *key = static_cast<QKeyEvent *>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  // The keypad's Enter carries the keypad modifier; any other modifier makes
  // it another key.
  if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
  auto *button = qobject_cast<QPushButton *>(watched);
  if (!button || !button->hasFocus() || !button->isEnabled() || !button->isVisible()) return false;
  if (!key->isAutoRepeat()) button->click();
  return true;
}

}  // namespace minatori
