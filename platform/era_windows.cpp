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
// era name ("西暦") and the Gregorian year: that is no answer. Since
// Windows 10 the first year of an era may be written "元".
std::optional<EraYear> systemEra(const QDate &date) {
  SYSTEMTIME when{};
  when.wYear = static_cast<WORD>(date.year());
  when.wMonth = static_cast<WORD>(date.month());
  when.wDay = static_cast<WORD>(date.day());
  const QString era = formatted(when, L"g");
  const QString yearText = formatted(when, L"y");
  if (era.isEmpty() || era == gregorianEraName()) return std::nullopt;
  for (const QChar c : era)
    if (!c.isLetter()) return std::nullopt;
  bool ok = false;
  int year = yearText.toInt(&ok);
  if (!ok && yearText.startsWith(u'元')) year = 1, ok = true;
  if (!ok || year < 1 || year > 99) return std::nullopt;
  return EraYear{era, year};
}

}  // namespace minatori
