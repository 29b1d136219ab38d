#pragma once
// A person's input for window tests: keys and clicks given to a window as the
// window system gives them, so the toolkit itself delivers them (keys to the
// focused widget, clicks to whatever lies at that place, nothing to a window
// a modal one blocks) and the application-wide filters see them as they see
// typing; the close button of the title bar; and the first steps of a
// student's road: the name list, then a level from the progress screen.

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <optional>

#include "app/configuration.h"
#include "app/ui/application.h"
#include "platform/events.h"
#include "progress/ui/seisekitime1.h"
#include "roster/roster.h"
#include "roster/ui/namesel.h"

namespace minatori::test {

// A person's input that arrives while the program is busy: `input` runs the
// first time one of the program's handlers lets pending messages run after
// this is made, as a second click or a held key lands there.
class WhileBusy {
 public:
  explicit WhileBusy(std::function<void()> input) {
    QObject::connect(&timer_, &QTimer::timeout, [this, input = std::move(input)] {
      if (done_ || pendingMessagesDepth() == 0) return;
      done_ = true;
      timer_.stop();
      input();
    });
    timer_.start(0);
  }
  bool done() const { return done_; }

 private:
  QTimer timer_;
  bool done_ = false;
};

// Typed on the keyboard (ASCII characters) while `window` is in front.
inline void typeKeys(QWidget *window, const QString &keys) {
  for (const QChar c : keys) QTest::keyClick(window->window()->windowHandle(), c.toLatin1());
}
inline void pressKey(QWidget *window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(window->window()->windowHandle(), key, modifiers);
}

// A left click at `at` in `widget` (its middle by default), made at that
// place of its window.
inline void clickOn(QWidget *widget, std::optional<QPoint> at = std::nullopt) {
  QWidget *window = widget->window();
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, widget->mapTo(window, at.value_or(widget->rect().center())));
}

// The title bar's close button: the window system asks the window to close,
// and the toolkit delivers that as a spontaneous close, as on a real screen.
inline void closeWithTitleBarButton(QWidget *window) {
  QCloseEvent close;
  QCoreApplication::sendEvent(window->windowHandle(), &close);
}

// A click in the middle of a list row.
inline void clickRow(QListWidget *list, int row) {
  QListWidgetItem *item = list->item(row);
  list->scrollToItem(item);
  clickOn(list->viewport(), list->visualItemRect(item).center());
}

// A drop-down list opened with a click on its arrow, `text` reached with the arrow keys
// and taken with Enter. (A click in the list just after it opened is ignored
// by design, and no test waits for real time.)
inline void chooseInCombo(QComboBox *combo, const QString &text) {
  clickOn(combo, QPoint(combo->width() - 6, combo->height() / 2));
  QWidget *list = combo->view();  // in the drop-down's own window
  const int target = combo->findText(text);
  for (int row = combo->currentIndex(); row < target; ++row) pressKey(list, Qt::Key_Down);
  for (int row = combo->currentIndex(); row > target; --row) pressKey(list, Qt::Key_Up);
  pressKey(list, Qt::Key_Return);
}

// The key that starts `level` on the progress screen: "1".."9", then "a".."d".
inline QString levelKey(int level) {
  return level <= 9 ? QString::number(level) : QString(QChar(u'a' + (level - 10)));
}

// Start-up as the splash's timer carries it out: configuration read, the
// name list shown; an error on the way ends the program as it does there.
// Null when the program has ended.
inline namesel *startUp(Application &app) {
  namesel *names = nullptr;
  runReportingErrors([&] {
    loadConfiguration(app.state(), app.programFolder());
    names = &app.windows().show<namesel>();
  });
  return app.hasEnded() ? nullptr : names;
}

// On the name list: the student's row clicked, then "1" (O.K.). Returns the
// progress screen that has taken over.
inline seisekitime1 *chooseOnNameList(Application &app, int student) {
  namesel *names = app.windows().find<namesel>();
  if (!names) return nullptr;
  const QString name = trimBlanks(app.state().roster.nameByNumber[static_cast<size_t>(student)]);
  auto *list = names->findChild<QListWidget *>(QStringLiteral("List1"));
  for (int row = 1; row < list->count(); ++row)
    if (list->item(row)->text().section(u' ', 1).startsWith(name)) {
      clickRow(list, row);
      typeKeys(names, QStringLiteral("1"));
      return app.windows().find<seisekitime1>();
    }
  return nullptr;
}

}  // namespace minatori::test
