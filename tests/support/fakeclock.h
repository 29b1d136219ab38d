#pragma once
// A clock that stands still until the test moves it.

#include "platform/clock.h"

namespace minatori::test {

class FakeClock final : public Clock {
 public:
  explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)))
      : now_(std::move(start)) {}
  QDateTime now() const override { return now_; }
  // Each read of the tick counter may move the clock on by itself, so a
  // handler that waits on the counter gets to the end of its wait.
  qint64 tickMs() const override {
    const qint64 t = tick_;
    tick_ += autoAdvanceMs_;
    now_ = now_.addMSecs(autoAdvanceMs_);
    return t;
  }
  void setAutoAdvanceMs(qint64 ms) { autoAdvanceMs_ = ms; }
  void pause(int ms) override {
    advanceMs(ms);
    paused_ += ms;
  }
  // Milliseconds the program paused on this clock.
  qint64 pausedMs() const { return paused_; }

  void set(const QDateTime &when) { now_ = when; }
  // Moves both the wall clock and the tick counter on.
  void advanceMs(qint64 ms) {
    now_ = now_.addMSecs(ms);
    tick_ += ms;
  }

 private:
  mutable QDateTime now_;
  mutable qint64 tick_ = 1'000'000;
  qint64 autoAdvanceMs_ = 0;
  qint64 paused_ = 0;
};

}  // namespace minatori::test
