#pragma once
// The table of historical events every question is drawn from,
// "歴史年2001.CSV" in the content folder: a header line, then one event a line
// in ascending order of year, eight fields each.

#include <QString>
#include <vector>

#include "platform/loosevalue.h"

namespace minatori {

struct ProgramState;

inline constexpr const char16_t *kHistoryFileName = u"歴史年2001.CSV";

// Timeline columns; each has its colour on the board.
namespace category {
inline constexpr int Domestic = 1;  // 国内
inline constexpr int Culture = 2;   // 文化
inline constexpr int Foreign = 3;   // 外国
inline constexpr int Fourth = 4;    // a column without a legend
}  // namespace category

struct HistoryRow {
  int firstGroup = 0;  // used by every level whose level group is at least this
  int year = 0;
  LooseValue field3, field4;
  int category = 0;  // 1..4
  QString eventText;  // what the student drags, and the answer
  QString tag;        // its first character orders the candidate list
  LooseValue field8;

  // What the candidate list shows: the tag's first character, a space, the event.
  QString listEntry() const;
};

struct HistoryTable {
  QString file;                  // where the rows came from, for messages
  HistoryRow header;             // the first line, never used
  std::vector<HistoryRow> rows;  // the kept rows in file order

  int rowCount() const { return static_cast<int>(rows.size()); }
  // Rows are numbered 1..rowCount().
  const HistoryRow &row(int i) const { return rows[static_cast<size_t>(i - 1)]; }
};

// The rows of the file whose first group is at most `levelGroup`, renumbered
// 1..N. A numeric field holding text is refused (TypeMismatch, naming the
// file and line); an empty one reads as 0. Throws RuntimeError.
HistoryTable parseHistoryRows(const QString &text, const QString &file, int levelGroup);

// Loads the rows for the level group of state.currentLevel.
HistoryTable loadHistoryRows(const ProgramState &state);

}  // namespace minatori
