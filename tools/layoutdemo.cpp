// Lays out the demo installation:
//   layoutdemo <demo folder> <target root> <executable> [<generated sounds folder>]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

#include "platform/runtimeerror.h"
#include "tools/installation.h"

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 4 && args.size() != 5) {
    std::fprintf(stderr, "usage: layoutdemo <demo folder> <target root> <executable> [<sounds folder>]\n");
    return 2;
  }
  const QString demo = QDir(args[1]).absolutePath() + u'/';
  minatori::installation::Layout layout;
  layout.root = QDir(args[2]).absolutePath();
  layout.dataSource = demo + QStringLiteral("data");
  layout.contentSource = demo + QStringLiteral("content");
  layout.soundSources << demo + QStringLiteral("sound");
  if (args.size() == 5) layout.soundSources << QDir(args[4]).absolutePath();
  layout.executable = QDir(args[3]).absolutePath();
  try {
    minatori::installation::layOut(layout);
  } catch (const minatori::RuntimeError &e) {
    std::fprintf(stderr, "layoutdemo: %s\n", e.what());
    return 1;
  }
  // The program menu the student leaves through, beside the program folder.
  const QString menuFolder = layout.root + QStringLiteral("/起動/");
  const QString menu = QStringLiteral("プログラムメニューc.exe");
  QDir().mkpath(menuFolder);
  QFile::remove(menuFolder + menu);
  if (!QFile::copy(demo + QStringLiteral("menu/") + menu, menuFolder + menu) ||
      !QFile::setPermissions(menuFolder + menu, QFile::permissions(demo + QStringLiteral("menu/") + menu))) {
    std::fprintf(stderr, "layoutdemo: cannot copy the program menu into %s\n", qPrintable(menuFolder));
    return 1;
  }
  std::printf("%s\n", qPrintable(minatori::installation::programFolder(layout)));
  return 0;
}
