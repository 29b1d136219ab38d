#include "tests/support/testinstallation.h"

#include <QDirIterator>
#include <QFile>

#include "platform/textfile.h"

namespace minatori::test {

QString demoSourceFolder() { return QStringLiteral(MINATORI_SOURCE_DIR "/demo/"); }

TestInstallation::TestInstallation(const QString &rootName) {
  layout_.root = rootName.isEmpty() ? dir_.path() : dir_.path() + u'/' + rootName;
  layout_.dataSource = demoSourceFolder() + QStringLiteral("data");
  layout_.contentSource = demoSourceFolder() + QStringLiteral("content");
  layout_.soundSources << demoSourceFolder() + QStringLiteral("sound");
  installation::layOut(layout_);
}

QString TestInstallation::rootFolder() const { return layout_.root + u'/'; }

void TestInstallation::writeCp932(const QString &path, const QString &text) {
  writeFileAtomically(path, encodeCp932(text, path));
}

QByteArray TestInstallation::bytesOf(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMap<QString, QByteArray> TestInstallation::snapshot() const {
  QMap<QString, QByteArray> files;
  QDirIterator it(dir_.path(), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) files.insert(path, f.readAll());
  }
  return files;
}

}  // namespace minatori::test
