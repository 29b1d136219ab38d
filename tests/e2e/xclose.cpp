#include "tests/e2e/xclose.h"

#include <X11/Xlib.h>

namespace minatori::test {

bool sendCloseRequest(const char *display, unsigned long window) {
  Display *d = XOpenDisplay(display);
  if (!d) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(d, window, False, NoEventMask, &event);
  XFlush(d);
  XCloseDisplay(d);
  return sent != 0;
}

}  // namespace minatori::test
