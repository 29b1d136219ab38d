#pragma once
// Time and calendar. All time the program sees comes through a Clock, so
// tests can replace it with one they advance by hand.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace minatori {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local wall-clock date and time, to the millisecond.
  virtual QDateTime now() const = 0;
  // Milliseconds from an arbitrary start; never goes back.
  virtual qint64 tickMs() const = 0;
  // Lets `ms` milliseconds pass without doing anything (a test's clock just
  // moves on).
  virtual void pause(int ms) = 0;

  QDate today() const { return now().date(); }
  // Seconds since midnight, with the fraction of the second.
  double timeOfDay() const;
};

class SystemClock final : public Clock {
 public:
  QDateTime now() const override;
  qint64 tickMs() const override;
  void pause(int ms) override;
};

// Waits `ms` milliseconds on the clock's counter in 10 ms steps, letting
// window messages run at each step so the screen stays alive.
void waitWithWindowsAlive(Clock &clock, int ms);

// Days since 30 December 1899 (1 January 1900 is day 2).
int dateSerial(const QDate &date);
QDate dateFromSerial(int serial);
// Day serial plus the time of day as a fraction of a day.
double dateTimeSerial(const QDateTime &dateTime);
// "2004/02/06".
QString shortDateText(const QDate &date);
// The whole day of a date serial read from a file: NaN or infinity counts as day 0 and
// values far outside any calendar are held to about ±5000 years, so a damaged
// record never converts out of range.
int wholeDaySerial(double serial);
// Whole seconds since midnight (0..86399) of a time of day held as a
// fraction of a day, as the results log stores it.
int secondsOfDay(double dayFraction);
// "HH:mm:ss" of such a time of day.
QString timeOfDayText(double dayFraction);
// The date in the Japanese era calendar: era name, year of the era, month
// without a leading zero, two-digit day and the day of the week in full-width
// parentheses: "令和8年 12月 09日（水）".
QString eraDateText(const QDate &date);

}  // namespace minatori
