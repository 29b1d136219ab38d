#pragma once
// The wait window, shown before a lengthy change of screen.

#include "app/ui/window.h"

class QLabel;

namespace minatori {

class BASEFRM : public Window {
  Q_OBJECT
 public:
  explicit BASEFRM(Application &app);
  // Showing it lets pending window messages run, so it is painted at once.
  void activate() override;
  // Says that the attempt waits for the results log, which another machine holds.
  void showLogBusy();

 protected:
  // It covers a change of screen; closing it leaves the screens as they are.
  PersonClose closedByPerson() override { return PersonClose::Close; }

 private:
  QLabel *label19_;
  QLabel *busy_;  // Label20
};

}  // namespace minatori
