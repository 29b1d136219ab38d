#pragma once
// The name-selection screen: the active students of the roster with two
// figures each, narrowed to a grade group; the student picks a name and
// confirms it, or leaves for the program menu.

#include <array>
#include <vector>

#include "app/ui/window.h"
#include "roster/roster.h"

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace minatori {

class namesel : public Window {
  Q_OBJECT
 public:
  explicit namesel(Application &app);
  ~namesel() override;
  void load() override;
  void activate() override;

  void 名簿表示();
  void confirmStudent();
  void returnToMenu();
  // The student number held for the chosen row (never shown).
  int selectedNumber() const { return selectedNumber_; }

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void rowClick(int row);
  void rowDoubleClick(int row);
  void optionClick(int mode);
  void groupChosen(int index);
  void openVersionWindow();

  QLabel *title_;          // Label4
  QLabel *selectedName_;   // Label1
  QLabel *devMarker_;      // Label5
  QPushButton *ok_;        // Command1
  QPushButton *toMenu_;    // Command2
  std::array<QRadioButton *, 4> options_{};  // Option1_0..3
  QComboBox *groups_;      // Combo1
  QListWidget *names_;     // List1
  QFrame *waitPanel_;      // Picture1

  std::vector<StudentLine> shownLines_;  // row k ≥ 1 of the list shows shownLines_[k − 1]
  int figureMode_ = 0;
  bool handingOver_ = false;  // confirmed or leaving: the screen takes no key or click
  int selectedNumber_ = 0;
};

}  // namespace minatori
