#include "teacher/distribution.h"

#include <algorithm>
#include <tuple>

#include "results/resultslog.h"

namespace minatori {

int timeClass(qint32 seconds, int topClass) {
  if (seconds < 0) return 0;
  return std::min(seconds / 10, topClass);
}

namespace {

const ClassCounts kNoCounts{};

bool inHistograms(int level) { return level >= 0 && level <= kHistogramMaxLevel; }

}  // namespace

int Distribution::recordCount(int level) const {
  return level >= 1 && level <= kCountedMaxLevel ? levelRecordCount[static_cast<size_t>(level)] : 0;
}

const ClassCounts &Distribution::all(int level) const {
  return inHistograms(level) ? allHistogram[static_cast<size_t>(level)] : kNoCounts;
}

const ClassCounts &Distribution::best(int level) const {
  return inHistograms(level) ? bestHistogram[static_cast<size_t>(level)] : kNoCounts;
}

Distribution computeDistribution(const std::vector<Seisekikiroku> &records) {
  Distribution d;
  // (level, student, time) of every attempt the histograms hold; sorted, the
  // first entry of each level and student is that student's best time.
  std::vector<std::tuple<int, int, qint32>> attempts;
  attempts.reserve(records.size());
  for (const Seisekikiroku &r : records) {
    const int level = r.level;
    if (level < 1 || level > kCountedMaxLevel) continue;
    ++d.levelRecordCount[static_cast<size_t>(level)];
    if (level > kHistogramMaxLevel) continue;
    ++d.allHistogram[static_cast<size_t>(level)][static_cast<size_t>(timeClass(r.resultTime, kAllResultsTopClass))];
    attempts.emplace_back(level, r.studentNumber, r.resultTime);
  }
  std::sort(attempts.begin(), attempts.end());
  for (size_t i = 0; i < attempts.size(); ++i) {
    const auto [level, student, time] = attempts[i];
    if (i > 0 && std::get<0>(attempts[i - 1]) == level && std::get<1>(attempts[i - 1]) == student) continue;
    ++d.bestHistogram[static_cast<size_t>(level)][static_cast<size_t>(timeClass(time, kBestTimesTopClass))];
  }
  return d;
}

int starScale(const ClassCounts &counts) {
  const int largest = *std::max_element(counts.begin(), counts.end());
  return std::max(1, largest / 10);
}

QStringList classLines(const ClassCounts &counts, int scale) {
  QStringList lines;
  lines.reserve(kTimeClasses);
  for (int c = 0; c < kTimeClasses; ++c) {
    // floor(count / scale + 0.5) in whole numbers.
    const int stars = (2 * counts[static_cast<size_t>(c)] + scale) / (2 * scale);
    lines << (QStringLiteral("  ") + QString::number(10 * c)).right(4) + QStringLiteral("～") +
                 QString(QStringLiteral("★")).repeated(stars);
  }
  return lines;
}

DistributionLines distributionLines(const Distribution &d, int level) {
  DistributionLines out;
  const int allScale = starScale(d.all(level));
  out.allResults << QStringLiteral("レベル%1 今まで%2回  （★=%3）").arg(level).arg(d.recordCount(level)).arg(allScale);
  out.allResults << classLines(d.all(level), allScale);
  const int bestScale = starScale(d.best(level));
  out.bestTimes << QStringLiteral("レベル%1 （★=%2）").arg(level).arg(bestScale);
  out.bestTimes << classLines(d.best(level), bestScale);
  return out;
}

DistributionLines refreshDistribution(const ProgramState &state, int level) {
  return distributionLines(computeDistribution(readResultRecords(resultsLogPath(state))), level);
}

}  // namespace minatori
