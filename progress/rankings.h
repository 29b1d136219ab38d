#pragma once
// The rows of the progress screen's per-level results lists: rankings of all
// students by best time or by points, today's attempts and the attempts of a
// period, narrowed to a grade group, with the current student's rows marked.
// The lists sort their rows by text, so every row starts with a right-aligned
// number (rank, time or points) that puts it in order.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "results/seisekikiroku.h"

namespace minatori {

struct ProgramState;

// Results from here on are shown as timed out ("　　× ") in the lists.
inline constexpr qint32 kTimedOutFrom = 90000;

// "①".."⑥" for grades 1..6, "Ⅰ" "Ⅱ" "Ⅲ" for 7..9, else a full-width space.
QString gradeMark(int g);
// Whether grade index g belongs to the group text of the progress screen's group list.
bool inGroup(const QString &group, int g);

// Sorts positions 1..n of `key` ascending and moves `payload` along: a
// top-down merge sort that takes the left run's element only when its key is
// strictly less, so equal keys take the right run's element first. Both
// vectors hold at least n + 1 places (position 0 unused).
void mergeSortByKey(std::vector<qint32> &key, std::vector<qint16> &payload, int n);

enum class ResultsKind { Times = 1, Points = 2 };
enum class PointsRanking { AllRecords = 1, Today = 2 };

// The ranking rows of one level over every active roster line, for the group.
// Ranks count every student, also those the group leaves out.
QStringList rankingRows(const ProgramState &state, int level, ResultsKind kind, PointsRanking ranking,
                        const QString &group);

// How a ranking row writes its rank: the results lists right-align it in two
// characters and write "--" for no result; the result sheets use three and "---".
enum class RankColumn { List, Sheet };
QStringList rankingRows(const ProgramState &state, int level, ResultsKind kind, PointsRanking ranking,
                        const QString &group, RankColumn column);

// Base points of one attempt as the lists show them (no multiplier).
int listBasePoints(int targetTime, int resultTime);

// Rows per level (index 1..levelCount; index 0 empty) of today's attempts
// among `records` (the last 1000 of the log, in file order).
std::vector<QStringList> todayRows(const ProgramState &state, const std::vector<Seisekikiroku> &records,
                                   const QDate &today, const QString &group);

// Days the period choice 1..5 covers on `today` (this week runs from Monday).
int periodDays(int periodChoice, const QDate &today);

// Rows per level (index 1..levelCount) of the attempts of the period among
// `records` (the last 20000 of the log).
std::vector<QStringList> periodRows(const ProgramState &state, const std::vector<Seisekikiroku> &records,
                                    const QDateTime &now, int periodChoice, ResultsKind kind, const QString &group);

}  // namespace minatori
