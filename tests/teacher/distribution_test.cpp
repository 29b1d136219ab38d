#include "teacher/distribution.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "app/programstate.h"
#include "platform/runtimeerror.h"
#include "results/resultslog.h"
#include "tests/support/testinstallation.h"

using namespace minatori;

namespace {

struct Attempt {
  int student;
  int level;
  qint32 time;
};

std::vector<Seisekikiroku> records(std::initializer_list<Attempt> attempts) {
  std::vector<Seisekikiroku> out;
  for (const Attempt &a : attempts)
    out.push_back(makeRecord(45000, 3600, static_cast<qint16>(a.student), static_cast<qint16>(a.level), a.time, {}));
  return out;
}

// The line of class c as the panel shows it.
QString line(int c, int stars) {
  return (QStringLiteral("  ") + QString::number(10 * c)).right(4) + QStringLiteral("～") +
         QString(QStringLiteral("★")).repeated(stars);
}

struct ClassCase {
  qint32 time;
  int allClass;
  int bestClass;
};

class TimeClasses : public ::testing::TestWithParam<ClassCase> {};

TEST_P(TimeClasses, AreTenSecondsWideWithACappedTop) {
  const ClassCase &c = GetParam();
  EXPECT_EQ(timeClass(c.time, kAllResultsTopClass), c.allClass) << c.time;
  EXPECT_EQ(timeClass(c.time, kBestTimesTopClass), c.bestClass) << c.time;
}

INSTANTIATE_TEST_SUITE_P(Table, TimeClasses,
                         ::testing::Values(ClassCase{0, 0, 0}, ClassCase{9, 0, 0}, ClassCase{10, 1, 1},
                                           ClassCase{95, 9, 9}, ClassCase{299, 29, 29}, ClassCase{300, 30, 30},
                                           ClassCase{999, 99, 30}, ClassCase{1000, 100, 30},
                                           ClassCase{99999, 100, 30}, ClassCase{250000, 100, 30},
                                           ClassCase{-5, 0, 0}));

TEST(Distribution, AnEmptyLogGivesZeroAttemptsScaleOneAndNoStars) {
  const DistributionLines lines = distributionLines(computeDistribution({}), 3);
  ASSERT_EQ(lines.allResults.size(), 102);
  ASSERT_EQ(lines.bestTimes.size(), 102);
  EXPECT_EQ(lines.allResults[0], QStringLiteral("レベル3 今まで0回  （★=1）"));
  EXPECT_EQ(lines.bestTimes[0], QStringLiteral("レベル3 （★=1）"));
  EXPECT_EQ(lines.allResults[1], QStringLiteral("  0～"));
  EXPECT_EQ(lines.allResults[2], QStringLiteral("  10～"));
  EXPECT_EQ(lines.allResults[11], QStringLiteral(" 100～"));
  EXPECT_EQ(lines.allResults[101], QStringLiteral("1000～"));
  EXPECT_EQ(lines.bestTimes.mid(1), lines.allResults.mid(1));
}

TEST(Distribution, AllResultsCountEveryAttemptBestTimesEachStudentOnce) {
  const Distribution d = computeDistribution(records({{7, 2, 120}, {7, 2, 99999}, {7, 2, 95},
                                                       {8, 2, 310}, {8, 2, 400},
                                                       {7, 3, 20},     // another level: its own best
                                                       {9, 0, 5}}));  // level 0 is no attempt
  EXPECT_EQ(d.recordCount(2), 5);
  EXPECT_EQ(d.recordCount(3), 1);
  EXPECT_EQ(d.recordCount(0), 0);
  ClassCounts all{}, best{};
  all[9] = all[12] = all[100] = all[31] = all[40] = 1;
  best[9] = 1;   // student 7's 95 s
  best[30] = 1;  // student 8's 310 s, in the capped top class
  EXPECT_EQ(d.all(2), all);
  EXPECT_EQ(d.best(2), best);
  EXPECT_EQ(d.best(3)[2], 1);
  EXPECT_EQ(d.all(0), ClassCounts{});
}

TEST(Distribution, BestTimesCompareWholeNumbers) {
  // Student numbers and times wider than the columns a text key would cut them to.
  const Distribution d = computeDistribution(records({{12767, 4, 100005}, {2767, 4, 40}, {12767, 4, 200}}));
  EXPECT_EQ(d.best(4)[4], 1);   // student 2767
  EXPECT_EQ(d.best(4)[20], 1);  // student 12767: 200 s, not 100005 cut to 5
  EXPECT_EQ(d.best(4)[0], 0);
}

TEST(Distribution, LevelsBeyondTheTablesAreLeftOut) {
  const Distribution d =
      computeDistribution(records({{1, 50, 10}, {1, 51, 10}, {1, 100, 10}, {1, 101, 10}, {1, 32767, 10},
                                   {1, -3, 10}}));
  EXPECT_EQ(d.all(50)[1], 1);
  EXPECT_EQ(d.recordCount(51), 1);  // counted, but no histogram holds it
  EXPECT_EQ(d.recordCount(100), 1);
  EXPECT_EQ(d.recordCount(101), 0);
  EXPECT_EQ(d.all(51), ClassCounts{});
  EXPECT_EQ(d.best(-3), ClassCounts{});
  const DistributionLines lines = distributionLines(d, 60);
  EXPECT_EQ(lines.allResults[0], QStringLiteral("レベル60 今まで0回  （★=1）"));
  EXPECT_EQ(lines.allResults.size(), 102);
}

struct ScaleCase {
  int largest;
  int count;
  int scale;
  int stars;
};

class Stars : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(Stars, ScaleTheLargestClassToAboutTen) {
  const ScaleCase &c = GetParam();
  ClassCounts counts{};
  counts[5] = c.largest;
  counts[7] = c.count;
  EXPECT_EQ(starScale(counts), c.scale);
  const QStringList lines = classLines(counts, c.scale);
  EXPECT_EQ(lines[7], line(7, c.stars)) << c.largest << " " << c.count;
}

INSTANTIATE_TEST_SUITE_P(Table, Stars,
                         ::testing::Values(ScaleCase{25, 25, 2, 13}, ScaleCase{25, 3, 2, 2}, ScaleCase{25, 1, 2, 1},
                                           ScaleCase{9, 9, 1, 9}, ScaleCase{19, 19, 1, 19},
                                           ScaleCase{20, 20, 2, 10}, ScaleCase{300, 14, 30, 0},
                                           ScaleCase{300, 15, 30, 1}, ScaleCase{0, 0, 1, 0}));

TEST(Distribution, TheHeadingsCarryLevelCountAndScale) {
  std::vector<Seisekikiroku> rs;
  for (int i = 0; i < 25; ++i) rs.push_back(records({{i + 1, 3, 65}})[0]);
  const DistributionLines lines = distributionLines(computeDistribution(rs), 3);
  EXPECT_EQ(lines.allResults[0], QStringLiteral("レベル3 今まで25回  （★=2）"));
  EXPECT_EQ(lines.allResults[7], line(6, 13));
  EXPECT_EQ(lines.bestTimes[0], QStringLiteral("レベル3 （★=2）"));
  EXPECT_EQ(lines.bestTimes[7], line(6, 13));
}

class LogFile : public ::testing::Test {
 protected:
  void SetUp() override { state.contentFolder = inst.contentFolder(); }
  void add(std::initializer_list<Attempt> attempts) {
    QFile f(resultsLogPath(state));
    ASSERT_TRUE(f.open(QIODevice::Append));
    for (const Seisekikiroku &r : records(attempts)) f.write(encodeRecord(r));
  }
  test::TestInstallation inst;
  ProgramState state;
};

TEST_F(LogFile, IsReadWholeOnEveryRefresh) {
  EXPECT_EQ(refreshDistribution(state, 2).allResults[0], QStringLiteral("レベル2 今まで0回  （★=1）"));
  add({{7, 2, 95}, {7, 2, 99999}});
  DistributionLines lines = refreshDistribution(state, 2);
  EXPECT_EQ(lines.allResults[0], QStringLiteral("レベル2 今まで2回  （★=1）"));
  EXPECT_EQ(lines.allResults[10], line(9, 1));
  EXPECT_EQ(lines.allResults[101], line(100, 1));  // the time-out
  add({{7, 2, 30}});
  lines = refreshDistribution(state, 2);
  EXPECT_EQ(lines.bestTimes[4], line(3, 1));
  EXPECT_EQ(lines.bestTimes[10], line(9, 0));
}

TEST_F(LogFile, AMissingContentFolderIsAnError) {
  state.contentFolder = inst.rootFolder() + QStringLiteral("gone/");
  EXPECT_THROW(refreshDistribution(state, 1), RuntimeError);
}

}  // namespace
