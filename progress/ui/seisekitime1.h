#pragma once
// The progress screen: the student's home between attempts. One column per
// level with its name, start button, goal and the student's results, the
// results views (rankings, today's and a period's attempts), keys that start
// levels, and the scroll bar that moves the columns.

#include <QPointer>
#include <array>
#include <vector>

#include "app/ui/window.h"
#include "progress/rankings.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace minatori {

class seisekitime1 : public Window {
  Q_OBJECT
 public:
  explicit seisekitime1(Application &app);
  ~seisekitime1() override;
  void load() override;
  void activate() override;

  void selectResultsKind(int kind);
  void selectResultsChoice(int choice);
  void selectPeriod(int entry);
  void refreshLevelButtons();
  void command1Click();  // "戻る(0)"
  void command4Click(int level);
  void label3Click(int level);
  void hScroll1Change();
  void showPersonalTimes();
  void openSheets();          // "グラフ"
  void showSelectedSheets(int output);
  void showStudentList();     // "他の人のデータを見る"
  int sheetStudent() const { return sheetStudent_; }
  void command8Click();            // "データ処理": the teacher's password panel
  void openTeacherTool(int index);  // 0 "データ変更", 1 "合格タイムデータ変更"
  bool ready() const { return ready_; }

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  struct Column {
    QLabel *number, *name, *goal, *recent, *todayCaption, *allCaption, *today, *allTime;  // Label1 3 7 8 9 10 14 15
    QPushButton *start;  // Command4
    QLabel *barred;      // Text1
    QListWidget *list;   // List5
    // A practice level shows no goal, results or list.
    void hideStatistics() const;
  };
  Column makeColumn(int i);
  void makeSheetPanel();
  void makePasswordPanel();
  // Draws the selected levels of sheetStudent_ on the canvas (0) or prints
  // them as one document (1); returns where a print went, or an empty text.
  QString drawSheetsFor(int output);
  void layOutColumns();
  void showWait(bool shown);
  void setStartButtonsEnabled(bool enabled);
  void setResultListsVisible(bool visible);
  void resultsPreamble();
  void 回数など表示();
  void showBestResults();
  void showTodayResults();
  void showPeriodResults();
  void showResults(int level);
  static void addSorted(QListWidget *list, QStringList rows);
  void fillLists(const std::vector<QStringList> &rows);
  void selectAboveLastMark(QListWidget *list);
  bool isPractice(int level) const;
  void startLevel(int level, bool closeAfter);

  QLabel *title_, *student_, *school_, *sinceStart_, *todayTotal_, *header_;  // Label11 12 13 17 18 16
  QPushButton *back_, *dataButton_, *printButton_, *display1_;  // Command1 8 27 26
  QFrame *waitPanel_;                                           // Picture2
  QFrame *passwordPanel_;                                       // Picture7
  QLineEdit *password_;                                         // Text2
  QProgressBar *progress_;                                      // ProgressBar1
  QScrollBar *scroll_;                                          // HScroll1
  QGroupBox *optionPanel_;                                      // Frame1
  std::array<QRadioButton *, 3> kindOptions_{};                 // Option2_0..2
  std::array<QRadioButton *, 4> choiceOptions_{};               // Option1_1..3 (0 unused)
  QComboBox *groups_;                                           // Combo1
  QComboBox *periods_;                                          // Combo2
  QPushButton *graphButton_;                                    // Command17
  QFrame *sheetPanel_;                                          // Picture11
  QLabel *canvas_;                                              // Picture12
  QListWidget *students_;                                       // List2
  QListWidget *sheetLevels_;                                    // List3
  QPushButton *otherStudents_;                                  // Command25
  std::array<QPushButton *, 2> sheetButtons_{};                 // Command24_0 "表示", Command24_1 "印刷"
  std::vector<Column> columns_;  // index 0: the template
  double columnWidth_ = 0;       // twips

  ResultsKind resultsKind_ = ResultsKind::Times;
  PointsRanking pointsRanking_ = PointsRanking::AllRecords;
  bool activating_ = false;
  // Set at the end of an activation; cleared by the next one and by every way
  // out. While it is clear the screen takes no key or click.
  bool ready_ = false;
  int sheetStudent_ = 0;
  int sheetFontSize_ = 6;
  QProgressBar *progress2_ = nullptr;  // ProgressBar2
};

}  // namespace minatori
