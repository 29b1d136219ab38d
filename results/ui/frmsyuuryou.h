#pragma once
// The end screen: the attempt's result and points, today's counts, record
// messages and sounds, the level-cleared notice, then "メニューへ" and,
// unless the level has been practised too much, "もう一度".

#include "app/ui/window.h"

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace minatori {

class FrmSyuuryou : public Window {
  Q_OBJECT
 public:
  explicit FrmSyuuryou(Application &app);
  void activate() override;

 public Q_SLOTS:
  void timer1Tick();
  void command4Click();  // "メニューへ"
  void command5Click();  // "もう一度"

 protected:
  // The end screen closes only through its two buttons.
  PersonClose closedByPerson() override { return PersonClose::Stay; }

 private:
  QLabel *label(const QString &name, int x, int y, int w, int h, int pointSize);

  QLabel *label13_, *label14_, *label15_, *label16_, *label17_, *label18_, *label19_, *label20_, *label2_;
  QFrame *picture1_;
  QPushButton *command4_, *command5_;
  QTimer *timer1_;
  int finalPictureBlocked_ = 0;
  // The activation lets window messages run between its sounds; a tick that
  // falls due meanwhile waits for the activation's end, so the buttons never
  // come up in the middle of the sounds or over the final-clear panel.
  bool activating_ = false;
  bool tickDue_ = false;
};

// The end screen's background, drawn by the program.
QPixmap drawEndScreenPicture();

}  // namespace minatori
