#include "drill/ui/mainfrm.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "app/levelcatalogue.h"
#include "app/ui/application.h"
#include "app/ui/basefrm.h"
#include "drill/ui/dragwidgets.h"
#include "drill/ui/practicepanel.h"
#include "drill/ui/statuspanel.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/messageboxes.h"
#include "platform/random.h"
#include "platform/twips.h"
#include "progress/ui/progressnav.h"
#include "results/resultslog.h"
#include "results/ui/frmsyuuryou.h"
#include "sound/soundtable.h"

namespace minatori {

namespace {

// Twips of the window designed at 1024 × 768.
constexpr int kWindowWidth = 15360;
constexpr int kWindowHeight = 11520;
constexpr int kStatusHeight = 1800;
constexpr int kBoardLeft = 150, kBoardTop = 375, kBoardWidth = 11085, kBoardHeight = 9060;
constexpr int kListLeft = 11280, kListTop = 375, kListWidth = 3975, kListHeight = 9060;
constexpr int kDotSize = 150;
constexpr int kLineCaptionWidth = 560;
constexpr int kCardPointSize = 72;  // the practice cards' type

const QColor kBoardGreen(192, 255, 192);
const QColor kWrongRed(255, 0, 0);
constexpr std::array<QColor, 4> kCategoryColours = {QColor(255, 255, 0), QColor(128, 128, 255),
                                                      QColor(192, 64, 0), QColor(0, 192, 0)};

QString indexed(const char *name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

void setGeometryTwips(QWidget *w, double left, double top, double width, double height) {
  w->setGeometry(twips(left), twips(top), std::max(1, twips(width)), std::max(1, twips(height)));
}

void setBackground(QWidget *w, const QColor &c) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, c);
  p.setColor(QPalette::Base, c);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QColor backgroundOf(const QWidget *w) { return w->palette().color(QPalette::Window); }

QFrame *makeFrame(QWidget *parent, const QString &name) {
  auto *f = new QFrame(parent);
  f->setObjectName(name);
  return f;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text = {}) {
  auto *l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

}  // namespace

void startDrill(Application &app) {
  ProgramState &s = app.state();
  s.allAnswered = 0;
  s.finishing = 0;
  s.questionsDone = 0;
  s.timedOut = 0;
  letPendingMessagesRun();
  app.windows().show<MainFrm>();
}

MainFrm::MainFrm(Application &app) : Window(app) {
  setWindowTitle(QStringLiteral("Vantora"));
  setFixedSize(twips(kWindowWidth), twips(kWindowHeight));
  status_ = new StatusPanel(this);
  buildTestPanel();
  practice_ = new PracticePanel(this);
  practice_->hide();
  connect(practice_->learnt, &QPushButton::clicked, this, &MainFrm::command10Click);
  connect(practice_->endPractice, &QPushButton::clicked, this, &MainFrm::command9Click);
  for (int i = 0; i < 6; ++i)
    connect(practice_->paceOptions[static_cast<size_t>(i)], &QRadioButton::clicked, this,
            [this, i] { option1Click(i); });

  auto timer = [this](const QString &name, int ms) {
    auto *t = new QTimer(this);
    t->setObjectName(name);
    t->setInterval(ms);
    return t;
  };
  sTimer1_ = timer(QStringLiteral("sTimer1"), 1000);
  sTimer2_ = timer(QStringLiteral("sTimer2"), 10000);
  timer2_[0] = timer(QStringLiteral("Timer2_0"), practicePace(kDefaultPaceOption).revealMs);
  timer2_[1] = timer(QStringLiteral("Timer2_1"), practicePace(kDefaultPaceOption).nextCardMs);
  connect(sTimer1_, &QTimer::timeout, this, &MainFrm::sTimer1Tick);
  connect(sTimer2_, &QTimer::timeout, this, &MainFrm::sTimer2Tick);
  connect(timer2_[0], &QTimer::timeout, this, &MainFrm::timer2Tick0);
  connect(timer2_[1], &QTimer::timeout, this, &MainFrm::timer2Tick1);
  connect(&app.messages(), &MessageBoxes::opened, this, &MainFrm::holdClock);
  connect(&app.messages(), &MessageBoxes::closed, this, &MainFrm::releaseClock);
}

void MainFrm::buildTestPanel() {
  picture2_ = makeFrame(this, QStringLiteral("Picture2"));

  auto *picture5 = makeFrame(picture2_, QStringLiteral("Picture5"));
  setGeometryTwips(picture5, kBoardLeft, 0, 6600, kBoardTop);
  auto *label10 = makeLabel(picture5, QStringLiteral("Label10"), QStringLiteral("正しい場所にドラッグドロップしなさい"));
  label10->setGeometry(picture5->rect().adjusted(dpx(6), 0, 0, 0));
  QFont bold = label10->font();
  bold.setBold(true);
  label10->setFont(bold);

  auto *picture6 = makeFrame(picture2_, QStringLiteral("Picture6"));
  setGeometryTwips(picture6, 6900, 0, 4335, kBoardTop);
  const QStringList legend = {QStringLiteral("国内"), QStringLiteral("文化"), QStringLiteral("外国")};
  for (int i = 0; i < 3; ++i) {
    auto *swatch = makeFrame(picture6, indexed("Picture7", i));
    setGeometryTwips(swatch, 120 + i * 1440, 75, 360, 225);
    setBackground(swatch, kCategoryColours[static_cast<size_t>(i)]);
    swatch->setFrameShape(QFrame::Box);
    auto *caption = makeLabel(picture6, indexed("Label11", i), legend[i]);
    setGeometryTwips(caption, 540 + i * 1440, 0, 900, kBoardTop);
  }

  picture1_ = makeFrame(picture2_, QStringLiteral("Picture1"));
  setGeometryTwips(picture1_, kBoardLeft, kBoardTop, kBoardWidth, kBoardHeight);
  setBackground(picture1_, kBoardGreen);
  picture1_->setFrameShape(QFrame::Box);

  // The time axis the items' dots sit on.
  auto *axis = makeFrame(picture1_, QStringLiteral("timeAxis"));
  setGeometryTwips(axis, BoardGeometry{}.yearLabelLeft - 15, 0, 30, kBoardHeight);
  setBackground(axis, QColor(120, 120, 120));

  // Lines first, so the items are drawn over them.
  for (int i = 0; i <= kMaxCenturyLines; ++i) {
    line1_[i] = makeFrame(picture1_, indexed("Line1", i));
    setBackground(line1_[i], QColor(0, 0, 255));  // the year-0 line is drawn as a century line
    label3_[i] = makeLabel(picture1_, indexed("Label3", i));
    label3_[i]->setStyleSheet(QStringLiteral("color: rgb(0, 0, 200);"));
    line1_[i]->hide();
    label3_[i]->hide();
  }
  for (int i = 1; i <= kMaxDecadeLines; ++i) {
    line3_[i] = makeFrame(picture1_, indexed("Line3", i));
    setBackground(line3_[i], QColor(0, 0, 0));
    label4_[i] = makeLabel(picture1_, indexed("Label4", i));
    line3_[i]->hide();
    label4_[i]->hide();
  }

  const BoardGeometry g;
  QFont itemFont = font();
  itemFont.setPointSizeF(designPoints(13));
  itemFont.setBold(true);
  for (int k = 0; k <= kMaxItems; ++k) {
    label1_[k] = makeLabel(picture1_, indexed("Label1", k), QStringLiteral("?"));
    setGeometryTwips(label1_[k], g.yearLabelLeft, g.yearLabelTop, g.yearLabelWidth, g.yearLabelHeight);
    label1_[k]->setAlignment(Qt::AlignCenter);
    label1_[k]->setFont(itemFont);
    label2_[k] = new DropBox(k, picture1_);
    label2_[k]->setObjectName(indexed("Label2", k));
    setGeometryTwips(label2_[k], g.boxAnchorLeft, g.yearLabelTop, g.boxAnchorWidth, g.boxHeight);
    label2_[k]->setAlignment(Qt::AlignCenter);
    label2_[k]->setFrameShape(QFrame::Box);
    label2_[k]->setText(QStringLiteral("?"));
    label2_[k]->setFont(itemFont);
    connect(label2_[k], &DropBox::dropped, this, &MainFrm::dropOnBox);
    if (k > 0) {
      line2_[k] = makeFrame(picture1_, indexed("Line2", k));
      setBackground(line2_[k], QColor(255, 0, 0));
      shape1_[k] = makeLabel(picture1_, indexed("Shape1", k));
      shape1_[k]->setFixedSize(twips(kDotSize), twips(kDotSize));
      shape1_[k]->setStyleSheet(QStringLiteral("background-color: rgb(255, 0, 0); border-radius: %1px;")
                                    .arg(twips(kDotSize) / 2));
      line2_[k]->hide();
      shape1_[k]->hide();
    }
    label1_[k]->hide();
    label2_[k]->hide();
  }

  for (int c = 0; c < 4; ++c) {
    colourHolders_[c] = makeLabel(picture2_, QStringLiteral("Label%1").arg(5 + c));
    setBackground(colourHolders_[c], kCategoryColours[static_cast<size_t>(c)]);
    colourHolders_[c]->hide();
  }

  label9_ = makeLabel(picture1_, QStringLiteral("Label9"));
  label9_->setFont(itemFont);  // the right event, as large as the boxes' texts
  setBackground(label9_, QColor(0, 255, 0));
  label9_->setFrameShape(QFrame::Box);
  label9_->setAlignment(Qt::AlignCenter);
  label9_->setWordWrap(true);
  label9_->hide();
  command12_ = new QPushButton(QStringLiteral("O.K."), picture1_);
  command12_->setObjectName(QStringLiteral("Command12"));
  command12_->hide();
  connect(command12_, &QPushButton::clicked, this, &MainFrm::command12Click);

  list1_ = new CandidateList(picture2_);
  list1_->installEventFilter(this);
  list1_->setObjectName(QStringLiteral("List1"));
  setGeometryTwips(list1_, kListLeft, kListTop, kListWidth, kListHeight);
  setBackground(list1_, kBoardGreen);
  QFont listFont = list1_->font();
  listFont.setPointSizeF(designPoints(13));
  list1_->setFont(listFont);
  list1_->setSpacing(dpx(2));
}

void MainFrm::load() {
  app().random().seed(app().clock().timeOfDay());
  setGeometryTwips(status_, 0, 0, kWindowWidth, kStatusHeight);
  setGeometryTwips(picture2_, 0, kStatusHeight, kWindowWidth, kWindowHeight - kStatusHeight);
  setGeometryTwips(practice_, 0, kStatusHeight, kWindowWidth, kWindowHeight - kStatusHeight);
  status_->overlay->move(0, 0);
  status_->overlay->raise();
  sTimer2_->start();
  centreOnScreen();
}

void MainFrm::activate() {
  初期設定();
  レベル別設定();
  スタート();
  const int level = state().currentLevel;
  if (isPracticeLevelByNumber(level)) {
    rows_ = loadHistoryRows(state());
    picture2_->hide();
    practice_->show();
    startPractice();
  } else {
    practice_->hide();
    picture2_->show();
    rows_ = loadHistoryRows(state());
    問題作成表示();
  }
}

void MainFrm::初期設定() {
  // First, so that an attempt that ends here already (no question can be
  // made, a practice with no card) finds the progress screen gone and opens
  // it anew.
  closeProgressScreen(app());
  app().windows().close<BASEFRM>();
  state().allAnswered = 0;
  state().finishing = 0;
  setUpStatusPanel();
}

int MainFrm::todayAttempts(int level) const {
  const int s = state().studentNumber;
  if (level < 1 || level >= kTallyLevels || s < 1 || s >= kTallyStudents) return 0;
  return static_cast<int>(state().tallies.todayAttemptCount(level, s));
}

int MainFrm::levelBestTime() const {
  const int level = state().currentLevel;
  return level >= 1 && level < kTallyLevels ? state().tallies.levelBest[static_cast<size_t>(level)] : kNoTime;
}

int MainFrm::personalBestTime() const {
  const int level = state().currentLevel, s = state().studentNumber;
  if (level < 1 || level >= kTallyLevels || s < 1 || s >= kTallyStudents) return kNoTime;
  return state().tallies.personalBest(level, s);
}

void MainFrm::setUpStatusPanel() {
  ProgramState &s = state();
  const int level = s.currentLevel;
  const LevelCriteria &c = s.criteria[static_cast<size_t>(level)];
  if (s.levelDefined[static_cast<size_t>(level)] == 1) {
    s.timeLimit = 5 * static_cast<qint64>(c.lowestTime);
    status_->elapsed->setText(QStringLiteral("0"));
    s.barScale = s.timeLimit > 0 ? static_cast<double>(status_->barWidth()) / s.timeLimit : 0;
    status_->setBar(status_->elapsedBar, 0);
    status_->setBar(status_->targetBar, c.targetTime * s.barScale);
    status_->setBar(status_->lowestBar, c.lowestTime * s.barScale);
  }
  status_->setTitle(s.programTitle);
  status_->studentName->setText(s.studentName.trimmed());
  status_->schoolName->setText(s.schoolName);
  status_->levelName->setText(s.levelNames[static_cast<size_t>(level)]);
  if (isPracticeLevelByName(s.levelNames[static_cast<size_t>(level)])) {
    status_->levelCountToday->setText(QStringLiteral("－"));
    status_->totalCountToday->setText(QStringLiteral("－"));
  } else {
    int total = 0;
    for (int l = 1; l <= 15; ++l) total += todayAttempts(l);
    status_->levelCountToday->setText(QString::number(todayAttempts(level) + 1));
    status_->totalCountToday->setText(QString::number(total + 1));
  }
  showMinutesSinceStart();
}

void MainFrm::showMinutesSinceStart() {
  const double since = app().clock().timeOfDay() - state().studentStartTime;
  status_->minutesSinceStart->setText(QString::number(static_cast<int>(std::floor(since / 60))));
}

void MainFrm::sTimer2Tick() { showMinutesSinceStart(); }

void MainFrm::スタート() {
  state().attemptStartTime = static_cast<float>(app().clock().timeOfDay());
  // Elapsed time is measured on the monotonic counter, so an attempt across
  // midnight is timed right.
  startTick_ = app().clock().tickMs();
  sTimer1_->start();
}

void MainFrm::stopClock() { sTimer1_->stop(); }

void MainFrm::holdClock() {
  clockHeld_ = true;
  heldAtTick_ = app().clock().tickMs();
  for (QTimer *t : timers())
    if (t->isActive()) {
      t->stop();
      heldTimers_.push_back(t);
    }
}

void MainFrm::releaseClock() {
  if (!clockHeld_) return;
  clockHeld_ = false;
  // The time the box stood open is not the student's.
  startTick_ += app().clock().tickMs() - heldAtTick_;
  const bool clockRan = std::find(heldTimers_.begin(), heldTimers_.end(), sTimer1_) != heldTimers_.end();
  for (QTimer *t : heldTimers_) t->start();
  heldTimers_.clear();
  // The time-out is judged now, but only once the handler that showed the
  // box has finished: it may have ended the attempt or the program.
  if (clockRan)
    QTimer::singleShot(0, this, [this] {
      if (sTimer1_->isActive() && isVisible() && !programEnding()) sTimer1Tick();
    });
}

Window::PersonClose MainFrm::closedByPerson() {
  for (QTimer *t : timers()) t->stop();
  return PersonClose::EndProgram;
}

void MainFrm::sTimer1Tick() {
  if (clockHeld_) return;  // nothing acts behind an open box, not even a tick already on its way
  ProgramState &s = state();
  const LevelCriteria &c = s.criteria[static_cast<size_t>(s.currentLevel)];
  s.elapsedSeconds = static_cast<qint32>(std::nearbyint((app().clock().tickMs() - startTick_) / 1000.0));
  const int t = s.elapsedSeconds;
  auto hideBlocks = [this](int first, int last) {
    for (int i = first; i <= last; ++i) status_->blocks[static_cast<size_t>(i)]->hide();
  };
  // The red blocks vanish one a second in the ten seconds up to the target
  // time, and again up to the lowest passing time.
  if (c.targetTime - 9 <= t && t <= c.targetTime) hideBlocks(30, 30 + (t - c.targetTime + 9));
  if (c.lowestTime - 9 <= t && t <= c.lowestTime) hideBlocks(39 - (c.lowestTime - t), 39 - (c.lowestTime - t));
  // "Best" and "YourBest" count down to the level's best and the student's own.
  for (const auto &[first, best] : {std::pair{10, levelBestTime()}, std::pair{20, personalBestTime()}})
    if (best < kNoTime && best - 9 <= t && t <= best) hideBlocks(first, first + (t - best + 9));
  if (s.levelDefined[static_cast<size_t>(s.currentLevel)] == 1) status_->elapsed->setText(QString::number(t));
  letPendingMessagesRun();
  if (t < s.timeLimit) {
    status_->setBar(status_->elapsedBar, t * s.barScale);
    return;
  }
  status_->setBar(status_->elapsedBar, status_->barWidth());
  if (s.finishing == 1 || s.allAnswered == 1) return;
  s.timedOut = 1;
  stopClock();
  finishAttempt();
}

void MainFrm::レベル別設定() {
  state().questionsPerAttempt = 3;
  showQuestionsRemaining();
}

void MainFrm::showQuestionsRemaining() {
  status_->questionsLeft->setText(QString::number(state().questionsPerAttempt - state().questionsDone));
}

QColor MainFrm::categoryColour(int category) const {
  if (category < 1 || category > 4) return {};
  return backgroundOf(colourHolders_[static_cast<size_t>(category - 1)]);
}

void MainFrm::問題作成表示() {
  if (state().timedOut == 1 || state().allAnswered == 1) return;
  const int k = itemsPerQuestion(state().currentLevel);
  QuestionResult made = makeQuestion(rows_, k, app().random());
  if (!made.question) {
    cannotMakeQuestion(made.whyNot);
    return;
  }
  question_ = std::move(*made.question);
  board_.reset(question_.itemCount);
  showQuestion();
}

void MainFrm::cannotMakeQuestion(const QString &why) {
  // The attempt ends here, whatever the box's answer: nothing left to time.
  stopClock();
  app().messages().show(QStringLiteral("問題を作れません") + QStringLiteral("\r\n") + why + QStringLiteral("\r\n") +
                            rows_.file,
                        state().programTitle, MessageButtons::Ok, MessageIcon::Warning);
  // Back to where the student chose the level, shown before this window
  // goes, so that a window of the program stays on the screen.
  showProgressScreen(app());
  close();
}

void MainFrm::placeLine(QFrame *line, QLabel *caption, const YearLine &at) {
  setGeometryTwips(line, 0, at.top, kBoardWidth, 15);
  caption->setText(QString::number(at.year));
  setGeometryTwips(caption, 30, at.top, kLineCaptionWidth, 300);
  line->show();
  caption->show();
}

void MainFrm::showQuestion() {
  const BoardGeometry g;
  for (int k = 1; k <= kMaxItems; ++k) {
    label1_[k]->hide();
    label2_[k]->hide();
    shape1_[k]->hide();
    line2_[k]->hide();
  }
  list1_->clear();
  for (int k = 1; k <= question_.itemCount; ++k) {
    const PlacedItem &item = question_.items[static_cast<size_t>(k - 1)];
    label1_[k]->setText(QStringLiteral("?"));
    label2_[k]->setText(QStringLiteral("?"));
    setGeometryTwips(label1_[k], g.yearLabelLeft, item.yearTop, g.yearLabelWidth, g.yearLabelHeight);
    setGeometryTwips(label2_[k], item.boxLeft, item.boxTop, g.boxAnchorWidth, g.boxHeight);
    const QColor colour = categoryColour(item.category);
    if (colour.isValid()) setBackground(label2_[k], colour);
    const double lineY = item.yearTop + g.yearLabelHeight / 2;
    setGeometryTwips(line2_[k], g.yearLabelLeft + g.yearLabelWidth, lineY,
                     item.boxLeft - (g.yearLabelLeft + g.yearLabelWidth), 30);
    shape1_[k]->move(twips(g.yearLabelLeft) - shape1_[k]->width() / 2,
                     twips(item.yearTop) - shape1_[k]->height() / 2);
    line2_[k]->show();
    shape1_[k]->show();
    label1_[k]->show();
    label2_[k]->show();
  }
  list1_->addItems(question_.candidateEntries(rows_));
  list1_->setCurrentRow(-1);

  for (int i = 0; i <= kMaxCenturyLines; ++i) {
    line1_[i]->hide();
    label3_[i]->hide();
  }
  if (question_.zeroLine) placeLine(line1_[0], label3_[0], *question_.zeroLine);
  for (size_t j = 0; j < question_.centuryLines.size(); ++j)
    placeLine(line1_[j + 1], label3_[j + 1], question_.centuryLines[j]);
  for (int i = 1; i <= kMaxDecadeLines; ++i) {
    line3_[i]->hide();
    label4_[i]->hide();
  }
  for (size_t j = 0; j < question_.decadeLines.size(); ++j)
    placeLine(line3_[j + 1], label4_[j + 1], question_.decadeLines[j]);
  // Items stand over the lines.
  for (int k = 1; k <= question_.itemCount; ++k) {
    line2_[k]->raise();
    shape1_[k]->raise();
    label1_[k]->raise();
    label2_[k]->raise();
  }
  list1_->setFocus();  // arrow keys pick an entry, "1".."5" place it
}

void MainFrm::dropOnBox(int box, const QString &entry) {
  if (judging_ || box < 1 || box > board_.itemCount()) return;
  judging_ = true;
  // The completion closes this window; where no event loop runs (a test),
  // the window can be gone by the time the handler returns.
  struct Release {
    QPointer<MainFrm> window;
    ~Release() {
      if (window) window->judging_ = false;
    }
  } release{this};

  const DropOutcome outcome = judgeDrop(board_, question_, rows_, box, entry);
  if (outcome == DropOutcome::Ignored) return;
  label2_[box]->setText(board_.boxCaptions[static_cast<size_t>(box - 1)]);
  const Services &services = app().services();

  if (outcome == DropOutcome::Wrong) {
    playDrillSound(state(), services, sound::Wrong1);
    list1_->setEnabled(false);
    savedColour_ = backgroundOf(label2_[box]);
    setBackground(label2_[box], kWrongRed);
    const PlacedItem &item = question_.items[static_cast<size_t>(box - 1)];
    label9_->setText(rows_.row(item.row).eventText);
    placeCorrection(label2_[box]->geometry());
    label9_->show();
    label9_->raise();
    command12_->show();
    command12_->raise();
    command12_->setFocus();
    return;
  }

  playDrillSound(state(), services, sound::Correct2);
  // Take the dropped entry out of the list: the one being dragged, or the
  // first entry of that text when the drop came from elsewhere.
  const int dragged = list1_->draggedIndex();
  if (dragged >= 0 && dragged < list1_->count() && list1_->item(dragged)->text() == entry) {
    delete list1_->takeItem(dragged);
  } else {
    const auto found = list1_->findItems(entry, Qt::MatchExactly);
    if (!found.isEmpty()) delete list1_->takeItem(list1_->row(found.front()));
  }
  // Qt makes the removed entry's neighbour current and selected, but nobody
  // chose it: a press or a digit now would answer with it.
  list1_->clearSelection();
  list1_->setCurrentRow(-1);
  label1_[box]->setText(board_.yearCaptions[static_cast<size_t>(box - 1)]);

  if (outcome == DropOutcome::Completed) {
    letPendingMessagesRun();
    playDrillSound(state(), services, sound::Correct1);
    ++state().questionsDone;
    showQuestionsRemaining();
    if (state().questionsDone < state().questionsPerAttempt) {
      問題作成表示();
    } else {
      stopClock();
      state().allAnswered = 1;
      finishAttempt();
    }
  }
}

void MainFrm::finishAttempt() {
  letPendingMessagesRun();
  ProgramState &s = state();
  if (s.finishing == 1) return;  // the other caller got here first
  s.finishing = 1;
  status_->overlay->show();
  status_->overlay->raise();
  status_->recording->setVisible(s.timedOut != 1);
  status_->timeUp->setVisible(s.timedOut == 1);
  letPendingMessagesRun();
  if (isPracticeLevelByName(s.levelNames[static_cast<size_t>(s.currentLevel)])) {
    endPractice();
    return;
  }
  stopClock();
  s.attemptResult = s.timedOut == 1 ? kNoTime : s.elapsedSeconds;
  recordAttempt(s, app().clock(), s.currentLevel);
  app().windows().show<BASEFRM>();
  letPendingMessagesRun();
  waitWithWindowsAlive(app().clock(), 1000);
  close();
  app().windows().show<FrmSyuuryou>();
}

void MainFrm::startPractice() {
  leavingPractice_ = false;
  practice_->setEnabled(true);
  practice_->paceOptions[kDefaultPaceOption]->setChecked(true);
  option1Click(kDefaultPaceOption);
  state().practiceCards.startPractice();
  nextCard();
}

void MainFrm::option1Click(int option) {
  const PracticePace pace = practicePace(option);
  timer2_[0]->setInterval(pace.revealMs);
  timer2_[1]->setInterval(pace.nextCardMs);
}

void MainFrm::nextCard() {
  QLabel *card = practice_->cardLabels[1];
  // A long event may have made the type smaller; "?" is shown full size.
  QFont f = card->font();
  f.setPointSizeF(designPoints(kCardPointSize));
  card->setFont(f);
  card->setText(QStringLiteral("?"));
  const std::optional<int> row = state().practiceCards.nextCard(rows_.rowCount());
  if (!row) {
    endPractice();
    return;
  }
  practice_->cardLabels[0]->setText(QString::number(rows_.row(*row).year));
  timer2_[0]->start();
}

void MainFrm::revealCard() {
  QLabel *card = practice_->cardLabels[1];
  const QString text = rows_.row(state().practiceCards.cardRow).eventText;
  // 72-point type, made smaller only when a long event would not fit the card.
  QFont f = card->font();
  f.setPointSizeF(designPoints(kCardPointSize));
  while (f.pointSizeF() > designPoints(20) && QFontMetrics(f).horizontalAdvance(text) > card->width() - dpx(24))
    f.setPointSizeF(f.pointSizeF() - designPoints(4));
  card->setFont(f);
  card->setText(text);
  timer2_[1]->start();
}

void MainFrm::timer2Tick0() {
  timer2_[0]->stop();
  revealCard();
}

void MainFrm::timer2Tick1() {
  timer2_[1]->stop();
  nextCard();
}

void MainFrm::command10Click() { state().practiceCards.markLearnt(state().practiceCards.cardRow); }

void MainFrm::command9Click() { endPractice(); }

void MainFrm::endPractice() {
  // "練習終了", the last card and the time-out all end the practice here; the
  // first of them wins. The hand-over lets pending messages run, so from here
  // on the card panel takes no click ("練習終了" twice would show the progress
  // screen twice).
  if (leavingPractice_) return;
  leavingPractice_ = true;
  practice_->setEnabled(false);
  for (QTimer *t : {sTimer1_, timer2_[0], timer2_[1]}) t->stop();
  app().windows().show<BASEFRM>();
  letPendingMessagesRun();
  close();
  showProgressScreen(app());
}

bool MainFrm::answerKey(const QKeyEvent &event) {
  if (board_.correcting && command12_->isVisible() &&
      (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)) {
    command12Click();
    return true;
  }
  const QString key = event.text();
  if (key.size() != 1 || key[0] < u'1' || key[0] > u'5' || practice_->isVisible()) return false;
  // Judged exactly as a mouse drop of the selected entry on that box; an
  // entry that is only current was chosen by nobody.
  const int box = key[0].unicode() - u'0';
  const QList<QListWidgetItem *> chosen = list1_->selectedItems();
  QListWidgetItem *item = chosen.isEmpty() ? nullptr : chosen.front();
  if (item && list1_->isEnabled() && box <= board_.itemCount()) dropOnBox(box, item->text());
  return true;
}

void MainFrm::keyPressEvent(QKeyEvent *event) {
  if (!answerKey(*event)) Window::keyPressEvent(event);
}

bool MainFrm::eventFilter(QObject *watched, QEvent *event) {
  // The candidate list has the focus while the student picks an entry, and
  // would take digits for its own type-ahead search.
  if (watched == list1_ && event->type() == QEvent::KeyPress) return answerKey(*static_cast<QKeyEvent *>(event));
  return Window::eventFilter(watched, event);
}

void MainFrm::placeCorrection(const QRect &box) {
  // The right event (wrapped to the box's width) and "O.K." go under the box,
  // or over it when a box near the bottom leaves no room: the student must
  // see both.
  const int textHeight = std::max(box.height(), label9_->heightForWidth(box.width()));
  command12_->adjustSize();
  const int needed = textHeight + command12_->height();
  const int board = picture1_->height();
  if (box.bottom() + 1 + needed <= board) {
    label9_->setGeometry(box.left(), box.bottom() + 1, box.width(), textHeight);
    command12_->move(box.left(), label9_->geometry().bottom() + 1);
  } else {
    const int top = std::max(0, box.top() - needed);
    command12_->move(box.left(), top);
    label9_->setGeometry(box.left(), top + command12_->height(), box.width(), textHeight);
  }
}

void MainFrm::command12Click() {
  if (!board_.correcting) return;
  label9_->hide();
  QStringList entries;
  for (int i = 0; i < list1_->count(); ++i) entries << list1_->item(i)->text();
  const int wrongBox = board_.wrongBox;
  entries = confirmCorrection(board_, question_, rows_, entries);
  list1_->clear();
  list1_->addItems(entries);
  list1_->setCurrentRow(-1);
  for (int k = 1; k <= board_.itemCount(); ++k) {
    label1_[k]->setText(QStringLiteral("?"));
    label2_[k]->setText(QStringLiteral("?"));
  }
  setBackground(label2_[wrongBox], savedColour_);
  command12_->hide();
  list1_->setEnabled(true);
  list1_->setFocus();  // the keyboard answers go on from the list
}

}  // namespace minatori
