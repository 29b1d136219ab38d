#include "results/tallies.h"

#include <gtest/gtest.h>

#include <cmath>

#include <QDir>
#include <QFile>

#include "app/programstate.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/runtimeerror.h"
#include "platform/services.h"
#include "results/resultslog.h"
#include "tests/support/fakeclock.h"
#include "tests/support/recordingmessageboxes.h"
#include "tests/support/testinstallation.h"

using namespace minatori;
using minatori::test::FakeClock;
using minatori::test::RecordingMessageBoxes;

namespace {

LevelCriteria criteria(int target, float rate = 1) {
  LevelCriteria c;
  c.targetTime = target;
  c.pointRate = rate;
  return c;
}

struct PointsCase {
  int target;
  float rate;
  int time;
  bool tally;
  int points;
};

class Points : public ::testing::TestWithParam<PointsCase> {};

TEST_P(Points, FollowTheTimeAgainstTheTarget) {
  const PointsCase &c = GetParam();
  EXPECT_EQ(attemptPoints(criteria(c.target, c.rate), c.time, c.tally), c.points)
      << "target " << c.target << " time " << c.time << " tally " << c.tally;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Points,
    ::testing::Values(PointsCase{60, 1, 0, false, 55}, PointsCase{60, 1, 30, false, 11}, PointsCase{60, 1, 60, false, 5},
                      PointsCase{60, 1, 61, false, 4}, PointsCase{60, 1, 119, false, 4},
                      PointsCase{60, 1, 120, false, 1}, PointsCase{60, 1, 599, false, 1},
                      PointsCase{60, 1, 600, false, 0}, PointsCase{60, 1, 99999, false, 0},
                      PointsCase{60, 1, 99999, true, 0}, PointsCase{60, 1.5f, 30, false, 16},
                      PointsCase{60, 1, 40, false, 6},
                      // A rate stored as 0.7 is a little below 0.7: 0.7 × 10 rounds down to 6.
                      PointsCase{60, 0.7f, 32, false, 6},
                      // With a target of 2000 s, 1234 s: the tallies use 123 in the formula.
                      PointsCase{2000, 1, 1234, false, 7}, PointsCase{2000, 1, 1234, true, 46},
                      PointsCase{2000, 1, 999, true, 11},
                      // A damaged log's negative time and an absurd rate: held to 32 bits.
                      PointsCase{60, 1, -2000000000, false, 2147483647},
                      PointsCase{-60, 1, -2000000000, false, -2147483647 - 1},
                      PointsCase{60, 3e38f, 30, false, 2147483647}));

class Log : public ::testing::Test {
 protected:
  void SetUp() override {
    state.contentFolder = inst.contentFolder();
    for (int l = 1; l <= 35; ++l) {
      state.criteria[l].targetTime = 60;
      state.criteria[l].pointRate = 1;
      state.criteria[l].clearCount = 2;
      state.criteria[l].clearPoints = 10;
      state.criteria[l].passPeriodDays = LooseValue::fromNumber(14);
      state.criteria[l].banPeriodDays = LooseValue::fromNumber(1);
    }
  }
  Services services() { return {&clock, &random, &messages, nullptr}; }
  // Appends a raw record dated `daysAgo` before the fake today.
  void add(int student, int level, int time, int daysAgo = 0) {
    QFile f(resultsLogPath(state));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(encodeRecord(makeRecord(dateSerial(clock.today()) - daysAgo, 3600, static_cast<qint16>(student),
                                    static_cast<qint16>(level), time, QString())));
  }
  // Replaces the whole log.
  void writeLog(const QByteArray &bytes) {
    QFile f(resultsLogPath(state));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  void attempt(int student, int level, int time) {
    state.studentNumber = static_cast<qint16>(student);
    state.currentLevel = static_cast<qint16>(level);
    state.attemptResult = time;
    state.newPersonalBest = state.newLevelBest = 0;
    recordAttempt(state, clock, level);
  }
  const ResultsTallies &t() const { return state.tallies; }

  test::TestInstallation inst;
  ProgramState state;
  FakeClock clock{QDateTime(QDate(2024, 5, 1), QTime(12, 0, 0))};
  Random random;
  RecordingMessageBoxes messages;
};

TEST_F(Log, AnEmptyLogGivesZerosAndNoBests) {
  computeTallies(state, services());
  EXPECT_EQ(t().attemptCount(2, 5), 0);
  EXPECT_EQ(t().personalBest(2, 5), 99999);
  EXPECT_EQ(t().levelBest[2], 99999);
  EXPECT_TRUE(t().loaded.empty());
  EXPECT_FALSE(QFile::exists(resultsLogPath(state)));  // reading creates nothing
}

TEST_F(Log, TheFirstAttemptCreatesRecordOne) {
  state.schoolCode = QString();
  attempt(7, 2, 83);
  QFile f(resultsLogPath(state));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  ASSERT_EQ(bytes.size(), 44);
  const Seisekikiroku r = decodeRecord(bytes.constData());
  EXPECT_EQ(r.recordDate, 45413.0);
  EXPECT_EQ(r.recordTime, 0.5);
  EXPECT_EQ(r.studentNumber, 7);
  EXPECT_EQ(r.level, 2);
  EXPECT_EQ(r.resultTime, 83);
  EXPECT_EQ(QByteArray(r.schoolCode.data(), 5), QByteArray("     "));
  EXPECT_EQ(state.newPersonalBest, 1);
  EXPECT_EQ(state.newLevelBest, 1);
}

TEST_F(Log, ATornTailIsOverwrittenByTheNextRecord) {
  add(1, 2, 50);
  add(1, 2, 51);
  {
    QFile f(resultsLogPath(state));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(12, 'x'));
  }
  computeTallies(state, services());
  EXPECT_EQ(t().loaded.size(), 2u);  // only whole records are read
  state.studentNumber = 3;
  state.currentLevel = 2;
  state.attemptResult = 70;
  EXPECT_EQ(appendResult(state, clock), 3);
  QFile f(resultsLogPath(state));
  EXPECT_EQ(f.size(), 132);
  computeTallies(state, services());
  ASSERT_EQ(t().loaded.size(), 3u);
  EXPECT_EQ(t().loaded[2].studentNumber, 3);
}

struct FlagCase {
  const char *name;
  std::vector<std::pair<int, int>> before;  // (student, time) already on record for level 2
  int time;
  int newPersonalBest;
  int newLevelBest;
};

class RecordFlags : public Log, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(RecordFlags, TellTheEndScreenWhatWasBeaten) {
  const FlagCase &c = GetParam();
  for (auto [student, time] : c.before) add(student, 2, time);
  computeTallies(state, services());
  attempt(7, 2, c.time);
  EXPECT_EQ(state.newPersonalBest, c.newPersonalBest) << c.name;
  EXPECT_EQ(state.newLevelBest, c.newLevelBest) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RecordFlags,
    ::testing::Values(FlagCase{"first_attempt", {}, 40, 1, 1},
                      FlagCase{"first_attempt_someone_faster", {{8, 30}}, 40, 1, 0},
                      FlagCase{"equal_to_own_best", {{7, 40}}, 40, 0, 0},
                      FlagCase{"one_second_faster", {{7, 40}, {8, 20}}, 39, 1, 0},
                      FlagCase{"timed_out", {}, 99999, 0, 0},
                      FlagCase{"faster_than_a_student_above_1000", {{1200, 10}}, 40, 1, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Log, AlreadyClearedLooksAtTheTalliesBeforeTheAttempt) {
  add(7, 2, 30);  // 11 points
  computeTallies(state, services());
  attempt(7, 2, 30);
  EXPECT_EQ(state.alreadyCleared, 0);  // one attempt on record; two are needed
  computeTallies(state, services());
  attempt(7, 2, 30);
  EXPECT_EQ(state.alreadyCleared, 1);
}

TEST_F(Log, TalliesCountPeriodsTodayAndTimeOuts) {
  state.criteria[3].passPeriodDays = LooseValue::fromNumber(1);
  state.criteria[3].banPeriodDays = LooseValue();  // empty: 0 days, nothing counts
  add(5, 3, 30);            // today, 11 points
  add(5, 3, 60, 1);         // yesterday, 5 points
  add(5, 3, 99999);         // a time-out today: no attempt, no points
  add(5, 3, 6000, 3);       // not an attempt, 0 points
  add(5, 0, 10);            // level 0: invalid
  add(0, 3, 10);            // student 0: invalid
  computeTallies(state, services());
  EXPECT_EQ(t().loaded.size(), 4u);
  EXPECT_EQ(t().attemptCount(3, 5), 2);
  EXPECT_EQ(t().pointTotal(3, 5), 16);
  EXPECT_EQ(t().periodAttemptCount(3, 5), 1);
  EXPECT_EQ(t().periodPointTotal(3, 5), 11);
  EXPECT_EQ(t().banAttemptCount(3, 5), 0);
  EXPECT_EQ(t().banPointTotal(3, 5), 0);
  EXPECT_EQ(t().todayAttemptCount(3, 5), 1.0f);
  EXPECT_EQ(t().todayPointTotal(3, 5), 11);
  EXPECT_EQ(t().personalBest(3, 5), 30);
  // The invalid record's time still became a best before it was dropped.
  EXPECT_EQ(t().personalBest(3, 0), 10);
}

// A damaged log: dates that are no date are dropped like negative ones, and
// sums of huge points stay at the limit of their slot.
TEST_F(Log, DamagedRecordsAreDroppedOrHeldToTheirSlots) {
  QByteArray bytes;
  for (const double date : {std::nan(""), 1e300, -1.0, 2958466.0}) {
    Seisekikiroku r = makeRecord(0, 3600, 5, 3, 30, QString());
    r.recordDate = date;
    bytes += encodeRecord(r);
  }
  state.criteria[3].pointRate = 3e38f;  // a typing slip in the criteria editor
  for (int i = 0; i < 3; ++i) bytes += encodeRecord(makeRecord(dateSerial(clock.today()), 3600, 6, 3, 30, QString()));
  writeLog(bytes);
  computeTallies(state, services());
  ASSERT_EQ(t().loaded.size(), 3u);
  EXPECT_EQ(t().attemptCount(3, 5), 0);
  EXPECT_EQ(t().pointTotal(3, 6), 2147483647);
  EXPECT_EQ(t().todayPointTotal(3, 6), 2147483647);
}

TEST_F(Log, APeriodOfFourteenDaysCoversTodayAndThirteenBefore) {
  add(5, 2, 30, 13);
  add(5, 2, 30, 14);
  computeTallies(state, services());
  EXPECT_EQ(t().periodAttemptCount(2, 5), 1);
}

TEST_F(Log, OnlyTheTwentyThousandNewestRecordsAreLoaded) {
  QByteArray bytes;
  for (int i = 1; i <= 25000; ++i)
    bytes += encodeRecord(makeRecord(45413, 0, static_cast<qint16>(i % 5000 + 1), 2, i, QString()));
  writeLog(bytes);
  computeTallies(state, services());
  ASSERT_EQ(t().loaded.size(), 20000u);
  EXPECT_EQ(t().loaded.front().resultTime, 5001);
  EXPECT_EQ(t().loaded.back().resultTime, 25000);
}

TEST_F(Log, AMissingFolderIsWaitedForFourTimesThenTheProgramEnds) {
  state.contentFolder = inst.rootFolder() + QStringLiteral("gone/");
  EXPECT_THROW(computeTallies(state, services()), ProgramEndRequest);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("ファイルがありません")));
  EXPECT_EQ(clock.pausedMs(), 4 * 5000);  // the counter reaches 4 after four waits of 5 s
}

// The loader's message for any other error: after the stage and the error,
// each value of the list entry being filled after its label, in this order.
TEST(LoaderErrorText, GivesEveryLabelledValueOfTheEntry) {
  const LoadedRecord entry{45413, 0.5, 7, 2, 40};  // 1 May 2024, 12:00:00
  const QString text =
      loaderErrorText(5, RuntimeError(errc::DeviceIo, QStringLiteral("x")), 17, entry, QStringLiteral("/d/log.dat"));
  const QString expected[] = {QStringLiteral("成績ランダムファイル表示 5 57 ") + runtimeErrorText(errc::DeviceIo) +
                                  QStringLiteral(" 57\r\n"),
                              QStringLiteral("/date 2024/05/01 "),
                              QStringLiteral("/i=17 "),
                              QStringLiteral("/time=12:00:00 "),
                              QStringLiteral("/name= "),
                              QStringLiteral("/Bangou=7 "),
                              QStringLiteral("/level=2 "),
                              QStringLiteral("/time=40 "),
                              QStringLiteral("line 5\r\n"),
                              QStringLiteral("/d/log.dat")};
  qsizetype at = 0;
  for (const QString &piece : expected) {
    EXPECT_EQ(text.mid(at, piece.size()), piece) << text.toStdString();
    at += piece.size();
  }
  EXPECT_EQ(at, text.size());
}

TEST_F(Log, AnUnreadableLogShowsTheLoadersMessageAndEndsTheProgram) {
  add(7, 2, 40);
  computeTallies(state, services());
  // Something that opens but cannot be read as a file stands in the log's place.
  QFile::remove(resultsLogPath(state));
  ASSERT_TRUE(QDir().mkpath(resultsLogPath(state)));
  EXPECT_THROW(computeTallies(state, services()), ProgramEndRequest);
  ASSERT_EQ(messages.shown.size(), 1u);
  const QString &text = messages.shown[0].text;
  EXPECT_TRUE(text.startsWith(QStringLiteral("成績ランダムファイル表示 5 "))) << text.toStdString();
  // The list's first entry, as the last load filled it.
  EXPECT_TRUE(text.contains(QStringLiteral("/i=1 /time=01:00:00 /name= /Bangou=7 /level=2 /time=40 line 5")))
      << text.toStdString();
}

}  // namespace
