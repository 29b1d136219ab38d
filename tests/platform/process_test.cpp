// How the program menu's command line is quoted for Windows, checked on
// every system.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "platform/process.h"

using namespace minatori;

namespace {

struct CommandLineCase {
  const char *name;
  QString program;
  QStringList arguments;
  QString line;
};

class WindowsCommandLines : public ::testing::TestWithParam<CommandLineCase> {};

// What the C runtime of the started program parses back must be exactly
// the arguments given; the program menu reads "001" as its first.
TEST_P(WindowsCommandLines, QuoteWhatTheParserWouldSplit) {
  const CommandLineCase &c = GetParam();
  EXPECT_EQ(windowsCommandLine(c.program, c.arguments), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsCommandLines,
    ::testing::Values(
        CommandLineCase{"program_menu", QStringLiteral("D:\\PROGS\\MENU.exe"), {QStringLiteral("001")},
                        QStringLiteral("\"D:\\PROGS\\MENU.exe\" 001")},
        CommandLineCase{"spaces_and_japanese_in_the_path",
                        QStringLiteral("\\\\server\\share\\塾 プログラム\\メニュー.exe"), {QStringLiteral("001")},
                        QStringLiteral("\"\\\\server\\share\\塾 プログラム\\メニュー.exe\" 001")},
        CommandLineCase{"no_arguments", QStringLiteral("C:\\a.exe"), {}, QStringLiteral("\"C:\\a.exe\"")},
        CommandLineCase{"empty_argument", QStringLiteral("C:\\a.exe"), {QString()}, QStringLiteral("\"C:\\a.exe\" \"\"")},
        CommandLineCase{"argument_with_space", QStringLiteral("C:\\a.exe"), {QStringLiteral("a b")},
                        QStringLiteral("\"C:\\a.exe\" \"a b\"")},
        CommandLineCase{"quote_inside", QStringLiteral("C:\\a.exe"), {QStringLiteral("say \"hi\"")},
                        QStringLiteral("\"C:\\a.exe\" \"say \\\"hi\\\"\"")},
        // Backslashes count only before a quote: a folder argument ending in
        // one would otherwise escape the closing quote.
        CommandLineCase{"folder_with_space_ends_in_backslash", QStringLiteral("C:\\a.exe"), {QStringLiteral("D:\\my data\\")},
                        QStringLiteral("\"C:\\a.exe\" \"D:\\my data\\\\\"")},
        CommandLineCase{"backslashes_before_a_quote", QStringLiteral("C:\\a.exe"), {QStringLiteral("x\\\\\"y")},
                        QStringLiteral("\"C:\\a.exe\" \"x\\\\\\\\\\\"y\"")},
        CommandLineCase{"plain_backslashes_stay", QStringLiteral("C:\\a.exe"), {QStringLiteral("D:\\DATA\\")},
                        QStringLiteral("\"C:\\a.exe\" D:\\DATA\\")},
        CommandLineCase{"japanese_argument", QStringLiteral("C:\\a.exe"), {QStringLiteral("名簿"), QStringLiteral("1")},
                        QStringLiteral("\"C:\\a.exe\" 名簿 1")}),
    [](const auto &info) { return std::string(info.param.name); });

// The program menu gets the environment the program was started with, not
// the enlargement the program set for its own windows.
TEST(StartedPrograms, GetTheEnvironmentTheProgramWasStartedWith) {
  const QString shell = QStandardPaths::findExecutable(QStringLiteral("sh"));
  if (shell.isEmpty()) GTEST_SKIP() << "no shell to report its environment";
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("env"));
  qputenv("MINATORI_PROBE", "given");
  qunsetenv("QT_SCALE_FACTOR");
  rememberStartEnvironment();
  qputenv("MINATORI_PROBE", "changed");
  qputenv("QT_SCALE_FACTOR", "2.25");
  const QString script = QStringLiteral("printf '%s %s' \"$MINATORI_PROBE\" \"${QT_SCALE_FACTOR-none}\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0\"");
  ASSERT_EQ(startProgramDetached(shell, {QStringLiteral("-c"), script, out}), QString());
  QElapsedTimer t;
  t.start();
  while (!QFile::exists(out) && t.elapsed() < 10000) QThread::msleep(10);
  QFile f(out);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("given none"));
  qunsetenv("QT_SCALE_FACTOR");
  qunsetenv("MINATORI_PROBE");
}

}  // namespace
