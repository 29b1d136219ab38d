#include "app/ui/frmver.h"

#include <QApplication>

#include <QLabel>
#include <QPushButton>

#include "app/programstate.h"
#include "app/ui/application.h"
#include "app/ui/programicon.h"
#include "platform/events.h"
#include "platform/twips.h"

namespace minatori {

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, int y, int height, int pointSize, bool bold = false) {
  auto *l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(designRect(110, y, 330, height));
  QFont f = l->font();
  f.setPointSizeF(designPoints(pointSize));
  f.setBold(bold);
  l->setFont(f);
  return l;
}

}  // namespace

frmver::frmver(Application &app) : Window(app) {
  setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  setWindowModality(Qt::ApplicationModal);
  setFixedSize(dpx(460), dpx(250));
  // Placed before it first shows, over the window in front (the name list),
  // so that it is never drawn elsewhere first.
  if (const QWidget *owner = QApplication::activeWindow()) {
    centreOver(*owner);
  } else {
    centreOnScreen();
  }
  auto *icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("Image1"));
  icon->setPixmap(drawProgramIcon(64));
  icon->setGeometry(designRect(24, 24, 64, 64));
  label1_ = makeLabel(this, "Label1", 20, 40, 20, true);
  label2_ = makeLabel(this, "Label2", 66, 24, 11);
  label4_ = makeLabel(this, "Label4", 94, 24, 11);
  label5_ = makeLabel(this, "Label5", 126, 60, 10);
  label5_->setWordWrap(true);
  command1_ = new QPushButton(QStringLiteral("O.K."), this);
  command1_->setObjectName(QStringLiteral("Command1"));
  command1_->setGeometry(designRect(340, 196, 100, 34));
  command1_->setDefault(true);
  connect(command1_, &QPushButton::clicked, this, &QWidget::close);
  // A second button that has never had a function; kept out of sight.
  command2_ = new QPushButton(this);
  command2_->setObjectName(QStringLiteral("Command2"));
  command2_->hide();
}

void frmver::activate() {
  letPendingMessagesRun();
  letPendingMessagesRun();
  label1_->setText(state().programTitle);
  label2_->setText(QStringLiteral("Version%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
  label4_->setText(QStringLiteral("Marlowgate"));
  label5_->setText(QStringLiteral("日本の歴史の流れを年表の上でおぼえるドリルです。キーボードでも答えられます："
                                  "できごとを選んで 1～5 のキーで箱へ、まちがいの確認は Enter。"));
  command1_->setFocus();
}

void frmver::centreOver(const QWidget &owner) {
  const QRect o = owner.frameGeometry();
  move(o.left() + (o.width() - width()) / 2, o.top() + (o.height() - height()) / 2);
}

}  // namespace minatori
