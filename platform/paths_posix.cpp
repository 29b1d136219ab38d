#include <QCoreApplication>

#include "platform/paths.h"

namespace minatori::paths {

QChar separator() { return u'/'; }

QString driveRoot(const QString &path) {
  const qsizetype i = path.indexOf(separator());
  return i < 0 ? QString() : path.left(i + 1);
}

QString programFolder() { return QCoreApplication::applicationDirPath(); }

}  // namespace minatori::paths
