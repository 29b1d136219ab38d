#pragma once
// The practice panel of the drill window: the flash card (a year, then its
// event), "覚えた", "練習終了" and the six pace buttons.

#include <QFrame>
#include <array>

class QLabel;
class QPushButton;
class QRadioButton;

namespace minatori {

class PracticePanel : public QFrame {
  Q_OBJECT
 public:
  explicit PracticePanel(QWidget *parent);

  std::array<QLabel *, 2> cardLabels{};  // Label12(0): year, Label12(1): event
  QPushButton *learnt;                   // Command10
  QPushButton *endPractice;              // Command9
  std::array<QRadioButton *, 6> paceOptions{};  // Option1(0..5)
};

}  // namespace minatori
