#pragma once
// The teacher's results-data manager: every record of the results log as one
// line; a double-click opens the record in the edit panel, where its time or
// student can be changed, or the record deleted.

#include <optional>
#include <vector>

#include "app/ui/window.h"
#include "results/seisekikiroku.h"
#include "teacher/resultsdata.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QScrollBar;

namespace minatori {

class RecordListModel;

class FrmData : public Window {
  Q_OBJECT
 public:
  explicit FrmData(Application &app);
  ~FrmData() override;
  void load() override;
  void activate() override;

  // Rebuilds the record list and the student chooser from the files.
  void buildList();
  int selectedRecord() const { return selectedRecord_; }

 protected:
  // The close button leaves as "戻る" does.
  PersonClose closedByPerson() override;

 private:
  void listClick();
  void exportCsv();  // "CSV出力"
  void listDoubleClick(const QModelIndex &index);
  void studentChosen();
  void scrollChange(int value);
  void timeEdited();
  void changeAndRecord();  // Command2
  void deleteRecord();     // Command3
  void cancelEdit();       // Command6
  void leave();            // Command4
  // Selects the first line whose record number is `number` or more, else the
  // last line; selecting hides the edit panel.
  void selectRecordLine(int number);
  void showGradeOf(const QString &chooserText);

  QListView *list_;          // List1
  RecordListModel *model_;
  QLabel *instruction_;      // Label1
  QPushButton *back_;        // Command4
  QFrame *panel_;            // Frame1
  QLabel *recordNumber_;     // Label2
  QLabel *level_;            // Label3
  QLabel *date_;             // Label4
  QComboBox *students_;      // Combo1
  QLabel *grade_;            // Label5
  QLineEdit *time_;          // Text1
  QScrollBar *timeScroll_;   // HScroll1
  QLabel *seconds_;          // Label6
  QPushButton *change_;      // Command2
  QPushButton *delete_;      // Command3
  QPushButton *cancel_;      // Command6
  QFrame *cover_;            // Picture1

  std::vector<ChooserStudent> chooser_;
  int selectedRecord_ = 0;
  std::optional<Seisekikiroku> working_;  // the record as read at the double-click, then changed
  Seisekikiroku asRead_;
};

}  // namespace minatori
