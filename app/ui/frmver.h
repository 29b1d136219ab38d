#pragma once
// The version window: title, version number, maker. Modal, opened from the
// name-selection screen's title.

#include "app/ui/window.h"

class QLabel;
class QPushButton;

namespace minatori {

// The program's version, from its one place: the CMake project (also the
// exe's properties and the Windows zip's name).
inline constexpr int kVersionMajor = MINATORI_VERSION_MAJOR;
inline constexpr int kVersionMinor = MINATORI_VERSION_MINOR;
inline constexpr int kVersionRevision = MINATORI_VERSION_PATCH;

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
