#pragma once
// The program's identity and its catalogue of levels: names, which are
// practice levels, level groups and items per question.

#include <QString>

namespace minatori {

struct ProgramState;

inline constexpr int kOfferedLevels = 12;
inline constexpr int kNamedLevels = 24;

void setProgramIdentity(ProgramState &state);

// Fills levelCount and the names of levels 1..24. Opening the progress
// screen afterwards is the caller's step.
void buildLevelCatalogue(ProgramState &state);

// The name of a level 1..24 as the catalogue holds it.
QString catalogueLevelName(int level);

// The drill window's rule: levels 1, 5, 9, ... are practice levels.
bool isPracticeLevelByNumber(int level);
// The drill completion's rule: a level whose name contains "練".
bool isPracticeLevelByName(const QString &levelName);
// (level − 1) div 4 + 1: which rows of the history table the level uses.
int levelGroup(int level);
// Events one question asks to place: 3, 4 or 5; 0 for a practice level.
int itemsPerQuestion(int level);

}  // namespace minatori
