#include "progress/ui/seisekitime1.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "app/levelcatalogue.h"
#include "app/programstate.h"
#include "app/ui/application.h"
#include "drill/ui/mainfrm.h"
#include "platform/clock.h"
#include "platform/displayscale.h"
#include "platform/events.h"
#include "platform/fonts.h"
#include "platform/messageboxes.h"
#include "platform/printing.h"
#include "platform/twips.h"
#include "progress/levelcolumns.h"
#include "progress/personaltimes.h"
#include "progress/sheets.h"
#include "results/resultslog.h"
#include "results/tallies.h"
#include "roster/roster.h"
#include "roster/ui/namesel.h"
#include "teacher/ui/frmdata.h"
#include "teacher/ui/frmtimedata.h"

namespace minatori {

namespace {

constexpr int kColumnsTop = 160;  // design pixels
constexpr double kColumnsLeftTwips = 120;
constexpr int kTodayRecords = 1000;
constexpr int kPeriodRecords = 20000;

QFont sized(const QFont &base, double pointSize, bool bold = false) {
  QFont f = base;
  f.setPointSizeF(designPoints(pointSize));
  f.setBold(bold);
  return f;
}

void paint(QWidget *w, const QColor &colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

template <class W>
W *named(W *w, const QString &name) {
  w->setObjectName(name);
  return w;
}

}  // namespace

seisekitime1::seisekitime1(Application &app) : Window(app) {
  setWindowTitle(QStringLiteral("vantora"));
  setFixedSize(dpx(kDesignWidth), dpx(kDesignHeight));
  const QFont base(gothicFamily());

  title_ = named(new QLabel(this), QStringLiteral("Label11"));
  title_->setGeometry(designRect(8, 4, 300, 44));
  student_ = named(new QLabel(this), QStringLiteral("Label12"));
  student_->setGeometry(designRect(316, 6, 370, 30));
  student_->setFont(sized(base, 16, true));
  school_ = named(new QLabel(this), QStringLiteral("Label13"));
  school_->setGeometry(designRect(316, 40, 370, 22));
  sinceStart_ = named(new QLabel(this), QStringLiteral("Label17"));
  sinceStart_->setGeometry(designRect(692, 8, 190, 22));
  todayTotal_ = named(new QLabel(this), QStringLiteral("Label18"));
  todayTotal_->setGeometry(designRect(692, 34, 190, 22));
  back_ = named(new QPushButton(QStringLiteral("戻る(0)"), this), QStringLiteral("Command1"));
  back_->setGeometry(designRect(896, 6, 120, 40));
  connect(back_, &QPushButton::clicked, this, &seisekitime1::command1Click);
  dataButton_ = named(new QPushButton(QStringLiteral("データ処理"), this), QStringLiteral("Command8"));
  dataButton_->setGeometry(designRect(896, 50, 120, 28));
  dataButton_->hide();
  printButton_ = named(new QPushButton(QStringLiteral("印刷"), this), QStringLiteral("Command27"));
  printButton_->setGeometry(designRect(772, 50, 116, 28));
  printButton_->hide();
  display1_ = named(new QPushButton(QStringLiteral("表示１"), this), QStringLiteral("Command26"));
  display1_->setGeometry(designRect(692, 58, 80, 24));

  const QStringList kinds = {QStringLiteral("ﾀｲﾑ表示"), QStringLiteral("ﾎﾟｲﾝﾄ表示"), QStringLiteral("個人ﾀｲﾑ")};
  for (int k = 0; k < 3; ++k) {
    auto *o = named(new QRadioButton(kinds[k], this), QStringLiteral("Option2_%1").arg(k));
    o->setGeometry(designRect(8 + k * 110, 88, 106, 24));
    connect(o, &QRadioButton::clicked, this, [this, k] { selectResultsKind(k); });
    kindOptions_[static_cast<size_t>(k)] = o;
  }
  optionPanel_ = named(new QGroupBox(this), QStringLiteral("Frame1"));
  optionPanel_->setGeometry(designRect(340, 80, 280, 40));
  const QStringList choices = {QString(), QStringLiteral("累計順"), QStringLiteral("本日順"), QStringLiteral("期間別")};
  for (int c = 1; c <= 3; ++c) {
    auto *o = named(new QRadioButton(choices[c], optionPanel_), QStringLiteral("Option1_%1").arg(c));
    o->setGeometry(designRect(8 + (c - 1) * 90, 8, 88, 24));
    connect(o, &QRadioButton::clicked, this, [this, c] { selectResultsChoice(c); });
    choiceOptions_[static_cast<size_t>(c)] = o;
  }
  groups_ = named(new QComboBox(this), QStringLiteral("Combo1"));
  groups_->setGeometry(designRect(632, 86, 150, 28));
  connect(groups_, &QComboBox::activated, this, [this] {
    selectResultsKind(kindOptions_[0]->isChecked() ? 0 : 1);
    if (columns_.size() > 1) columns_[1].start->setFocus();
  });
  periods_ = named(new QComboBox(this), QStringLiteral("Combo2"));
  periods_->setGeometry(designRect(632, 120, 220, 28));
  connect(periods_, &QComboBox::activated, this, &seisekitime1::selectPeriod);
  header_ = named(new QLabel(QStringLiteral("ベスト成績"), this), QStringLiteral("Label16"));
  header_->setGeometry(designRect(792, 86, 226, 28));
  header_->setFont(sized(base, 12, true));

  progress_ = named(new QProgressBar(this), QStringLiteral("ProgressBar1"));
  progress_->setGeometry(designRect(8, 150, 1008, 8));
  progress_->setTextVisible(false);
  scroll_ = named(new QScrollBar(Qt::Horizontal, this), QStringLiteral("HScroll1"));
  scroll_->setGeometry(designRect(8, 740, 1008, 20));
  // A click in the trough moves one column, as the arrows do.
  scroll_->setPageStep(1);
  connect(scroll_, &QScrollBar::valueChanged, this, &seisekitime1::hScroll1Change);

  // The column templates: element 0 of every array, kept out of sight.
  columns_.push_back(makeColumn(0));
  makeSheetPanel();

  makePasswordPanel();
  waitPanel_ = named(new QFrame(this), QStringLiteral("Picture2"));
  waitPanel_->setGeometry(rect());
  auto *waitText = named(new QLabel(QStringLiteral("Just a moment, please."), waitPanel_), QStringLiteral("Label19"));
  waitText->setGeometry(designRect(0, 300, 1024, 60));
  waitText->setAlignment(Qt::AlignCenter);
  waitText->setFont(sized(base, 24));

  // Keys are seen before the control that has the focus.
  qApp->installEventFilter(this);
  centreOnScreen();
}

seisekitime1::~seisekitime1() { qApp->removeEventFilter(this); }

void seisekitime1::Column::hideStatistics() const {
  for (QWidget *w : std::initializer_list<QWidget *>{list, goal, recent, todayCaption, allCaption, today, allTime})
    w->hide();
}

seisekitime1::Column seisekitime1::makeColumn(int i) {
  const QFont base(gothicFamily());
  auto label = [&](const char *name, const QColor &colour, double pointSize = 10) {
    auto *l = named(new QLabel(this), QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
    l->setFont(sized(base, pointSize));
    l->setAlignment(Qt::AlignCenter);
    paint(l, colour);
    return l;
  };
  const QColor grey(224, 224, 224);
  Column c{};
  c.number = label("Label1", QColor(0, 192, 0), 14);
  c.name = label("Label3", QColor(0, 255, 0), 14);
  c.name->setCursor(Qt::PointingHandCursor);
  c.goal = label("Label7", QColor(128, 255, 128));
  c.recent = label("Label8", QColor(255, 255, 128));
  c.todayCaption = label("Label9", grey);
  c.allCaption = label("Label10", grey);
  c.today = label("Label14", grey);
  c.allTime = label("Label15", grey);
  c.start = named(new QPushButton(this), QStringLiteral("Command4_%1").arg(i));
  c.start->setFont(sized(base, 12, true));
  c.barred = label("Text1", QColor(255, 255, 255), 12);
  c.barred->setStyleSheet(QStringLiteral("color: red;"));
  c.barred->hide();
  c.list = named(new QListWidget(this), QStringLiteral("List5_%1").arg(i));
  c.list->setFont(sized(base, 10));
  c.list->setUniformItemSizes(true);
  if (i == 0) {
    for (QWidget *w : {static_cast<QWidget *>(c.number), static_cast<QWidget *>(c.name), static_cast<QWidget *>(c.goal),
                       static_cast<QWidget *>(c.recent), static_cast<QWidget *>(c.todayCaption),
                       static_cast<QWidget *>(c.allCaption), static_cast<QWidget *>(c.today),
                       static_cast<QWidget *>(c.allTime), static_cast<QWidget *>(c.start),
                       static_cast<QWidget *>(c.list)})
      w->hide();
    c.list->move(twips(kColumnsLeftTwips), dpx(kColumnsTop + 160));
  } else {
    connect(c.start, &QPushButton::clicked, this, [this, i] { command4Click(i); });
    c.name->installEventFilter(this);
  }
  return c;
}

void seisekitime1::makeSheetPanel() {
  graphButton_ = named(new QPushButton(QStringLiteral("グラフ"), this), QStringLiteral("Command17"));
  graphButton_->setGeometry(designRect(340, 122, 90, 26));
  graphButton_->hide();
  connect(graphButton_, &QPushButton::clicked, this, &seisekitime1::openSheets);

  sheetPanel_ = named(new QFrame(this), QStringLiteral("Picture11"));
  sheetPanel_->setFrameShape(QFrame::Box);
  sheetPanel_->setGeometry(twips(120), twips(1740), twips(14400), twips(9300));
  paint(sheetPanel_, QColor(240, 240, 240));
  sheetPanel_->hide();
  canvas_ = named(new QLabel(sheetPanel_), QStringLiteral("Picture12"));
  canvas_->setGeometry(twips(405), twips(315), twips(8355), twips(8715));
  paint(canvas_, Qt::white);
  students_ = named(new QListWidget(sheetPanel_), QStringLiteral("List2"));
  students_->setGeometry(twips(8970), twips(240), twips(2955), twips(8250));
  students_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  students_->setSortingEnabled(true);
  connect(students_, &QListWidget::itemClicked, this, [this] { showSelectedSheets(0); });
  otherStudents_ = named(new QPushButton(QStringLiteral("他の人のデータを見る"), sheetPanel_), QStringLiteral("Command25"));
  otherStudents_->setGeometry(twips(8940), twips(180), twips(2985), twips(675));
  connect(otherStudents_, &QPushButton::clicked, this, &seisekitime1::showStudentList);
  auto *levelHeading = named(new QLabel(QStringLiteral("ﾚﾍﾞﾙ"), sheetPanel_), QStringLiteral("Label27"));
  levelHeading->setGeometry(twips(12690), twips(330), twips(1605), twips(330));
  sheetLevels_ = named(new QListWidget(sheetPanel_), QStringLiteral("List3"));
  sheetLevels_->setGeometry(twips(12690), twips(690), twips(1605), twips(1815));
  sheetLevels_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  connect(sheetLevels_, &QListWidget::itemClicked, this, [this] {
    if (sheetPanel_->isVisible()) showSelectedSheets(0);
  });
  const QStringList captions = {QStringLiteral("表示"), QStringLiteral("印刷")};
  const int lefts[] = {12735, 12720}, tops[] = {2520, 3540};
  for (int i = 0; i < 2; ++i) {
    auto *b = named(new QPushButton(captions[i], sheetPanel_), QStringLiteral("Command24_%1").arg(i));
    b->setGeometry(twips(lefts[i]), twips(tops[i]), twips(1605), twips(825));
    connect(b, &QPushButton::clicked, this, [this, i] { showSelectedSheets(i); });
    sheetButtons_[static_cast<size_t>(i)] = b;
  }
  progress2_ = named(new QProgressBar(sheetPanel_), QStringLiteral("ProgressBar2"));
  progress2_->setGeometry(twips(405), twips(9060), twips(8355), twips(150));
  progress2_->setTextVisible(false);
  auto *close = named(new QPushButton(QStringLiteral("戻る"), sheetPanel_), QStringLiteral("Command18"));
  close->setGeometry(twips(12735), twips(7800), twips(1605), twips(825));
  connect(close, &QPushButton::clicked, sheetPanel_, &QWidget::hide);
}

void seisekitime1::makePasswordPanel() {
  passwordPanel_ = named(new QFrame(this), QStringLiteral("Picture7"));
  passwordPanel_->setFrameShape(QFrame::Box);
  passwordPanel_->setGeometry(designRect(612, 84, 404, 150));
  paint(passwordPanel_, QColor(255, 224, 192));
  passwordPanel_->hide();
  auto *caption = named(new QLabel(QStringLiteral("データ変更パスワード"), passwordPanel_), QStringLiteral("Label20"));
  caption->setGeometry(designRect(12, 10, 200, 24));
  password_ = named(new QLineEdit(passwordPanel_), QStringLiteral("Text2"));
  password_->setGeometry(designRect(12, 38, 200, 28));
  password_->setEchoMode(QLineEdit::Password);
  password_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*" for each character
  const QStringList captions = {QStringLiteral("データ変更"), QStringLiteral("合格タイムデータ変更")};
  for (int i = 0; i < 2; ++i) {
    auto *b = named(new QPushButton(captions[i], passwordPanel_), QStringLiteral("Command10_%1").arg(i));
    b->setGeometry(designRect(12 + i * 190, 78, 180, 30));
    connect(b, &QPushButton::clicked, this, [this, i] { openTeacherTool(i); });
  }
  auto *back = named(new QPushButton(QStringLiteral("戻る"), passwordPanel_), QStringLiteral("Command11"));
  back->setGeometry(designRect(296, 114, 96, 28));
  connect(back, &QPushButton::clicked, passwordPanel_, &QWidget::hide);
  connect(dataButton_, &QPushButton::clicked, this, &seisekitime1::command8Click);
}

void seisekitime1::command8Click() {
  passwordPanel_->show();
  passwordPanel_->raise();
  password_->setFocus();
}

void seisekitime1::openTeacherTool(int index) {
  if (password_->text() != state().teacherPassword) {
    app().messages().show(QStringLiteral("パスワードを入力して下さい"), state().programTitle, MessageButtons::Ok);
    return;
  }
  ready_ = false;
  if (index == 1)
    app().windows().show<FrmTimeData>();
  else
    app().windows().show<FrmData>();
  close();
}

void seisekitime1::load() {
  ProgramState &s = state();
  paint(this, s.seasonColor);
  paint(waitPanel_, s.seasonColor);
  s.periodChoice = 3;
  showWait(true);

  columnWidth_ = columnWidthTwips(s.levelCount);
  scroll_->setVisible(s.levelCount >= 5);
  {
    // Setting the range moves the value; the first visible level is the
    // student's own choice, kept for the whole run, not the bar's.
    const QSignalBlocker block(scroll_);
    scroll_->setRange(1, std::max(1, columnScrollMaximum(s.levelCount)));
  }
  for (int i = 1; i <= s.levelCount; ++i) {
    Column c = makeColumn(i);
    c.number->setText(QString::number(i));
    c.name->setText(s.levelNames[static_cast<size_t>(i)]);
    c.start->setText(QStringLiteral("ｽﾀｰﾄ(&%1)").arg(i));
    if (s.levelDefined[static_cast<size_t>(i)] == 1) {
      c.recent->setText(recentText(s, i, s.studentNumber));
      c.goal->setText(goalText(s, i));
    }
    columns_.push_back(c);
  }
  groups_->addItems(gradeGroups());
  groups_->setCurrentIndex(std::max(0, static_cast<int>(gradeGroups().indexOf(s.selectedGroup))));
  periods_->addItems({QStringLiteral("　　　今週の全成績"), QStringLiteral("　　先週からの全成績"),
                      QStringLiteral("　　１ヶ月間の全成績"), QStringLiteral("　　１年間の全成績"),
                      QStringLiteral("　　今までの全成績")});
  periods_->setCurrentIndex(2);
  periods_->hide();
  showWait(false);
  layOutColumns();
}

void seisekitime1::activate() {
  ProgramState &s = state();
  const int L = s.levelCount, st = s.studentNumber;
  const bool teacher = s.studentName.contains(u'★') || s.studentName.contains(QStringLiteral("先生"));
  dataButton_->setVisible(teacher);
  sheetButtons_[1]->setVisible(teacher);
  printButton_->setVisible(teacher && s.printButtonSwitch == 1);
  const int seconds = static_cast<int>(std::floor(app().clock().timeOfDay() - s.studentStartTime));
  sinceStart_->setText(QStringLiteral("起動後%1分").arg(seconds / 60));

  ready_ = false;
  waitPanel_->setGeometry(0, 0, width(), height());
  showWait(true);
  letPendingMessagesRun();
  choiceOptions_[1]->setText(QStringLiteral("累計順"));
  choiceOptions_[2]->setText(QStringLiteral("本日順"));
  app().windows().close<namesel>();
  computeTallies(s, app().services());
  todayTotal_->setText(QStringLiteral("本日総回数＝%1回").arg(todayTotal(s, st)));
  progress_->setMaximum(std::max<int>(1, L));
  progress_->show();

  resultsKind_ = ResultsKind::Points;
  s.resultsView = 1;
  activating_ = true;
  choiceOptions_[1]->setChecked(true);
  selectResultsChoice(1);
  selectResultsKind(1);
  kindOptions_[1]->setChecked(true);
  back_->setEnabled(true);
  activating_ = false;

  for (int i = 1; i <= L; ++i) {
    if (isPractice(i)) {
      LevelCriteria &c = s.criteria[static_cast<size_t>(i)];
      c.targetTime = 600;
      c.lowestTime = 600;
    } else {
      columns_[static_cast<size_t>(i)].list->show();
    }
  }
  student_->setText(s.studentGradeLabel + u' ' + trimBlanks(s.studentName));
  school_->setText(s.schoolName + u':' + QString::number(st));
  title_->setText(s.programTitle);
  title_->setFont(sized(QFont(gothicFamily()), s.programTitle.size() > 9 ? 20 : 24, true));

  if (s.firstVisibleLevel == 0 || s.firstVisibleLevel > scroll_->maximum()) s.firstVisibleLevel = 1;
  {
    const QSignalBlocker block(scroll_);
    scroll_->setValue(s.firstVisibleLevel);
  }
  layOutColumns();

  letPendingMessagesRun();
  const QColor grey(224, 224, 224);
  for (int i = 1; i <= L; ++i) {
    Column &c = columns_[static_cast<size_t>(i)];
    paint(c.goal, grey);
    paint(c.recent, grey);
    if (isPractice(i)) {
      c.hideStatistics();
    }
    c.allTime->setText(allTimeText(s, i, st));
    c.today->setText(todayText(s, i, st));
  }
  setStartButtonsEnabled(false);
  refreshLevelButtons();
  showWait(false);
  progress_->hide();
  letPendingMessagesRun();
  display1_->hide();
  ready_ = true;
}

void seisekitime1::showWait(bool shown) {
  waitPanel_->setVisible(shown);
  if (shown) waitPanel_->raise();
}

void seisekitime1::setStartButtonsEnabled(bool enabled) {
  for (size_t i = 1; i < columns_.size(); ++i) columns_[i].start->setEnabled(enabled);
}

void seisekitime1::setResultListsVisible(bool visible) {
  for (size_t i = 1; i < columns_.size(); ++i) columns_[i].list->setVisible(visible && !isPractice(static_cast<int>(i)));
}

bool seisekitime1::isPractice(int level) const {
  return isPracticeLevelByName(columns_[static_cast<size_t>(level)].name->text());
}

void seisekitime1::layOutColumns() {
  const int first = state().firstVisibleLevel > 0 ? state().firstVisibleLevel : 1;
  const double w = columnWidth_;
  // In twips from the template list's left edge; rows in design pixels.
  const double x0 = kColumnsLeftTwips;
  const auto row = [](int top, int height) { return designRect(0, kColumnsTop + top, 1, height); };
  const QRect name = row(0, 28), start = row(30, 34), goal = row(66, 22), recent = row(90, 22),
              caption = row(114, 20), figure = row(136, 22), list = row(160, 736 - (kColumnsTop + 160) - 4);
  for (size_t i = 1; i < columns_.size(); ++i) {
    Column &c = columns_[i];
    double x = x0 + (static_cast<double>(i) - first) * w;
    if (x < 0) x = kDesignWidth * kTwipsPerPixel;  // columns before the first visible one leave the window
    const int left = twips(x), full = twips(x + w) - left - dpx(2), half = full / 2, number = twips(x + 0.2 * w) - left;
    c.number->setGeometry(left, name.top(), number, name.height());
    c.name->setGeometry(left + number, name.top(), full - number, name.height());
    c.start->setGeometry(left, start.top(), full, start.height());
    c.barred->setGeometry(c.start->geometry());
    c.goal->setGeometry(left, goal.top(), full, goal.height());
    c.recent->setGeometry(left, recent.top(), full, recent.height());
    c.todayCaption->setGeometry(left, caption.top(), half, caption.height());
    c.allCaption->setGeometry(left + half, caption.top(), full - half, caption.height());
    c.today->setGeometry(left, figure.top(), half, figure.height());
    c.allTime->setGeometry(left + half, figure.top(), full - half, figure.height());
    c.list->setGeometry(left, list.top(), full, list.height());
    if (!c.barred->isHidden()) c.barred->raise();
  }
}

void seisekitime1::hScroll1Change() {
  ProgramState &s = state();
  s.firstVisibleLevel = static_cast<qint16>(scroll_->value() > s.levelCount ? 1 : scroll_->value());
  layOutColumns();
}

void seisekitime1::refreshLevelButtons() {
  ProgramState &s = state();
  const LevelButtons b = computeLevelButtons(s);
  s.finalLevelCleared = b.finalLevelCleared;
  for (int i = 1; i <= s.levelCount && static_cast<size_t>(i) < columns_.size(); ++i) {
    Column &c = columns_[static_cast<size_t>(i)];
    c.start->setEnabled(b.enabled[static_cast<size_t>(i)]);
    if (b.barred[static_cast<size_t>(i)]) {
      c.barred->setText(QStringLiteral("やりすぎ禁止"));
      c.barred->show();
      c.barred->raise();
    } else {
      c.barred->hide();
    }
  }
}

void seisekitime1::startLevel(int level, bool closeAfter) {
  if (level < 1 || static_cast<size_t>(level) >= columns_.size()) return;
  if (passwordPanel_->isVisible() || !columns_[static_cast<size_t>(level)].start->isEnabled()) return;
  ready_ = false;  // takes nothing more (see eventFilter)
  if (!closeAfter) showWait(true);
  state().currentLevel = static_cast<qint16>(level);
  if (!closeAfter) letPendingMessagesRun();
  // The drill window closes this screen as it starts.
  startDrill(app());
  if (isVisible()) close();
}

void seisekitime1::command4Click(int level) { startLevel(level, false); }

void seisekitime1::label3Click(int level) { startLevel(level, true); }

void seisekitime1::command1Click() {
  ready_ = false;  // takes nothing more (see eventFilter)
  showWait(true);
  letPendingMessagesRun();
  app().windows().show<namesel>();
}

bool seisekitime1::eventFilter(QObject *watched, QEvent *event) {
  // The screen's one guard. Until its activation ends, and from the moment
  // something leaves it (back, a level start, a teacher tool), it takes no
  // key or click at all: each way out lets pending messages run while the
  // next window opens, and a level key or a second click typed meanwhile
  // would open another window behind that one.
  if (!ready_ && isPersonInputHere(watched, *event)) return true;
  if (event->type() == QEvent::MouseButtonRelease) {
    for (size_t i = 1; i < columns_.size(); ++i)
      if (watched == columns_[i].name) {
        label3Click(static_cast<int>(i));
        return true;
      }
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto *w = qobject_cast<QWidget *>(watched);
  if (!w || (w != this && !isAncestorOf(w))) return false;
  // What is typed into a text box (the teacher's password) lands there, and
  // a panel over the columns keeps the keys to itself.
  if (qobject_cast<QLineEdit *>(w) || passwordPanel_->isVisible() || sheetPanel_->isVisible()) return false;
  const QString key = static_cast<QKeyEvent *>(event)->text();
  if (key.size() != 1) return false;
  const QChar k = key[0];
  int level = 0;
  if (k >= u'1' && k <= u'9') level = k.unicode() - u'0';
  if (k >= u'a' && k <= u'd') level = 10 + (k.unicode() - u'a');
  if (level > 0) {
    if (level <= state().levelCount) command4Click(level);
    return true;
  }
  if (k == u'0') {
    if (back_->isEnabled()) command1Click();
    return true;
  }
  return false;
}

// --- Results views ---

void seisekitime1::resultsPreamble() {
  graphButton_->hide();
  sheetPanel_->hide();
  back_->setEnabled(false);
  setStartButtonsEnabled(false);
  setResultListsVisible(false);
  showWait(true);
  letPendingMessagesRun();
}

void seisekitime1::selectResultsKind(int kind) {
  resultsPreamble();
  if (activating_) return;
  auto selectedChoice = [this] {
    for (int c = 1; c <= 3; ++c)
      if (choiceOptions_[static_cast<size_t>(c)]->isChecked()) return c;
    return 1;
  };
  if (kind == 0) {
    choiceOptions_[1]->setText(QStringLiteral("BEST表示"));
    choiceOptions_[2]->setText(QStringLiteral("本日のみ"));
    choiceOptions_[3]->setEnabled(true);
    resultsKind_ = ResultsKind::Times;
    selectResultsChoice(selectedChoice());
  } else if (kind == 1) {
    periods_->hide();
    choiceOptions_[1]->setText(QStringLiteral("合計累計"));
    choiceOptions_[2]->setText(QStringLiteral("合計本日"));
    choiceOptions_[3]->setText(QStringLiteral("すべて"));
    choiceOptions_[3]->setEnabled(true);
    resultsKind_ = ResultsKind::Points;
    letPendingMessagesRun();
    const int c = selectedChoice();
    if (c == 1) pointsRanking_ = PointsRanking::AllRecords;
    if (c == 2) pointsRanking_ = PointsRanking::Today;
    selectResultsChoice(c);
  } else {
    graphButton_->show();
    periods_->hide();
    showPersonalTimes();
  }
}

void seisekitime1::selectResultsChoice(int choice) {
  back_->setEnabled(false);
  setStartButtonsEnabled(false);
  setResultListsVisible(false);
  showWait(true);
  periods_->hide();
  optionPanel_->setEnabled(false);
  letPendingMessagesRun();
  if (resultsKind_ == ResultsKind::Times) {
    if (choice == 1) showBestResults();
    if (choice == 2) showTodayResults();
    if (choice == 3) showPeriodResults();
  } else {
    if (choice == 1 || choice == 2) {
      pointsRanking_ = choice == 1 ? PointsRanking::AllRecords : PointsRanking::Today;
      header_->setText(choice == 1 ? QStringLiteral("獲得ポイント（今まで順位）") : QStringLiteral("獲得ポイント（今日の順位）"));
      for (int level = 1; level <= state().levelCount; ++level) {
        showResults(level);
        progress_->setValue(level);
      }
    } else {
      showPeriodResults();
    }
    optionPanel_->setEnabled(true);
  }
  back_->setEnabled(true);
  refreshLevelButtons();
  setResultListsVisible(true);
  showWait(false);
}

void seisekitime1::selectPeriod(int entry) {
  if (!choiceOptions_[3]->isChecked()) return;
  state().periodChoice = entry + 1;
  selectResultsChoice(3);
}

void seisekitime1::回数など表示() {
  for (size_t i = 1; i < columns_.size(); ++i) {
    columns_[i].todayCaption->setText(QStringLiteral("今日"));
    columns_[i].allCaption->setText(QStringLiteral("今まで"));
    columns_[i].list->clear();
  }
}

void seisekitime1::showBestResults() {
  header_->setText(QStringLiteral("ベスト成績"));
  state().resultsView = 1;
  回数など表示();
  for (int level = 1; level <= state().levelCount; ++level) {
    Column &c = columns_[static_cast<size_t>(level)];
    if (isPractice(level)) {
      c.hideStatistics();
    } else {
      showResults(level);
    }
    c.list->setCurrentRow(-1);
    progress_->setValue(level);
  }
  optionPanel_->setEnabled(true);
}

void seisekitime1::showResults(int level) {
  Column &c = columns_[static_cast<size_t>(level)];
  c.todayCaption->setText(QStringLiteral("今日"));
  c.allCaption->setText(QStringLiteral("今まで"));
  c.list->clear();
  // In rank order as the ranking made them: ranked rows first, the students
  // without a result after them. Sorting the texts would put "--" between
  // ranks 9 and 10 (and a rank of 100, written "00", first).
  c.list->addItems(rankingRows(state(), level, resultsKind_, pointsRanking_, groups_->currentText()));
  selectAboveLastMark(c.list);
}

void seisekitime1::selectAboveLastMark(QListWidget *list) {
  for (int row = list->count() - 1; row >= 0; --row)
    if (list->item(row)->text().contains(u'●')) {
      list->setCurrentRow(row - 1);
      return;
    }
}

void seisekitime1::addSorted(QListWidget *list, QStringList rows) {
  // The lists show their rows in text order (UTF-16 code units, as a sorted
  // list widget compares them); rows start with a right-aligned number, so
  // this is rank, time or points order. Sorting once here is far cheaper
  // than letting the widget sort item by item.
  for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
  std::sort(rows.begin(), rows.end());
  list->clear();
  list->addItems(rows);
}

void seisekitime1::fillLists(const std::vector<QStringList> &rows) {
  for (size_t level = 1; level < columns_.size() && level < rows.size(); ++level)
    addSorted(columns_[level].list, rows[level]);
}

void seisekitime1::showTodayResults() {
  ProgramState &s = state();
  header_->setText(QStringLiteral("本日の成績"));
  s.resultsView = 2;
  回数など表示();
  int total = 0;
  const auto records = readLatestResultRecords(resultsLogPath(s), kTodayRecords, &total);
  progress_->setMaximum(static_cast<int>(1.1 * (total + 1)));
  fillLists(todayRows(s, records, app().clock().today(), groups_->currentText()));
  optionPanel_->setEnabled(true);
}

void seisekitime1::showPeriodResults() {
  ProgramState &s = state();
  s.resultsView = 3;
  回数など表示();
  int total = 0;
  const auto records = readLatestResultRecords(resultsLogPath(s), kPeriodRecords, &total);
  progress_->setMaximum(static_cast<int>(1.1 * (total + 1)));
  header_->setText(QString());
  fillLists(periodRows(s, records, app().clock().now(), s.periodChoice, resultsKind_, groups_->currentText()));
  optionPanel_->setEnabled(true);
  periods_->show();
}

void seisekitime1::showPersonalTimes() {
  ProgramState &s = state();
  students_->clear();
  students_->addItems(loadStudentList(s, app().clock().today()));
  sheetLevels_->clear();
  for (int level = 1; level <= s.levelCount; ++level) sheetLevels_->addItem(QString::number(level));
  sheetStudent_ = s.studentNumber;
  回数など表示();
  int total = 0;
  const auto records = readLatestResultRecords(resultsLogPath(s), kPeriodRecords, &total);
  // This view runs the sheet panel's bar, up to the last record read.
  progress2_->setMaximum(static_cast<int>(1.1 * (total + 1)));
  progress2_->setValue(0);
  header_->setText(QStringLiteral("個人別ﾀｲﾑ"));
  fillLists(personalTimeRows(s, records, app().clock().now(), groups_->currentText()));
  progress2_->setValue(total);
  showWait(false);
  refreshLevelButtons();
  setResultListsVisible(true);
  back_->setEnabled(true);
}

void seisekitime1::openSheets() {
  sheetStudent_ = state().studentNumber;
  sheetFontSize_ = 6;
  students_->hide();
  otherStudents_->show();
  students_->clearSelection();
  for (int row = 0; row < 3 && row < sheetLevels_->count(); ++row) sheetLevels_->item(row)->setSelected(true);
  showSelectedSheets(0);
}

void seisekitime1::showStudentList() {
  otherStudents_->hide();
  students_->show();
}

void seisekitime1::showSelectedSheets(int output) {
  std::vector<int> chosen;
  for (int row = 0; row < students_->count(); ++row)
    if (students_->item(row)->isSelected()) chosen.push_back(students_->item(row)->text().section(u'/', -1).toInt());
  if (chosen.empty()) chosen.push_back(sheetStudent_);
  QStringList printed;
  for (int student : chosen) {
    sheetStudent_ = student;
    const QString where = drawSheetsFor(output);
    if (!where.isEmpty()) printed << where;
  }
  if (!printed.isEmpty())
    app().messages().show(QStringLiteral("成績表を印刷しました。\r\n") + printed.join(QStringLiteral("\r\n")),
                          state().programTitle, MessageButtons::Ok, MessageIcon::Information);
}

QString seisekitime1::drawSheetsFor(int output) {
  ProgramState &s = state();
  SheetRequest request;
  request.student = sheetStudent_;
  for (int row = 0; row < sheetLevels_->count(); ++row)
    if (sheetLevels_->item(row)->isSelected()) request.levels.push_back(row + 1);
  request.group = groups_->currentText();
  request.pointsRanking = pointsRanking_;
  request.now = app().clock().now();
  sheetPanel_->move(twips(120), twips(1740));
  const SheetProgress progress = [this](int value, int maximum) {
    progress2_->setMaximum(std::max(1, maximum));
    progress2_->setValue(std::min(value, std::max(1, maximum)));
  };
  SheetsOutcome outcome;
  QString where;
  if (output == 0) {
    QPixmap canvas = screenPixmap(sheetCanvasPixels());
    canvas.fill(Qt::white);
    {
      QPainter painter(&canvas);
      outcome = drawSheets(painter, canvasTarget(sheetCanvasPixels(), sheetFontSize_), s, request, progress);
    }
    canvas_->setPixmap(canvas);
  } else {
    const QString name = trimBlanks(s.roster.nameByNumber[static_cast<size_t>(std::clamp(sheetStudent_, 0, kRosterSlots - 1))]);
    const PrintOutcome printed = printWithoutDialog(
        s.dataFolder, name.isEmpty() ? QString::number(sheetStudent_) : name, request.now,
        [&](QPainter &painter, QPagedPaintDevice &device) {
          outcome = drawSheets(painter, printerTarget(device), s, request, progress);
        });
    if (!printed.ok)
      app().messages().show(QStringLiteral("印刷できませんでした。\r\n") + printed.error, s.programTitle,
                            MessageButtons::Ok, MessageIcon::Warning);
    else
      where = printed.where;
  }
  if (outcome.refusedLevel != 0)
    app().messages().show(QStringLiteral("レベル%1の成績表は作れません（レベル30までです）。").arg(outcome.refusedLevel),
                          s.programTitle, MessageButtons::Ok, MessageIcon::Warning);
  sheetPanel_->show();
  sheetPanel_->raise();
  optionPanel_->setEnabled(true);
  return where;
}

}  // namespace minatori
