#include "progress/rankings.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/programstate.h"
#include "platform/clock.h"
#include "tests/support/rosterstate.h"

using namespace minatori;

namespace {

QString q(const char16_t *text) { return QString::fromUtf16(text); }

QStringList rows(std::initializer_list<const char16_t *> texts) {
  QStringList list;
  for (const char16_t *t : texts) list << q(t);
  return list;
}

// Five students in roster order; school year 2024, so birth year 2015 is 小３.
// Student 3 is the current student.
std::unique_ptr<ProgramState> classroom() {
  auto state = std::make_unique<ProgramState>();
  minatori::test::fillRoster(state->roster, 2024,
                             {{u"青木", 2015}, {u"井上", 2014}, {u"上田", 2015}, {u"遠藤", 2010}, {u"岡本", 2015}});
  state->studentNumber = 3;
  state->levelCount = 4;
  for (int level = 1; level <= 4; ++level) state->criteria[level].targetTime = 60;
  ResultsTallies &t = state->tallies;
  // Level 2: equal best times share a rank; student 5 has none.
  for (auto [s, best] : {std::pair{1, 60}, {2, 50}, {3, 60}, {4, 70}}) t.personalBest(2, s) = best;
  t.personalBest(3, 1) = 99998;
  // Level 4: all-records points A and today's points T.
  for (auto [s, a, today] : {std::tuple{1, 30, 0}, {2, 30, 10}, {3, 50, 5}, {4, 0, 0}, {5, 0, 20}}) {
    t.pointTotal(4, s) = a;
    t.todayPointTotal(4, s) = today;
  }
  // Level 1: two equal keys.
  for (auto [s, best] : {std::pair{1, 50}, {2, 60}, {3, 50}}) t.personalBest(1, s) = best;
  return state;
}

struct RankingCase {
  int level;
  ResultsKind kind;
  PointsRanking ranking;
  const char16_t *group;
  QStringList expected;
};

void PrintTo(const RankingCase &c, std::ostream *os) {
  *os << "level " << c.level << " kind " << static_cast<int>(c.kind) << " ranking " << static_cast<int>(c.ranking)
      << " group " << q(c.group).toStdString();
}

class Rankings : public ::testing::TestWithParam<RankingCase> {};

TEST_P(Rankings, RowsInRankOrder) {
  const RankingCase &c = GetParam();
  const auto state = classroom();
  EXPECT_EQ(rankingRows(*state, c.level, c.kind, c.ranking, q(c.group)), c.expected);
}

constexpr auto T = ResultsKind::Times;
constexpr auto P = ResultsKind::Points;
constexpr auto All = PointsRanking::AllRecords;
constexpr auto Today = PointsRanking::Today;

INSTANTIATE_TEST_SUITE_P(
    Table, Rankings,
    ::testing::Values(
        RankingCase{2, T, All, u"全学年",
                    rows({u" 1④井上　　　    50 　", u" 2③青木　　　    60 　", u" 2●上田　　　    60 ●",
                          u" 4Ⅱ遠藤　　　    70 　", u"--③岡本　　　------ 　"})},
        // The group keeps the ranks among all students.
        RankingCase{2, T, All, u"小３", rows({u" 2③青木　　　    60 　", u" 2●上田　　　    60 ●", u"--③岡本　　　------ 　"})},
        // Rows of one rank stand in text order, as the sorted lists show them.
        RankingCase{3, T, All, u"小３", rows({u" 1③青木　　　*失敗* 　", u"--③岡本　　　------ 　", u"--●上田　　　------ ●"})},
        RankingCase{1, T, All, u"全学年",
                    rows({u" 1③青木　　　    50 　", u" 1●上田　　　    50 ●", u" 3④井上　　　    60 　",
                          u"--Ⅱ遠藤　　　------ 　", u"--③岡本　　　------ 　"})},
        RankingCase{4, P, All, u"全学年",
                    rows({u" 1●上田　　　  5/   50", u" 2③青木　　　  0/   30", u" 2④井上　　　 10/   30",
                          u" 4Ⅱ遠藤　　　  0/    0", u" 4③岡本　　　 20/    0"})},
        // No points today: not listed.
        RankingCase{4, P, Today, u"全学年", rows({u" 1③岡本　　　 20/    0", u" 2④井上　　　 10/   30", u" 3●上田　　　  5/   50"})},
        RankingCase{2, T, All, u"高１", rows({})}));

TEST(Rankings, EveryLineOfALargeRosterIsRanked) {
  auto state = std::make_unique<ProgramState>();
  const int n = 2500;
  for (int s = 1; s <= n; ++s) {
    state->roster.numberByLine[s] = static_cast<qint16>(s);
    state->tallies.personalBest(2, s) = 3000 - s;
  }
  state->roster.rosterCount = n;
  const QStringList list = rankingRows(*state, 2, ResultsKind::Times, PointsRanking::AllRecords, q(u"全学年"));
  ASSERT_EQ(list.size(), n);
  EXPECT_TRUE(list.front().startsWith(q(u" 1"))) << list.front().toStdString();
  EXPECT_TRUE(list.front().contains(q(u"   500 "))) << list.front().toStdString();
  EXPECT_TRUE(list[2100].startsWith(q(u"01"))) << list[2100].toStdString();  // rank 2101
  EXPECT_TRUE(list.back().contains(q(u"  2999 "))) << list.back().toStdString();
}

TEST(MergeSortByKey, EqualKeysTakeTheRightRunFirst) {
  // Worked by hand: one run puts 30 before 10; a second run puts them back.
  std::vector<qint32> key = {0, 1, 2, 1};
  std::vector<qint16> payload = {0, 10, 20, 30};
  mergeSortByKey(key, payload, 3);
  EXPECT_EQ(payload, (std::vector<qint16>{0, 30, 10, 20}));
  EXPECT_EQ(key, (std::vector<qint32>{0, 1, 1, 2}));
  mergeSortByKey(key, payload, 3);
  EXPECT_EQ(payload, (std::vector<qint16>{0, 10, 30, 20}));

  std::vector<qint32> many = {0, 9, 3, 7, 3, 1, 8, 2};
  std::vector<qint16> order = {0, 1, 2, 3, 4, 5, 6, 7};
  mergeSortByKey(many, order, 7);
  EXPECT_EQ(many, (std::vector<qint32>{0, 1, 2, 3, 3, 7, 8, 9}));
  EXPECT_EQ(order, (std::vector<qint16>{0, 5, 7, 4, 2, 3, 6, 1}));
}

TEST(Rankings, GradeMarks) {
  const std::vector<std::pair<int, const char16_t *>> table = {{-1, u"　"}, {0, u"　"}, {1, u"①"}, {4, u"④"},
                                                               {6, u"⑥"},  {7, u"Ⅰ"}, {9, u"Ⅲ"}, {10, u"　"}};
  for (const auto &[g, mark] : table) EXPECT_EQ(gradeMark(g), q(mark)) << g;
}

TEST(Rankings, ListBasePoints) {
  // The tallies' rule without the rate; the rest of the rule is tested with the tallies.
  EXPECT_EQ(listBasePoints(60, 40), 6);
  EXPECT_EQ(listBasePoints(60, 99998), 0);
  EXPECT_EQ(listBasePoints(2000, 1234), 46);  // first three digits: 123
}

Seisekikiroku record(QDate date, int hh, int mm, int s, int level, int time) {
  return makeRecord(dateSerial(date), hh * 3600 + mm * 60 + 30, static_cast<qint16>(s), static_cast<qint16>(level), time,
                    QString());
}

const QDate kWednesday(2024, 5, 1);

TEST(TodayRows, TodaysAttemptsOfListedLevels) {
  const auto state = classroom();
  const std::vector<Seisekikiroku> records = {
      record(kWednesday, 9, 5, 2, 3, 40),     record(kWednesday, 10, 0, 3, 3, 99999),
      record(kWednesday.addDays(-1), 9, 0, 1, 3, 40),  // yesterday
      record(kWednesday, 9, 0, 1, 7, 40),     record(kWednesday, 9, 0, 1, 0, 40),  // no such level
      record(kWednesday, 11, 0, 0, 3, 61),    record(kWednesday, 11, 30, 6000, 3, 30),  // no roster name
      record(kWednesday, 12, 0, 1, 4, 120)};
  const std::vector<QStringList> all = todayRows(*state, records, kWednesday, q(u"全学年"));
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[3], rows({u"  40秒 09:05④井上　　　④6", u"　　× 10:00●上田　　　●", u"  61秒 11:00　　　　　　4",
                          u"  30秒 11:30　　　　　　11"}));
  EXPECT_EQ(all[4], rows({u" 120秒 12:00③青木　　　③1"}));
  EXPECT_TRUE(all[1].isEmpty() && all[2].isEmpty());
  EXPECT_EQ(todayRows(*state, records, kWednesday, q(u"小３"))[3], rows({u"　　× 10:00●上田　　　●"}));
}

TEST(PeriodRows, DaysOfThePeriod) {
  const QDate sunday(2024, 5, 5), monday(2024, 4, 29), saturday(2024, 5, 4);
  const std::vector<std::tuple<int, QDate, int>> table = {
      {1, sunday, 7},  {1, monday, 1},     {1, kWednesday, 3}, {1, saturday, 6}, {2, sunday, 14}, {2, monday, 8},
      {2, kWednesday, 10}, {3, kWednesday, 30}, {4, sunday, 365}, {5, monday, 3650}, {0, monday, 0}};
  for (const auto &[choice, day, days] : table)
    EXPECT_EQ(periodDays(choice, day), days) << choice << " " << day.toString().toStdString();
}

TEST(PeriodRows, ThisWeekRunsFromMonday) {
  const auto state = classroom();
  const std::vector<Seisekikiroku> records = {
      record(QDate(2024, 4, 21), 10, 0, 1, 2, 40),  // Sunday of the week before last
      record(QDate(2024, 4, 28), 16, 0, 1, 2, 40),  // last Sunday, later in the day than now
      record(QDate(2024, 4, 29), 8, 0, 2, 2, 99999), record(kWednesday, 9, 0, 3, 2, 61),
      record(kWednesday, 9, 0, 3, 9, 61)};  // beyond the level count
  const QDateTime now(kWednesday, QTime(15, 0));
  EXPECT_EQ(periodRows(*state, records, now, 1, ResultsKind::Times, q(u"全学年"))[2],
            rows({u"　　× 04/29④井上　　　④", u"  61秒 05/01●上田　　　●4"}));
  EXPECT_EQ(periodRows(*state, records, now, 2, ResultsKind::Points, q(u"全学年"))[2],
            rows({u"    6 04/28③青木　　　③40秒", u"    0 04/29④井上　　　④99999秒", u"    4 05/01●上田　　　●61秒"}));
  // On a Sunday this week is the seven days from Monday.
  const QDateTime sundayNow(QDate(2024, 5, 5), QTime(10, 0));
  EXPECT_EQ(periodRows(*state, records, sundayNow, 1, ResultsKind::Times, q(u"全学年"))[2].size(), 2);
}

}  // namespace
