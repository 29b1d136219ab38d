#include "app/ui/firstfrm.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include "app/configuration.h"
#include "app/ui/application.h"
#include "app/ui/startup.h"
#include "platform/clock.h"
#include "platform/displayscale.h"
#include "platform/events.h"
#include "platform/fonts.h"
#include "platform/random.h"
#include "platform/twips.h"

namespace minatori {

namespace {
constexpr int kWidth = 640;
constexpr int kHeight = 480;
}  // namespace

QPixmap drawSplashPicture(const QString &title) {
  return designPicture(QSize(kWidth, kHeight), [&](QPainter &p) {
    p.setRenderHint(QPainter::Antialiasing);

    // Evening sky over a quiet sea.
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0.0, QColor(24, 32, 78));
    sky.setColorAt(0.55, QColor(112, 70, 128));
    sky.setColorAt(0.78, QColor(236, 150, 92));
    sky.setColorAt(1.0, QColor(36, 52, 96));
    p.fillRect(QRect(0, 0, kWidth, kHeight), sky);

    // Sun sinking behind the horizon, and its path on the water.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 140));
    p.drawEllipse(QPointF(470, 372), 46, 46);
    QLinearGradient sea(0, 372, 0, kHeight);
    sea.setColorAt(0.0, QColor(40, 60, 110));
    sea.setColorAt(1.0, QColor(14, 22, 52));
    p.setBrush(sea);
    p.drawRect(0, 372, kWidth, kHeight - 372);
    p.setBrush(QColor(255, 214, 140, 110));
    for (int i = 0; i < 6; ++i) p.drawRect(440 + (i % 2) * 8, 380 + i * 14, 60 - (i % 2) * 16, 4);

    // A torii gate on the shore: a red landmark of the old harbour towns.
    p.setBrush(QColor(196, 40, 36));
    p.drawRect(120, 250, 12, 122);
    p.drawRect(204, 250, 12, 122);
    p.drawRect(108, 270, 120, 9);
    QPainterPath lintel;
    lintel.moveTo(92, 236);
    lintel.quadTo(168, 252, 244, 236);
    lintel.lineTo(240, 248);
    lintel.quadTo(168, 262, 96, 248);
    lintel.closeSubpath();
    p.drawPath(lintel);

    // The timeline: marks for the ages a student walks through.
    const QStringList ages = {QStringLiteral("縄文"), QStringLiteral("飛鳥"), QStringLiteral("奈良"),
                              QStringLiteral("平安"), QStringLiteral("鎌倉"), QStringLiteral("室町"),
                              QStringLiteral("江戸"), QStringLiteral("明治"), QStringLiteral("昭和")};
    const int x = 560;
    p.setPen(QPen(QColor(255, 240, 210, 200), 3));
    p.drawLine(x, 40, x, 330);
    QFont ageFont(minchoFamily());
    ageFont.setPixelSize(15);
    p.setFont(ageFont);
    for (int i = 0; i < ages.size(); ++i) {
      const int y = 48 + i * 35;
      p.setPen(Qt::NoPen);
      p.setBrush(i % 3 == 0 ? QColor(255, 224, 96) : i % 3 == 1 ? QColor(150, 220, 255) : QColor(214, 150, 96));
      p.drawEllipse(QPointF(x, y), 6, 6);
      p.setPen(QColor(255, 244, 228));
      p.drawText(QRect(x + 14, y - 10, 60, 20), Qt::AlignLeft | Qt::AlignVCenter, ages[i]);
    }

    // Title and subtitle.
    QFont titleFont(minchoFamily());
    titleFont.setPixelSize(84);
    titleFont.setBold(true);
    p.setFont(titleFont);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QRect(44, 64, 480, 110), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setPen(QColor(255, 248, 236));
    p.drawText(QRect(40, 60, 480, 110), Qt::AlignLeft | Qt::AlignVCenter, title);
    QFont subFont(gothicFamily());
    subFont.setPixelSize(22);
    p.setFont(subFont);
    p.setPen(QColor(255, 230, 190));
    p.drawText(QRect(44, 168, 480, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("日本史の流れ　年代ドリル"));
  });
}

Firstfrm::Firstfrm(Application &app) : Window(app) {
  setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
  setFixedSize(dpx(kWidth), dpx(kHeight));

  picture_ = new QLabel(this);
  picture_->setObjectName(QStringLiteral("Image1"));
  picture_->setGeometry(designRect(0, 0, kWidth, kHeight));
  picture_->setPixmap(drawSplashPicture(QStringLiteral("ミナトリ")));

  dateLabel_ = new QLabel(this);
  dateLabel_->setObjectName(QStringLiteral("Label1"));
  dateLabel_->setGeometry(designRect(40, 414, 560, 40));
  dateLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QFont f(gothicFamily());
  f.setPixelSize(dpx(22));
  dateLabel_->setFont(f);
  dateLabel_->setStyleSheet(QStringLiteral("color: rgb(255, 248, 236); background: transparent;"));

  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setInterval(100);
  timer1_->setSingleShot(false);
  connect(timer1_, &QTimer::timeout, this, &Firstfrm::timer1Tick);
  centreOnScreen();
}

void Firstfrm::load() {
  show();
  letPendingMessagesRun();
  app().random().seed(app().clock().timeOfDay());
  const QDate today = app().clock().today();
  state().seasonColor = seasonColorForMonth(today.month());
  dateLabel_->setText(eraDateText(today));
  show();
  letPendingMessagesRun();
  state().developmentMode = developmentModeFor(app().programFolder());
  timer1_->start();
}

void Firstfrm::timer1Tick() {
  timer1_->stop();
  continueStartUp(app());
  close();
}

}  // namespace minatori
