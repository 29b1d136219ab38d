#pragma once
// The drill window: the timeline board of a test level, or the flash cards
// of a practice level, under the status panel.

#include <QColor>
#include <array>
#include <vector>

#include "app/ui/window.h"
#include "content/historytable.h"
#include "drill/answering.h"
#include "drill/question.h"

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace minatori {

class CandidateList;
class DropBox;
class PracticePanel;
class StatusPanel;

// Resets the attempt and opens the drill window on state.currentLevel.
void startDrill(Application &app);

class MainFrm : public Window {
  Q_OBJECT
 public:
  explicit MainFrm(Application &app);
  void load() override;
  void activate() override;

  // The question on the board (for the window's own tests).
  const Question &question() const { return question_; }
  const HistoryTable &rows() const { return rows_; }
  const AnswerBoard &board() const { return board_; }

 public Q_SLOTS:
  // A drop of `entry` on box `box` (1..K).
  void dropOnBox(int box, const QString &entry);
  // "O.K." after a wrong drop.
  void command12Click();
  // The drill clock, every second while the attempt runs.
  void sTimer1Tick();
  // Every ten seconds: minutes since the student started.
  void sTimer2Tick();
  // Practice cards: the year's event is revealed, then the next card comes.
  void timer2Tick0();
  void timer2Tick1();
  void command10Click();  // "覚えた"
  void command9Click();   // "練習終了"
  void option1Click(int option);

  // Ends the attempt, once, whether the last answer or the time-out got here first.
  void finishAttempt();

 protected:
  // The close button ends the program; an unfinished attempt is not recorded.
  PersonClose closedByPerson() override;
  // Keys "1".."5" drop the selected candidate on that box; Enter confirms a
  // correction. For students who cannot drag well.
  void keyPressEvent(QKeyEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  bool answerKey(const QKeyEvent &event);
  void buildTestPanel();
  void 初期設定();
  void レベル別設定();
  void スタート();
  void stopClock();
  // While a message box is open the drill's timers stand still: the box's
  // wait runs the event loop, and no tick behind the box may act.
  void holdClock();
  void releaseClock();
  std::array<QTimer *, 4> timers() const { return {sTimer1_, sTimer2_, timer2_[0], timer2_[1]}; }
  void setUpStatusPanel();
  void showMinutesSinceStart();
  void startPractice();
  void nextCard();
  void revealCard();
  void endPractice();
  // The student's count of today's attempts on a level.
  int todayAttempts(int level) const;
  // The level's best time of all students, and the student's own; 99999 when none.
  int levelBestTime() const;
  int personalBestTime() const;
  void 問題作成表示();
  void showQuestion();
  void placeLine(QFrame *line, QLabel *caption, const YearLine &at);
  void showQuestionsRemaining();
  // Places the correction and its "O.K." by the wrong box, inside the board.
  void placeCorrection(const QRect &box);
  void cannotMakeQuestion(const QString &why);
  QColor categoryColour(int category) const;

  StatusPanel *status_;      // sPicture1
  QFrame *picture2_;         // test panel
  PracticePanel *practice_;  // Picture3
  QTimer *sTimer1_;
  QTimer *sTimer2_;
  std::array<QTimer *, 2> timer2_{};  // practice pacing
  qint64 startTick_ = 0;              // monotonic ms when the clock started, moved on by held time
  qint64 heldAtTick_ = 0;             // monotonic ms when a box held the clock
  bool clockHeld_ = false;
  std::vector<QTimer *> heldTimers_;  // the timers that ran when the box opened
  QFrame *picture1_;   // the board
  CandidateList *list1_;
  std::array<QLabel *, kMaxItems + 1> label1_{};   // year labels, 0 = anchor
  std::array<DropBox *, kMaxItems + 1> label2_{};  // drop boxes, 0 = anchor
  std::array<QFrame *, kMaxItems + 1> line2_{};    // connectors
  std::array<QLabel *, kMaxItems + 1> shape1_{};   // dots on the time axis
  std::array<QFrame *, kMaxCenturyLines + 1> line1_{};  // 0 = the year-0 line
  std::array<QLabel *, kMaxCenturyLines + 1> label3_{};
  std::array<QFrame *, kMaxDecadeLines + 1> line3_{};
  std::array<QLabel *, kMaxDecadeLines + 1> label4_{};
  std::array<QLabel *, 4> colourHolders_{};  // Label5..Label8
  QLabel *label9_;          // the right event, shown under a wrong box
  QPushButton *command12_;  // "O.K."

  HistoryTable rows_;
  Question question_;
  AnswerBoard board_;
  QColor savedColour_;
  bool leavingPractice_ = false;  // the practice is ending: the card panel takes nothing
  bool judging_ = false;  // a drop is being handled (it lets window messages run)
};

}  // namespace minatori
