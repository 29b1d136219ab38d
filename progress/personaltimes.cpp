#include "progress/personaltimes.h"

#include <cmath>

#include "app/programstate.h"
#include "platform/clock.h"
#include "progress/rankings.h"
#include "roster/roster.h"

namespace minatori {

QString personalTimeRow(const Seisekikiroku &r) {
  const QString when = shortDateText(dateFromSerial(wholeDaySerial(r.recordDate))).right(10) + u' ' +
                       timeOfDayText(r.recordTime).right(10);
  if (r.resultTime >= kTimedOutFrom) return when + QStringLiteral("　　× ");
  return when + (QString::number(r.resultTime) + u'秒').rightJustified(5, u' ').right(5);
}

std::vector<QStringList> personalTimeRows(const ProgramState &state, const std::vector<Seisekikiroku> &records,
                                          const QDateTime &now, const QString &group) {
  std::vector<QStringList> rows(static_cast<size_t>(std::max<int>(0, state.levelCount)) + 1);
  const int s = state.studentNumber;
  if (s < 0 || s >= kRosterSlots) return rows;
  const int g = gradeIndex(state.roster.schoolYear, state.roster.birthYearByNumber[static_cast<size_t>(s)]);
  if (!inGroup(group, g)) return rows;
  const double from = dateTimeSerial(now) - kPersonalTimesDays;
  for (const Seisekikiroku &r : records) {
    if (r.studentNumber != s || r.level < 1 || r.level > state.levelCount) continue;
    if (!(r.recordDate > from)) continue;  // the record's date against the present moment; NaN is out
    rows[static_cast<size_t>(r.level)] << personalTimeRow(r);
  }
  return rows;
}

}  // namespace minatori
