#pragma once
// Enter presses the focused button, in every window of the program, as on
// the classroom PCs' own system (a Qt button outside a dialog takes only
// Space).

#include <QObject>

namespace minatori {

class EnterPressesButton : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
};

}  // namespace minatori
