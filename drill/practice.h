#pragma once
// Flash cards of a practice level: a year, then after a pause its event, then
// the next card. Which card was shown last and which cards the student has
// learnt last as long as the program runs, so a later practice goes on where
// the earlier one stopped.

#include <optional>
#include <vector>

namespace minatori {

struct PracticeCards {
  int cardRow = 0;            // the row last shown, 1..N; 0 before the first practice
  std::vector<char> learnt;   // [row] = 1 when marked learnt; index 0 unused

  bool isLearnt(int row) const { return row < static_cast<int>(learnt.size()) && learnt[row] != 0; }
  void markLearnt(int row);
  // The start of a practice forgets the marks of rows 1..20 only.
  void startPractice();
  // Moves to the next card not learnt. Empty when the practice ends: every
  // card is learnt, or more than 20 tries in a row found only learnt cards.
  std::optional<int> nextCard(int rowCount);
};

struct PracticePace {
  double speedFactor;
  int revealMs;    // Timer2(0): year → event
  int nextCardMs;  // Timer2(1): event → next card
};

// The pace of option button 0..5 (option 2 is the usual one).
PracticePace practicePace(int option);

inline constexpr int kDefaultPaceOption = 2;

}  // namespace minatori
