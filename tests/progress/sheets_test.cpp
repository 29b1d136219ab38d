#include "progress/sheets.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/programstate.h"
#include "platform/clock.h"
#include "tests/support/rosterstate.h"

using namespace minatori;

namespace {

QString q(const char16_t *text) { return QString::fromUtf16(text); }

const QDateTime kNow(QDate(2026, 12, 9), QTime(14, 30, 5));
// A function, not a constant: the serial's epoch lives in another file,
// which may not be initialised yet when this file's constants are.
int today() { return dateSerial(kNow.date()); }

// Four students, school year 2026: birth year 2017 is 小３, 2010 is 中１.
// Student 2's name has six characters; student 4 is outside the 小３ group.
std::unique_ptr<ProgramState> school() {
  auto state = std::make_unique<ProgramState>();
  minatori::test::fillRoster(state->roster, 2026,
                             {{u"青木", 2017}, {u"長谷川左衛門", 2017}, {u"上田", 2017}, {u"遠藤", 2010}});
  state->studentNumber = 1;
  state->levelCount = 12;
  ResultsTallies &t = state->tallies;
  for (auto [s, best, all, today] : {std::tuple{1, 30, 50, 0}, {2, 40, 70, 10}, {3, 99999, 0, 0}, {4, 45, 20, 5}}) {
    t.personalBest(2, s) = best;
    t.pointTotal(2, s) = all;
    t.todayPointTotal(2, s) = today;
  }
  return state;
}

Seisekikiroku attempt(int student, int level, int seconds, int daysAgo = 0) {
  return makeRecord(today() - daysAgo, 36000, static_cast<qint16>(student), static_cast<qint16>(level), seconds, {});
}

TEST(SheetRanking, RankInThreeAndThreeDashesForNoResult) {
  const auto state = school();
  const QStringList rows =
      buildSheetRanking(*state, 2, ResultsKind::Times, PointsRanking::AllRecords, q(u"全学年"));
  ASSERT_EQ(rows.size(), 4);
  EXPECT_EQ(rows[0], q(u"  1●青木　　　    30 ●"));
  EXPECT_EQ(rows[3], q(u"---③上田　　　------ 　"));
  // The progress screen's own lists keep two characters and "--".
  EXPECT_TRUE(rankingRows(*state, 2, ResultsKind::Times, PointsRanking::AllRecords, q(u"全学年")).back().startsWith(
      q(u"--③")));
}

struct RanksCase {
  const char *what;
  int student;
  int level;
  PointsRanking ranking;
  const char16_t *group;
  std::optional<SheetRanks> expected;
};

void PrintTo(const RanksCase &c, std::ostream *os) { *os << c.what; }

class SheetRanksTable : public ::testing::TestWithParam<RanksCase> {};

TEST_P(SheetRanksTable, ReadsTheStudentsRows) {
  const RanksCase &c = GetParam();
  const auto state = school();
  const auto ranks = readSheetRanks(*state, c.student, c.level, c.ranking, q(c.group));
  ASSERT_EQ(ranks.has_value(), c.expected.has_value());
  if (!ranks) return;
  EXPECT_EQ(ranks->timeRank, c.expected->timeRank);
  EXPECT_EQ(ranks->pointsRank, c.expected->pointsRank);
  EXPECT_EQ(ranks->points, c.expected->points);
  EXPECT_EQ(ranks->pointsSum, c.expected->pointsSum);
  EXPECT_EQ(ranks->pointsCount, c.expected->pointsCount);
}

constexpr auto All = PointsRanking::AllRecords;
constexpr auto Today = PointsRanking::Today;

INSTANTIATE_TEST_SUITE_P(
    Table, SheetRanksTable,
    ::testing::Values(
        RanksCase{"ranked on both", 1, 2, All, u"全学年", SheetRanks{q(u"  1"), q(u"  2"), 50, 140, 3}},
        RanksCase{"six-character name found by five", 2, 2, All, u"全学年", SheetRanks{q(u"  2"), q(u"  1"), 70, 140, 3}},
        RanksCase{"no result: three dashes", 3, 2, All, u"全学年", SheetRanks{q(u"---"), q(u"  4"), 0, 140, 3}},
        // Today's ranking lists only students with points today; the sum
        // still runs over the all-records points the rows end with.
        RanksCase{"no points today: not listed", 1, 2, Today, u"全学年", SheetRanks{q(u"  1"), {}, 0, 90, 2}},
        RanksCase{"outside the group: blank ranks", 4, 2, All, u"小３", SheetRanks{{}, {}, 0, 120, 2}},
        RanksCase{"highest level of the tables", 1, 30, All, u"全学年", SheetRanks{q(u"---"), q(u"  1"), 0, 0, 0}},
        RanksCase{"above the tables: refused", 1, 31, All, u"全学年", std::nullopt},
        RanksCase{"level 0: refused", 1, 0, All, u"全学年", std::nullopt}));

TEST(SheetScaleMax, NextTenAboveTheSlowestUpToAThousand) {
  for (auto [slowest, m] : {std::pair{0, 10}, {9, 10}, {10, 20}, {50, 60}, {995, 1000}, {999, 1000}, {1500, 1000}})
    EXPECT_EQ(sheetScaleMax(slowest), m) << slowest;
}

TEST(SheetFigures, BestsAreRedAndOthersBlue) {
  const auto state = school();
  std::vector<Seisekikiroku> log = {attempt(1, 2, 50, 3), attempt(2, 2, 20, 3), attempt(1, 2, 40, 2),
                                    attempt(1, 2, 45, 1), attempt(1, 2, 30)};
  const SheetFigures f = sheetFigures(*state, log, 1, 2, q(u"全学年"), kNow, 1, 1);
  EXPECT_EQ(f.scaleMax, 60);
  ASSERT_EQ(f.points.size(), 4u);
  const std::vector<std::pair<int, bool>> expected = {{50, true}, {40, true}, {45, false}, {30, true}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(f.points[i].time, expected[i].first);
    EXPECT_EQ(f.points[i].best, expected[i].second) << i;
    EXPECT_DOUBLE_EQ(f.points[i].x, 0.7 * static_cast<double>(i + 1) / 4 + 0.2);
    EXPECT_DOUBLE_EQ(f.points[i].dy, 0.8 - 0.7 * expected[i].first / 60);
  }
  ASSERT_EQ(f.bests.size(), 3u);
  EXPECT_EQ(f.bests.back().time, 30);
  EXPECT_EQ(f.bests.back().dateSerial, today());
  EXPECT_EQ(f.count, 4);
  EXPECT_EQ(f.sum, 165);
  EXPECT_EQ(f.schoolCount, 5);
  EXPECT_EQ(f.schoolSum, 185);
  EXPECT_EQ(f.schoolBest, 20);
}

TEST(SheetFigures, SlowAttemptsStayOffTheGraphButCountForTheSchool) {
  const auto state = school();
  // A time-out first, then 1800 s (no real time), then real attempts.
  std::vector<Seisekikiroku> log = {attempt(1, 2, 99999, 2), attempt(1, 2, 1800, 2), attempt(1, 2, 1500, 1),
                                    attempt(1, 2, 1799), attempt(3, 2, 1800)};
  const SheetFigures f = sheetFigures(*state, log, 1, 2, q(u"全学年"), kNow, 1, 1);
  EXPECT_EQ(f.count, 2);
  EXPECT_EQ(f.slowest, 1799);
  EXPECT_EQ(f.scaleMax, 1000);
  ASSERT_EQ(f.points.size(), 2u);
  EXPECT_EQ(f.points[0].time, 1500);
  EXPECT_TRUE(f.points[0].best);
  EXPECT_DOUBLE_EQ(f.points[0].x, 0.7 * 1 / 2 + 0.2);
  EXPECT_LT(f.points[0].dy, 0.1);  // above the top of the vertical axis
  EXPECT_EQ(f.schoolCount, 2);
  EXPECT_EQ(f.schoolBest, 1500);
}

TEST(SheetFigures, OnlyTheLevelsAndTenYearsTakePart) {
  const auto state = school();
  std::vector<Seisekikiroku> log = {attempt(1, 2, 40, 3651), attempt(1, 2, 60, 3649), attempt(2, 3, 10, 1),
                                    attempt(2, 13, 10)};  // level 13 is beyond the catalogue
  const SheetFigures f = sheetFigures(*state, log, 1, 2, q(u"全学年"), kNow, 1, 1);
  EXPECT_EQ(f.count, 1);
  EXPECT_EQ(f.schoolBest, 60);
  ASSERT_TRUE(f.hasLastDate);
  EXPECT_EQ(f.lastDateSerial, today() - 1);  // the level-3 record: any level of the catalogue
}

TEST(SheetFigures, OutsideTheGroupNoPointsButTheFigures) {
  const auto state = school();
  std::vector<Seisekikiroku> log = {attempt(4, 2, 50), attempt(4, 2, 40)};
  const SheetFigures f = sheetFigures(*state, log, 4, 2, q(u"小３"), kNow, 1, 1);
  EXPECT_TRUE(f.points.empty());
  EXPECT_TRUE(f.bests.empty());
  EXPECT_EQ(f.count, 2);
  EXPECT_EQ(f.sum, 90);
}

std::vector<QString> texts(const std::vector<SheetSummaryLine> &lines) {
  std::vector<QString> out;
  for (const auto &l : lines) out.push_back(QString::number(l.step) + u'|' + l.text);
  return out;
}

TEST(SheetSummary, LinesOfAStudentWithResults) {
  SheetFigures f;
  f.count = 4;
  f.sum = 165;  // average 41.25 → 41
  f.schoolCount = 5;
  f.schoolSum = 188;  // 37.6 → 38
  f.schoolBest = 20;
  f.bests.push_back({0, 0, true, 30, today()});
  const SheetRanks ranks{q(u"  1"), q(u"  2"), 50, 141, 3};
  EXPECT_EQ(texts(sheetSummary(f, ranks)),
            (std::vector<QString>{q(u"1|回数　　　　　　　  4回"), q(u"2|タイム  　　 　    本人 / 塾全体"),
                                  q(u"3|　　順位　　　　    1位"), q(u"4|　　最高　　　　   30秒 /   20秒"),
                                  q(u"5|　　平均　　　　   41秒 /   38秒"), q(u"6|ポイント  　　　"),
                                  q(u"7|　　順位　　　　    2位"), q(u"8|　　獲得ポイント   50点"),
                                  q(u"9|　　　　　　　　　　　　/   47点"),
                                  q(u"10.5|　　　　　　　　　　　　 (塾平均)")}));
}

TEST(SheetSummary, BlanksWithoutResultsAndSkippedPlaces) {
  SheetFigures f;  // no attempt of the student, nobody with points
  const SheetRanks ranks{q(u"---"), {}, 0, 0, 0};
  EXPECT_EQ(texts(sheetSummary(f, ranks)),
            (std::vector<QString>{q(u"1|回数　　　　　　　   回"), q(u"2|タイム  　　 　    本人 / 塾全体"),
                                  q(u"3|　　順位　　　　  ---位"), q(u"4|　　最高　　　　       /     秒"),
                                  q(u"5|ポイント  　　　"), q(u"6|　　順位　　　　     位"),
                                  q(u"7|　　獲得ポイント     点"), q(u"8.5|　　　　　　　　　　　　 (塾平均)")}));
  // Points elsewhere in the school: the school average line is printed.
  const auto lines = texts(sheetSummary(f, SheetRanks{{}, {}, 0, 90, 2}));
  EXPECT_EQ(lines[7], q(u"8|　　　　　　　　　　　　/   45点"));
}

}  // namespace
