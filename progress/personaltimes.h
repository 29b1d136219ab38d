#pragma once
// The personal-times view: the current student's own attempts on each level,
// one row each, "2024/05/12 14:03:22  35秒", in date order.

#include <QDateTime>
#include <QStringList>
#include <vector>

#include "results/seisekikiroku.h"

namespace minatori {

struct ProgramState;

inline constexpr int kPersonalTimesDays = 3650;

// One row of an attempt; a timed-out attempt (90000 s or more) shows the
// mark "　　× " in place of its time.
QString personalTimeRow(const Seisekikiroku &record);

// Rows per level (index 1..levelCount) of the current student's attempts
// among `records` (the last 20000 of the log) within 3650 days of `now`.
// Every list stays empty when the group leaves out the student's grade.
std::vector<QStringList> personalTimeRows(const ProgramState &state, const std::vector<Seisekikiroku> &records,
                                          const QDateTime &now, const QString &group);

}  // namespace minatori
