#include "teacher/ui/frmtimedata.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <optional>

#include "app/levelcriteria.h"
#include "app/ui/application.h"
#include "platform/events.h"
#include "platform/messageboxes.h"
#include "platform/runtimeerror.h"
#include "platform/twips.h"
#include "progress/ui/progressnav.h"
#include "teacher/distribution.h"

namespace minatori {

namespace {

// Twips of the window designed at 1024 × 768.
constexpr int kWindowWidth = 15360;
constexpr int kWindowHeight = 11520;
constexpr int kGridLeft = 150, kGridTop = 1020, kGridWidth = 8400;
constexpr int kCellHeight = 240;
constexpr int kGridVisibleRows = 33;
constexpr int kPanelLeft = 8700, kPanelTop = 120, kPanelWidth = 6510, kPanelHeight = 10260;
constexpr int kButtonTop = 10560, kButtonWidth = 1800, kButtonHeight = 720;

// Column 0 holds the level number, columns 1..12 the twelve fields of the file.
constexpr int kGridColumns = 1 + kCriteriaFields;
constexpr int kLastColumn = kCriteriaFields;
// The caret goes here whenever a cell's text comes into the edit box (the
// end of any shorter text).
constexpr int kCaretPosition = 10;

const QColor kFixedGrey(212, 208, 200);
const QColor kCellWhite(255, 255, 255);
const QColor kMarkYellow(255, 255, 0);
const QColor kEditGreen(204, 255, 204);
const QColor kWaitYellow(255, 255, 224);

const QString kCaution = QStringLiteral("注意");

// Title and explanation lines of the fields' columns 1..9; the other columns have none.
struct ColumnExplanation {
  const char16_t *title;
  std::array<const char16_t *, 2> lines;
};
constexpr std::array<ColumnExplanation, 9> kExplanations = {{
    {u"合格基準タイム", {u"　大部分の人ががんばったら出せそうなタイムにしてください", nullptr}},
    {u"合格最低ラインタイム", {u"  この５倍が時間切れになります", nullptr}},
    {u"目標ポイント", {u"　　 目標ポイント", nullptr}},
    {u"目標回数", {u"　　 目標回数", nullptr}},
    {u"ポイント倍率", {u"  ポイントを何倍にして加算するか", u"  むずかしいレベルや生徒のいやがるレベルは高くしてください"}},
    {u"やりすぎ禁止回数", {u"  何回やったらやりすぎ禁止にするか", nullptr}},
    {u"やりすぎ禁止ポイント", {u"  何ポイントとったらやりすぎ禁止にするか", nullptr}},
    {u"合格判定をする日数", {u"　何日前からのポイントを有効にするか", nullptr}},
    {u"やりすぎ判定をする日数", {u"　何日前からのポイントを有効にするか", nullptr}},
}};

QString explanationText(int column) {
  if (column < 1 || column > static_cast<int>(kExplanations.size())) return {};
  const ColumnExplanation &e = kExplanations[static_cast<size_t>(column - 1)];
  QString text = QString::fromUtf16(e.title);
  for (const char16_t *line : e.lines)
    if (line) text += u'\n' + QString::fromUtf16(line);
  return text;
}

void placeTwips(QWidget *w, int left, int top, int width, int height) {
  w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, int pointSize, bool bold = false) {
  auto *l = new QLabel(text, parent);
  l->setObjectName(name);
  l->setTextFormat(Qt::PlainText);  // the explanations keep their leading spaces
  QFont f = l->font();
  f.setPointSizeF(designPoints(pointSize));
  f.setBold(bold);
  l->setFont(f);
  return l;
}

QTableWidgetItem *fixedCell(const QString &text) {
  auto *item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled);
  item->setBackground(kFixedGrey);
  item->setTextAlignment(Qt::AlignCenter);
  return item;
}

QTableWidgetItem *valueCell(const QString &text) {
  auto *item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setBackground(kCellWhite);
  return item;
}

// Fills a list with `lines`, keeping the teacher's scroll position when the
// list already has as many lines (a refresh runs on every key).
void showLines(QListWidget *list, const QStringList &lines) {
  if (list->count() != lines.size()) {
    list->clear();
    list->addItems(lines);
    return;
  }
  for (int i = 0; i < lines.size(); ++i) list->item(i)->setText(lines[i]);
}

QString criteriaFileName() { return QString::fromUtf16(kCriteriaFileName); }

}  // namespace

FrmTimeData::FrmTimeData(Application &app) : Window(app) {
  setWindowTitle(QStringLiteral("合格タイムデータ変更"));
  setFixedSize(twips(kWindowWidth), twips(kWindowHeight));
  buildEditorPanel();
  buildDistributionPanel();
  buildWaitPanel();
  centreOnScreen();
}

void FrmTimeData::buildEditorPanel() {
  picture1_ = new QFrame(this);
  picture1_->setObjectName(QStringLiteral("Picture1"));
  placeTwips(picture1_, 0, 0, kPanelLeft, kWindowHeight);

  makeLabel(picture1_, QStringLiteral("Label1"), QStringLiteral("成績の基準となるデータを変更できます"), 16, true)
      ->setGeometry(twips(kGridLeft), twips(150), twips(kGridWidth), twips(450));
  makeLabel(picture1_, QStringLiteral("Label2"), QStringLiteral("スペース：セルクリア　　Shift + ↓：セルコピー"), 11)
      ->setGeometry(twips(kGridLeft), twips(660), twips(kGridWidth), twips(300));

  grid_ = new QTableWidget(1, kGridColumns, picture1_);
  grid_->setObjectName(QStringLiteral("MSFlexGrid1"));
  placeTwips(grid_, kGridLeft, kGridTop, kGridWidth, kGridVisibleRows * kCellHeight);
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setMinimumSectionSize(1);
  grid_->verticalHeader()->setDefaultSectionSize(twips(kCellHeight));
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->horizontalHeader()->setMinimumSectionSize(1);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The teacher picks cells by clicking; only the Shift+Down copy selects.
  grid_->setSelectionMode(QAbstractItemView::NoSelection);
  grid_->setFocusPolicy(Qt::NoFocus);
  // The headings are wider than their columns: they wrap onto a second line.
  grid_->setWordWrap(true);
  grid_->setTextElideMode(Qt::ElideNone);
  QFont gridFont = grid_->font();
  gridFont.setPointSizeF(designPoints(9));
  grid_->setFont(gridFont);
  setHeadingRow();
  connect(grid_, &QTableWidget::cellClicked, this, &FrmTimeData::gridClick);

  gridInputText_ = new QLineEdit(grid_->viewport());
  gridInputText_->setObjectName(QStringLiteral("Gridinputtext"));
  gridInputText_->setFrame(false);
  gridInputText_->setFont(gridFont);
  QPalette p = gridInputText_->palette();
  p.setColor(QPalette::Base, kEditGreen);
  gridInputText_->setPalette(p);
  gridInputText_->hide();
  gridInputText_->installEventFilter(this);
  connect(gridInputText_, &QLineEdit::textChanged, this, [this] { TextToGrid転送(); });

  const int belowGrid = kGridTop + kGridVisibleRows * kCellHeight;
  makeLabel(picture1_, QStringLiteral("Label3"), QStringLiteral("列の説明"), 11, true)
      ->setGeometry(twips(kGridLeft), twips(belowGrid + 120), twips(3000), twips(300));
  explanation_ = makeLabel(picture1_, QStringLiteral("Label4"), QString(), 11);
  explanation_->setGeometry(twips(kGridLeft + 150), twips(belowGrid + 450), twips(kGridWidth - 150), twips(900));
  explanation_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto button = [this](const QString &name, const QString &caption, int left) {
    auto *b = new QPushButton(caption, picture1_);
    b->setObjectName(name);
    placeTwips(b, left, kButtonTop, kButtonWidth, kButtonHeight);
    QFont f = b->font();
    f.setPointSizeF(designPoints(14));
    b->setFont(f);
    return b;
  };
  command2_ = button(QStringLiteral("Command2"), QStringLiteral("元に戻す"), kGridLeft);
  command3_ = button(QStringLiteral("Command3"), QStringLiteral("更新記録"), kGridLeft + kButtonWidth + 300);
  command4_ = button(QStringLiteral("Command4"), QStringLiteral("戻る"), kGridLeft + kGridWidth - kButtonWidth);
  command3_->setEnabled(false);  // until the file has been read: nothing to write
  connect(command2_, &QPushButton::clicked, this, &FrmTimeData::command2Click);
  connect(command3_, &QPushButton::clicked, this, &FrmTimeData::command3Click);
  connect(command4_, &QPushButton::clicked, this, &FrmTimeData::command4Click);
}

void FrmTimeData::buildDistributionPanel() {
  auto *panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Picture3"));
  placeTwips(panel, kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight);
  panel->setFrameShape(QFrame::Box);
  auto *heading = makeLabel(panel, QStringLiteral("Label5"), QString::fromUtf16(kDistributionHeading), 12, true);
  heading->setGeometry(0, twips(60), twips(kPanelWidth), twips(360));
  heading->setAlignment(Qt::AlignCenter);

  const int listWidth = (kPanelWidth - 3 * 90) / 2;
  auto list = [&](const QString &listName, const QString &captionName, const char16_t *caption, int left) {
    auto *c = makeLabel(panel, captionName, QString::fromUtf16(caption), 11, true);
    c->setGeometry(twips(left), twips(480), twips(listWidth), twips(300));
    auto *l = new QListWidget(panel);
    l->setObjectName(listName);
    placeTwips(l, left, 810, listWidth, kPanelHeight - 810 - 90);
    l->setSelectionMode(QAbstractItemView::NoSelection);
    l->setFocusPolicy(Qt::NoFocus);
    QFont f = l->font();
    f.setPointSizeF(designPoints(8));
    l->setFont(f);
    return l;
  };
  list1_ = list(QStringLiteral("List1"), QStringLiteral("Label6"), kAllResultsCaption, 90);
  list2_ = list(QStringLiteral("List2"), QStringLiteral("Label7"), kBestTimesCaption, 2 * 90 + listWidth);
}

void FrmTimeData::buildWaitPanel() {
  picture2_ = new QFrame(this);
  picture2_->setObjectName(QStringLiteral("Picture2"));
  placeTwips(picture2_, 0, 0, kWindowWidth, kWindowHeight);  // covers the whole window
  picture2_->setAutoFillBackground(true);
  QPalette p = picture2_->palette();
  p.setColor(QPalette::Window, kWaitYellow);
  picture2_->setPalette(p);
  auto *caption = makeLabel(picture2_, QStringLiteral("Label8"), QStringLiteral("Just a moment,please."), 24);
  caption->setGeometry(picture2_->rect());
  caption->setAlignment(Qt::AlignCenter);
  picture2_->hide();
}

void FrmTimeData::setHeadingRow() {
  grid_->setItem(0, 0, fixedCell(QStringLiteral("レベル")));
  const QStringList headers = criteriaHeaderFields();
  for (int c = 1; c <= kLastColumn; ++c) grid_->setItem(0, c, fixedCell(headers[c - 1]));
  grid_->setRowHeight(0, twips(2 * kCellHeight));
}

void FrmTimeData::setColumnWidths() {
  // Every column gets a 13th of the grid, the target time's column four fifths of that.
  const int width = (kGridWidth + kGridColumns / 2) / kGridColumns;
  for (int c = 0; c < kGridColumns; ++c) grid_->setColumnWidth(c, twips(width));
  grid_->setColumnWidth(1, twips(0.8 * width));
}

void FrmTimeData::activate() {
  grid_->setColumnCount(kGridColumns);
  picture1_->show();
  loadFile();
  row_ = column_ = selectionEndRow_ = levelRowCount_ > 0 ? 1 : 0;
  grid_->clearSelection();
  setColumnWidths();
  positionEditor();
  GridToText転送();
  refreshDistribution();
}

bool FrmTimeData::loadFile() {
  const QString path = criteriaFilePath(state());
  std::vector<QStringList> rows;
  try {
    rows = readCriteriaRows(path);
  } catch (const RuntimeError &e) {
    // Whatever the grid holds stays, so no edit is lost.
    app().messages().show(QStringLiteral("%1 を読めませんでした。\r\n\r\n").arg(criteriaFileName()) +
                              runtimeErrorReportText(e),
                          kCaution, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  grid_->setRowCount(1);
  setHeadingRow();
  grid_->setRowCount(1 + static_cast<int>(rows.size()));
  for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
    grid_->setItem(r, 0, fixedCell(QString::number(r)));
    const QStringList &fields = rows[static_cast<size_t>(r - 1)];
    for (int c = 1; c <= kLastColumn; ++c) grid_->setItem(r, c, valueCell(fields.value(c - 1)));
  }
  levelRowCount_ = static_cast<int>(rows.size());
  loaded_ = true;
  command3_->setEnabled(true);
  return true;
}

std::vector<QStringList> FrmTimeData::gridRows() const {
  std::vector<QStringList> rows;
  for (int r = 1; r <= levelRowCount_; ++r) {
    QStringList cells;
    for (int c = 1; c <= kLastColumn; ++c) cells << grid_->item(r, c)->text();
    rows.push_back(cells);
  }
  return rows;
}

bool FrmTimeData::save() {
  // Refused before anything is written: such a cell would shift the fields
  // after it, and every classroom PC would stop on the file at its next start.
  const std::vector<QStringList> rows = gridRows();
  if (const std::optional<CriteriaCell> bad = cellThatWouldNotReadBack(rows)) {
    const QString heading = grid_->item(0, bad->field) ? grid_->item(0, bad->field)->text() : QString();
    const QString column = heading.isEmpty() ? QStringLiteral("%1列目").arg(bad->field) : QStringLiteral("「%1」").arg(heading);
    app().messages().show(QStringLiteral("レベル%1 の %2 のセルは記録できません。カンマ（,）、引用符（\"）、改行や、"
                                         "前後の空白を含まないように直してください。\r\n%3 は元のままです。")
                              .arg(bad->level)
                              .arg(column, criteriaFileName()),
                          kCaution, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  busy_ = true;
  showWaitPanel(true);
  letPendingMessagesRun();
  std::optional<RuntimeError> failure;
  try {
    // Writes the file atomically, then loads it into the criteria table.
    saveLevelCriteria(state(), rows);
    changed_ = 0;
  } catch (const RuntimeError &e) {
    failure = e;
  }
  showWaitPanel(false);
  busy_ = false;
  if (failure && failure->number() == errc::FileBusy) {
    // Held for a moment by another PC or program: the edits stay in the grid.
    app().messages().show(QStringLiteral("%1 をほかのパソコンかプログラムが使っていたので、記録できませんでした。"
                                         "ファイルは元のままです。\r\n少し待ってから、もう一度「更新記録」を押してください。")
                              .arg(criteriaFileName()),
                          kCaution, MessageButtons::Ok, MessageIcon::Warning);
  } else if (failure) {
    const QString what = QStringLiteral("%1 に記録できませんでした。ファイルは元のままです。");
    app().messages().show(what.arg(criteriaFileName()) + QStringLiteral("\r\n\r\n") +
                              runtimeErrorReportText(*failure),
                          kCaution, MessageButtons::Ok, MessageIcon::Warning);
  }
  return !failure;
}

void FrmTimeData::showWaitPanel(bool shown) {
  picture2_->setVisible(shown);
  if (shown) picture2_->raise();
  repaint();
}

void FrmTimeData::command2Click() {
  if (busy_) return;
  loadFile();
  if (levelRowCount_ == 0) {
    row_ = column_ = 0;
  } else {
    row_ = std::clamp(row_, 1, levelRowCount_);
    column_ = std::clamp(column_, 1, kLastColumn);
  }
  selectionEndRow_ = row_;
  grid_->clearSelection();
  positionEditor();
  GridToText転送();
  refreshDistribution();
}

void FrmTimeData::command3Click() {
  if (busy_ || !loaded_) return;
  save();
  positionEditor();
}

bool FrmTimeData::command4Click() {
  if (busy_) return false;
  if (changed_ == 1 &&
      app().messages().show(QStringLiteral("データが変更されています。記録しますか？"), kCaution,
                            MessageButtons::YesNo) == MessageAnswer::Yes &&
      !save())
    return false;  // the teacher has been told; the edits stay in the grid
  busy_ = true;
  showWaitPanel(true);
  showProgressScreen(app());
  close();
  return true;
}

Window::PersonClose FrmTimeData::closedByPerson() {
  return command4Click() ? PersonClose::Close : PersonClose::Stay;
}

void FrmTimeData::gridClick(int row, int column) {
  if (busy_ || levelRowCount_ == 0) return;
  // The heading row and the level column cannot be chosen.
  if (row >= 1 && column >= 1)
    moveCursor(row, column);
  else
    positionEditor();
  refreshDistribution();
  GridToText転送();
}

bool FrmTimeData::eventFilter(QObject *watched, QEvent *event) {
  if (watched == gridInputText_ && event->type() == QEvent::KeyPress) return editKey(static_cast<QKeyEvent *>(event));
  return Window::eventFilter(watched, event);
}

bool FrmTimeData::editKey(QKeyEvent *key) {
  const int k = key->key();
  if (k == Qt::Key_Escape) return true;
  if (k == Qt::Key_Tab || k == Qt::Key_Backtab) return false;  // focus moves on to the buttons
  if (busy_ || levelRowCount_ == 0) return true;
  bool passOn = false;
  bool clearCell = false;
  switch (k) {
    case Qt::Key_Up:
      if (row_ > 1) moveCursor(row_ - 1, column_);
      break;
    case Qt::Key_Down:
      if (key->modifiers() & Qt::ShiftModifier) {
        if (selectionEndRow_ < levelRowCount_) copyDown();
      } else if (row_ < levelRowCount_) {
        moveCursor(row_ + 1, column_);
      }
      break;
    case Qt::Key_Left:
      if (column_ > 1) moveCursor(row_, column_ - 1);
      break;
    case Qt::Key_Right:
      if (column_ < kLastColumn) moveCursor(row_, column_ + 1);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      break;
    default: {
      const QString text = key->text();
      clearCell = text == u" " || text == u"　";
      const bool typed = !text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & Qt::ControlModifier);
      passOn = !clearCell && (typed || k == Qt::Key_Backspace || key->matches(QKeySequence::Paste) ||
                              key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut));
    }
  }
  refreshDistribution();
  GridToText転送();
  // The edit box then types the character at the caret; a space empties it instead.
  if (clearCell) gridInputText_->clear();
  return !passOn;
}

void FrmTimeData::moveCursor(int row, int column) {
  row_ = row;
  column_ = column;
  selectionEndRow_ = row;
  grid_->clearSelection();
  GridToText転送();
  positionEditor();
}

void FrmTimeData::copyDown() {
  // A copied cell is a change like a typed one: marked, and asked about on
  // leaving, so a copy is never dropped without a word.
  ++selectionEndRow_;
  const QString text = gridInputText_->text();
  for (int r = row_; r <= selectionEndRow_; ++r) {
    QTableWidgetItem *cell = grid_->item(r, column_);
    if (cell->text() == text) continue;
    cell->setText(text);
    cell->setBackground(kMarkYellow);
    changed_ = 1;
  }
  grid_->clearSelection();
  grid_->setRangeSelected(QTableWidgetSelectionRange(row_, column_, selectionEndRow_, column_), true);
}

void FrmTimeData::positionEditor() {
  QTableWidgetItem *cell = row_ >= 1 ? grid_->item(row_, column_) : nullptr;
  if (!cell) {
    gridInputText_->hide();
    showExplanation(0);
    return;
  }
  grid_->scrollToItem(cell);
  gridInputText_->setGeometry(grid_->visualItemRect(cell));
  gridInputText_->show();
  gridInputText_->raise();
  gridInputText_->setFocus();
  gridInputText_->setCursorPosition(std::min(kCaretPosition, static_cast<int>(gridInputText_->text().size())));
  showExplanation(column_);
}

void FrmTimeData::showExplanation(int column) { explanation_->setText(explanationText(column)); }

void FrmTimeData::refreshDistribution() {
  if (row_ < 1) {
    list1_->clear();
    list2_->clear();
    return;
  }
  try {
    const DistributionLines lines = minatori::refreshDistribution(state(), row_);
    showLines(list1_, lines.allResults);
    showLines(list2_, lines.bestTimes);
  } catch (const RuntimeError &e) {
    // Refreshed on every key: the reason goes into the panel, not into a box.
    showLines(list1_, {QStringLiteral("成績累積データを読めません。"), e.text(), e.file()});
    list2_->clear();
  }
}

void FrmTimeData::TextToGrid転送() {
  if (row_ < 1 || row_ > levelRowCount_ || column_ < 1) return;
  QTableWidgetItem *cell = grid_->item(row_, column_);
  const QString text = gridInputText_->text();
  if (text != cell->text()) {
    cell->setBackground(kMarkYellow);
    changed_ = 1;
  }
  cell->setText(text);
}

void FrmTimeData::GridToText転送() {
  if (row_ < 1 || row_ > levelRowCount_ || column_ < 1) return;
  gridInputText_->setText(grid_->item(row_, column_)->text());
  gridInputText_->setCursorPosition(std::min(kCaretPosition, static_cast<int>(gridInputText_->text().size())));
}

}  // namespace minatori
