#include <windows.h>

#include <vector>

#include "platform/paths.h"

namespace minatori::paths {

QChar separator() { return u'\\'; }

// "C:\" of "C:\PROGS\X", and "\\server\share\" of a UNC path
// "\\server\share\PROGS\X": a share is the root of its path as a drive is.
QString driveRoot(const QString &path) {
  if (path.startsWith(QStringLiteral("\\\\"))) {
    const qsizetype server = path.indexOf(u'\\', 2);
    if (server < 0) return {};
    const qsizetype share = path.indexOf(u'\\', server + 1);
    return share < 0 ? path + u'\\' : path.left(share + 1);
  }
  const qsizetype i = path.indexOf(separator());
  return i < 0 ? QString() : path.left(i + 1);
}

// From the system rather than from argv[0] or the toolkit, so that a
// program started through a shortcut, a UNC path or a Japanese folder name
// finds its own folder. The buffer grows until the whole path fits.
QString programFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      const QString file = QString::fromWCharArray(buffer.data(), static_cast<qsizetype>(n));
      return file.left(file.lastIndexOf(u'\\'));
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace minatori::paths
