#pragma once
// The close button of a window's title bar, as a window manager carries it
// out: a WM_DELETE_WINDOW message of the WM_PROTOCOLS protocol sent to the
// window. Kept apart from Qt's headers, which Xlib's macros would upset.

namespace minatori::test {

// Sends the close request to X window `window` on `display` (":N").
// Returns false when the display cannot be opened or the message not sent.
bool sendCloseRequest(const char *display, unsigned long window);

}  // namespace minatori::test
