#include "platform/clock.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cmath>

#include "platform/era.h"
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
  // The year is written as a number (1 for the first year of an era), as the
  // classroom machines always have.
  const std::optional<EraYear> era = eraOf(date);
  if (!era) return shortDateText(date);
  static const char16_t kWeekdays[] = u"月火水木金土日";  // Qt: Monday = 1
  const QChar weekday(kWeekdays[date.dayOfWeek() - 1]);
  return QStringLiteral("%1%2年 %3月 %4日（%5）")
      .arg(era->era)
      .arg(era->year)
      .arg(date.month())
      .arg(date.day(), 2, 10, QLatin1Char('0'))
      .arg(weekday);
}

}  // namespace minatori
