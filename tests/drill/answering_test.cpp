#include "drill/answering.h"

#include <gtest/gtest.h>

#include "drill/question.h"
#include "tests/support/historyrows.h"

using namespace minatori;
using minatori::test::historyTable;

namespace {

class Answering : public ::testing::Test {
 protected:
  // Items: rows 2..5 (four items); rows 1 and 6 are distractors; row 6 has
  // the same text as row 3.
  HistoryTable t = historyTable({{1000, 1, "遠い昔", "と"},
                                 {1600, 1, "関ヶ原の戦い", "せ"},
                                 {1603, 1, "江戸幕府", "え"},
                                 {1615, 2, "武家諸法度", "ぶ"},
                                 {1639, 3, "鎖国の完成", "さ"},
                                 {1800, 1, "江戸幕府", "え"}});
  Question q = [this] {
    Question x = placeQuestion(t, {2, 3, 4, 5});
    x.distractorRows = {1, 6};
    return x;
  }();
  AnswerBoard board{4};
  QString entry(int row) const { return t.row(row).listEntry(); }
};

struct DropCase {
  const char *name;
  int box;
  int row;  // the row whose entry is dropped
  DropOutcome outcome;
};

class SingleDrops : public Answering, public ::testing::WithParamInterface<DropCase> {};

TEST_P(SingleDrops, AreJudgedByTheBoxesEvent) {
  const DropCase &c = GetParam();
  EXPECT_EQ(judgeDrop(board, q, t, c.box, entry(c.row)), c.outcome) << c.name;
  EXPECT_EQ(board.boxCaptions[static_cast<size_t>(c.box - 1)], t.row(c.row).eventText);
  if (c.outcome == DropOutcome::Wrong) {
    EXPECT_TRUE(board.correcting);
    EXPECT_EQ(board.wrongBox, c.box);
    EXPECT_EQ(board.correctCount, 0);
  } else {
    // The box shows the year of its own row.
    const int boxRow = q.items[static_cast<size_t>(c.box - 1)].row;
    EXPECT_EQ(board.yearCaptions[static_cast<size_t>(c.box - 1)], QString::number(t.row(boxRow).year));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, SingleDrops,
                         ::testing::Values(DropCase{"right_event", 1, 2, DropOutcome::Right},
                                           DropCase{"distractor", 1, 1, DropOutcome::Wrong},
                                           DropCase{"another_items_event", 1, 3, DropOutcome::Wrong},
                                           DropCase{"same_text_other_row", 2, 6, DropOutcome::Right}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Answering, FillingEveryBoxCompletesTheQuestion) {
  EXPECT_EQ(judgeDrop(board, q, t, 1, entry(2)), DropOutcome::Right);
  EXPECT_EQ(judgeDrop(board, q, t, 2, entry(3)), DropOutcome::Right);
  EXPECT_EQ(judgeDrop(board, q, t, 3, entry(4)), DropOutcome::Right);
  EXPECT_EQ(judgeDrop(board, q, t, 4, entry(5)), DropOutcome::Completed);
}

TEST_F(Answering, AFilledBoxIsJudgedAgain) {
  judgeDrop(board, q, t, 1, entry(2));
  EXPECT_EQ(judgeDrop(board, q, t, 1, entry(1)), DropOutcome::Wrong);
  EXPECT_EQ(board.boxCaptions[0], QStringLiteral("遠い昔"));
  EXPECT_EQ(board.correctCount, 0);
}

TEST_F(Answering, NothingIsJudgedWhileCorrectingOrForAnEmptyDrag) {
  EXPECT_EQ(judgeDrop(board, q, t, 1, QString()), DropOutcome::Ignored);
  EXPECT_EQ(judgeDrop(board, q, t, 1, QStringLiteral("x")), DropOutcome::Ignored);
  EXPECT_EQ(judgeDrop(board, q, t, 9, entry(2)), DropOutcome::Ignored);
  EXPECT_EQ(board.boxCaptions[0], QStringLiteral("?"));
  judgeDrop(board, q, t, 2, entry(1));
  EXPECT_EQ(judgeDrop(board, q, t, 1, entry(2)), DropOutcome::Ignored);
}

TEST_F(Answering, OkAfterTwoOfFourPlacedBringsEveryEventBackOnce) {
  // The list before: all entries, less the two placed ones.
  QStringList list = q.candidateEntries(t);
  judgeDrop(board, q, t, 1, entry(2));
  list.removeOne(entry(2));
  judgeDrop(board, q, t, 2, entry(3));
  list.removeOne(entry(3));
  judgeDrop(board, q, t, 3, entry(1));  // wrong
  const QStringList after = confirmCorrection(board, q, t, list);
  for (int row : {2, 3, 4, 5, 1}) EXPECT_EQ(after.count(entry(row)), 1) << row;
  EXPECT_EQ(after.size(), 5);  // rows 3 and 6 share one entry text
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(board.boxCaptions[static_cast<size_t>(k)], QStringLiteral("?"));
    EXPECT_EQ(board.yearCaptions[static_cast<size_t>(k)], QStringLiteral("?"));
  }
  EXPECT_FALSE(board.correcting);
  EXPECT_EQ(board.correctCount, 0);
}

}  // namespace
