#include "app/configuration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/programstate.h"
#include "platform/paths.h"
#include "platform/runtimeerror.h"
#include "tests/support/testinstallation.h"

using namespace minatori;
using minatori::test::TestInstallation;

namespace {

struct SplitCase {
  QString field;
  QString code;
  QString name;
};

class SchoolCodeSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SchoolCodeSplit, TakesAFiveCharacterCodeOnlyWhenItIsANumber) {
  const SchoolNameSplit s = splitSchoolCode(GetParam().field);
  EXPECT_EQ(s.code, GetParam().code) << GetParam().field.toStdString();
  EXPECT_EQ(s.name, GetParam().name) << GetParam().field.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, SchoolCodeSplit,
                         ::testing::Values(SplitCase{"12345Aoba", "12345", "Aoba"},
                                           SplitCase{"Aoba", "", "Aoba"},
                                           SplitCase{"00000Aoba", "", "00000Aoba"},
                                           SplitCase{"12345", "12345", ""},
                                           SplitCase{"123", "", "123"},  // too short to hold a code
                                           SplitCase{"12Aoba", "12Aob", "a"},
                                           SplitCase{"31415みなと学習塾", "31415", "みなと学習塾"},
                                           SplitCase{"", "", ""}));

TEST(SeasonColour, FollowsTheMonth) {
  const QColor spring(192, 255, 192);
  const std::pair<int, QColor> table[] = {
      {1, {255, 128, 0}}, {2, {255, 128, 0}},  {3, spring},         {5, spring},
      {6, {0, 192, 192}}, {8, {0, 192, 192}},  {9, {192, 64, 0}},   {11, {192, 64, 0}},
      {12, spring}};
  for (const auto &[month, colour] : table) EXPECT_EQ(seasonColorForMonth(month), colour) << month;
}

// A POSIX path of the table in this platform's form: on Windows with its
// separators and on drive C:.
QString onThisPlatform(const char *posixPath) {
  const QString path = paths::fromWindowsRelative(QString::fromUtf8(posixPath).replace(u'/', u'\\'));
  return paths::separator() == u'/' ? path : QStringLiteral("C:") + path;
}

TEST(DevelopmentMode, NeedsTheDevelopmentFolderAndNoVantora) {
  const std::pair<const char *, int> table[] = {
      {"/home/t/MINATORI_DEV/DRILL1", 1},
      {"/srv/school/DRILL1", 0},
      {"/home/t/MINATORI_DEV/VANTORA/DRILL1", 0},
      {"/VANTORA/MINATORI_DEV", 0},
      {"/home/t/minatori_dev/DRILL1", 0},  // the tests are case-sensitive
      {"/home/t/vantora/MINATORI_DEV", 1},
  };
  for (const auto &[path, mode] : table) EXPECT_EQ(developmentModeFor(onThisPlatform(path)), mode) << path;
  EXPECT_EQ(developmentDataFolder(onThisPlatform("/home/t/MINATORI_DEV/DRILL1")),
            onThisPlatform("/MINATORI_DEV/DATA/"));
}

// The classic example in this platform's form: data folder from the path
// file, content folder named after the program folder, sound folder beside it.
TEST(LoadConfiguration, ResolvesTheFoldersOfAnInstallation) {
  TestInstallation inst;
  ProgramState s;
  loadConfiguration(s, inst.programFolder());
  EXPECT_EQ(s.appFolder, inst.programFolder() + paths::separator());
  EXPECT_EQ(s.appFolderName, QStringLiteral("MINATORI"));
  EXPECT_EQ(s.dataFolder, inst.dataFolder());
  EXPECT_EQ(s.contentFolder, inst.dataFolder() + QStringLiteral("MINATORI") + paths::separator());
  EXPECT_EQ(s.soundFolder, inst.dataFolder() + QStringLiteral("音フォルダ") + paths::separator());
  EXPECT_EQ(s.yearStartMonth, 4);
  EXPECT_EQ(s.schoolCode, QStringLiteral("31415"));
  EXPECT_EQ(s.schoolName, QStringLiteral("みなと学習塾"));
  EXPECT_EQ(s.showStatus2, 0);
  EXPECT_EQ(s.teacherPassword, QStringLiteral("hikari"));
  EXPECT_EQ(s.programTitle, QStringLiteral("ミナトリ"));
  EXPECT_EQ(s.levelsOpenSwitch, 1);
  EXPECT_EQ(s.printButtonSwitch, 0);
  EXPECT_EQ(s.criteria[2].targetTime, 45);  // the criteria were loaded too
}

TEST(LoadConfiguration, ADataFolderWithoutItsSeparatorStillFormsRightNames) {
  TestInstallation inst;
  QString data = inst.dataFolder();
  data.chop(1);
  TestInstallation::writeCp932(inst.rootFolder() + QStringLiteral("パスデータ.txt"),
                               data + QStringLiteral(",0,0,0,0,0,0,0,0,0\r\n"));
  ProgramState s;
  loadConfiguration(s, inst.programFolder());
  EXPECT_EQ(s.dataFolder, inst.dataFolder());
  EXPECT_EQ(s.contentFolder, inst.dataFolder() + QStringLiteral("MINATORI") + paths::separator());
}

TEST(LoadConfiguration, ConfigurationFieldsMayStandOnSeparateLinesAndInQuotes) {
  TestInstallation inst;
  TestInstallation::writeCp932(inst.dataFolder() + QStringLiteral("共通データ.txt"),
                               QStringLiteral("3\r\n\"12345Aoba, Main\"\r\n1\r\nx\r\ny\r\n  pass word  \r\n0,0\r\n0,0\r\n"));
  ProgramState s;
  loadConfiguration(s, inst.programFolder());
  EXPECT_EQ(s.yearStartMonth, 3);
  EXPECT_EQ(s.schoolCode, QStringLiteral("12345"));
  EXPECT_EQ(s.schoolName, QStringLiteral("Aoba, Main"));
  EXPECT_EQ(s.showStatus2, 1);
  EXPECT_EQ(s.teacherPassword, QStringLiteral("pass word"));
}

struct BrokenCase {
  const char *name;
  QString relativeFile;  // below the root; empty content means: delete it
  QString content;
  int error;
  QString reportedFile;  // below the root
};

class BrokenConfiguration : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenConfiguration, StopsWithTheErrorNamingTheFile) {
  const BrokenCase &c = GetParam();
  TestInstallation inst;
  const QString path = inst.rootFolder() + c.relativeFile;
  if (c.content.isEmpty())
    QFile::remove(path);
  else
    TestInstallation::writeCp932(path, c.content);
  ProgramState s;
  try {
    loadConfiguration(s, inst.programFolder());
    FAIL() << c.name;
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), c.error) << c.name;
    EXPECT_EQ(QDir::cleanPath(e.file()), QDir::cleanPath(inst.rootFolder() + c.reportedFile)) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BrokenConfiguration,
    ::testing::Values(
        BrokenCase{"nine_common_fields", "data/共通データ.txt", "4,Aoba,0,0,0,pw,0,0,0\r\n", errc::InputPastEnd,
                   "data/共通データ.txt"},
        BrokenCase{"nine_path_fields", "パスデータ.txt", "/nowhere/,0,0,0,0,0,0,0,0\r\n", errc::InputPastEnd,
                   "パスデータ.txt"},
        BrokenCase{"no_path_file", "パスデータ.txt", "", errc::FileNotFound, "パスデータ.txt"},
        BrokenCase{"no_common_file", "data/共通データ.txt", "", errc::FileNotFound, "data/共通データ.txt"},
        BrokenCase{"no_criteria_file", "data/MINATORI/タイム回数データ.txt", "", errc::FileNotFound,
                   "data/MINATORI/タイム回数データ.txt"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CommonData, ATooShortFileChangesNothing) {
  ProgramState s;
  s.yearStartMonth = 4;
  s.teacherPassword = QStringLiteral("hikari");
  EXPECT_THROW(parseCommonData(s, QStringLiteral("9,12345Aoba,1,0,0,pw,0,0,0"), QStringLiteral("c.txt")),
               RuntimeError);
  EXPECT_EQ(s.yearStartMonth, 4);
  EXPECT_EQ(s.teacherPassword, QStringLiteral("hikari"));
  EXPECT_TRUE(s.schoolCode.isEmpty());
}

TEST(LoadConfiguration, AFileSavedAsUtf8IsRefusedNamingIt) {
  TestInstallation inst;
  const QString path = inst.dataFolder() + QStringLiteral("共通データ.txt");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QStringLiteral("4,31415みなと学習塾,0,0,0,pw,0,0,0,0\r\n").toUtf8());  // without a byte-order mark
  f.close();
  ProgramState s;
  try {
    loadConfiguration(s, inst.programFolder());
    FAIL();
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), errc::BadTextEncoding);
    EXPECT_EQ(e.file(), path);
    EXPECT_TRUE(e.text().contains(QStringLiteral("ANSI")));
  }
}

TEST(LoadConfiguration, DevelopmentModeKeepsContentInTheProgramFolder) {
  // Development mode reads its data from a fixed folder under the root, which
  // a test cannot create; the content folder rule can be seen on its own.
  TestInstallation inst;
  ProgramState s;
  s.developmentMode = 1;
  const QString developmentData = paths::driveRoot(inst.programFolder()) + QStringLiteral("MINATORI_DEV") +
                                  paths::separator() + QStringLiteral("DATA") + paths::separator();
  try {
    loadConfiguration(s, inst.programFolder());
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.file(), developmentData + QStringLiteral("共通データ.txt"));
  }
  EXPECT_EQ(s.dataFolder, developmentData);
}

}  // namespace
