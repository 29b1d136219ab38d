#include "app/ui/windowregistry.h"

#include <QThread>
#include <algorithm>

#include "platform/events.h"

namespace minatori {

WindowRegistry::WindowRegistry(Application &app) : app_(app) {
  destroyTimer_.setSingleShot(true);
  destroyTimer_.callOnTimeout([this] { destroyClosed(); });
}

WindowRegistry::~WindowRegistry() {
  for (const QPointer<Window> &p : open_) delete p.data();
  for (const QPointer<Window> &p : closed_) delete p.data();
}

void WindowRegistry::destroyClosed() {
  // Level 1 is the main event loop; a drag or a modal box runs a loop of its own.
  if (pendingMessagesDepth() > 0 || QThread::currentThread()->loopLevel() > 1) {
    destroyTimer_.start(10);
    return;
  }
  std::vector<QPointer<Window>> closed;
  closed.swap(closed_);
  for (const QPointer<Window> &p : closed) delete p.data();
}

void WindowRegistry::closeAll() {
  while (!open_.empty()) {
    QPointer<Window> last = open_.back();
    if (last) last->close();
    // A window that refused to close, or is already gone, is dropped all the same.
    if (!open_.empty() && open_.back() == last) open_.pop_back();
  }
}

std::vector<Window *> WindowRegistry::openWindows() const {
  std::vector<Window *> out;
  for (const QPointer<Window> &p : open_)
    if (p) out.push_back(p.data());
  return out;
}

void WindowRegistry::forget(Window *w) {
  std::erase_if(open_, [w](const QPointer<Window> &p) { return p.isNull() || p.data() == w; });
  std::erase_if(closed_, [w](const QPointer<Window> &p) { return p.isNull() || p.data() == w; });
  closed_.emplace_back(w);
  destroyTimer_.start(0);
}

}  // namespace minatori
