#include "teacher/distribution.h"

#include <gtest/gtest.h>

using namespace minatori;

namespace {

struct Attempt {
  int student, level;
  qint32 time;
};

Distribution distribution(std::initializer_list<Attempt> attempts) {
  std::vector<Seisekikiroku> records;
  for (const Attempt &a : attempts)
    records.push_back(makeRecord(45000, 3600, static_cast<qint16>(a.student), static_cast<qint16>(a.level), a.time, {}));
  return computeDistribution(records);
}

TEST(Distribution, TimeClassesAreTenSecondsWideWithACappedTop) {
  // time, class of all results, class of best times
  for (auto [time, all, best] : std::vector<std::array<int, 3>>{
           {0, 0, 0}, {9, 0, 0}, {10, 1, 1}, {299, 29, 29}, {300, 30, 30}, {999, 99, 30},
           {1000, 100, 30}, {99999, 100, 30}, {-5, 0, 0}}) {
    EXPECT_EQ(timeClass(time, kAllResultsTopClass), all) << time;
    EXPECT_EQ(timeClass(time, kBestTimesTopClass), best) << time;
  }
}

TEST(Distribution, AnEmptyLogGivesZeroAttemptsScaleOneAndNoStars) {
  const DistributionLines lines = distributionLines(distribution({}), 3);
  ASSERT_EQ(lines.allResults.size(), 102);
  EXPECT_EQ(lines.allResults[0], QStringLiteral("レベル3 今まで0回  （★=1）"));
  EXPECT_EQ(lines.bestTimes[0], QStringLiteral("レベル3 （★=1）"));
  EXPECT_EQ(lines.allResults[1], QStringLiteral("  0～"));
  EXPECT_EQ(lines.allResults[2], QStringLiteral("  10～"));
  EXPECT_EQ(lines.allResults[11], QStringLiteral(" 100～"));
  EXPECT_EQ(lines.allResults[101], QStringLiteral("1000～"));
  EXPECT_EQ(lines.bestTimes.mid(1), lines.allResults.mid(1));
}

TEST(Distribution, AllResultsCountEveryAttemptBestTimesEachStudentOnce) {
  const Distribution d = distribution({{7, 2, 120}, {7, 2, 99999}, {7, 2, 95}, {8, 2, 310}, {8, 2, 400},
                                       {7, 3, 20},    // another level has its own best
                                       {9, 0, 5}});  // level 0 is no attempt
  EXPECT_EQ(d.recordCount(2), 5);
  EXPECT_EQ(d.recordCount(0), 0);
  ClassCounts all{}, best{};
  all[9] = all[12] = all[31] = all[40] = all[100] = 1;  // the time-out in the top class
  best[9] = best[30] = 1;                               // 95 s, and 310 s in the capped top class
  EXPECT_EQ(d.all(2), all);
  EXPECT_EQ(d.best(2), best);
  EXPECT_EQ(d.best(3)[2], 1);
}

TEST(Distribution, BestTimesCompareWholeStudentNumbersAndTimes) {
  // Wider than the columns of a fixed-width text key: nothing is cut or merged.
  const Distribution d = distribution({{12767, 4, 100005}, {2767, 4, 40}, {12767, 4, 200}});
  EXPECT_EQ(d.best(4)[4], 1);
  EXPECT_EQ(d.best(4)[20], 1);
  EXPECT_EQ(d.best(4)[0], 0);
}

TEST(Distribution, LevelsBeyondTheTablesAreLeftOut) {
  const Distribution d = distribution({{1, 50, 10}, {1, 51, 10}, {1, 100, 10}, {1, 101, 10}, {1, 32767, 10}, {1, -3, 10}});
  EXPECT_EQ(d.all(50)[1], 1);
  EXPECT_EQ(d.recordCount(51), 1);  // counted, but no histogram holds it
  EXPECT_EQ(d.recordCount(101), 0);
  EXPECT_EQ(d.all(51), ClassCounts{});
  EXPECT_EQ(d.best(-3), ClassCounts{});
  EXPECT_EQ(distributionLines(d, 60).allResults[0], QStringLiteral("レベル60 今まで0回  （★=1）"));
}

TEST(Distribution, StarsScaleTheLargestClassToAboutTen) {
  // largest class, another class, scale, stars of the other class
  for (auto [largest, count, scale, stars] : std::vector<std::array<int, 4>>{
           {25, 25, 2, 13}, {25, 3, 2, 2}, {25, 1, 2, 1}, {19, 19, 1, 19}, {300, 14, 30, 0}, {300, 15, 30, 1}}) {
    ClassCounts counts{};
    counts[5] = largest;
    counts[7] = count;
    EXPECT_EQ(starScale(counts), scale) << largest;
    EXPECT_EQ(classLines(counts, scale)[7], QStringLiteral("  70～") + QString(QStringLiteral("★")).repeated(stars))
        << largest << " " << count;
  }
}

}  // namespace
