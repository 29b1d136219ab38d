#include "progress/levelcolumns.h"

#include <algorithm>
#include <cmath>

#include "app/levelcatalogue.h"
#include "app/programstate.h"
#include "platform/loosevalue.h"
#include "results/judgement.h"

namespace minatori {

namespace {

bool inTables(int level, int student) {
  return level >= 1 && level < kTallyLevels && student >= 0 && student < kTallyStudents;
}

const LevelCriteria &criteriaOf(const ProgramState &state, int level) {
  return state.criteria[static_cast<size_t>(level)];
}

}  // namespace

QString goalText(const ProgramState &state, int level) {
  const LevelCriteria &c = criteriaOf(state, level);
  const QString target = QStringLiteral("目標=%1秒").arg(c.targetTime);
  if (c.clearPoints == 9999) return target + QStringLiteral(" --------");
  return target + QStringLiteral(" %1回/%2点(×%3)").arg(c.clearCount).arg(c.clearPoints).arg(formatFloat(c.pointRate));
}

QString recentText(const ProgramState &state, int level, int student) {
  const LevelCriteria &c = criteriaOf(state, level);
  const int count = inTables(level, student) ? state.tallies.periodAttemptCount(level, student) : 0;
  const int points = inTables(level, student) ? state.tallies.periodPointTotal(level, student) : 0;
  return QStringLiteral("最近%1日=%2回 / %3点").arg(c.passPeriodDays.text()).arg(count).arg(points);
}

QString allTimeText(const ProgramState &state, int level, int student) {
  if (!inTables(level, student) || state.tallies.attemptCount(level, student) == 0) return QStringLiteral("------");
  return QStringLiteral("%1回/%2点").arg(state.tallies.attemptCount(level, student)).arg(state.tallies.pointTotal(level, student));
}

QString todayText(const ProgramState &state, int level, int student) {
  if (!inTables(level, student) || state.tallies.todayAttemptCount(level, student) == 0) return QStringLiteral("-----");
  return QStringLiteral("%1回/%2点")
      .arg(formatFloat(state.tallies.todayAttemptCount(level, student)))
      .arg(state.tallies.todayPointTotal(level, student));
}

int todayTotal(const ProgramState &state, int student) {
  if (student < 0 || student >= kTallyStudents) return 0;
  qint16 n = 0;
  for (int level = 1; level <= 35; ++level) {
    const double sum = n + static_cast<double>(state.tallies.todayAttemptCount(level, student));
    n = static_cast<qint16>(std::clamp(std::nearbyint(sum), -32768.0, 32767.0));
  }
  return n;
}

double columnWidthTwips(int levelCount) { return levelCount < 5 && levelCount > 0 ? 14592.0 / levelCount : 3456.0; }

int columnScrollMaximum(int levelCount) { return levelCount >= 5 ? levelCount - 3 : 0; }

LevelButtons computeLevelButtons(const ProgramState &state) {
  const int count = state.levelCount, s = state.studentNumber;
  LevelButtons b;
  b.enabled.assign(static_cast<size_t>(count) + 1, false);
  b.barred.assign(static_cast<size_t>(count) + 1, false);
  if (count < 1) return b;
  b.finalLevelCleared = levelCleared(state, count, s) ? 1 : 0;
  // Every level is opened in turn; only the over-practice bar closes one.
  for (int i = 1; i <= count; ++i) b.enabled[static_cast<size_t>(i)] = true;
  for (int i = 1; i <= count; ++i) {
    const bool practice = isPracticeLevelByName(state.levelNames[static_cast<size_t>(i)]);
    if (!practice && overPractised(state, i, s) && b.finalLevelCleared == 0) {
      b.enabled[static_cast<size_t>(i)] = false;
      b.barred[static_cast<size_t>(i)] = true;
    }
  }
  return b;
}

}  // namespace minatori
