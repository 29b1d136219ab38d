#pragma once
// The splash window: a picture and today's date in the Japanese era calendar.
// 100 ms after it loads, its timer carries start-up on.

#include "app/ui/window.h"

class QLabel;
class QTimer;

namespace minatori {

class Firstfrm : public Window {
  Q_OBJECT
 public:
  explicit Firstfrm(Application &app);
  void load() override;

 public Q_SLOTS:
  // Timer1 tick: start-up goes on, then the splash closes.
  void timer1Tick();

 private:
  QLabel *picture_;    // Image1
  QLabel *dateLabel_;  // Label1
  QTimer *timer1_;     // Timer1
};

// The splash picture, drawn by the program itself.
QPixmap drawSplashPicture(const QString &title);

}  // namespace minatori
