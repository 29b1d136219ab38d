#pragma once
// The per-level criteria that judge every attempt, read from and written to
// "タイム回数データ.txt" in the content folder.
//
// The file: a header line, then one line per level (line k + 1 holds level k;
// the level number is the position, not stored), each of exactly 12 fields.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "platform/loosevalue.h"

namespace minatori {

struct ProgramState;

// Slots 0..35; slot 0 takes the file's header line and is never used.
inline constexpr int kCriteriaSlots = 36;
inline constexpr int kMaxCriteriaLevel = kCriteriaSlots - 1;
inline constexpr int kCriteriaFields = 12;

inline constexpr const char16_t *kCriteriaFileName = u"タイム回数データ.txt";

struct LevelCriteria {
  qint32 targetTime = 0;   // seconds; points are measured against it
  qint32 lowestTime = 0;   // seconds; five times this is the drill's time-out
  qint32 clearPoints = 0;  // points within the pass period that clear the level
  qint16 clearCount = 0;   // attempts within the pass period that clear it; 9999 is reserved
  float pointRate = 0;     // multiplier of an attempt's points
  LooseValue banCount;        // over-practice attempt limit, 0 = none
  LooseValue banPoints;       // over-practice point limit, 0 = none
  LooseValue passPeriodDays;  // days that count toward clearing
  LooseValue banPeriodDays;   // days that count toward over-practice
  LooseValue spare10;         // no meaning; kept and written back unchanged
  LooseValue spare11;
  LooseValue spare12;

  friend bool operator==(const LevelCriteria &, const LevelCriteria &) = default;
};

using CriteriaTable = std::array<LevelCriteria, kCriteriaSlots>;

// The nine header texts the file's first line carries, followed by three empty fields.
QStringList criteriaHeaderFields();

// Parses criteria text into a table that starts as `table`: levels without a
// line keep their values; lines past level 35 are ignored. Throws RuntimeError
// (InputPastEnd) when the last line is short.
CriteriaTable parseLevelCriteria(const QString &text, const QString &file, CriteriaTable table);

// Reads the content folder's criteria file into state.criteria. The table is
// replaced only after the whole file has been read.
void loadLevelCriteria(ProgramState &state);

// The file's level lines as the twelve texts of each field, exactly as read
// (the header line dropped): what the criteria editor shows in its grid.
std::vector<QStringList> readCriteriaRows(const QString &path);

// A cell of the editor's rows, by level (row index + 1) and field (1..12).
struct CriteriaCell {
  int level = 0;
  int field = 0;
};
// The first cell whose text would not read back as itself from the file: a
// comma, a double quote or a line break in it (the fields after it would
// shift), or blanks around it (they are dropped when the file is read).
std::optional<CriteriaCell> cellThatWouldNotReadBack(const std::vector<QStringList> &rows);

// Writes the header line and one line per row, each cell's text as given,
// replacing the file atomically, then loads the criteria again so the whole
// program uses them at once. Throws RuntimeError when a cell holds a character
// code page 932 cannot write, or a text that would not read back as itself
// (TypeMismatch); the file is then left as it was.
void saveLevelCriteria(ProgramState &state, const std::vector<QStringList> &rows);

QString criteriaFilePath(const ProgramState &state);

}  // namespace minatori
