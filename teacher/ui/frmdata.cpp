#include "teacher/ui/frmdata.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "app/programstate.h"
#include "app/ui/application.h"
#include "platform/clock.h"
#include "platform/fonts.h"
#include "platform/messageboxes.h"
#include "platform/runtimeerror.h"
#include "platform/twips.h"
#include "progress/ui/progressnav.h"
#include "results/resultslog.h"
#include "roster/roster.h"
#include "teacher/csvexport.h"

namespace minatori {

namespace {

constexpr int kRecordNumberRole = Qt::UserRole;

QFont sized(double pointSize, bool bold = false) {
  QFont f(gothicFamily());
  f.setPointSizeF(designPoints(pointSize));
  f.setBold(bold);
  return f;
}

template <class W>
W *named(W *w, const QString &name) {
  w->setObjectName(name);
  return w;
}

}  // namespace

// The record list's lines, made when the view asks for them: a log of 100000
// records opens without building 100000 strings.
class RecordListModel final : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  // Takes every record of a log of `total` records; records of level 0 get no line.
  void reset(std::vector<Seisekikiroku> records, int total, LineContext context) {
    beginResetModel();
    records_.clear();
    numbers_.clear();
    for (size_t i = 0; i < records.size(); ++i) {
      if (records[i].level == 0) continue;
      numbers_.push_back(static_cast<int>(i) + 1);
      records_.push_back(records[i]);
    }
    width_ = recordNumberWidth(total);
    context_ = std::move(context);
    endResetModel();
  }

  int rowCount(const QModelIndex &parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(numbers_.size());
  }

  QVariant data(const QModelIndex &index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto row = static_cast<size_t>(index.row());
    if (role == Qt::DisplayRole) return recordLineText(numbers_[row], width_, records_[row], context_);
    if (role == kRecordNumberRole) return numbers_[row];
    return {};
  }

  // The row of the first line showing `number` or a later record; -1 when none.
  int rowAtOrAfter(int number) const {
    const auto it = std::lower_bound(numbers_.begin(), numbers_.end(), number);
    return it == numbers_.end() ? -1 : static_cast<int>(it - numbers_.begin());
  }

 private:
  std::vector<Seisekikiroku> records_;
  std::vector<int> numbers_;  // ascending: the lines are in file order
  int width_ = 4;
  LineContext context_;
};

FrmData::FrmData(Application &app) : Window(app) {
  setWindowTitle(QStringLiteral("データ変更"));
  setFixedSize(twips(15360), twips(11520));

  instruction_ = named(new QLabel(QStringLiteral("ダブルクリックすると変更、消去できます"), this),
                       QStringLiteral("Label1"));
  instruction_->setGeometry(designRect(16, 14, 640, 28));
  instruction_->setFont(sized(14));

  back_ = named(new QPushButton(QStringLiteral("戻る"), this), QStringLiteral("Command4"));
  back_->setGeometry(designRect(900, 8, 108, 40));
  back_->setFont(sized(14, true));
  connect(back_, &QPushButton::clicked, this, &FrmData::leave);

  auto *csv = named(new QPushButton(QStringLiteral("CSV出力"), this), QStringLiteral("Command7"));
  csv->setGeometry(designRect(780, 8, 108, 40));
  connect(csv, &QPushButton::clicked, this, &FrmData::exportCsv);

  model_ = new RecordListModel(this);
  list_ = named(new QListView(this), QStringLiteral("List1"));
  list_->setGeometry(designRect(16, 52, 700, 700));
  // The gothic family is fixed-pitch, a full-width character two half-widths wide,
  // so the fields of the lines stand in columns.
  list_->setFont(sized(12));
  list_->setUniformItemSizes(true);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setModel(model_);
  connect(list_, &QListView::clicked, this, &FrmData::listClick);
  connect(list_, &QListView::doubleClicked, this, &FrmData::listDoubleClick);

  panel_ = named(new QFrame(this), QStringLiteral("Frame1"));
  panel_->setGeometry(designRect(732, 52, 276, 404));
  panel_->setFrameShape(QFrame::Box);

  auto *numberCaption = named(new QLabel(QStringLiteral("記録番号"), panel_), QStringLiteral("Label7"));
  numberCaption->setGeometry(designRect(16, 16, 80, 24));
  numberCaption->setFont(sized(12));
  recordNumber_ = named(new QLabel(panel_), QStringLiteral("Label2"));
  recordNumber_->setGeometry(designRect(100, 12, 160, 30));
  recordNumber_->setFont(sized(16, true));
  level_ = named(new QLabel(panel_), QStringLiteral("Label3"));
  level_->setGeometry(designRect(16, 50, 100, 24));
  level_->setFont(sized(12));
  date_ = named(new QLabel(panel_), QStringLiteral("Label4"));
  date_->setGeometry(designRect(120, 50, 140, 24));
  date_->setFont(sized(12));

  students_ = named(new QComboBox(panel_), QStringLiteral("Combo1"));
  students_->setGeometry(designRect(16, 86, 244, 30));
  students_->setEditable(true);
  students_->setInsertPolicy(QComboBox::NoInsert);
  students_->setMaxVisibleItems(20);
  students_->setFont(sized(12));
  connect(students_, &QComboBox::activated, this, &FrmData::studentChosen);
  grade_ = named(new QLabel(panel_), QStringLiteral("Label5"));
  grade_->setGeometry(designRect(16, 122, 244, 24));
  grade_->setFont(sized(12));

  time_ = named(new QLineEdit(panel_), QStringLiteral("Text1"));
  time_->setGeometry(designRect(16, 162, 90, 30));
  time_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  time_->setFont(sized(14));
  connect(time_, &QLineEdit::textEdited, this, &FrmData::timeEdited);
  seconds_ = named(new QLabel(QStringLiteral("秒"), panel_), QStringLiteral("Label6"));
  seconds_->setGeometry(designRect(110, 166, 24, 24));
  seconds_->setFont(sized(12));
  timeScroll_ = named(new QScrollBar(Qt::Horizontal, panel_), QStringLiteral("HScroll1"));
  timeScroll_->setGeometry(designRect(138, 166, 122, 22));
  // Every time the log can hold, 99999 (timed out) included; the arrows
  // step one second, a click beside the thumb one minute.
  timeScroll_->setRange(0, kLongestResultTime);
  timeScroll_->setSingleStep(1);
  timeScroll_->setPageStep(60);
  connect(timeScroll_, &QScrollBar::valueChanged, this, &FrmData::scrollChange);

  change_ = named(new QPushButton(QStringLiteral("変更して記録"), panel_), QStringLiteral("Command2"));
  change_->setGeometry(designRect(16, 216, 244, 44));
  change_->setFont(sized(14, true));
  connect(change_, &QPushButton::clicked, this, &FrmData::changeAndRecord);
  delete_ = named(new QPushButton(QStringLiteral("消去"), panel_), QStringLiteral("Command3"));
  delete_->setGeometry(designRect(16, 276, 244, 44));
  delete_->setFont(sized(14, true));
  connect(delete_, &QPushButton::clicked, this, &FrmData::deleteRecord);
  cancel_ = named(new QPushButton(QStringLiteral("キャンセル"), panel_), QStringLiteral("Command6"));
  cancel_->setGeometry(designRect(16, 344, 244, 40));
  cancel_->setFont(sized(12));
  connect(cancel_, &QPushButton::clicked, this, &FrmData::cancelEdit);

  change_->setEnabled(false);
  delete_->setEnabled(false);
  panel_->hide();

  cover_ = named(new QFrame(this), QStringLiteral("Picture1"));
  cover_->setGeometry(0, 0, twips(15360), twips(11520));
  cover_->setAutoFillBackground(true);
  cover_->hide();

  centreOnScreen();
}

FrmData::~FrmData() = default;

void FrmData::load() {
  cover_->setGeometry(0, 0, twips(15360), twips(11520));
  cover_->hide();
  list_->show();
  buildList();
}

void FrmData::activate() { cover_->hide(); }

void FrmData::buildList() {
  ProgramState &s = state();
  chooser_ = readRosterForDataManager(s, app().clock().today());
  students_->clear();
  for (const ChooserStudent &c : chooser_) students_->addItem(c.text);
  int total = 0;
  std::vector<Seisekikiroku> records = readResultRecords(resultsLogPath(s), 1, &total);
  model_->reset(std::move(records), total, LineContext{&s.roster, s.schoolName, s.schoolCode});
}

void FrmData::listClick() { panel_->hide(); }

void FrmData::exportCsv() {
  ProgramState &s = state();
  try {
    const QString path = exportResultsCsv(s, app().clock().today());
    app().messages().show(QStringLiteral("成績の一覧を書き出しました。\r\n") + path, s.programTitle, MessageButtons::Ok,
                          MessageIcon::Information);
  } catch (const RuntimeError &e) {
    app().messages().show(QStringLiteral("成績の一覧を書き出せませんでした。\r\n") + runtimeErrorReportText(e),
                          s.programTitle, MessageButtons::Ok, MessageIcon::Warning);
  }
}

void FrmData::listDoubleClick(const QModelIndex &index) {
  if (!index.isValid()) return;
  const int number = index.data(kRecordNumberRole).toInt();
  const std::optional<Seisekikiroku> record = readResultRecord(resultsLogPath(state()), number);
  if (!record) {
    app().messages().show(QStringLiteral("この記録はもうありません。一覧を作り直します。"), state().programTitle,
                          MessageButtons::Ok, MessageIcon::Warning);
    buildList();
    selectRecordLine(number);
    return;
  }
  selectedRecord_ = number;
  asRead_ = *record;
  working_ = *record;
  recordNumber_->setText(QString::number(selectedRecord_));
  change_->setEnabled(true);
  delete_->setEnabled(true);

  const RosterTable &r = state().roster;
  const bool known = record->studentNumber >= 0 && record->studentNumber < kRosterSlots;
  const auto s = static_cast<size_t>(known ? record->studentNumber : 0);
  level_->setText(QStringLiteral("ﾚﾍﾞﾙ") + QString::number(record->level));
  date_->setText(shortDateText(dateFromSerial(wholeDaySerial(record->recordDate))));
  grade_->setText(known ? r.gradeLabelByNumber[s] : QString());
  {
    // The time box shows the record's own time even where the bar cannot.
    const QSignalBlocker quiet(timeScroll_);
    timeScroll_->setValue(record->resultTime);
  }
  time_->setText(QString::number(record->resultTime));
  const QString chooserText =
      QString::number(record->studentNumber) + QStringLiteral(" /  ") + (known ? r.nameByNumber[s] : QString());
  const int item = students_->findText(chooserText);
  if (item >= 0) students_->setCurrentIndex(item);
  students_->setEditText(chooserText);
  panel_->show();
}

void FrmData::studentChosen() { showGradeOf(students_->currentText()); }

void FrmData::showGradeOf(const QString &chooserText) {
  const std::optional<int> n = chooserStudentNumber(chooserText);
  grade_->setText(n && *n >= 0 && *n < kRosterSlots ? state().roster.gradeLabelByNumber[static_cast<size_t>(*n)]
                                                    : QString());
}

void FrmData::scrollChange(int value) { time_->setText(QString::number(value)); }

void FrmData::timeEdited() {
  if (const std::optional<qint32> t = timeBoxSeconds(time_->text())) {
    const QSignalBlocker quiet(timeScroll_);
    timeScroll_->setValue(*t);
  }
}

void FrmData::changeAndRecord() {
  if (!working_) return;
  const QString title = state().programTitle;
  const std::optional<qint32> time = timeBoxSeconds(time_->text());
  if (!time) {
    app().messages().show(QStringLiteral("秒数は 0 から %1 までで入れてください。").arg(kLongestResultTime), title,
                          MessageButtons::Ok, MessageIcon::Warning);
    return;
  }
  const std::optional<int> student = chooserStudentNumber(students_->currentText());
  if (!student) {
    app().messages().show(QStringLiteral("生徒は一覧から「番号 /  名前」の形で選んでください。"), title,
                          MessageButtons::Ok, MessageIcon::Warning);
    return;
  }
  // Another student must be one of this roster; the record's own student
  // may have left it, and the record's time can still be corrected.
  const bool inRoster = std::any_of(chooser_.begin(), chooser_.end(),
                                    [&](const ChooserStudent &c) { return c.studentNumber == *student; });
  if (!inRoster && *student != asRead_.studentNumber) {
    app().messages().show(QStringLiteral("番号 %1 の生徒は名簿にいません。").arg(*student), title,
                          MessageButtons::Ok, MessageIcon::Warning);
    return;
  }
  working_->resultTime = *time;
  working_->studentNumber = static_cast<qint16>(*student);
  const RewriteOutcome outcome = rewriteResultRecord(resultsLogPath(state()), selectedRecord_, asRead_, *working_);
  if (outcome == RewriteOutcome::Written) {
    asRead_ = *working_;
  } else if (outcome == RewriteOutcome::Busy) {
    // Nothing written: the panel keeps the teacher's values for another try.
    app().messages().show(QStringLiteral("ほかのプログラムが成績のファイルを使っていたので、記録できませんでした。"
                                         "何も変えていません。\r\n少し待ってから、もう一度「変更して記録」を押してください。"),
                          title, MessageButtons::Ok, MessageIcon::Warning);
    return;
  } else {
    app().messages().show(QStringLiteral("この記録は読んだ後で変わっています。何も書かずに一覧を作り直します。"),
                          title, MessageButtons::Ok, MessageIcon::Warning);
  }
  buildList();
  selectRecordLine(selectedRecord_);
}

void FrmData::deleteRecord() {
  if (!working_) return;
  if (app().messages().show(QStringLiteral("本当に消去しますか"), QStringLiteral("注意"), MessageButtons::OkCancel,
                            MessageIcon::Warning) != MessageAnswer::Ok)
    return;
  const ProgramState &s = state();
  const DeleteResult result = deleteResultRecord(resultsLogPath(s), selectedRecord_, asRead_);
  if (const QString message = deleteOutcomeMessage(result); !message.isEmpty()) {
    const bool stopped = result.outcome == DeleteOutcome::Interrupted || result.outcome == DeleteOutcome::Uncertain;
    app().messages().show(message, QStringLiteral("注意"), MessageButtons::Ok,
                          stopped ? MessageIcon::Critical : MessageIcon::Warning);
  }
  // Nothing changed: the record stays open for another press.
  if (result.outcome == DeleteOutcome::Busy || result.outcome == DeleteOutcome::JournalStands) return;
  if (result.outcome != DeleteOutcome::NotDeleted && result.outcome != DeleteOutcome::Interrupted) {
    // The record is gone: nothing is left for the buttons to act on.
    working_.reset();
    change_->setEnabled(false);
    delete_->setEnabled(false);
  }
  buildList();
  selectRecordLine(selectedRecord_);
}

void FrmData::cancelEdit() { panel_->hide(); }

void FrmData::selectRecordLine(int number) {
  const int rows = model_->rowCount();
  if (rows > 0) {
    int row = model_->rowAtOrAfter(number);
    if (row < 0) row = rows - 1;
    const QModelIndex index = model_->index(row);
    list_->setCurrentIndex(index);
    list_->scrollTo(index);
  }
  panel_->hide();
}

Window::PersonClose FrmData::closedByPerson() {
  leave();
  return PersonClose::Close;
}

void FrmData::leave() {
  cover_->show();
  cover_->raise();
  showProgressScreen(app());
  close();
}

}  // namespace minatori
