#pragma once
// The one record every window shares for the whole run. Windows read and
// write its fields directly and never hand values to each other. It starts
// zero-filled and is never saved.

#include <QColor>
#include <QString>
#include <array>

#include "app/levelcriteria.h"
#include "drill/practice.h"
#include "results/tallies.h"
#include "roster/roster.h"
#include "platform/loosevalue.h"
#include "sound/soundtable.h"

namespace minatori {

inline constexpr int kLevelSlots = 36;  // levels 1..35; slot 0 unused

struct ProgramState {
  // --- Installation and configuration: written once at start-up. ---
  QString appFolder;      // program folder, ends in the separator
  QString appFolderName;  // last component of the program folder
  QString dataFolder;     // ends in the separator
  QString contentFolder;  // this program's content folder, ends in the separator
  QString soundFolder;    // ends in the separator
  int developmentMode = 0;
  QColor seasonColor{0, 0, 0};  // background of the name-selection and progress screens
  double yearStartMonth = 0;    // month the school year starts in
  QString schoolName;
  QString schoolCode;  // five characters or empty; stored in every results record
  double showStatus2 = 0;  // 1: roster status 2 counts as active
  QString teacherPassword;

  // --- Program identity. ---
  QString programTitle;
  double printButtonSwitch = 0;  // 1: the progress screen shows the teacher print button
  double levelsOpenSwitch = 0;

  // --- Level catalogue. ---
  qint16 levelCount = 0;
  LooseValue levelCountLoose;  // the same count as the end screen and step logic read it
  std::array<QString, kLevelSlots> levelNames{};
  std::array<qint16, kLevelSlots> levelDefined{};

  // --- Current student and level. ---
  qint16 studentNumber = 0;  // roster number, 0..5000
  QString studentName;       // 20 characters, blank-filled
  QString studentGradeLabel;
  qint32 studentStartTime = 0;  // seconds since midnight, when the student was launched
  qint16 currentLevel = 0;      // 1..35

  // --- Criteria table: slot k holds level k. ---
  CriteriaTable criteria{};

  // --- Results tallies, recomputed from the results log. ---
  ResultsTallies tallies;

  // --- Roster, read from the data folder by the screens that list students. ---
  RosterTable roster;

  // --- Sound table, with the last play command and the drill failure count. ---
  SoundTable sounds{};

  // --- Fields of the screens that own them. ---
  QString selectedGroup;  // grade group last chosen on the name-selection screen
  int periodChoice = 0;   // progress screen period choice, 1..5
  int resultsView = 0;    // results view last built, 1..3
  int finalLevelCleared = 0;
  qint16 firstVisibleLevel = 0;  // level in the progress screen's first column
  int newPersonalBest = 0;  // set when an attempt is recorded, read by the end screen
  int newLevelBest = 0;
  int alreadyCleared = 0;

  // --- The drill attempt that is running or has just ended. ---
  qint16 questionsPerAttempt = 0;
  qint32 questionsDone = 0;
  float attemptStartTime = 0;  // seconds since midnight
  qint32 elapsedSeconds = 0;
  qint64 timeLimit = 0;  // seconds: 5 × the level's lowestTime (in 64 bits: a typed lowest time may be huge)
  double barScale = 0;   // time-bar width per second
  qint16 timedOut = 0;
  qint16 allAnswered = 0;
  qint16 finishing = 0;  // 1 once completion has started; completion runs once
  qint32 attemptResult = 0;  // elapsed seconds, or 99999 after a time-out

  // --- Practice cards: the last card and the learnt marks, for the whole run. ---
  PracticeCards practiceCards;
};

// 99999 stands for "no time": a timed-out attempt, or no best yet.
inline constexpr qint32 kNoTime = 99999;

}  // namespace minatori
