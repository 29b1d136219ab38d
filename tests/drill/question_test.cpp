#include "drill/question.h"

#include <gtest/gtest.h>

#include <set>

#include "content/historytable.h"
#include "platform/random.h"
#include "tests/support/historyrows.h"

using namespace minatori;
using minatori::test::evenTable;
using minatori::test::historyTable;

namespace {

std::vector<int> yearsOf(const std::vector<YearLine> &lines) {
  std::vector<int> years;
  for (const YearLine &l : lines) years.push_back(l.year);
  return years;
}

TEST(BoardLayout, HeightsFollowTheYears) {
  const HistoryTable t = historyTable({{1600, 1, "関ヶ原の戦い"}, {1603, 1, "江戸幕府"}, {1615, 3, "武家諸法度"}});
  const Question q = placeQuestion(t, {1, 2, 3});
  ASSERT_EQ(q.items.size(), 3u);
  EXPECT_DOUBLE_EQ(q.items[0].yearTop, 420);
  EXPECT_DOUBLE_EQ(q.items[1].yearTop - q.items[0].yearTop, 1449.6);
  EXPECT_DOUBLE_EQ(q.items[2].yearTop - q.items[0].yearTop, 7248);
  EXPECT_DOUBLE_EQ(q.items[1].boxTop, q.items[1].yearTop);
  // Category 3 stands 2 × 0.4 × 4035 twips right of category 1.
  EXPECT_DOUBLE_EQ(q.items[2].boxLeft - q.items[0].boxLeft, 3228);
  EXPECT_EQ(q.yearSpan, 15);
}

TEST(BoardLayout, SameYearItemsArePushedApart) {
  const HistoryTable t = historyTable({{1600, 1, "a"}, {1600, 2, "b"}, {1700, 1, "c"}});
  const Question q = placeQuestion(t, {1, 2, 3});
  // The second label starts where the first ends, in steps of 10; its box 10 below it.
  EXPECT_DOUBLE_EQ(q.items[1].yearTop, 420 + 420);
  EXPECT_DOUBLE_EQ(q.items[1].boxTop, q.items[1].yearTop + 10);
}

struct LinesCase {
  const char *name;
  int firstYear, lastYear;
  bool zeroLine;
  std::vector<int> centuries;
  std::vector<int> decades;
};

class YearLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(YearLines, StandWhereTheSpanReaches) {
  const LinesCase &c = GetParam();
  const HistoryTable t = historyTable({{c.firstYear, 1, "a"}, {c.lastYear, 2, "b"}});
  const Question q = placeQuestion(t, {1, 2});
  EXPECT_EQ(q.zeroLine.has_value(), c.zeroLine) << c.name;
  EXPECT_EQ(yearsOf(q.centuryLines), c.centuries) << c.name;
  EXPECT_EQ(yearsOf(q.decadeLines), c.decades) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, YearLines,
    ::testing::Values(
        LinesCase{"meiji", 1850, 1890, false, {1800, 1900},
                  {1840, 1850, 1860, 1870, 1880, 1890, 1910, 1920, 1930, 1940}},
        LinesCase{"ancient", 30, 400, true, {100, 200, 300, 400, 500}, {}},
        LinesCase{"a_century_or_more_has_no_decades", 1800, 1900, false, {1800, 1900, 2000}, {}},
        LinesCase{"before_the_year_zero", -100, -40, false, {}, {10}},
        LinesCase{"close_below_zero", -40, -10, false, {}, {10, 20, 30, 40}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(YearLines, ALineMovesBelowAnEarlierItemDrawnUnderIt) {
  // The first item is pushed down by nothing; the 1900 line would cross the
  // label of 1899, which is earlier, so it moves below that label.
  const HistoryTable t = historyTable({{1850, 1, "a"}, {1899, 2, "b"}, {1899, 3, "c"}, {1901, 1, "d"}});
  const Question q = placeQuestion(t, {1, 2, 3, 4});
  const auto it = std::find_if(q.centuryLines.begin(), q.centuryLines.end(), [](auto &l) { return l.year == 1900; });
  ASSERT_NE(it, q.centuryLines.end());
  EXPECT_GE(it->top, q.items[2].yearTop + 420);
}

TEST(YearLines, TheYearZeroLineIsAtItsHeight) {
  const HistoryTable t = historyTable({{-20, 1, "a"}, {80, 2, "b"}});
  const Question q = placeQuestion(t, {1, 2});
  ASSERT_TRUE(q.zeroLine);
  EXPECT_DOUBLE_EQ(q.zeroLine->top, 420 + 20 * 0.8 * 9060 / 100);
}

// Many seeded questions: the rules of a pick hold every time.
TEST(MakeQuestion, PicksFollowTheirRules) {
  HistoryTable t = evenTable(60);
  // Some same-year rows, both same and different categories.
  t.rows[10].year = t.rows[11].year;
  t.rows[11].category = t.rows[10].category;
  t.rows[20].year = t.rows[21].year;
  Random random;
  random.seed(12345);
  std::set<int> steps;
  for (int run = 0; run < 3000; ++run) {
    const int k = 3 + run % 3;
    const QuestionResult r = makeQuestion(t, k, random);
    ASSERT_TRUE(r.question) << r.whyNot.toStdString();
    const Question &q = *r.question;
    ASSERT_EQ(q.itemCount, k);
    ASSERT_NE(q.yearSpan, 0);
    for (int i = 1; i < k; ++i) {
      const int a = q.items[static_cast<size_t>(i - 1)].row, b = q.items[static_cast<size_t>(i)].row;
      ASSERT_GE(b - a, 1);
      ASSERT_LE(b - a, 3);
      steps.insert(b - a);
      ASSERT_FALSE(t.row(a).year == t.row(b).year && t.row(a).category == t.row(b).category);
    }
    const int first = t.row(q.items.front().row).year, last = t.row(q.items.back().row).year;
    ASSERT_EQ(q.distractorRows.size(), static_cast<size_t>(k + 5));
    std::set<int> distinct(q.distractorRows.begin(), q.distractorRows.end());
    ASSERT_EQ(distinct.size(), q.distractorRows.size());
    for (int d : q.distractorRows) ASSERT_TRUE(t.row(d).year < first - 10 || t.row(d).year > last + 10);
    ASSERT_EQ(q.candidateEntries(t).size(), 2 * k + 5);
  }
  EXPECT_EQ(steps, (std::set<int>{1, 2, 3}));
}

TEST(MakeQuestion, TheSameSeedMakesTheSameQuestion) {
  const HistoryTable t = evenTable(40);
  Random a, b;
  a.seed(7);
  b.seed(7);
  const Question qa = *makeQuestion(t, 4, a).question;
  const Question qb = *makeQuestion(t, 4, b).question;
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(qa.items[i].row, qb.items[i].row);
  EXPECT_EQ(qa.distractorRows, qb.distractorRows);
}

TEST(MakeQuestion, EveryFirstRowThatFitsIsDrawn) {
  // With K = 5 on 8 rows the first item can only be rows that leave room.
  const HistoryTable t = evenTable(8, 1000, 1);
  Random random;
  random.seed(3);
  std::set<int> firsts;
  for (int i = 0; i < 2000; ++i) firsts.insert(makeQuestion(t, 5, random).question->items.front().row);
  EXPECT_EQ(*firsts.begin(), 1);
  EXPECT_EQ(*firsts.rbegin(), 4);
}

struct ImpossibleCase {
  const char *name;
  HistoryTable table;
  int k;
};

class ImpossibleTables : public ::testing::TestWithParam<ImpossibleCase> {};

TEST_P(ImpossibleTables, SayWhyInsteadOfLooping) {
  Random random;
  const QuestionResult r = makeQuestion(GetParam().table, GetParam().k, random);
  EXPECT_FALSE(r.question) << GetParam().name;
  EXPECT_FALSE(r.whyNot.isEmpty()) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ImpossibleTables,
    ::testing::Values(ImpossibleCase{"empty", historyTable({}), 3},
                      ImpossibleCase{"fewer_rows_than_items", evenTable(2), 3},
                      ImpossibleCase{"all_one_year", historyTable({{1600, 1, "a"}, {1600, 2, "b"}, {1600, 3, "c"},
                                                                    {1600, 1, "d"}}),
                                     3},
                      ImpossibleCase{"same_year_and_category_everywhere",
                                     historyTable({{1600, 1, "a"}, {1600, 1, "b"}, {1600, 1, "c"}, {1600, 1, "d"}}),
                                     3}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MakeQuestion, ARareValidPickIsStillFound) {
  // Only rows 4..6 (with the odd year at the end) form a pick with a span.
  const HistoryTable t = historyTable({{1600, 1, "a"}, {1600, 2, "b"}, {1600, 3, "c"}, {1600, 1, "d"},
                                       {1600, 2, "e"}, {1601, 3, "f"}});
  Random random;
  random.seed(1);
  const QuestionResult r = makeQuestion(t, 3, random);
  ASSERT_TRUE(r.question);
  EXPECT_EQ(t.row(r.question->items.back().row).year, 1601);
}

TEST(MakeQuestion, TooFewDistractorsAreAllUsed) {
  const HistoryTable t = historyTable({{1000, 1, "far1"}, {1100, 2, "far2"}, {1600, 1, "a"}, {1603, 2, "b"},
                                       {1605, 3, "c"}, {1612, 1, "near"}});
  Random random;
  for (int i = 0; i < 50; ++i) {
    const QuestionResult r = makeQuestion(t, 3, random);
    ASSERT_TRUE(r.question);
    const int first = t.row(r.question->items.front().row).year;
    const int last = t.row(r.question->items.back().row).year;
    int outside = 0;
    for (int row = 1; row <= t.rowCount(); ++row)
      if (t.row(row).year < first - 10 || t.row(row).year > last + 10) ++outside;
    EXPECT_EQ(r.question->distractorRows.size(), static_cast<size_t>(outside));
  }
}

}  // namespace
