#pragma once
// A bare level chooser that stands in for the progress screen until that
// screen is built: the student, the offered levels and a start button.

#include "app/ui/window.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace minatori {

class ProgressStandIn : public Window {
  Q_OBJECT
 public:
  explicit ProgressStandIn(Application &app);
  void activate() override;

 public Q_SLOTS:
  void startClick();

 private:
  QLabel *student_;
  QSpinBox *number_;
  QListWidget *levels_;
  QPushButton *start_;
};

}  // namespace minatori
