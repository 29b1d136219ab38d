#include "roster/ui/namesel.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "app/levelcatalogue.h"
#include "app/programstate.h"
#include "app/ui/application.h"
#include "app/ui/frmver.h"
#include "app/ui/programicon.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/fonts.h"
#include "platform/messageboxes.h"
#include "platform/process.h"
#include "platform/random.h"
#include "platform/twips.h"
#include "progress/ui/progressnav.h"
#include "progress/ui/seisekitime1.h"
#include "results/tallies.h"
#include "roster/launch.h"
#include "sound/soundtable.h"

namespace minatori {

namespace {

const QString kChooseName = QStringLiteral("名前を選びなさい");
const QString kPlaceholderRow = QStringLiteral("－－－－－－");

QFont fontOf(const QString &family, double pointSize, bool bold = false) {
  QFont f(family);
  f.setPointSizeF(designPoints(pointSize));
  f.setBold(bold);
  return f;
}

}  // namespace

namesel::namesel(Application &app) : Window(app) {
  setWindowTitle(QStringLiteral("vantora"));
  setFixedSize(twips(15360), twips(11520));

  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("Label4"));
  title_->setGeometry(designRect(12, 4, 640, 76));
  title_->setCursor(Qt::PointingHandCursor);

  auto *icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("Image1"));
  icon->setPixmap(drawProgramIcon(64));
  icon->setGeometry(designRect(946, 10, 64, 64));

  devMarker_ = new QLabel(QStringLiteral("開発中"), this);
  devMarker_->setObjectName(QStringLiteral("Label5"));
  devMarker_->setGeometry(designRect(700, 20, 200, 40));
  devMarker_->setFont(fontOf(gothicFamily(), 20, true));
  devMarker_->setStyleSheet(QStringLiteral("color: red;"));

  selectedName_ = new QLabel(kChooseName, this);
  selectedName_->setObjectName(QStringLiteral("Label1"));
  selectedName_->setGeometry(designRect(12, 84, 700, 70));
  selectedName_->setFont(fontOf(minchoFamily(), 39.75));

  ok_ = new QPushButton(QStringLiteral("O.K."), this);
  ok_->setObjectName(QStringLiteral("Command1"));
  ok_->setGeometry(designRect(724, 88, 120, 60));
  ok_->setFont(fontOf(gothicFamily(), 20, true));
  connect(ok_, &QPushButton::clicked, this, &namesel::confirmStudent);

  toMenu_ = new QPushButton(QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"), this);
  toMenu_->setObjectName(QStringLiteral("Command2"));
  toMenu_->setGeometry(designRect(852, 88, 162, 60));
  fitCaption(toMenu_);
  connect(toMenu_, &QPushButton::clicked, this, &namesel::returnToMenu);

  const QStringList captions = {QStringLiteral("回数(今日／今まで）"), QStringLiteral("ポイント（今日／今まで）"),
                                QStringLiteral("本日（ポイント／回数）"), QStringLiteral("今まで（ポイント／回数）")};
  int x = dpx(12);
  for (int i = 0; i < 4; ++i) {
    auto *o = new QRadioButton(captions[i], this);
    o->setObjectName(QStringLiteral("Option1_%1").arg(i));
    o->adjustSize();
    o->move(x, dpx(158));
    x += o->width() + dpx(14);
    connect(o, &QRadioButton::clicked, this, [this, i] { optionClick(i); });
    options_[static_cast<size_t>(i)] = o;
  }
  options_[0]->setChecked(true);

  groups_ = new QComboBox(this);
  groups_->setObjectName(QStringLiteral("Combo1"));
  groups_->setGeometry(designRect(822, 155, 192, 28));
  groups_->setToolTip(QStringLiteral("表示する学年を選びなさい"));
  groups_->addItem(QStringLiteral("全学年"));
  connect(groups_, &QComboBox::activated, this, &namesel::groupChosen);

  names_ = new QListWidget(this);
  names_->setObjectName(QStringLiteral("List1"));
  names_->setGeometry(twips(90), twips(2790), twips(15090), twips(8295));
  // The gothic family is fixed-pitch (a full-width character is two half-widths), so
  // the full-width fills line the figures up in columns.
  names_->setFont(fontOf(gothicFamily(), 14.25));
  names_->setStyleSheet(QStringLiteral("QListWidget { background-color: rgb(192, 255, 255); }"));
  // Three columns: the rows run down the first, then the second and the third.
  names_->setFlow(QListView::TopToBottom);
  names_->setWrapping(true);
  names_->setResizeMode(QListView::Adjust);
  names_->setUniformItemSizes(true);
  names_->setGridSize(QSize((names_->width() - dpx(8)) / 3, QFontMetrics(names_->font()).height() + dpx(4)));
  names_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  connect(names_, &QListWidget::currentRowChanged, this, &namesel::rowClick);
  connect(names_, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { rowClick(names_->row(item)); });
  connect(names_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem *item) { rowDoubleClick(names_->row(item)); });

  waitPanel_ = new QFrame(this);
  waitPanel_->setObjectName(QStringLiteral("Picture1"));
  waitPanel_->setGeometry(rect());
  auto *waitText = new QLabel(QStringLiteral("Just a moment, please."), waitPanel_);
  waitText->setObjectName(QStringLiteral("Label19"));
  waitText->setGeometry(waitPanel_->rect());
  waitText->setAlignment(Qt::AlignCenter);
  waitText->setFont(fontOf(gothicFamily(), 24));

  // Keys "1" and "0" are seen before the control that has the focus.
  qApp->installEventFilter(this);
  centreOnScreen();
}

namesel::~namesel() { qApp->removeEventFilter(this); }

void namesel::load() {
  ProgramState &s = state();
  for (QWidget *w : {static_cast<QWidget *>(this), static_cast<QWidget *>(waitPanel_)}) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, s.seasonColor);
    w->setPalette(p);
    w->setAutoFillBackground(true);
  }
  waitPanel_->setGeometry(rect());
  waitPanel_->show();
  waitPanel_->raise();
  app().random().seed(app().clock().timeOfDay());
  show();
  名簿表示();
  title_->setFont(fontOf(gothicFamily(), 48, true));
  title_->setText(s.programTitle);
  names_->setCurrentRow(0);
  letPendingMessagesRun();
  waitPanel_->hide();
}

void namesel::activate() {
  ProgramState &s = state();
  devMarker_->setVisible(s.developmentMode == 1);
  if (!options_[1]->isChecked()) {
    options_[1]->setChecked(true);
    figureMode_ = 1;
    名簿表示();
  }
  figureMode_ = 1;
  groups_->clear();
  groups_->addItems(gradeGroups());
  groups_->setCurrentIndex(0);
  s.selectedGroup = QStringLiteral("全学年");
  app().windows().close<seisekitime1>();
  selectedName_->setText(kChooseName);
  selectedName_->show();
  waitPanel_->hide();
}

void namesel::名簿表示() {
  ProgramState &s = state();
  computeTallies(s, app().services());
  const std::vector<StudentLine> lines = readRosterForNameList(s, app().clock().today(), figureMode_);
  shownLines_.clear();
  names_->clear();
  names_->addItem(kPlaceholderRow);
  for (const StudentLine &line : lines) {
    if (!inGradeGroup(groups_->currentText(), gradeIndex(s.roster.schoolYear, line.birthYearCode))) continue;
    shownLines_.push_back(line);
    names_->addItem(line.text);
  }
  names_->setCurrentRow(0);
}

void namesel::rowClick(int row) {
  if (row < 0) return;
  if (row == 0 || static_cast<size_t>(row) > shownLines_.size()) {
    selectedName_->setText(kChooseName);
    return;
  }
  selectedName_->setText(trimBlanks(trimBlanks(names_->item(row)->text()).left(10)));
  selectedNumber_ = shownLines_[static_cast<size_t>(row - 1)].studentNumber;
}

void namesel::rowDoubleClick(int row) {
  if (row <= 0 || static_cast<size_t>(row) > shownLines_.size()) {
    rowClick(0);
    return;
  }
  selectedName_->setText(trimBlanks(names_->item(row)->text().section(u'/', 0, 0)));
  selectedNumber_ = shownLines_[static_cast<size_t>(row - 1)].studentNumber;
  confirmStudent();
}

void namesel::optionClick(int mode) {
  figureMode_ = mode;
  名簿表示();
}

void namesel::groupChosen(int index) {
  state().selectedGroup = groups_->itemText(index);
  名簿表示();
  names_->setFocus();
}

void namesel::confirmStudent() {
  ProgramState &s = state();
  if (selectedName_->text().isEmpty() || selectedName_->text() == kChooseName) {
    playDrillSound(s, app().services(), sound::Wrong2);
    return;
  }
  s.studentStartTime = static_cast<qint32>(std::lround(app().clock().timeOfDay()));
  s.studentNumber = static_cast<qint16>(selectedNumber_);
  const auto number = static_cast<size_t>(selectedNumber_);
  s.studentName = s.roster.nameByNumber[number];
  s.studentGradeLabel = s.roster.gradeLabelByNumber[number];
  // From here the screen takes nothing (see eventFilter): a held Enter, the
  // rest of a double-click or a "0" would otherwise confirm again or leave
  // for the menu while the progress screen opens.
  handingOver_ = true;
  ok_->hide();
  waitPanel_->show();
  waitPanel_->raise();
  letPendingMessagesRun();
  buildLevelCatalogue(s);
  showProgressScreen(app());
}

void namesel::returnToMenu() {
  handingOver_ = true;
  const ProgramState &s = state();
  const QString program = launcherPath(app().programFolder(), s.developmentMode);
  const QString why = startProgramDetached(program, launcherArguments(s.developmentMode));
  // Every result is already in the results log, so the program ends normally
  // even when the menu cannot be started; the box says what is missing.
  if (!why.isEmpty())
    app().messages().show(QStringLiteral("プログラムメニューを起動できません。\r\n%1\r\n%2").arg(program, why),
                          s.programTitle, MessageButtons::Ok, MessageIcon::Warning);
  app().endProgram(0);
}

void namesel::openVersionWindow() {
  frmver &v = app().windows().show<frmver>();
  // When the version window closes, this screen becomes active again.
  connect(&v, &Window::closed, this, &namesel::activate, Qt::UniqueConnection);
}

bool namesel::eventFilter(QObject *watched, QEvent *event) {
  if (handingOver_ && isPersonInputHere(watched, *event)) return true;
  if (watched == title_ && event->type() == QEvent::MouseButtonRelease) {
    openVersionWindow();
    return true;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto *w = qobject_cast<QWidget *>(watched);
  if (!w || (w != this && !isAncestorOf(w))) return false;
  const auto *key = static_cast<QKeyEvent *>(event);
  if (key->text() == QStringLiteral("1") && ok_->isVisible()) {
    confirmStudent();
    return true;
  }
  if (key->text() == QStringLiteral("0") && toMenu_->isVisible()) {
    returnToMenu();
    return true;
  }
  if (w == names_ && (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
    confirmStudent();
    return true;
  }
  return false;
}

}  // namespace minatori
