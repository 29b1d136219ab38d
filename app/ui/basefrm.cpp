#include "app/ui/basefrm.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/ui/application.h"
#include "platform/events.h"

namespace minatori {

BASEFRM::BASEFRM(Application &app) : Window(app) {
  setWindowTitle(state().programTitle.isEmpty() ? QStringLiteral("ミナトリ") : state().programTitle);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(420, 120);
  setStyleSheet(QStringLiteral("background-color: rgb(255, 255, 224);"));
  label19_ = new QLabel(QStringLiteral("Just a moment, please."), this);
  label19_->setObjectName(QStringLiteral("Label19"));
  label19_->setAlignment(Qt::AlignCenter);
  QFont f = label19_->font();
  f.setPointSize(18);
  label19_->setFont(f);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(label19_);
  centreOnScreen();
}

void BASEFRM::activate() { letPendingMessagesRun(); }

}  // namespace minatori
