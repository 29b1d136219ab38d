#pragma once
// A clock that stands still until the test moves it.

#include "platform/clock.h"

namespace minatori::test {

class FakeClock final : public Clock {
 public:
  explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)))
      : now_(std::move(start)) {}
  QDateTime now() const override { return now_; }
  qint64 tickMs() const override { return tick_; }

  void set(const QDateTime &when) { now_ = when; }
  // Moves both the wall clock and the tick counter on.
  void advanceMs(qint64 ms) {
    now_ = now_.addMSecs(ms);
    tick_ += ms;
  }

 private:
  QDateTime now_;
  qint64 tick_ = 1'000'000;
};

}  // namespace minatori::test
