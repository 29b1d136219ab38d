#pragma once
// A roster held in the program state without a file: for tests of the lists
// and sheets built from it.

#include <QString>
#include <utility>
#include <vector>

#include "roster/roster.h"

namespace minatori::test {

// Students 1..n in roster order, each (name, birth-year code), in school year `schoolYear`.
inline void fillRoster(RosterTable &r, int schoolYear, const std::vector<std::pair<const char16_t *, int>> &students) {
  r.schoolYear = schoolYear;
  for (size_t i = 0; i < students.size(); ++i) {
    const size_t s = i + 1;
    r.numberByLine[s] = static_cast<qint16>(s);
    r.nameByNumber[s] = QString::fromUtf16(students[i].first).leftJustified(kNameLength, u' ');
    r.birthYearByNumber[s] = static_cast<qint16>(students[i].second);
  }
  r.rosterCount = static_cast<int>(students.size());
}

}  // namespace minatori::test
