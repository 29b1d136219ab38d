#pragma once
// The Japanese era of a date. The system's calendar decides where it has
// the data (a new era then appears without a new program); a table of the
// era start dates, Meiji to Reiwa, stands in where it has none (wine,
// stripped Windows installations) and checks the system in the tests.
// One source per system: era_icu.cpp (Debian), era_windows.cpp (Windows).

#include <QDate>
#include <QString>
#include <optional>

namespace minatori {

struct EraYear {
  QString era;  // "令和"
  int year = 0;  // 1 for the first year of the era
  friend bool operator==(const EraYear &, const EraYear &) = default;
};

// From the table. Nothing before 1 January 1868, where Windows' own table
// starts Meiji. Japan adopted the Gregorian calendar on 1 January 1873, so
// before then an era year of a Gregorian date is a convention, not a fact.
std::optional<EraYear> eraFromTable(const QDate &date);

// From the system's Japanese calendar; nothing where the system lacks one.
std::optional<EraYear> systemEra(const QDate &date);

// The era year as Windows writes it with the picture "yyyy" in an era
// calendar: two digits, a leading zero below 10 ("08", "10"), or "元" for a
// first year where the system writes it so. Nothing for any other text.
std::optional<int> eraYearFromText(const QString &text);

// The system's answer, else the table's.
std::optional<EraYear> eraOf(const QDate &date);

}  // namespace minatori
