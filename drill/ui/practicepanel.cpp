#include "drill/ui/practicepanel.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "drill/practice.h"
#include "platform/fonts.h"
#include "platform/twips.h"

namespace minatori {

PracticePanel::PracticePanel(QWidget *parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Picture3"));
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(224, 255, 224));
  setPalette(p);
  setAutoFillBackground(true);

  QFont big(gothicFamily());
  big.setPointSizeF(designPoints(72));
  for (int i = 0; i < 2; ++i) {
    auto *card = new QLabel(this);
    card->setObjectName(QStringLiteral("Label12_%1").arg(i));
    card->setFont(big);
    card->setAlignment(Qt::AlignCenter);
    card->setStyleSheet(QStringLiteral("background-color: rgb(128, 255, 128); border: 1px solid rgb(0, 128, 0);"));
    card->setGeometry(designRect(40, 30 + i * 190, 944, 170));
    cardLabels[static_cast<size_t>(i)] = card;
  }
  QFont buttonFont(gothicFamily());
  buttonFont.setPointSizeF(designPoints(18));
  learnt = new QPushButton(QStringLiteral("覚えた"), this);
  learnt->setObjectName(QStringLiteral("Command10"));
  learnt->setFont(buttonFont);
  learnt->setGeometry(designRect(240, 420, 220, 64));
  endPractice = new QPushButton(QStringLiteral("練習終了"), this);
  endPractice->setObjectName(QStringLiteral("Command9"));
  endPractice->setFont(buttonFont);
  endPractice->setGeometry(designRect(560, 420, 220, 64));

  auto *picture4 = new QFrame(this);
  picture4->setObjectName(QStringLiteral("Picture4"));
  picture4->setGeometry(designRect(312, 510, 400, 80));
  picture4->setFrameShape(QFrame::StyledPanel);
  auto *caption = new QLabel(QStringLiteral("スピード調整"), picture4);
  caption->setGeometry(designRect(0, 4, 400, 24));
  caption->setAlignment(Qt::AlignCenter);
  auto *slow = new QLabel(QStringLiteral("ゆっくり"), picture4);
  slow->setGeometry(designRect(4, 50, 70, 20));
  auto *fast = new QLabel(QStringLiteral("はやい"), picture4);
  fast->setGeometry(designRect(340, 50, 56, 20));
  auto *group = new QButtonGroup(this);
  for (int i = 0; i < 6; ++i) {
    auto *option = new QRadioButton(picture4);
    option->setObjectName(QStringLiteral("Option1_%1").arg(i));
    option->setGeometry(designRect(80 + i * 44, 44, 30, 30));
    group->addButton(option, i);
    paceOptions[static_cast<size_t>(i)] = option;
  }
  paceOptions[kDefaultPaceOption]->setChecked(true);
}

}  // namespace minatori
