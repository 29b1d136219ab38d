#pragma once
// What the progress screen's level columns show and which start buttons may
// be pressed: goal and result texts from the criteria and the tallies, the
// column geometry, and the over-practice bar.

#include <QString>
#include <vector>

namespace minatori {

struct ProgramState;

// "目標=60秒 3回/50点(×1)", or "目標=60秒 --------" when clearPoints is 9999.
QString goalText(const ProgramState &state, int level);
// "最近14日=3回 / 45点".
QString recentText(const ProgramState &state, int level, int student);
// "4回/52点", or "------" with no attempt.
QString allTimeText(const ProgramState &state, int level, int student);
// "1回/6点", or "-----" with no attempt today.
QString todayText(const ProgramState &state, int level, int student);
// Today's attempts on levels 1..35, held to 16 bits after each addition.
int todayTotal(const ProgramState &state, int student);

// Column width in twips: 3456, or 14592 / levelCount with fewer than 5 levels.
double columnWidthTwips(int levelCount);
// The scroll bar's maximum, levelCount − 3; 0 when no scroll bar is used.
int columnScrollMaximum(int levelCount);

struct LevelButtons {
  int finalLevelCleared = 0;
  std::vector<bool> enabled;  // index 1..levelCount
  std::vector<bool> barred;   // "やりすぎ禁止" shown over the button
};
// Every level is open, except a test level practised too much within its
// over-practice period, until the student has cleared the last level.
LevelButtons computeLevelButtons(const ProgramState &state);

}  // namespace minatori
