#include "drill/practice.h"

#include <gtest/gtest.h>

using namespace minatori;

namespace {

std::vector<int> cards(PracticeCards &c, int n, int count) {
  std::vector<int> out;
  for (int i = 0; i < count; ++i) {
    const auto row = c.nextCard(n);
    if (!row) break;
    out.push_back(*row);
  }
  return out;
}

TEST(PracticeCards, StartAtRowOneAndWrapAround) {
  PracticeCards c;
  c.startPractice();
  EXPECT_EQ(cards(c, 3, 5), (std::vector<int>{1, 2, 3, 1, 2}));
}

TEST(PracticeCards, ALaterPracticeGoesOnAndKeepsMarksAboveTwenty) {
  PracticeCards c;
  c.startPractice();
  c.markLearnt(5);
  c.markLearnt(22);
  for (int i = 0; i < 20; ++i) c.nextCard(30);  // rows 1..21, skipping 5
  EXPECT_EQ(c.cardRow, 21);
  c.startPractice();
  EXPECT_EQ(cards(c, 30, 2), (std::vector<int>{23, 24}));  // 22 stays learnt
  EXPECT_FALSE(c.isLearnt(5));                             // rows 1..20 were cleared
}

TEST(PracticeCards, AShorterTableStartsAgainAtRowOne) {
  PracticeCards c;
  c.cardRow = 40;
  EXPECT_EQ(cards(c, 30, 1), (std::vector<int>{1}));
}

TEST(PracticeCards, TwentyLearntCardsInARowEndThePractice) {
  PracticeCards c;
  for (int row = 2; row <= 25; ++row) c.markLearnt(row);
  EXPECT_EQ(cards(c, 30, 1), (std::vector<int>{1}));
  EXPECT_FALSE(c.nextCard(30));  // rows 26..30 are not reached within 20 tries
}

TEST(PracticeCards, EveryCardLearntEndsAtTheNextChange) {
  PracticeCards c;
  EXPECT_EQ(cards(c, 2, 1), (std::vector<int>{1}));
  c.markLearnt(1);
  c.markLearnt(2);
  EXPECT_FALSE(c.nextCard(2));
  EXPECT_FALSE(c.nextCard(0));
}

TEST(PracticePace, FollowsTheOptionTable) {
  const std::pair<int, PracticePace> table[] = {{0, {3, 2000, 650}},  {1, {2, 1500, 600}},  {2, {1, 1000, 550}},
                                                 {3, {0.7, 850, 535}}, {4, {0.5, 750, 525}}, {5, {0.1, 550, 505}}};
  for (const auto &[option, pace] : table) {
    const PracticePace p = practicePace(option);
    EXPECT_DOUBLE_EQ(p.speedFactor, pace.speedFactor) << option;
    EXPECT_EQ(p.revealMs, pace.revealMs) << option;
    EXPECT_EQ(p.nextCardMs, pace.nextCardMs) << option;
  }
}

}  // namespace
