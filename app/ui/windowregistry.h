#pragma once
// The one place that creates, shows and closes the program's windows, so the
// rule "one window in front; a window that hands over shows the next one and
// closes itself" lives here.

#include <QPointer>
#include <QTimer>
#include <type_traits>
#include <vector>

#include "app/ui/basefrm.h"
#include "app/ui/window.h"

namespace minatori {

class Application;

class WindowRegistry {
 public:
  explicit WindowRegistry(Application &app);
  ~WindowRegistry();
  WindowRegistry(const WindowRegistry &) = delete;
  WindowRegistry &operator=(const WindowRegistry &) = delete;

  // Shows the window of class W, creating and loading it first when it is not
  // open, and runs its activation steps. The wait window covers a change of
  // screen: the screen that appears closes it once it is set up, so it never
  // outlives the change.
  template <class W>
  W &show() {
    W *w = find<W>();
    if (!w) {
      w = new W(app_);
      w->setObjectName(QString::fromLatin1(W::staticMetaObject.className()).section(u':', -1));
      open_.emplace_back(w);
      w->load();
    }
    w->show();
    w->raise();
    w->activateWindow();
    w->activate();
    if constexpr (!std::is_same_v<W, BASEFRM>) close<BASEFRM>();
    return *w;
  }

  // The open window of class W, or nullptr.
  template <class W>
  W *find() const {
    for (const QPointer<Window> &p : open_)
      if (auto *w = qobject_cast<W *>(p.data())) return w;
    return nullptr;
  }

  // Closes the window of class W if it is open.
  template <class W>
  void close() {
    if (W *w = find<W>()) w->close();
  }

  // Closes every open window, the most recently opened first.
  void closeAll();

  // Open windows in the order they were opened.
  std::vector<Window *> openWindows() const;

  // Called by a window whose close has been accepted. The window is
  // destroyed later, once no handler can still be running on it.
  void forget(Window *w);

 private:
  void destroyClosed();

  Application &app_;
  std::vector<QPointer<Window>> open_;
  // Closed windows not yet destroyed. A handler that lets pending messages
  // run (or runs a drag or a modal box) may close its own window meanwhile
  // and then carry on using it, so destruction waits until the program is
  // back in its main event loop.
  std::vector<QPointer<Window>> closed_;
  QTimer destroyTimer_;
};

}  // namespace minatori
