#pragma once
// A bare level chooser that stands in for the progress screen until that
// screen is built: the chosen student, the offered levels, a start button
// and the way back to the name-selection screen.

#include "app/ui/window.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace minatori {

class ProgressStandIn : public Window {
  Q_OBJECT
 public:
  explicit ProgressStandIn(Application &app);
  void activate() override;

 public Q_SLOTS:
  void startClick();
  void backClick();

 private:
  QLabel *student_;
  QListWidget *levels_;
  QPushButton *start_;
  QPushButton *back_;
};

}  // namespace minatori
