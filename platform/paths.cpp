#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>

namespace minatori::paths {

#ifdef Q_OS_WIN
QChar separator() { return u'\\'; }
#else
QChar separator() { return u'/'; }
#endif

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

QString driveRoot(const QString &path) {
  const qsizetype i = path.indexOf(separator());
  return i < 0 ? QString() : path.left(i + 1);
}

QString fromWindowsRelative(const QString &relative) {
  QString r = relative;
  r.replace(u'\\', separator());
  return r;
}

QString programFolder() {
  return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

}  // namespace minatori::paths
