#include "results/tallies.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "app/programstate.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/messageboxes.h"
#include "platform/runtimeerror.h"
#include "platform/services.h"
#include "results/resultslog.h"

namespace minatori {

namespace {

// Points held to their 32-bit slot. Only a damaged log (a negative time) or
// an absurd rate in the criteria gets near the limits, but converting past
// them is undefined.
qint32 heldPoints(double points) { return static_cast<qint32>(std::clamp(points, -2147483648.0, 2147483647.0)); }
void addPoints(qint32 &total, qint32 points) { total = heldPoints(static_cast<double>(total) + points); }

// The serial of 9999-12-31: a record dated later, or not dated by a number
// at all (a NaN), comes from a damaged log.
constexpr double kLastDateSerial = 2958465;

}  // namespace

qint32 basePoints(qint32 targetTime, qint32 t, bool tallyVariant) {
  if (t >= 99998) return 0;
  const double T = targetTime;
  if (t > T && t < 2 * T) return 4;
  if (t >= 2 * T && t < 10 * T) return 1;
  if (t >= 10 * T) return 0;
  // On or under the target. The tallies have always used the first three
  // digits of the time here; below 1000 s that is the time itself.
  double used = t;
  if (tallyVariant && (t >= 1000 || t <= -100)) used = QString::number(t).left(3).toDouble();
  if (T == 0) return 5;  // no target: only t = 0 gets here
  const double x = (T - used) / T;
  return heldPoints(std::floor(x * x * x * 50 + 5));
}

qint32 attemptPoints(const LevelCriteria &criteria, qint32 resultTime, bool tallyVariant) {
  const qint32 b = basePoints(criteria.targetTime, resultTime, tallyVariant);
  return heldPoints(std::floor(static_cast<double>(criteria.pointRate) * b));
}

namespace {

// How long the loader keeps retrying a locked log before it asks.
constexpr int kLockedSecondsBeforeAsking = 30;
constexpr int kNotFoundTries = 4;

// The loader's stage while it reads the records; its messages name the stage.
constexpr int kStageBeforeRecordRead = 5;

bool isNotFound(int n) { return n == errc::FileNotFound || n == errc::PathNotFound; }
bool isLocked(int n) { return n == errc::PermissionDenied || n == errc::PathFileAccess; }

// Reads the records, waiting while the log is missing (a share that is
// reconnecting) or in use by another machine.
std::vector<Seisekikiroku> readWithRetries(ProgramState &state, const Services &services, int &total) {
  const QString path = resultsLogPath(state);
  int notFound = 0;
  int lockedSeconds = 0;
  for (;;) {
    try {
      return readLatestResultRecords(path, kLoadedRecords, &total);
    } catch (const RuntimeError &e) {
      // The lock's own wait has asked already whether to go on, and was told not to.
      if (e.number() == errc::FileAlreadyOpen) throw;
      if (isNotFound(e.number())) {
        // Each miss waits 5 s first: the fourth wait (20 s in all) is the last.
        waitWithWindowsAlive(*services.clock, 5000);
        if (++notFound >= kNotFoundTries) {
          services.messages->show(QStringLiteral("ファイルがありません %1 %2 %3").arg(3).arg(e.text()).arg(e.number()) +
                                      QStringLiteral("\r\n") + path,
                                  state.programTitle, MessageButtons::Ok, MessageIcon::Critical);
          throw ProgramEndRequest(1);
        }
      } else if (isLocked(e.number())) {
        if (++lockedSeconds > kLockedSecondsBeforeAsking) {
          const MessageAnswer a = services.messages->show(
              QStringLiteral("成績ファイルがほかのパソコンで使われています。\r\n") + path +
                  QStringLiteral("\r\nもう一度読みますか？"),
              state.programTitle, MessageButtons::RetryCancel, MessageIcon::Warning);
          if (a != MessageAnswer::Retry) throw;
          lockedSeconds = 0;
        }
        waitWithWindowsAlive(*services.clock, 1000);
      } else {
        // The read fails before the first record reaches the list, so the
        // entry being filled is the first; the list is replaced only after a
        // whole read, so it still holds what the last load put there.
        const std::vector<LoadedRecord> &list = state.tallies.loaded;
        services.messages->show(
            loaderErrorText(kStageBeforeRecordRead, e, 1, list.empty() ? LoadedRecord{} : list.front(), path),
            state.programTitle, MessageButtons::Ok, MessageIcon::Critical);
        throw ProgramEndRequest(1);
      }
    }
  }
}

}  // namespace

QString loaderErrorText(int stage, const RuntimeError &error, int position, const LoadedRecord &entry,
                        const QString &path) {
  return QStringLiteral("成績ランダムファイル表示 %1 %2 %3 %2").arg(stage).arg(error.number()).arg(error.text()) +
         QStringLiteral("\r\n/date %1 /i=%2 /time=%3 /name= /Bangou=%4 /level=%5 /time=%6 line %7")
             .arg(shortDateText(dateFromSerial(wholeDaySerial(entry.recordDate))))
             .arg(position)
             .arg(timeOfDayText(entry.recordTime))
             .arg(entry.studentNumber)
             .arg(entry.level)
             .arg(entry.resultTime)
             .arg(stage) +
         QStringLiteral("\r\n") + path;
}

void loadRecentResults(ProgramState &state, const Services &services) {
  ResultsTallies &t = state.tallies;
  int total = 0;
  const std::vector<Seisekikiroku> records = readWithRetries(state, services, total);
  t.personalBest.fill(99999);
  t.loaded.clear();
  t.loaded.reserve(records.size());
  for (const Seisekikiroku &r : records) {
    const bool inTables = r.level >= 0 && r.level < kTallyLevels && r.studentNumber >= 0 && r.studentNumber < kTallyStudents;
    // The best is taken before the validity test, as it always has been.
    if (inTables && t.personalBest(r.level, r.studentNumber) > r.resultTime)
      t.personalBest(r.level, r.studentNumber) = r.resultTime;
    if (!(r.recordDate >= 0 && r.recordDate <= kLastDateSerial) || r.studentNumber == 0 || r.level <= 0) continue;
    t.loaded.push_back({r.recordDate, r.recordTime, r.studentNumber, r.level, r.resultTime});
  }
  for (int level = 1; level < kTallyLevels; ++level) {
    qint32 best = 99999;
    for (int s = 1; s <= kLevelBestStudents; ++s) best = std::min(best, t.personalBest(level, s));
    t.levelBest[static_cast<size_t>(level)] = best;
  }
}

void tallyLoadedRecords(ProgramState &state, double nowSerial, int todaySerial) {
  ResultsTallies &t = state.tallies;
  for (auto *table : {&t.attemptCount, &t.periodAttemptCount, &t.banAttemptCount}) table->fill(0);
  for (auto *table : {&t.pointTotal, &t.periodPointTotal, &t.banPointTotal, &t.todayPointTotal}) table->fill(0);
  t.todayAttemptCount.fill(0);

  // Per level: the criteria and the two period limits, worked out once.
  struct LevelRule {
    const LevelCriteria *criteria;
    double passFrom, banFrom;
  };
  std::array<LevelRule, kTallyLevels> rules{};
  for (int level = 1; level < kTallyLevels; ++level) {
    const LevelCriteria &c = state.criteria[static_cast<size_t>(level)];
    rules[static_cast<size_t>(level)] = {&c, nowSerial - c.passPeriodDays.toNumber(),
                                         nowSerial - c.banPeriodDays.toNumber()};
  }
  for (const LoadedRecord &r : t.loaded) {
    const int L = r.level, s = r.studentNumber;
    if (L < 1 || L >= kTallyLevels || s < 1 || s >= kTallyStudents) continue;
    const LevelRule &rule = rules[static_cast<size_t>(L)];
    const bool attempt = r.resultTime < kNotAnAttempt;
    const qint32 p = attemptPoints(*rule.criteria, r.resultTime, true);
    if (attempt) ++t.attemptCount(L, s);
    if (r.recordDate > rule.passFrom) {
      if (attempt) ++t.periodAttemptCount(L, s);
      addPoints(t.periodPointTotal(L, s), p);
    }
    if (r.recordDate > rule.banFrom) {
      if (attempt) ++t.banAttemptCount(L, s);
      addPoints(t.banPointTotal(L, s), p);
    }
    addPoints(t.pointTotal(L, s), p);
    if (std::floor(r.recordDate) == todaySerial) {
      if (attempt) t.todayAttemptCount(L, s) += 1;
      addPoints(t.todayPointTotal(L, s), p);
    }
  }
}

void computeTallies(ProgramState &state, const Services &services) {
  loadRecentResults(state, services);
  const QDateTime now = services.clock->now();
  tallyLoadedRecords(state, dateTimeSerial(now), dateSerial(now.date()));
}

}  // namespace minatori
