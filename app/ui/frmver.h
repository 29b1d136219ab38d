#pragma once
// The version window: title, version number, maker. Modal, opened from the
// name-selection screen's title.

#include "app/ui/window.h"

class QLabel;
class QPushButton;

namespace minatori {

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 17;

class frmver : public Window {
  Q_OBJECT
 public:
  explicit frmver(Application &app);
  void activate() override;
  // Places the window centred over `owner`.
  void centreOver(const QWidget &owner);

 protected:
  // Closing it is its "O.K.": the name list behind it goes on.
  PersonClose closedByPerson() override { return PersonClose::Close; }

 private:
  QLabel *label1_, *label2_, *label4_, *label5_;
  QPushButton *command1_, *command2_;
};

}  // namespace minatori
