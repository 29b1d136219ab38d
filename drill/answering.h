#pragma once
// Judging the drops of one question. The window calls it and shows what it
// decides; no widgets here.

#include <QString>
#include <QStringList>
#include <vector>

namespace minatori {

struct HistoryTable;
struct Question;

enum class DropOutcome {
  Ignored,    // nothing to judge: an empty drag, or the board is being corrected
  Right,      // the right event in its box
  Completed,  // the right event, and every box of the question is filled
  Wrong,      // anything else: the question goes back to its start after "O.K."
};

// The boxes of the question on the board, numbered 1..K as on the screen.
struct AnswerBoard {
  explicit AnswerBoard(int itemCount = 0) { reset(itemCount); }
  void reset(int itemCount);

  int itemCount() const { return static_cast<int>(boxCaptions.size()); }

  std::vector<QString> boxCaptions;   // Label2(k): "?" until a drop
  std::vector<QString> yearCaptions;  // Label1(k): "?" until answered
  int correctCount = 0;
  bool correcting = false;  // after a wrong drop, until "O.K."
  int wrongBox = 0;         // 1..K
};

// The event text a list entry delivers: the entry without its tag and space.
QString droppedEventText(const QString &entry);

// Judges `entry` dropped on box `box` (1..K) and updates the board.
DropOutcome judgeDrop(AnswerBoard &board, const Question &question, const HistoryTable &table, int box,
                      const QString &entry);

// "O.K." after a wrong drop: every box back to "?", and the candidate list
// holds each of the question's events again, every text once.
QStringList confirmCorrection(AnswerBoard &board, const Question &question, const HistoryTable &table,
                              const QStringList &candidates);

}  // namespace minatori
