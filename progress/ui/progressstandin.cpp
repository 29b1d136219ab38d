#include "progress/ui/progressstandin.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/programstate.h"
#include "app/ui/application.h"
#include "app/ui/basefrm.h"
#include "drill/ui/mainfrm.h"
#include "platform/clock.h"

namespace minatori {

ProgressStandIn::ProgressStandIn(Application &app) : Window(app) {
  setWindowTitle(QStringLiteral("vantora"));
  resize(420, 460);
  student_ = new QLabel(this);
  student_->setObjectName(QStringLiteral("StandInStudent"));
  number_ = new QSpinBox(this);
  number_->setObjectName(QStringLiteral("StandInNumber"));
  number_->setRange(1, 5000);
  number_->setPrefix(QStringLiteral("生徒番号 "));
  levels_ = new QListWidget(this);
  levels_->setObjectName(QStringLiteral("StandInLevels"));
  start_ = new QPushButton(QStringLiteral("ｽﾀｰﾄ"), this);
  start_->setObjectName(QStringLiteral("StandInStart"));
  connect(start_, &QPushButton::clicked, this, &ProgressStandIn::startClick);
  connect(levels_, &QListWidget::itemDoubleClicked, this, &ProgressStandIn::startClick);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(student_);
  layout->addWidget(number_);
  layout->addWidget(levels_);
  layout->addWidget(start_);
  centreOnScreen();
}

void ProgressStandIn::activate() {
  ProgramState &s = state();
  // A student chosen on the name-selection screen is fixed; without one the
  // number can be typed in, so an attempt is still recorded for somebody.
  const bool chosen = !s.studentName.trimmed().isEmpty();
  student_->setText(chosen ? s.studentName.trimmed() : QStringLiteral("生徒番号を選んでください"));
  number_->setVisible(!chosen);
  if (s.studentNumber > 0) number_->setValue(s.studentNumber);
  const int keep = levels_->currentRow();
  levels_->clear();
  for (int level = 1; level <= s.levelCount; ++level)
    levels_->addItem(QStringLiteral("%1  %2").arg(level, 2).arg(s.levelNames[static_cast<size_t>(level)]));
  levels_->setCurrentRow(keep >= 0 && keep < levels_->count() ? keep : s.currentLevel > 0 ? s.currentLevel - 1 : 0);
}

void ProgressStandIn::startClick() {
  ProgramState &s = state();
  if (levels_->currentRow() < 0) return;
  if (number_->isVisible() && s.studentNumber != number_->value()) {
    s.studentNumber = static_cast<qint16>(number_->value());
    s.studentStartTime = static_cast<qint32>(app().clock().timeOfDay());
  }
  s.currentLevel = static_cast<qint16>(levels_->currentRow() + 1);
  // The wait window stays up across the hand-over, so the program never
  // has no window open (Qt would end it).
  app().windows().show<BASEFRM>();
  close();
  startDrill(app());
}

}  // namespace minatori
