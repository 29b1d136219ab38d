#include "drill/practice.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace minatori {

namespace {
constexpr int kClearedOnStart = 20;
constexpr int kMaxTries = 20;
}  // namespace

void PracticeCards::markLearnt(int row) {
  if (row < 1) return;
  if (row >= static_cast<int>(learnt.size())) learnt.resize(static_cast<size_t>(row) + 1, 0);
  learnt[static_cast<size_t>(row)] = 1;
}

void PracticeCards::startPractice() {
  for (int row = 1; row <= kClearedOnStart && row < static_cast<int>(learnt.size()); ++row)
    learnt[static_cast<size_t>(row)] = 0;
}

std::optional<int> PracticeCards::nextCard(int rowCount) {
  if (rowCount <= 0) return std::nullopt;
  int learntCount = 0;
  for (int row = 1; row <= rowCount; ++row) learntCount += isLearnt(row) ? 1 : 0;
  if (learntCount == rowCount) return std::nullopt;
  for (int tries = 1;; ++tries) {
    ++cardRow;
    if (cardRow > rowCount) cardRow = 1;
    if (tries > kMaxTries) return std::nullopt;
    if (!isLearnt(cardRow)) return cardRow;
  }
}

PracticePace practicePace(int option) {
  static constexpr std::array<double, 6> kFactors = {3, 2, 1, 0.7, 0.5, 0.1};
  const double f = kFactors[static_cast<size_t>(std::clamp(option, 0, 5))];
  return {f, static_cast<int>(std::lround(500 * f + 500)), static_cast<int>(std::lround(50 * f + 500))};
}

}  // namespace minatori
