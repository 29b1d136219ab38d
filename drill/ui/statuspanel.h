#pragma once
// The drill window's status panel: who works on which level, the questions
// left, the time, today's counts and the time bar with its countdown blocks.

#include <QFrame>
#include <array>

class QLabel;

namespace minatori {

class StatusPanel : public QFrame {
  Q_OBJECT
 public:
  explicit StatusPanel(QWidget *parent);

  // The bar's white background; its width stands for the time limit (pixels).
  int barWidth() const;

  QLabel *title;               // sLabel2
  QLabel *studentName;         // sLabel7
  QLabel *schoolName;          // sLabel14
  QLabel *levelName;           // sLabel8
  QLabel *questionsLeft;       // sLabel9
  QLabel *elapsed;             // sLabel10
  QLabel *levelCountToday;     // sLabel11
  QLabel *totalCountToday;     // sLabel12
  QLabel *minutesSinceStart;   // sLabel13
  QFrame *barBackground;       // sShape5
  QFrame *elapsedBar;          // sShape2, blue
  QFrame *targetBar;           // sShape3, green
  QFrame *lowestBar;           // sShape4, light green
  std::array<QFrame *, 40> blocks{};  // sPicture3(10..39)
  QFrame *overlay;             // sPicture2, covers the whole window during completion
  QLabel *recording;           // lblsss1
  QLabel *timeUp;              // lblsss2

  // Widths of the bars in pixels, from the left end of the background.
  void setBar(QFrame *bar, double width);
  // Title font: 14 points when the title is longer than 9 characters, else 16.8.
  void setTitle(const QString &text);
};

}  // namespace minatori
