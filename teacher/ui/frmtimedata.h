#pragma once
// The teacher's criteria editor: "タイム回数データ.txt" as a grid with one row
// per level (row r holds level r), edited in place through an edit box laid
// over the cursor cell, with the distribution of results of the cursor row's
// level beside it. Saving rewrites the file and loads it again, so the whole
// program judges with the new criteria at once.

#include <QStringList>
#include <vector>

#include "app/ui/window.h"

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace minatori {

class FrmTimeData : public Window {
  Q_OBJECT
 public:
  explicit FrmTimeData(Application &app);
  void activate() override;

  // For the window's tests.
  int levelRowCount() const { return levelRowCount_; }
  bool changed() const { return changed_ != 0; }
  int cursorRow() const { return row_; }
  int cursorColumn() const { return column_; }

 public Q_SLOTS:
  void command2Click();  // "元に戻す"
  void command3Click();  // "更新記録"
  // "戻る"; true when the editor is leaving (the progress screen is shown).
  bool command4Click();
  void gridClick(int row, int column);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  // The close button leaves as "戻る" does, so unsaved edits are not dropped without a word.
  PersonClose closedByPerson() override;

 private:
  void buildEditorPanel();
  void buildDistributionPanel();
  void buildWaitPanel();
  void setHeadingRow();
  void setColumnWidths();
  // Reads the file into the grid. When it cannot be read the teacher is told
  // and the grid keeps what it holds. Returns whether it was read.
  bool loadFile();
  // Writes the grid to the file. Returns false, with the teacher told, when
  // the file could not be written or read back.
  bool save();
  // Handles a key pressed in the edit box; true when the edit box must not see it.
  bool editKey(QKeyEvent *key);
  void moveCursor(int row, int column);
  void copyDown();
  void positionEditor();
  void showExplanation(int column);
  void refreshDistribution();
  void TextToGrid転送();
  void GridToText転送();
  std::vector<QStringList> gridRows() const;
  void showWaitPanel(bool shown);

  QFrame *picture1_;  // editor panel
  QTableWidget *grid_;
  QLineEdit *gridInputText_;
  QLabel *explanation_;
  QPushButton *command2_, *command3_, *command4_;
  QListWidget *list1_;  // all results
  QListWidget *list2_;  // best times
  QFrame *picture2_;    // wait panel

  int levelRowCount_ = 0;
  int changed_ = 0;
  int row_ = 0, column_ = 0;
  int selectionEndRow_ = 0;  // last row of the Shift+Down copy, == row_ when none
  bool loaded_ = false;      // the file has been read at least once
  bool busy_ = false;        // saving or leaving; they let window messages run
};

}  // namespace minatori
