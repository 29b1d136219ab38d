#include "app/levelcatalogue.h"

#include <gtest/gtest.h>

#include "app/programstate.h"

using namespace minatori;

namespace {

struct LevelCase {
  int level;
  const char *name;
  bool practice;
  int group;
  int items;
};

class OfferedLevels : public ::testing::TestWithParam<LevelCase> {};

TEST_P(OfferedLevels, HaveTheirNameKindGroupAndItems) {
  const LevelCase &c = GetParam();
  ProgramState s;
  buildLevelCatalogue(s);
  EXPECT_EQ(s.levelNames[c.level], QString::fromUtf8(c.name));
  EXPECT_EQ(isPracticeLevelByNumber(c.level), c.practice);
  EXPECT_EQ(isPracticeLevelByName(s.levelNames[c.level]), c.practice);  // the two rules agree
  EXPECT_EQ(levelGroup(c.level), c.group);
  EXPECT_EQ(itemsPerQuestion(c.level), c.items);
}

INSTANTIATE_TEST_SUITE_P(Table, OfferedLevels,
                         ::testing::Values(LevelCase{1, "練習１", true, 1, 0}, LevelCase{2, "１－１", false, 1, 3},
                                           LevelCase{3, "１－２", false, 1, 4}, LevelCase{4, "１－３", false, 1, 5},
                                           LevelCase{5, "練習２", true, 2, 0}, LevelCase{6, "２－１", false, 2, 3},
                                           LevelCase{7, "２－２", false, 2, 4}, LevelCase{8, "２－３", false, 2, 5},
                                           LevelCase{9, "練習３", true, 3, 0}, LevelCase{10, "３－１", false, 3, 3},
                                           LevelCase{11, "３－２", false, 3, 4}, LevelCase{12, "３－３", false, 3, 5}));

TEST(LevelCatalogue, HoldsTwentyFourNamesAndOffersTwelve) {
  ProgramState s;
  buildLevelCatalogue(s);
  EXPECT_EQ(s.levelCount, 12);
  EXPECT_EQ(s.levelCountLoose.toNumber(), 12);
  EXPECT_EQ(s.levelNames[13], QStringLiteral("レベル５練習"));
  EXPECT_EQ(s.levelNames[20], QStringLiteral("レベル７－1"));  // ASCII 1
  EXPECT_EQ(s.levelNames[24], QStringLiteral("レベル８－２"));
  for (int l = 1; l <= 24; ++l) EXPECT_EQ(s.levelDefined[l], 1) << l;
  for (int l = 25; l < kLevelSlots; ++l) EXPECT_EQ(s.levelDefined[l], 0) << l;
  EXPECT_TRUE(s.levelNames[0].isEmpty());
}

TEST(LevelCatalogue, RebuildingForTheNextStudentLeavesTheSameCatalogue) {
  ProgramState s;
  buildLevelCatalogue(s);
  const auto names = s.levelNames;
  const auto defined = s.levelDefined;
  buildLevelCatalogue(s);
  EXPECT_EQ(s.levelNames, names);
  EXPECT_EQ(s.levelDefined, defined);
  EXPECT_EQ(s.levelCount, 12);
}

}  // namespace
