#include "platform/era.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>
#include <string>

namespace minatori {

// ICU's Japanese calendar gives the era and the year within it; GMT keeps
// the date from moving across a time-zone boundary.
std::optional<EraYear> systemEra(const QDate &date) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale locale("ja_JP@calendar=japanese");
  std::unique_ptr<icu::Calendar> cal(icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), locale, status));
  icu::SimpleDateFormat eraFormat(icu::UnicodeString::fromUTF8("GGGG"), locale, status);
  if (U_FAILURE(status) || !cal) return std::nullopt;
  eraFormat.setTimeZone(*icu::TimeZone::getGMT());
  cal->clear();
  cal->set(UCAL_EXTENDED_YEAR, date.year());
  cal->set(UCAL_MONTH, date.month() - 1);
  cal->set(UCAL_DATE, date.day());
  const UDate when = cal->getTime(status);
  const int eraYear = cal->get(UCAL_YEAR, status);
  if (U_FAILURE(status)) return std::nullopt;
  icu::UnicodeString era;
  eraFormat.format(when, era);
  std::string eraUtf8;
  era.toUTF8String(eraUtf8);
  if (eraUtf8.empty() || eraYear < 1) return std::nullopt;
  return EraYear{QString::fromStdString(eraUtf8), eraYear};
}

}  // namespace minatori
