#include "platform/process.h"

#include <optional>

namespace minatori {

namespace {
std::optional<QProcessEnvironment> &remembered() {
  static std::optional<QProcessEnvironment> environment;
  return environment;
}
}  // namespace

void rememberStartEnvironment() { remembered() = QProcessEnvironment::systemEnvironment(); }

QProcessEnvironment startEnvironment() {
  return remembered() ? *remembered() : QProcessEnvironment::systemEnvironment();
}

namespace {
QString quotedArgument(const QString &arg) {
  if (!arg.isEmpty() && !arg.contains(u' ') && !arg.contains(u'\t') && !arg.contains(u'"')) return arg;
  QString out = QStringLiteral("\"");
  qsizetype backslashes = 0;
  for (const QChar c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    if (c == u'"') out += QString(backslashes * 2 + 1, u'\\');  // each doubled, then the quote escaped
    else out += QString(backslashes, u'\\');
    backslashes = 0;
    out += c;
  }
  out += QString(backslashes * 2, u'\\');  // before the closing quote
  out += u'"';
  return out;
}
}  // namespace

QString windowsCommandLine(const QString &program, const QStringList &arguments) {
  // The program name is parsed by other rules (no escapes: up to the next
  // quote), and a Windows path holds no quote, so it is only ever enclosed.
  QString line = u'"' + program + u'"';
  for (const QString &arg : arguments) line += u' ' + quotedArgument(arg);
  return line;
}

}  // namespace minatori
