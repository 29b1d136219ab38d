#pragma once
// How an attempt and a level are judged on the end screen, from the tallies
// and the level's criteria.

#include <QString>

namespace minatori {

struct ProgramState;

// The level counts as cleared: enough points and attempts in its pass period.
bool levelCleared(const ProgramState &state, int level, int student);
// The level has been practised too much: an over-practice limit (0 = none) is reached.
bool overPractised(const ProgramState &state, int level, int student);
// Some level's clear count is 9999, which holds back the final-clear picture.
bool finalPictureBlocked(const ProgramState &state);

// "獲得ポイント：11点×1.5→16点" for base points 11 and rate 1.5.
QString pointsLine(int basePoints, float rate, int points);
// "今の成績：40秒", or "記録なし" for a timed-out attempt.
QString resultLine(int resultTime);

}  // namespace minatori
