#include "content/historytable.h"

#include <gtest/gtest.h>

#include "app/programstate.h"
#include "platform/runtimeerror.h"
#include "tests/support/testinstallation.h"

using namespace minatori;

namespace {

const QString kHeader = QStringLiteral("学年,年,月,日,分類,できごと,よみ,備考\r\n");

struct GroupCase {
  int levelGroup;
  int kept;
};

class LevelGroups : public ::testing::TestWithParam<GroupCase> {};

TEST_P(LevelGroups, KeepRowsWhoseFirstGroupIsReached) {
  const QString text = kHeader + QStringLiteral("1,645,,,1,大化の改新,たいか,\r\n"
                                                "3,701,,,1,大宝律令,た,\r\n"
                                                "2,710,,,2,平城京,へ,\r\n"
                                                "4,794,,,1,平安京,へ,\r\n"
                                                "1,1192,,,1,鎌倉幕府,か,\r\n");
  const HistoryTable t = parseHistoryRows(text, QStringLiteral("h.csv"), GetParam().levelGroup);
  EXPECT_EQ(t.rowCount(), GetParam().kept);
  // Kept rows keep their order, renumbered without gaps; the last row counts once.
  EXPECT_EQ(t.row(1).eventText, QStringLiteral("大化の改新"));
  EXPECT_EQ(t.row(t.rowCount()).eventText, QStringLiteral("鎌倉幕府"));
}

INSTANTIATE_TEST_SUITE_P(Table, LevelGroups,
                         ::testing::Values(GroupCase{1, 2}, GroupCase{2, 3}, GroupCase{3, 4}));

TEST(HistoryTable, ARowHoldsItsFieldsAndItsListEntry) {
  const HistoryTable t = parseHistoryRows(kHeader + QStringLiteral(" 1 , -57 ,x,, 3 ,\"漢, 金印\",かん,note\r\n"),
                                          QStringLiteral("h.csv"), 1);
  ASSERT_EQ(t.rowCount(), 1);
  const HistoryRow &r = t.row(1);
  EXPECT_EQ(r.year, -57);
  EXPECT_EQ(r.category, 3);
  EXPECT_EQ(r.eventText, QStringLiteral("漢, 金印"));
  EXPECT_EQ(r.listEntry(), QStringLiteral("か 漢, 金印"));  // only the tag's first character
  EXPECT_EQ(r.field3.text(), QStringLiteral("x"));
  EXPECT_EQ(t.header.eventText, QStringLiteral("できごと"));
}

TEST(HistoryTable, OnlyAHeaderGivesNoRows) {
  EXPECT_EQ(parseHistoryRows(kHeader, QStringLiteral("h.csv"), 3).rowCount(), 0);
  EXPECT_EQ(parseHistoryRows(QString(), QStringLiteral("h.csv"), 3).rowCount(), 0);
}

TEST(HistoryTable, MoreThanTwoHundredRowsAreAllKept) {
  QString text = kHeader;
  for (int i = 0; i < 450; ++i) text += QStringLiteral("1,%1,,,1,e%1,あ,\r\n").arg(1000 + i);
  EXPECT_EQ(parseHistoryRows(text, QStringLiteral("h.csv"), 1).rowCount(), 450);
}

// A bad field is refused with its line: text in a number, or an event with
// no tag, which no box would ever accept.
TEST(HistoryTable, ABadFieldIsRefusedWithItsLine) {
  const std::pair<const char *, const char *> table[] = {{"1,千年,,,1,b,い,", "千年"}, {"1,700,,,1,b,,", "「b」"}};
  for (const auto &[line, shown] : table) {
    SCOPED_TRACE(line);
    try {
      parseHistoryRows(kHeader + QStringLiteral("1,645,,,1,a,あ,\r\n") + QString::fromUtf8(line) + QStringLiteral("\r\n"),
                       QStringLiteral("h.csv"), 1);
      FAIL();
    } catch (const RuntimeError &e) {
      EXPECT_EQ(e.number(), errc::TypeMismatch);
      EXPECT_EQ(e.file(), QStringLiteral("h.csv"));
      EXPECT_TRUE(e.detail().contains(QStringLiteral("3 行目"))) << e.detail().toStdString();
      EXPECT_TRUE(e.detail().contains(QString::fromUtf8(shown))) << e.detail().toStdString();
    }
  }
}

TEST(HistoryTable, AShortLastLineIsInputPastEnd) {
  try {
    parseHistoryRows(kHeader + QStringLiteral("1,645,,,1,a\r\n"), QStringLiteral("h.csv"), 1);
    FAIL();
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), errc::InputPastEnd);
  }
}

// A whole-number field is truncated; past the range of int it is held to it
// (a year of "9e9" once converted out of range, which is undefined).
TEST(HistoryTable, WholeNumbersAreTruncatedAndHeldToTheRangeOfInt) {
  const std::pair<const char *, int> table[] = {
      {"645.9", 645},       {"-12.5", -12},       {"2147483647", 2147483647}, {"2147483648", 2147483647},
      {"9e9", 2147483647},  {"1e300", 2147483647}, {"-1e300", -2147483647 - 1}};
  for (const auto &[field, year] : table) {
    const HistoryTable t = parseHistoryRows(kHeader + QStringLiteral("1,%1,,,1,a,あ,\r\n").arg(QLatin1String(field)),
                                            QStringLiteral("h.csv"), 1);
    ASSERT_EQ(t.rowCount(), 1) << field;
    EXPECT_EQ(t.row(1).year, year) << field;
  }
  // The header line's numbers too, though they are never used.
  EXPECT_EQ(parseHistoryRows(QStringLiteral("9e9,9e9,,,9e9,a,b,\r\n"), QStringLiteral("h.csv"), 1).rowCount(), 0);
}

// The demo table is what students first see: it must be a table the board can use.
TEST(DemoHistoryTable, IsOrderedAndFitForEveryGroup) {
  test::TestInstallation inst;
  ProgramState s;
  s.contentFolder = inst.contentFolder();
  int previousCount = 0;
  for (int level : {2, 6, 10}) {
    s.currentLevel = static_cast<qint16>(level);
    const HistoryTable t = loadHistoryRows(s);
    EXPECT_GT(t.rowCount(), previousCount) << level;
    previousCount = t.rowCount();
    QStringList texts;
    for (int i = 1; i <= t.rowCount(); ++i) {
      const HistoryRow &r = t.row(i);
      if (i > 1) {
        EXPECT_LE(t.row(i - 1).year, r.year) << r.eventText.toStdString();
      }
      EXPECT_GE(r.category, 1);
      EXPECT_LE(r.category, 3);
      EXPECT_FALSE(r.tag.isEmpty()) << r.eventText.toStdString();
      EXPECT_FALSE(texts.contains(r.eventText)) << r.eventText.toStdString();
      texts << r.eventText;
    }
  }
  EXPECT_GE(previousCount, 140);
}

}  // namespace
