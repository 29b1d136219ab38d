#include "roster/roster.h"

#include <gtest/gtest.h>

#include <QFile>
#include <memory>

#include "app/programstate.h"
#include "platform/runtimeerror.h"
#include "tests/support/testinstallation.h"

using namespace minatori;
using minatori::test::TestInstallation;

namespace {

struct GradeCase {
  int g;
  const char16_t *shortLabel;
  const char16_t *fullLabel;  // empty: not stored
  int withinSchool;
};

class Grades : public ::testing::TestWithParam<GradeCase> {};

TEST_P(Grades, LabelsAndGradeWithinSchool) {
  const GradeCase &c = GetParam();
  EXPECT_EQ(shortGradeLabel(c.g), QString::fromUtf16(c.shortLabel));
  EXPECT_EQ(fullGradeLabel(c.g), QString::fromUtf16(c.fullLabel));
  EXPECT_EQ(gradeWithinSchool(c.g), c.withinSchool);
}

INSTANTIATE_TEST_SUITE_P(Roster, Grades,
                         ::testing::Values(GradeCase{-4, u"幼-", u"", -10}, GradeCase{-3, u"幼-", u"", -9},
                                           GradeCase{-2, u"幼1", u"", -8}, GradeCase{-1, u"幼2", u"", -7},
                                           GradeCase{0, u"幼3", u"幼３", -6}, GradeCase{1, u"小1", u"小１", 1},
                                           GradeCase{6, u"小6", u"小６", 6}, GradeCase{7, u"中1", u"中１", 1},
                                           GradeCase{9, u"中3", u"中３", 3}, GradeCase{10, u"高1", u"高１", 1},
                                           GradeCase{11, u"高2", u"", 2}, GradeCase{12, u"高3", u"", 3},
                                           GradeCase{13, u"大+", u"", 4}));

TEST(Roster, SchoolYearTurnsAtTheStartMonth) {
  EXPECT_EQ(schoolYearNow(QDate(2006, 2, 10), 4), 2005);
  EXPECT_EQ(schoolYearNow(QDate(2006, 4, 10), 4), 2006);
  EXPECT_EQ(schoolYearNow(QDate(2006, 3, 31), 4), 2005);
  EXPECT_EQ(schoolYearNow(QDate(2006, 1, 1), 1), 2006);
  EXPECT_EQ(gradeIndex(2005, 1998), 1);
}

TEST(Roster, GroupsFilterByGrade) {
  const QStringList groups = gradeGroups();
  ASSERT_EQ(groups.size(), 12);
  // For each group, the grades 0..10 it lists.
  const std::vector<std::pair<QString, std::vector<int>>> table = {
      {QStringLiteral("全学年"), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {QStringLiteral("中学生全体"), {7, 8, 9}},
      {QStringLiteral("小学生全体"), {1, 2, 3, 4, 5, 6}},
      {QStringLiteral("中３"), {9}},
      {QStringLiteral("中１"), {7}},
      {QStringLiteral("小６"), {6}},
      {QStringLiteral("小１"), {1}},
      {QStringLiteral("高１"), {}},
      {QString(), {}},
  };
  for (const auto &[group, grades] : table) {
    std::vector<int> listed;
    for (int g = 0; g <= 10; ++g)
      if (inGradeGroup(group, g)) listed.push_back(g);
    EXPECT_EQ(listed, grades) << group.toStdString();
  }
  EXPECT_TRUE(inGradeGroup(QStringLiteral("全学年"), 14));
}

struct LineCase {
  int g;
  const char16_t *name;
  int mode;
  StudentFigures figures;
  const char16_t *text;
};

class Lines : public ::testing::TestWithParam<LineCase> {};

TEST_P(Lines, RowText) {
  const LineCase &c = GetParam();
  EXPECT_EQ(studentLineText(c.g, QString::fromUtf16(c.name), c.mode, c.figures), QString::fromUtf16(c.text));
}

// Label part "幼3 ゆい" is 5 characters: 6 fill characters to column 11, 4 to column 9.
INSTANTIATE_TEST_SUITE_P(
    Roster, Lines,
    ::testing::Values(
        LineCase{0, u"ゆい                  ", 0, {}, u"幼3 ゆい　　　　　　     /     　"},
        LineCase{0, u"ゆい", 1, {}, u"幼3 ゆい　　　　  　/       "},
        LineCase{0, u"ゆい", 2, {}, u"幼3 ゆい　　　　　　  　/     "},
        LineCase{0, u"ゆい", 3, {}, u"幼3 ゆい　　　　　　       /     　"},
        LineCase{3, u"青木さくら", 0, {0, 0, 345, 0}, u"小3 青木さくら　     /  345回"},
        LineCase{3, u"青木さくら", 2, {4, 30, 0, 0}, u"小3 青木さくら　  30/  4回"},
        LineCase{3, u"青木さくら", 1, {2, 1234, 9, 1234567}, u"小3 青木さくら　1234/1234567"},
        LineCase{3, u"青木さくら", 3, {0, 0, 123456, 7}, u"小3 青木さくら　      7/23456回"},
        LineCase{8, u"長い長い名前の生徒", 0, {1.5f, 0, 1, 0}, u"中2 長い長い名前の生徒1.5回/    1回"}));

struct RosterRun {
  TestInstallation inst;
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RosterRun() {
    state->dataFolder = inst.dataFolder();
    state->yearStartMonth = 4;
  }
  void roster(const QString &text) { TestInstallation::writeCp932(inst.dataFolder() + QStringLiteral("新名簿.txt"), text); }
  RosterTable &table() { return state->roster; }
};

TEST(Roster, ActiveLinesFillTheEntriesWithoutGaps) {
  RosterRun run;
  run.roster(QStringLiteral("5,1998,0,0,\"青木 さくら\",0,\"\",\"\"\r\n"
                            "6,1997,0,0,伊藤,1,,\r\n"
                            "7,1996,0,0,上田,2,,\r\n"
                            "9,1995,0,0,江藤,0,,\r\n"));
  const auto lines = readRosterForNameList(*run.state, QDate(2006, 2, 10), 0);
  ASSERT_EQ(lines.size(), size_t(2));
  EXPECT_EQ(run.table().rosterCount, 2);
  EXPECT_EQ(run.table().numberByLine[1], 5);
  EXPECT_EQ(run.table().numberByLine[2], 9);
  EXPECT_EQ(run.table().entries[2].name, QStringLiteral("江藤                  "));
  EXPECT_EQ(run.table().schoolYear, 2005);
  EXPECT_EQ(lines[0].studentNumber, 5);
  EXPECT_TRUE(lines[0].text.startsWith(QStringLiteral("小1 青木 さくら")));
  // Inactive lines still fill the per-number tables.
  EXPECT_EQ(run.table().nameByNumber[6], QStringLiteral("伊藤                  "));
  EXPECT_EQ(run.table().gradeLabelByNumber[6], QStringLiteral("小２"));

  run.state->showStatus2 = 1;
  EXPECT_EQ(readRosterForNameList(*run.state, QDate(2006, 2, 10), 0).size(), size_t(3));
  // The progress screen's reader never lists status 2, and is a grade lower before April.
  const QStringList rows = loadStudentList(*run.state, QDate(2006, 2, 10));
  EXPECT_EQ(rows, (QStringList{QStringLiteral("幼３ /  青木 さくら/5"), QStringLiteral("小３ /  江藤/9")}));
  EXPECT_EQ(run.table().nameByNumber[5], QStringLiteral("青木 さくら"));
  EXPECT_EQ(loadStudentList(*run.state, QDate(2006, 4, 10)).front(), QStringLiteral("小２ /  青木 さくら/5"));
}

TEST(Roster, AGradeOutsideTheLabelsKeepsTheEarlierLabel) {
  RosterRun run;
  run.roster(QStringLiteral("3,1994,0,0,田中,0,,\r\n"));  // g = 11 in school year 2011
  run.table().gradeLabelByNumber[3] = QStringLiteral("中３");
  const auto lines = readRosterForNameList(*run.state, QDate(2011, 5, 1), 0);
  ASSERT_EQ(lines.size(), size_t(1));
  EXPECT_TRUE(lines[0].text.startsWith(QStringLiteral("高2 田中")));
  EXPECT_EQ(run.table().gradeLabelByNumber[3], QStringLiteral("中３"));
}

TEST(Roster, NumbersOutsideTheTablesAreLeftOut) {
  RosterRun run;
  run.roster(QStringLiteral("5001,1998,0,0,a,0,,\r\n-1,1998,0,0,b,0,,\r\n99999,1998,0,0,c,0,,\r\n"
                            "0,1998,0,0,d,0,,\r\n5000,1998,0,0,e,0,,\r\n"));
  const auto lines = readRosterForNameList(*run.state, QDate(2006, 5, 1), 0);
  ASSERT_EQ(lines.size(), size_t(2));
  EXPECT_EQ(lines[0].studentNumber, 0);
  EXPECT_EQ(lines[1].studentNumber, 5000);
  EXPECT_EQ(loadStudentList(*run.state, QDate(2006, 5, 1)).size(), 2);
}

// Numbers are rounded and held to 16 bits; one past the range of qint64 has
// no rounded value and was once converted regardless.
TEST(Roster, NumberFieldsAreRoundedAndHeldToSixteenBits) {
  const std::pair<const char *, qint16> table[] = {{"2.5", 3},          {"32767.6", 32767}, {"40000", 32767},
                                                   {"2e22", 32767},     {"1e300", 32767},   {"-1e300", -32768},
                                                   {"-32768.4", -32768}};
  for (const auto &[field, number] : table) {
    const auto lines = parseRosterLines(QStringLiteral("1,%1,0,0,a,0,,\r\n").arg(QLatin1String(field)),
                                        QStringLiteral("r.txt"));
    ASSERT_EQ(lines.size(), size_t(1)) << field;
    EXPECT_EQ(lines[0].entry.birthYearCode, number) << field;
  }
}

TEST(Roster, MoreThan5000ActiveLinesStopAtTheTable) {
  RosterRun run;
  QString text;
  for (int i = 0; i < 5003; ++i) text += QStringLiteral("%1,1998,0,0,s%1,0,,\r\n").arg(i % 5001);
  run.roster(text);
  EXPECT_EQ(readRosterForNameList(*run.state, QDate(2006, 5, 1), 0).size(), size_t(5000));
  EXPECT_EQ(run.table().rosterCount, 5000);
}

TEST(Roster, AnEmptyFileListsNobody) {
  RosterRun run;
  run.roster(QString());
  EXPECT_TRUE(readRosterForNameList(*run.state, QDate(2006, 5, 1), 0).empty());
  EXPECT_EQ(run.table().rosterCount, 0);
}

struct BadRosterCase {
  const char *what;
  const char16_t *text;
  int error;
  const char16_t *detail;  // part of the message naming the line
};

class BadRoster : public ::testing::TestWithParam<BadRosterCase> {};

TEST_P(BadRoster, ReportsTheFileAndTheLine) {
  const BadRosterCase &c = GetParam();
  RosterRun run;
  run.roster(QString::fromUtf16(c.text));
  try {
    readRosterForNameList(*run.state, QDate(2006, 5, 1), 0);
    FAIL() << c.what;
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), c.error) << c.what;
    EXPECT_TRUE(e.file().endsWith(QStringLiteral("新名簿.txt")));
    EXPECT_TRUE(e.detail().contains(QString::fromUtf16(c.detail))) << e.detail().toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Roster, BadRoster,
    ::testing::Values(BadRosterCase{"short last line", u"1,1998,0,0,a,0,,\r\n2,1998,0,0,b\r\n", 62, u"2 行目"},
                      BadRosterCase{"text for a number", u"1,1998,0,0,a,0,,\r\nx,1998,0,0,b,0,,\r\n", 13, u"2 行目"}));

TEST(Roster, AMissingFileIsError53) {
  RosterRun run;
  QFile::remove(run.inst.dataFolder() + QStringLiteral("新名簿.txt"));
  try {
    readRosterForNameList(*run.state, QDate(2006, 5, 1), 0);
    FAIL();
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), 53);
  }
}

}  // namespace
