#include "results/judgement.h"

#include "app/programstate.h"
#include "platform/loosevalue.h"

namespace minatori {

namespace {
bool inTables(int level, int student) {
  return level >= 1 && level < kTallyLevels && student >= 1 && student < kTallyStudents;
}
}  // namespace

bool levelCleared(const ProgramState &state, int level, int student) {
  if (!inTables(level, student)) return false;
  const LevelCriteria &c = state.criteria[static_cast<size_t>(level)];
  return state.tallies.periodPointTotal(level, student) >= c.clearPoints &&
         state.tallies.periodAttemptCount(level, student) >= c.clearCount;
}

bool overPractised(const ProgramState &state, int level, int student) {
  if (!inTables(level, student)) return false;
  const LevelCriteria &c = state.criteria[static_cast<size_t>(level)];
  const double count = c.banCount.toNumber(), points = c.banPoints.toNumber();
  return (count != 0 && state.tallies.banAttemptCount(level, student) >= count) ||
         (points != 0 && state.tallies.banPointTotal(level, student) >= points);
}

bool finalPictureBlocked(const ProgramState &state) {
  for (int level = 1; level < kCriteriaSlots; ++level)
    if (state.criteria[static_cast<size_t>(level)].clearCount == 9999) return true;
  return false;
}

QString pointsLine(int basePoints, float rate, int points) {
  return QStringLiteral("獲得ポイント：%1点×%2→%3点").arg(basePoints).arg(formatFloat(rate)).arg(points);
}

QString resultLine(int resultTime) {
  return resultTime >= 99998 ? QStringLiteral("記録なし") : QStringLiteral("今の成績：%1秒").arg(resultTime);
}

}  // namespace minatori
