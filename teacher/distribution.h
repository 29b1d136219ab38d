#pragma once
// The distribution of results the criteria editor shows beside its grid, so
// that a teacher sets target and lowest times against what students really
// do: every recorded attempt of a level ("全成績") and each student's best
// attempt ("最高タイム"), both as lines of "★" in 10-second classes.
//
// Nothing is cached: every refresh reads the whole results log again.

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "results/seisekikiroku.h"

namespace minatori {

struct ProgramState;

inline constexpr const char16_t *kDistributionHeading = u"現在までの成績度数分布";
inline constexpr const char16_t *kAllResultsCaption = u"全成績";
inline constexpr const char16_t *kBestTimesCaption = u"最高タイム";

// The histograms hold levels 0..50; the attempt counts levels 1..100.
// Records of other levels are left out of whatever cannot hold them.
inline constexpr int kHistogramMaxLevel = 50;
inline constexpr int kCountedMaxLevel = 100;
// Class c holds the times 10·c to 10·c + 9 seconds; the top class holds
// everything from its lower bound on.
inline constexpr int kTimeClasses = 101;
inline constexpr int kAllResultsTopClass = 100;  // 1000 s and more, time-outs among them
inline constexpr int kBestTimesTopClass = 30;    // 300 s and more

using ClassCounts = std::array<int, kTimeClasses>;

// The class of a time in seconds, capped at `topClass`. A negative time, which
// only a damaged record can hold, counts as class 0.
int timeClass(qint32 seconds, int topClass);

struct Distribution {
  std::array<int, kCountedMaxLevel + 1> levelRecordCount{};
  std::array<ClassCounts, kHistogramMaxLevel + 1> allHistogram{};
  std::array<ClassCounts, kHistogramMaxLevel + 1> bestHistogram{};  // one count per student

  // Zero for a level outside the tables.
  int recordCount(int level) const;
  const ClassCounts &all(int level) const;
  const ClassCounts &best(int level) const;
};

// The histograms of the records, in any order. Records of level 0 are no attempts.
Distribution computeDistribution(const std::vector<Seisekikiroku> &records);

// Stars per class: one star stands for floor(largest class / 10) records, at
// least 1, so the largest class gets about ten stars.
int starScale(const ClassCounts &counts);
// One line per class: its lower bound right-aligned, "～", and the class's
// count in stars, rounded half up.
QStringList classLines(const ClassCounts &counts, int scale);

// The two lists of the panel for one level, each a heading and 101 class lines.
struct DistributionLines {
  QStringList allResults;
  QStringList bestTimes;
};
DistributionLines distributionLines(const Distribution &d, int level);

// Reads the results log of the content folder and builds the lists for
// `level`. Throws RuntimeError when the log cannot be read.
DistributionLines refreshDistribution(const ProgramState &state, int level);

}  // namespace minatori
