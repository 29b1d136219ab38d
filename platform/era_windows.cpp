#include "platform/era.h"

#include <windows.h>

namespace minatori {

namespace {
QString formatted(const SYSTEMTIME &when, const wchar_t *picture) {
  wchar_t buffer[64] = {};
  const int n = GetDateFormatEx(L"ja-JP", DATE_USE_ALT_CALENDAR, &when, picture, buffer,
                                static_cast<int>(std::size(buffer)), nullptr);
  return n > 1 ? QString::fromWCharArray(buffer, n - 1) : QString();
}

QString gregorianEraName() {
  wchar_t buffer[64] = {};
  const int n = GetCalendarInfoEx(L"ja-JP", CAL_GREGORIAN, nullptr, CAL_SERASTRING, buffer,
                                  static_cast<int>(std::size(buffer)), nullptr);
  return n > 1 ? QString::fromWCharArray(buffer, n - 1) : QString();
}
}  // namespace

// ja-JP's alternative calendar is the Japanese emperor-era calendar. A system
// without its data (wine) formats the Gregorian calendar instead, with its
// era name ("西暦") and the Gregorian year: that is no answer.
std::optional<EraYear> systemEra(const QDate &date) {
  SYSTEMTIME when{};
  when.wYear = static_cast<WORD>(date.year());
  when.wMonth = static_cast<WORD>(date.month());
  when.wDay = static_cast<WORD>(date.day());
  const QString era = formatted(when, L"g");
  // "y" is documented as the last digit only (令和10 would read "0"); "yyyy"
  // is the era year in two digits.
  const std::optional<int> year = eraYearFromText(formatted(when, L"yyyy"));
  if (era.isEmpty() || era == gregorianEraName() || !year) return std::nullopt;
  for (const QChar c : era)
    if (!c.isLetter()) return std::nullopt;
  return EraYear{era, *year};
}

}  // namespace minatori
