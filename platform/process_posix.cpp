#include <QFileInfo>
#include <QProcess>

#include "platform/process.h"

namespace minatori {

QString startProgramDetached(const QString &program, const QStringList &arguments) {
  if (!QFileInfo::exists(program)) return QStringLiteral("ファイルが見つかりません。");
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setWorkingDirectory(QFileInfo(program).absolutePath());
  process.setProcessEnvironment(startEnvironment());
  if (process.startDetached()) return {};
  return process.errorString();
}

}  // namespace minatori
