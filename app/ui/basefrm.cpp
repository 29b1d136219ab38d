#include "app/ui/basefrm.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/ui/application.h"
#include "platform/events.h"
#include "platform/twips.h"

namespace minatori {

BASEFRM::BASEFRM(Application &app) : Window(app) {
  setWindowTitle(state().programTitle.isEmpty() ? QStringLiteral("ミナトリ") : state().programTitle);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(dpx(420), dpx(120));
  setStyleSheet(QStringLiteral("background-color: rgb(255, 255, 224);"));
  label19_ = new QLabel(QStringLiteral("Just a moment, please."), this);
  label19_->setObjectName(QStringLiteral("Label19"));
  label19_->setAlignment(Qt::AlignCenter);
  QFont f = label19_->font();
  f.setPointSizeF(designPoints(18));
  label19_->setFont(f);
  busy_ = new QLabel(QStringLiteral("成績ファイルがほかで使われています。\n記録できるまでお待ちください。"), this);
  busy_->setObjectName(QStringLiteral("Label20"));
  busy_->setAlignment(Qt::AlignCenter);
  busy_->hide();
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(label19_);
  layout->addWidget(busy_);
  centreOnScreen();
}

void BASEFRM::activate() {
  busy_->hide();
  letPendingMessagesRun();
}

void BASEFRM::showLogBusy() {
  busy_->show();
  letPendingMessagesRun();
}

}  // namespace minatori
