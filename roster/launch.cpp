#include "roster/launch.h"

#include "platform/paths.h"

namespace minatori {

QString launcherPath(const QString &programFolder, int developmentMode) {
  const QString relative = developmentMode == 1 ? QStringLiteral("..\\..\\起動\\起動\\プログラムメニュー.exe")
                                                : QStringLiteral("..\\起動\\プログラムメニューc.exe");
  return paths::withTrailingSeparator(programFolder) + paths::fromWindowsRelative(relative);
}

QStringList launcherArguments(int developmentMode) {
  return developmentMode == 1 ? QStringList{} : QStringList{QStringLiteral("001")};
}

}  // namespace minatori
