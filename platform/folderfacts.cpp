#include "platform/folderfacts.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <QSysInfo>

namespace minatori {

std::optional<QDateTime> fileModifiedTime(const QString &path) {
  const QFileInfo info(path);
  if (!info.exists()) return std::nullopt;
  const QDateTime t = info.fileTime(QFileDevice::FileModificationTime);
  if (!t.isValid()) return std::nullopt;
  return t.toLocalTime();
}

qint64 freeBytes(const QString &folder) {
  const QStorageInfo volume(folder);
  return volume.isValid() ? volume.bytesAvailable() : -1;
}

QString computerName() {
  const QString name = QSysInfo::machineHostName();
  return name.isEmpty() ? QStringLiteral("PC") : name;
}

}  // namespace minatori
