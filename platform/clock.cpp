#include "platform/clock.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <QElapsedTimer>
#include <algorithm>
#include <QThread>
#include <cmath>
#include <memory>

#include "platform/events.h"

namespace minatori {

namespace {
const QDate kSerialEpoch(1899, 12, 30);
}

double Clock::timeOfDay() const {
  const QTime t = now().time();
  return t.msecsSinceStartOfDay() / 1000.0;
}

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

qint64 SystemClock::tickMs() const {
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.elapsed();
}

void SystemClock::pause(int ms) { QThread::msleep(static_cast<unsigned long>(std::max(0, ms))); }

void waitWithWindowsAlive(Clock &clock, int ms) {
  const qint64 t0 = clock.tickMs();
  for (;;) {
    letPendingMessagesRun();
    const qint64 left = ms - (clock.tickMs() - t0);
    if (left <= 0) return;
    clock.pause(static_cast<int>(std::min<qint64>(left, 10)));
  }
}

int dateSerial(const QDate &date) { return static_cast<int>(kSerialEpoch.daysTo(date)); }

QDate dateFromSerial(int serial) { return kSerialEpoch.addDays(serial); }

double dateTimeSerial(const QDateTime &dateTime) {
  return dateSerial(dateTime.date()) + dateTime.time().msecsSinceStartOfDay() / 86400000.0;
}

QString shortDateText(const QDate &date) { return date.toString(QStringLiteral("yyyy/MM/dd")); }

int wholeDaySerial(double serial) {
  if (!std::isfinite(serial)) return 0;
  return static_cast<int>(std::clamp(std::floor(serial), -2.0e6, 2.0e6));
}

int secondsOfDay(double dayFraction) {
  if (!std::isfinite(dayFraction)) return 0;
  const qint64 seconds = std::llround((dayFraction - std::floor(dayFraction)) * 86400.0);
  return static_cast<int>(((seconds % 86400) + 86400) % 86400);
}

QString timeOfDayText(double dayFraction) {
  return QTime(0, 0).addSecs(secondsOfDay(dayFraction)).toString(QStringLiteral("HH:mm:ss"));
}

QString eraDateText(const QDate &date) {
  // ICU supplies the era and the year within it; the rest is plain arithmetic.
  // The year is written as a number (1 for the first year of an era), as the
  // classroom machines always have.
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale locale("ja_JP@calendar=japanese");
  std::unique_ptr<icu::Calendar> cal(
      icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), locale, status));
  icu::SimpleDateFormat eraFormat(icu::UnicodeString::fromUTF8("GGGG"), locale, status);
  if (U_FAILURE(status) || !cal) return shortDateText(date);
  eraFormat.setTimeZone(*icu::TimeZone::getGMT());
  cal->clear();
  cal->set(UCAL_EXTENDED_YEAR, date.year());
  cal->set(UCAL_MONTH, date.month() - 1);
  cal->set(UCAL_DATE, date.day());
  const UDate when = cal->getTime(status);
  const int eraYear = cal->get(UCAL_YEAR, status);
  if (U_FAILURE(status)) return shortDateText(date);
  icu::UnicodeString era;
  eraFormat.format(when, era);
  std::string eraUtf8;
  era.toUTF8String(eraUtf8);

  static const char16_t kWeekdays[] = u"月火水木金土日";  // Qt: Monday = 1
  const QChar weekday(kWeekdays[date.dayOfWeek() - 1]);
  return QStringLiteral("%1%2年 %3月 %4日（%5）")
      .arg(QString::fromStdString(eraUtf8))
      .arg(eraYear)
      .arg(date.month())
      .arg(date.day(), 2, 10, QLatin1Char('0'))
      .arg(weekday);
}

}  // namespace minatori
