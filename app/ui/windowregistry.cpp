#include "app/ui/windowregistry.h"

#include <algorithm>

namespace minatori {

WindowRegistry::~WindowRegistry() {
  for (const QPointer<Window> &p : open_) delete p.data();
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
}

}  // namespace minatori
