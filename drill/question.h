#pragma once
// One question of a test level: a short run of events from the history table,
// their places on the timeline board, the distractors that join them in the
// candidate list, and the year lines drawn behind them. Plain logic: the
// drill window draws what this computes.
//
// All positions are in twips, relative to the board.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace minatori {

struct HistoryTable;
class Random;

inline constexpr int kMaxItems = 5;
inline constexpr int kMaxCenturyLines = 20;  // Line1(1..20)
inline constexpr int kMaxDecadeLines = 24;   // Line3(1..24)

struct BoardGeometry {
  double boardWidth = 11085;     // Picture1
  double boardHeight = 9060;
  double yearLabelLeft = 600;    // Label1(0)
  double yearLabelTop = 420;
  double yearLabelWidth = 1020;
  double yearLabelHeight = 420;
  double boxAnchorLeft = 1950;   // Label2(0)
  double boxAnchorWidth = 4035;
  double boxHeight = 420;
};

struct PlacedItem {
  int row = 0;  // 1-based row of the history table
  double yearTop = 0;  // Label1(k).top
  double boxLeft = 0;  // Label2(k)
  double boxTop = 0;
  int category = 0;
};

struct YearLine {
  int year = 0;
  double top = 0;
};

struct Question {
  int itemCount = 0;                // K
  std::vector<PlacedItem> items;    // in time order: rows strictly increase
  int yearSpan = 0;                 // last item's year − first item's year, never 0
  std::vector<int> distractorRows;  // distinct rows more than ten years outside the span
  std::optional<YearLine> zeroLine;
  std::vector<YearLine> centuryLines;  // blue
  std::vector<YearLine> decadeLines;   // black

  // The K + distractor entries as the candidate list holds them (unsorted).
  QStringList candidateEntries(const HistoryTable &table) const;
};

struct QuestionResult {
  std::optional<Question> question;
  QString whyNot;  // when no question can be made: the reason, for the student's teacher
};

// Picks and places a question of `itemCount` items. Steps between items are
// 1 to 3 rows; a step past the last row restarts the pick; two rows of the
// same year and category are never consecutive items; a pick whose items all
// share one year is drawn again. When the table admits no such pick at all
// the result says why instead of looping. Fewer distractors than
// itemCount + 5 are taken as they are.
QuestionResult makeQuestion(const HistoryTable &table, int itemCount, Random &random,
                            const BoardGeometry &board = {});

// Lays out chosen rows (exposed for the board's layout rules).
Question placeQuestion(const HistoryTable &table, const std::vector<int> &itemRows,
                       const BoardGeometry &board = {});

}  // namespace minatori
