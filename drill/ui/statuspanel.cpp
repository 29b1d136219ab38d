#include "drill/ui/statuspanel.h"

#include <QLabel>

#include "platform/twips.h"

namespace minatori {

namespace {

QLabel *label(QWidget *parent, const QString &name, const QString &text, int x, int y, int w, int h,
              int pointSize = 12, bool bold = false) {
  auto *l = new QLabel(text, parent);
  l->setObjectName(name);
  l->setGeometry(designRect(x, y, w, h));
  QFont f = l->font();
  f.setPointSizeF(designPoints(pointSize));
  f.setBold(bold);
  l->setFont(f);
  return l;
}

QFrame *box(QWidget *parent, const QString &name, const QColor &colour, int x, int y, int w, int h) {
  auto *f = new QFrame(parent);
  f->setObjectName(name);
  f->setGeometry(designRect(x, y, w, h));
  QPalette p = f->palette();
  p.setColor(QPalette::Window, colour);
  f->setPalette(p);
  f->setAutoFillBackground(true);
  return f;
}

constexpr int kBarLeft = 300, kBarTop = 64, kBarWidth = 640, kBarHeight = 22;

}  // namespace

StatusPanel::StatusPanel(QWidget *parent) : QFrame(parent) {
  setObjectName(QStringLiteral("sPicture1"));
  setFrameShape(QFrame::StyledPanel);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(255, 255, 240));
  setPalette(p);
  setAutoFillBackground(true);

  title = label(this, QStringLiteral("sLabel2"), {}, 10, 4, 280, 34, 17, true);
  studentName = label(this, QStringLiteral("sLabel7"), {}, 10, 44, 280, 26, 14, true);
  schoolName = label(this, QStringLiteral("sLabel14"), {}, 10, 76, 280, 22, 11);

  label(this, QStringLiteral("sLabel3"), QStringLiteral("レベル"), 300, 8, 60, 26);
  levelName = label(this, QStringLiteral("sLabel8"), {}, 360, 4, 170, 32, 16, true);
  label(this, QStringLiteral("sLabel4"), QStringLiteral("残り"), 540, 8, 44, 26);
  questionsLeft = label(this, QStringLiteral("sLabel9"), {}, 584, 4, 40, 32, 16, true);
  questionsLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label(this, QStringLiteral("sLabel6"), QStringLiteral("問"), 628, 8, 30, 26);
  label(this, QStringLiteral("sLabel5"), QStringLiteral("タイム"), 670, 8, 60, 26);
  elapsed = label(this, QStringLiteral("sLabel10"), {}, 730, 4, 80, 32, 16, true);
  elapsed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  label(this, QStringLiteral("sLabel16_0"), QStringLiteral("起動後"), 840, 4, 80, 20, 10);
  minutesSinceStart = label(this, QStringLiteral("sLabel13"), {}, 920, 4, 50, 20, 10, true);
  minutesSinceStart->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label(this, QStringLiteral("sLabel16_3"), QStringLiteral("分"), 974, 4, 40, 20, 10);
  label(this, QStringLiteral("sLabel16_1"), QStringLiteral("本日"), 840, 26, 80, 20, 10);
  totalCountToday = label(this, QStringLiteral("sLabel12"), {}, 920, 26, 50, 20, 10, true);
  totalCountToday->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label(this, QStringLiteral("sLabel16_4"), QStringLiteral("回目"), 974, 26, 40, 20, 10);
  label(this, QStringLiteral("sLabel16_2"), QStringLiteral("このレベル"), 840, 48, 80, 20, 10);
  levelCountToday = label(this, QStringLiteral("sLabel11"), {}, 920, 48, 50, 20, 10, true);
  levelCountToday->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label(this, QStringLiteral("sLabel16_5"), QStringLiteral("回目"), 974, 48, 40, 20, 10);

  barBackground = box(this, QStringLiteral("sShape5"), QColor(255, 255, 255), kBarLeft, kBarTop, kBarWidth, kBarHeight);
  barBackground->setFrameShape(QFrame::Box);
  lowestBar = box(this, QStringLiteral("sShape4"), QColor(192, 255, 192), kBarLeft, kBarTop, 0, kBarHeight);
  targetBar = box(this, QStringLiteral("sShape3"), QColor(0, 192, 0), kBarLeft, kBarTop, 0, kBarHeight);
  elapsedBar = box(this, QStringLiteral("sShape2"), QColor(0, 0, 255), kBarLeft, kBarTop + 6, 0, kBarHeight - 12);

  // Thirty countdown blocks: "Best", "YourBest" and "Pass", ten each.
  const QStringList captions = {QStringLiteral("Best"), QStringLiteral("YourBest"), QStringLiteral("Pass")};
  const QColor colours[3] = {QColor(0, 192, 0), QColor(192, 192, 0), QColor(192, 0, 0)};
  for (int g = 0; g < 3; ++g) {
    const int left = kBarLeft + g * 216;
    label(this, QStringLiteral("sLabel17_%1").arg(g), captions[g], left, 88, 200, 14, 8);
    for (int i = 0; i < 10; ++i) {
      const int index = 10 + g * 10 + i;
      blocks[static_cast<size_t>(index)] = box(this, QStringLiteral("sPicture3_%1").arg(index), colours[g],
                                               left + i * 20, 102, 17, 13);
    }
  }

  overlay = box(parent, QStringLiteral("sPicture2"), QColor(0, 192, 192), 0, 0, 1024, 768);
  recording = label(overlay, QStringLiteral("lblsss1"), QStringLiteral("成績記録中"), 0, 300, 1024, 80, 40, true);
  recording->setAlignment(Qt::AlignCenter);
  timeUp = label(overlay, QStringLiteral("lblsss2"), QStringLiteral("時間切れ"), 0, 400, 1024, 80, 40, true);
  timeUp->setAlignment(Qt::AlignCenter);
  timeUp->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
  overlay->hide();
}

int StatusPanel::barWidth() const { return barBackground->width(); }

void StatusPanel::setBar(QFrame *bar, double width) {
  bar->setGeometry(barBackground->x(), bar->y(), std::max(0, static_cast<int>(width + 0.5)), bar->height());
}

void StatusPanel::setTitle(const QString &text) {
  title->setText(text);
  QFont f = title->font();
  f.setPointSizeF(designPoints(text.size() > 9 ? 14 : 16.8));
  title->setFont(f);
}

}  // namespace minatori
