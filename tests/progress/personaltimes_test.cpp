#include "progress/personaltimes.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "app/programstate.h"
#include "platform/clock.h"

using namespace minatori;

namespace {

Seisekikiroku attempt(const QDate &date, const QTime &time, int student, int level, int result) {
  Seisekikiroku r;
  r.recordDate = dateSerial(date);
  r.recordTime = time.msecsSinceStartOfDay() / 86400000.0;
  r.studentNumber = static_cast<qint16>(student);
  r.level = static_cast<qint16>(level);
  r.resultTime = result;
  return r;
}

TEST(PersonalTimes, RowTexts) {
  EXPECT_EQ(personalTimeRow(attempt(QDate(2024, 5, 12), QTime(14, 3, 22), 7, 2, 35)),
            QStringLiteral("2024/05/12 14:03:22  35秒"));
  EXPECT_EQ(personalTimeRow(attempt(QDate(2024, 5, 12), QTime(9, 5, 3), 7, 2, 1234)),
            QStringLiteral("2024/05/12 09:05:031234秒"));
  EXPECT_EQ(personalTimeRow(attempt(QDate(2024, 5, 12), QTime(9, 5, 3), 7, 2, 99999)),
            QStringLiteral("2024/05/12 09:05:03　　× "));
}

struct Fixture {
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  QDateTime now{QDate(2026, 12, 9), QTime(10, 0)};
  Fixture() {
    state->levelCount = 12;
    state->studentNumber = 7;
    state->roster.schoolYear = 2026;
    state->roster.birthYearByNumber[7] = 2017;  // 小3
  }
};

TEST(PersonalTimes, OnlyTheStudentsAttemptsOfTheLastTenYears) {
  Fixture f;
  const std::vector<Seisekikiroku> records = {
      attempt(QDate(2026, 12, 8), QTime(14, 0), 7, 2, 40),
      attempt(QDate(2026, 12, 8), QTime(15, 0), 8, 2, 30),    // someone else
      attempt(f.now.date().addDays(-3650), QTime(23, 0), 7, 2, 50),  // ten years ago to the day: out
      attempt(f.now.date().addDays(-3649), QTime(1, 0), 7, 3, 60),
      attempt(QDate(2026, 12, 9), QTime(9, 0), 7, 13, 20),    // beyond the level count
      attempt(QDate(2026, 12, 9), QTime(9, 30), 7, 2, 99999),
      [] {  // a damaged record: no date at all
        Seisekikiroku r = attempt(QDate(2026, 12, 9), QTime(9, 40), 7, 2, 10);
        r.recordDate = std::numeric_limits<double>::quiet_NaN();
        return r;
      }(),
  };
  const auto rows = personalTimeRows(*f.state, records, f.now, QStringLiteral("全学年"));
  ASSERT_EQ(rows.size(), size_t(13));
  EXPECT_EQ(rows[2], (QStringList{QStringLiteral("2026/12/08 14:00:00  40秒"), QStringLiteral("2026/12/09 09:30:00　　× ")}));
  EXPECT_EQ(rows[3].size(), 1);
  EXPECT_TRUE(personalTimeRows(*f.state, records, f.now, QStringLiteral("中１"))[2].isEmpty());
  EXPECT_EQ(personalTimeRows(*f.state, records, f.now, QStringLiteral("小３"))[2].size(), 2);
}

}  // namespace
