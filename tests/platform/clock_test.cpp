#include "platform/clock.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "platform/era.h"
#include "platform/random.h"
#include "platform/twips.h"
#include "tests/support/fakeclock.h"

using namespace minatori;

namespace {

struct EraCase {
  QDate date;
  QString text;
};

class EraDates : public ::testing::TestWithParam<EraCase> {};

TEST_P(EraDates, FollowTheJapaneseCalendar) {
  EXPECT_EQ(eraDateText(GetParam().date), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, EraDates,
                         ::testing::Values(EraCase{{2026, 12, 9}, "令和8年 12月 09日（水）"},
                                           EraCase{{2019, 5, 1}, "令和1年 5月 01日（水）"},
                                           EraCase{{2019, 4, 30}, "平成31年 4月 30日（火）"},
                                           EraCase{{1989, 1, 8}, "平成1年 1月 08日（日）"},
                                           EraCase{{1989, 1, 7}, "昭和64年 1月 07日（土）"},
                                           EraCase{{2004, 2, 6}, "平成16年 2月 06日（金）"},
                                           EraCase{{1926, 12, 25}, "昭和1年 12月 25日（土）"},
                                           EraCase{{1926, 12, 24}, "大正15年 12月 24日（金）"},
                                           EraCase{{1912, 7, 30}, "大正1年 7月 30日（火）"},
                                           EraCase{{1912, 7, 29}, "明治45年 7月 29日（月）"},
                                           EraCase{{1873, 1, 1}, "明治6年 1月 01日（水）"},
                                           EraCase{{1868, 1, 1}, "明治1年 1月 01日（水）"},
                                           // Before Meiji there is no era text.
                                           EraCase{{1867, 12, 31}, "1867/12/31"}));

// Windows writes the era year with the picture "yyyy" in two digits; "y"
// would give only the last one, and 令和10 would read 令和0.
TEST(EraDates, TheSystemsEraYearIsReadInTwoDigits) {
  const std::vector<std::pair<QString, std::optional<int>>> rows = {
      {"01", 1}, {"09", 9}, {"10", 10}, {"11", 11}, {"31", 31}, {"元", 1}, {"0", std::nullopt}, {"2026", std::nullopt},
      {"", std::nullopt}};
  for (const auto &[text, year] : rows) EXPECT_EQ(eraYearFromText(text), year) << text.toStdString();
}

// Where the system has a Japanese calendar, it agrees with the table that
// stands in for it elsewhere, on both sides of every era's first day.
TEST(EraDates, TheSystemCalendarAgreesWithTheTable) {
  int asked = 0;
  for (const QDate first : {QDate(1912, 7, 30), QDate(1926, 12, 25), QDate(1989, 1, 8), QDate(2019, 5, 1)}) {
    for (const QDate d : {first.addDays(-1), first, first.addYears(1), QDate(1873, 1, 1), QDate(2026, 12, 9)}) {
      const std::optional<EraYear> fromSystem = systemEra(d);
      if (!fromSystem) continue;
      ++asked;
      EXPECT_EQ(fromSystem, eraFromTable(d)) << d.toString(Qt::ISODate).toStdString();
    }
  }
  if (asked == 0) GTEST_SKIP() << "this system has no Japanese calendar data (wine): the table alone answers";
}

TEST(DateSerials, CountDaysFromTheEndOf1899) {
  EXPECT_EQ(dateSerial(QDate(1899, 12, 30)), 0);
  EXPECT_EQ(dateSerial(QDate(1900, 1, 1)), 2);
  EXPECT_EQ(dateSerial(QDate(2024, 5, 1)), 45413);
  EXPECT_EQ(dateFromSerial(45413), QDate(2024, 5, 1));
  EXPECT_DOUBLE_EQ(dateTimeSerial(QDateTime(QDate(2024, 5, 1), QTime(12, 0))), 45413.5);
  EXPECT_EQ(shortDateText(QDate(2004, 2, 6)), QStringLiteral("2004/02/06"));
}

TEST(Clock, TimeOfDayIsSecondsSinceMidnight) {
  test::FakeClock clock(QDateTime(QDate(2026, 12, 9), QTime(1, 2, 3, 500)));
  EXPECT_DOUBLE_EQ(clock.timeOfDay(), 3723.5);
  clock.advanceMs(1500);
  EXPECT_DOUBLE_EQ(clock.timeOfDay(), 3725.0);
}

TEST(Random, IsInTheUnitIntervalAndRepeatsForASeed) {
  Random a, b;
  a.seed(3723.5);
  b.seed(3723.5);
  for (int i = 0; i < 10000; ++i) {
    const double x = a.next();
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 1.0);
    ASSERT_EQ(x, b.next());
  }
  for (int i = 0; i < 1000; ++i) {
    const int n = a.pick(3);
    ASSERT_GE(n, 1);
    ASSERT_LE(n, 3);
  }
  EXPECT_EQ(a.pick(0), 1);
}

TEST(Twips, FifteenToAPixel) {
  EXPECT_EQ(twips(15360), 1024);
  EXPECT_EQ(twips(11520), 768);
  EXPECT_EQ(twips(7), 0);
  EXPECT_EQ(twips(8), 1);
}

}  // namespace

TEST(Clock, DaySerialsAndTimesFromDamagedRecordsStayInRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const std::vector<std::pair<double, int>> days = {
      {45000.75, 45000}, {-0.5, -1}, {nan, 0}, {inf, 0}, {-inf, 0}, {9e300, 2000000}};
  for (const auto &[serial, day] : days) EXPECT_EQ(minatori::wholeDaySerial(serial), day) << serial;
  const std::vector<std::pair<double, int>> times = {{0.5, 43200}, {45000.25, 21600}, {-0.25, 64800},
                                                     {0.9999999999, 0}, {nan, 0}, {inf, 0}};
  for (const auto &[fraction, seconds] : times) EXPECT_EQ(minatori::secondsOfDay(fraction), seconds) << fraction;
}
