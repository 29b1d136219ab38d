#include "tools/installation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/configuration.h"
#include "platform/paths.h"
#include "platform/runtimeerror.h"
#include "platform/textfile.h"

namespace minatori::installation {

namespace {

QString folderOf(const QString &path) { return paths::withTrailingSeparator(QDir::toNativeSeparators(path)); }

void makeFolder(const QString &folder) {
  if (!QDir().mkpath(folder)) throw RuntimeError(errc::PathNotFound, folder);
}

void copyInto(const QString &sourceFolder, const QString &targetFolder) {
  if (sourceFolder.isEmpty()) return;
  const QDir source(sourceFolder);
  for (const QFileInfo &f : source.entryInfoList(QDir::Files)) {
    const QString target = targetFolder + f.fileName();
    writeFileAtomically(target, readWholeFile(f.absoluteFilePath()));
  }
}

}  // namespace

QString programFolder(const Layout &l) { return folderOf(l.root) + l.programFolderName; }
QString dataFolder(const Layout &l) { return folderOf(l.root) + QStringLiteral("data") + paths::separator(); }
QString contentFolder(const Layout &l) { return dataFolder(l) + l.programFolderName + paths::separator(); }
QString soundFolder(const Layout &l) {
  return dataFolder(l) + QString::fromUtf16(kSoundFolderName) + paths::separator();
}

QByteArray pathFileBytes(const QString &dataFolder) {
  return encodeCp932(u'"' + dataFolder + QStringLiteral("\",0,0,0,0,0,0,0,0,0\r\n"), QString::fromUtf16(kPathFileName));
}

void layOut(const Layout &l) {
  for (const QString &f : {programFolder(l), dataFolder(l), contentFolder(l), soundFolder(l)}) makeFolder(f);
  writeFileAtomically(folderOf(l.root) + QString::fromUtf16(kPathFileName), pathFileBytes(dataFolder(l)));
  copyInto(l.dataSource, dataFolder(l));
  copyInto(l.contentSource, contentFolder(l));
  for (const QString &source : l.soundSources) copyInto(source, soundFolder(l));
  if (!l.executable.isEmpty()) {
    const QString target = paths::withTrailingSeparator(programFolder(l)) + QFileInfo(l.executable).fileName();
    writeFileAtomically(target, readWholeFile(l.executable));
    QFile::setPermissions(target, QFile::permissions(l.executable));
  }
}

}  // namespace minatori::installation
