#include "progress/ui/progressstandin.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/programstate.h"
#include "app/ui/application.h"
#include "app/ui/basefrm.h"
#include "drill/ui/mainfrm.h"
#include "roster/ui/namesel.h"

namespace minatori {

ProgressStandIn::ProgressStandIn(Application &app) : Window(app) {
  setWindowTitle(QStringLiteral("vantora"));
  resize(420, 460);
  student_ = new QLabel(this);
  student_->setObjectName(QStringLiteral("StandInStudent"));
  levels_ = new QListWidget(this);
  levels_->setObjectName(QStringLiteral("StandInLevels"));
  start_ = new QPushButton(QStringLiteral("ｽﾀｰﾄ"), this);
  start_->setObjectName(QStringLiteral("StandInStart"));
  connect(start_, &QPushButton::clicked, this, &ProgressStandIn::startClick);
  connect(levels_, &QListWidget::itemDoubleClicked, this, &ProgressStandIn::startClick);
  back_ = new QPushButton(QStringLiteral("戻る(0)"), this);
  back_->setObjectName(QStringLiteral("StandInBack"));
  connect(back_, &QPushButton::clicked, this, &ProgressStandIn::backClick);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(student_);
  layout->addWidget(levels_);
  layout->addWidget(start_);
  layout->addWidget(back_);
  centreOnScreen();
}

void ProgressStandIn::activate() {
  ProgramState &s = state();
  app().windows().close<namesel>();
  student_->setText(QStringLiteral("%1  %2").arg(s.studentNumber).arg(trimBlanks(s.studentName)));
  const int keep = levels_->currentRow();
  levels_->clear();
  for (int level = 1; level <= s.levelCount; ++level)
    levels_->addItem(QStringLiteral("%1  %2").arg(level, 2).arg(s.levelNames[static_cast<size_t>(level)]));
  levels_->setCurrentRow(keep >= 0 && keep < levels_->count() ? keep : s.currentLevel > 0 ? s.currentLevel - 1 : 0);
}

void ProgressStandIn::startClick() {
  ProgramState &s = state();
  if (levels_->currentRow() < 0) return;
  s.currentLevel = static_cast<qint16>(levels_->currentRow() + 1);
  // The wait window stays up across the hand-over, so the program never
  // has no window open (Qt would end it).
  app().windows().show<BASEFRM>();
  close();
  startDrill(app());
}

void ProgressStandIn::backClick() {
  app().windows().show<namesel>();
  close();
}

}  // namespace minatori
