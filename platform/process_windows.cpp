#include <windows.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "platform/process.h"

namespace minatori {

namespace {
QString systemMessage(DWORD error) {
  wchar_t *text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  QString message = n ? QString::fromWCharArray(text, n).trimmed() : QStringLiteral("エラー %1").arg(error);
  LocalFree(text);
  return message;
}
// The environment block CreateProcessW takes with CREATE_UNICODE_ENVIRONMENT:
// "name=value" texts in UTF-16, each ended by a zero, the block by another.
// Windows wants them sorted by name, without regard to case.
std::vector<wchar_t> environmentBlock(const QProcessEnvironment &environment) {
  QStringList names = environment.keys();
  std::sort(names.begin(), names.end(),
            [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
  std::vector<wchar_t> block;
  for (const QString &name : names) {
    const QString entry = name + u'=' + environment.value(name);
    for (const QChar c : entry) block.push_back(static_cast<wchar_t>(c.unicode()));
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  if (block.size() == 1) block.push_back(L'\0');  // an empty block is two zeros
  return block;
}
}  // namespace

QString startProgramDetached(const QString &program, const QStringList &arguments) {
  if (!QFileInfo::exists(program)) return QStringLiteral("ファイルが見つかりません。");
  const QString native = QDir::toNativeSeparators(QFileInfo(program).absoluteFilePath());
  const QString folder = QDir::toNativeSeparators(QFileInfo(program).absolutePath());
  // CreateProcessW may write into the command line, so it gets a copy.
  const QString line = windowsCommandLine(native, arguments);
  std::vector<wchar_t> commandLine(line.size() + 1, L'\0');
  line.toWCharArray(commandLine.data());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  std::vector<wchar_t> environment = environmentBlock(startEnvironment());
  if (!CreateProcessW(reinterpret_cast<const wchar_t *>(native.utf16()), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, environment.data(), reinterpret_cast<const wchar_t *>(folder.utf16()),
                      &startup, &started))
    return systemMessage(GetLastError());
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return {};
}

}  // namespace minatori
