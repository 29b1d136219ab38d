#include "platform/era.h"

#include <array>

namespace minatori {

namespace {
struct EraStart {
  const char16_t *name;
  int year, month, day;  // the first day, Gregorian
};
// Newest first.
constexpr std::array<EraStart, 5> kEras{{
    {u"令和", 2019, 5, 1},
    {u"平成", 1989, 1, 8},
    {u"昭和", 1926, 12, 25},
    {u"大正", 1912, 7, 30},
    {u"明治", 1868, 1, 1},
}};
}  // namespace

std::optional<EraYear> eraFromTable(const QDate &date) {
  if (!date.isValid()) return std::nullopt;
  for (const EraStart &e : kEras) {
    if (date >= QDate(e.year, e.month, e.day))
      return EraYear{QString::fromUtf16(e.name), date.year() - e.year + 1};
  }
  return std::nullopt;
}

std::optional<int> eraYearFromText(const QString &text) {
  if (text.startsWith(u'元')) return 1;
  bool ok = false;
  const int year = text.toInt(&ok);
  if (!ok || year < 1 || year > 99) return std::nullopt;
  return year;
}

std::optional<EraYear> eraOf(const QDate &date) {
  // Before the Gregorian calendar the systems disagree (ICU starts Meiji in
  // September 1868, Windows in January): the table answers alone there, so
  // every system gives the same text.
  const std::optional<EraYear> fromTable = eraFromTable(date);
  if (!fromTable || date < QDate(1873, 1, 1)) return fromTable;
  if (std::optional<EraYear> fromSystem = systemEra(date)) return fromSystem;
  return fromTable;
}

}  // namespace minatori
