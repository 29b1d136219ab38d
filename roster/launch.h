#pragma once
// The program-menu launcher the student leaves through: an executable beside
// the program's folder, the only other program this one starts.

#include <QString>
#include <QStringList>

namespace minatori {

// Normal: <program folder>/../起動/プログラムメニューc.exe with "001";
// development mode: <program folder>/../../起動/起動/プログラムメニュー.exe with none.
QString launcherPath(const QString &programFolder, int developmentMode);
QStringList launcherArguments(int developmentMode);

}  // namespace minatori
