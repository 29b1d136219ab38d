#include "platform/paths.h"

// What differs between the systems (the separator, drive roots, the
// program's folder) is in paths_posix.cpp and paths_windows.cpp.

namespace minatori::paths {

QString parentStep() { return QStringLiteral("..") + separator(); }

QString withTrailingSeparator(const QString &folder) {
  if (folder.isEmpty() || folder.endsWith(separator())) return folder;
  return folder + separator();
}

QString lastComponent(const QString &folder) {
  QString f = folder;
  while (f.size() > 1 && f.endsWith(separator())) f.chop(1);
  return f.mid(f.lastIndexOf(separator()) + 1);
}

QString fromWindowsRelative(const QString &relative) {
  QString r = relative;
  r.replace(u'\\', separator());
  return r;
}

}  // namespace minatori::paths
