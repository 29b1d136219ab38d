#pragma once
// An installation tree in a temporary folder, laid out from the demo files,
// whose files a test can then replace.

#include <QMap>
#include <QTemporaryDir>

#include "tools/installation.h"

namespace minatori::test {

class TestInstallation {
 public:
  // `rootName`: a folder path inside the temporary folder to lay the tree
  // out in (Japanese names and spaces, as on a school's share), or none.
  explicit TestInstallation(const QString &rootName = {});

  const installation::Layout &layout() const { return layout_; }
  QString programFolder() const { return installation::programFolder(layout_); }
  QString dataFolder() const { return installation::dataFolder(layout_); }
  QString contentFolder() const { return installation::contentFolder(layout_); }
  QString soundFolder() const { return installation::soundFolder(layout_); }
  QString rootFolder() const;

  // Writes `text` in code page 932 to `path`.
  static void writeCp932(const QString &path, const QString &text);
  // The bytes of the file at `path`; none when it cannot be read.
  static QByteArray bytesOf(const QString &path);
  // Every file below the root with its bytes: to check that nothing was written.
  QMap<QString, QByteArray> snapshot() const;

 private:
  QTemporaryDir dir_;
  installation::Layout layout_;
};

// The source folder of the demo installation.
QString demoSourceFolder();

}  // namespace minatori::test
