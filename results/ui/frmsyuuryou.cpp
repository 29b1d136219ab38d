#include "results/ui/frmsyuuryou.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <cmath>

#include "app/ui/application.h"
#include "app/ui/basefrm.h"
#include "drill/ui/mainfrm.h"
#include "platform/displayscale.h"
#include "platform/events.h"
#include "platform/twips.h"
#include "progress/ui/progressnav.h"
#include "results/judgement.h"
#include "results/tallies.h"
#include "sound/soundtable.h"

namespace minatori {

QPixmap drawEndScreenPicture() {
  return designPicture(QSize(kDesignWidth, kDesignHeight), [](QPainter &p) {
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 768);
    sky.setColorAt(0, QColor(255, 246, 214));
    sky.setColorAt(1, QColor(255, 214, 170));
    p.fillRect(QRect(0, 0, kDesignWidth, kDesignHeight), sky);
    // Soft rising sun and rays behind the figures.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
      p.save();
      p.translate(512, 820);
      p.rotate(-90 + (i - 6) * 15 + 7.5);
      p.setBrush(QColor(255, 190, 120, 60));
      p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(900, -60), QPointF(900, 60)}));
      p.restore();
    }
    p.setBrush(QColor(255, 170, 90, 120));
    p.drawEllipse(QPointF(512, 820), 220, 220);
  });
}

QLabel *FrmSyuuryou::label(const QString &name, int x, int y, int w, int h, int pointSize) {
  auto *l = new QLabel(this);
  l->setObjectName(name);
  l->setGeometry(designRect(x, y, w, h));
  QFont f = l->font();
  f.setPointSizeF(designPoints(pointSize));
  f.setBold(true);
  l->setFont(f);
  l->setAlignment(Qt::AlignCenter);
  return l;
}

FrmSyuuryou::FrmSyuuryou(Application &app) : Window(app) {
  setWindowTitle(QStringLiteral("終了"));
  setFixedSize(twips(15360), twips(11520));
  auto *image = new QLabel(this);
  image->setObjectName(QStringLiteral("Image1"));
  image->setGeometry(0, 0, twips(15360), twips(11520));
  image->setPixmap(drawEndScreenPicture());

  label15_ = label(QStringLiteral("Label15"), 0, 30, 1024, 50, 26);
  label16_ = label(QStringLiteral("Label16"), 0, 100, 1024, 50, 28);
  label17_ = label(QStringLiteral("Label17"), 0, 160, 1024, 50, 24);
  label18_ = label(QStringLiteral("Label18"), 0, 240, 1024, 70, 36);
  label19_ = label(QStringLiteral("Label19"), 0, 320, 1024, 50, 24);
  label13_ = label(QStringLiteral("Label13"), 200, 380, 320, 40, 16);
  label14_ = label(QStringLiteral("Label14"), 520, 380, 300, 40, 16);
  label20_ = label(QStringLiteral("Label20"), 0, 430, 1024, 70, 36);
  label20_->setStyleSheet(QStringLiteral("color: rgb(220, 0, 0);"));
  label20_->hide();
  label2_ = label(QStringLiteral("Label2"), 0, 510, 1024, 50, 26);
  label2_->setText(QStringLiteral("このレベルクリア"));
  label2_->setStyleSheet(QStringLiteral("color: rgb(0, 120, 0);"));
  label2_->hide();

  picture1_ = new QFrame(this);
  picture1_->setObjectName(QStringLiteral("Picture1"));
  picture1_->setGeometry(designRect(112, 200, 800, 300));
  picture1_->setStyleSheet(
      QStringLiteral("background-color: rgb(255, 250, 200); border: %1px solid rgb(220, 160, 0);").arg(dpx(4)));
  auto *label1 = new QLabel(QStringLiteral("目標レベルクリア。おめでとう！"), picture1_);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setGeometry(designRect(0, 0, 800, 300));
  label1->setAlignment(Qt::AlignCenter);
  QFont big = label1->font();
  big.setPointSizeF(designPoints(30));
  big.setBold(true);
  label1->setFont(big);
  picture1_->hide();

  QFont buttonFont = font();
  buttonFont.setPointSizeF(designPoints(20));
  command4_ = new QPushButton(QStringLiteral("メニューへ"), this);
  command4_->setObjectName(QStringLiteral("Command4"));
  command4_->setGeometry(designRect(232, 600, 240, 80));
  command4_->setFont(buttonFont);
  command4_->hide();
  command5_ = new QPushButton(QStringLiteral("もう一度"), this);
  command5_->setObjectName(QStringLiteral("Command5"));
  command5_->setGeometry(designRect(552, 600, 240, 80));
  command5_->setFont(buttonFont);
  command5_->hide();
  connect(command4_, &QPushButton::clicked, this, &FrmSyuuryou::command4Click);
  connect(command5_, &QPushButton::clicked, this, &FrmSyuuryou::command5Click);

  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setInterval(500);
  timer1_->setSingleShot(true);
  connect(timer1_, &QTimer::timeout, this, &FrmSyuuryou::timer1Tick);
  centreOnScreen();
}

void FrmSyuuryou::activate() {
  ProgramState &s = state();
  const Services &services = app().services();
  const int L = s.currentLevel, st = s.studentNumber;
  const bool inTables = L >= 1 && L < kTallyLevels && st >= 1 && st < kTallyStudents;
  auto today = [&](int level) { return inTables ? static_cast<int>(s.tallies.todayAttemptCount(level, st)) : 0; };
  const qint32 t = s.attemptResult;
  const LevelCriteria &c = s.criteria[static_cast<size_t>(L)];

  activating_ = true;
  tickDue_ = false;
  struct Finished {
    FrmSyuuryou *w;
    ~Finished() { w->activating_ = false; }
  } finished{this};
  label13_->setText(QString::number(today(L) + 1));
  computeTallies(s, services);
  finalPictureBlocked_ = 0;
  const bool cleared = levelCleared(s, L, st);
  if (cleared) {
    label2_->show();
    if (L == s.levelCount) {
      if (finalPictureBlocked(s)) finalPictureBlocked_ = -1;
      if (finalPictureBlocked_ == 0) picture1_->show();
    }
  }
  letPendingMessagesRun();
  timer1_->start();

  const int base = t >= 99998 ? 0 : basePoints(c.targetTime, t);
  const int points = static_cast<int>(std::floor(static_cast<double>(c.pointRate) * base));
  label19_->setText(pointsLine(base, c.pointRate, points));
  label18_->setText(resultLine(t));
  label17_->setText(s.studentName.trimmed());
  label15_->setText(s.programTitle);
  label16_->setText(s.levelNames[static_cast<size_t>(L)]);
  label13_->setText(QStringLiteral(" (このレベル　%1回目)").arg(today(L)));
  qint16 total = 0;
  for (int level = 1; level < kTallyLevels; ++level) total = static_cast<qint16>(total + today(level));
  label14_->setText(QStringLiteral("（%1回目)").arg(total));

  letPendingMessagesRun();
  if (s.timedOut == 1) {
    label20_->setText(QStringLiteral("時間切れ"));
    label20_->show();
  } else if (s.newLevelBest == 1) {
    label20_->setText(QStringLiteral("！！！最高新記録！！！"));
    label20_->show();
    letPendingMessagesRun();
    playSound(s, services, QString::fromUtf16(kLevelBestSoundStem));
    letPendingMessagesRun();
  } else if (s.newPersonalBest == 1) {
    label20_->setText(QStringLiteral("新記録おめでとう"));
    label20_->show();
    letPendingMessagesRun();
    playRandomSound(s, services, sound::PersonalBest2);
    letPendingMessagesRun();
  } else if (t <= c.lowestTime) {
    playRandomSound(s, services, sound::Fail1);
  }

  if (cleared && L == s.levelCount) {
    if (s.alreadyCleared != 1) playSound(s, services, QString::fromUtf16(kFinalClearSoundStem));
  } else {
    picture1_->hide();
  }
  s.newPersonalBest = 0;
  s.newLevelBest = 0;
  letPendingMessagesRun();
  app().windows().close<BASEFRM>();
  activating_ = false;
  if (tickDue_) timer1Tick();
}

void FrmSyuuryou::timer1Tick() {
  timer1_->stop();
  if (activating_) {
    tickDue_ = true;
    return;
  }
  tickDue_ = false;
  ProgramState &s = state();
  const int L = s.currentLevel, st = s.studentNumber;
  picture1_->hide();
  command4_->show();
  command4_->setFocus();
  timer1_->stop();
  const bool over = overPractised(s, L, st);
  const bool cleared = levelCleared(s, L, st);
  if (!over || !cleared) {
    command5_->show();
  } else if (L == s.levelCount) {
    label2_->setText(QString());
    label2_->hide();
    command5_->show();
  } else if (s.finalLevelCleared == 0) {
    label2_->setText(QStringLiteral("次のレベルへ進みましょう"));
    command5_->hide();
  } else {
    command5_->show();
  }
}

void FrmSyuuryou::command4Click() {
  // Both buttons: the end screen stays open while the progress screen
  // activates (and lets pending messages run), and takes no second click.
  command4_->setEnabled(false);
  command5_->setEnabled(false);
  // The progress screen first: with no window of the program on the screen
  // the window system may give the focus to another program.
  showProgressScreen(app());
  close();
  letPendingMessagesRun();
}

void FrmSyuuryou::command5Click() {
  command4_->setEnabled(false);
  command5_->setEnabled(false);
  app().windows().show<BASEFRM>();
  close();
  letPendingMessagesRun();
  startDrill(app());
}

}  // namespace minatori
