#pragma once
// The share check's one window: it checks as soon as it shows, lists each
// finding with its verdict, writes the report file, and offers a second
// check and the lock for a check on another PC.

#include <QWidget>
#include <memory>

#include "check/sharecheck.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace minatori {

class Clock;

class CheckWindow : public QWidget {
  Q_OBJECT
 public:
  CheckWindow(QString programFolder, Clock &clock, QString pcName, QWidget *parent = nullptr);
  ~CheckWindow() override;

  // Runs every check, shows the findings and writes the report.
  void runCheck();
  // "他のパソコンと確かめる": holds the lock for kOtherPcHoldSeconds.
  void holdForOtherPc();
  const check::Report &report() const { return report_; }

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  void countDown();
  void setBusy(bool busy);

  QString programFolder_;
  Clock &clock_;  // its waits let the window repaint
  QString pcName_;
  check::Report report_;
  bool checked_ = false, running_ = false;

  QLabel *where_;
  QListWidget *findings_;
  QProgressBar *progress_;
  QLabel *status_;
  QPushButton *again_, *otherPc_, *close_;
  QTimer *holdTimer_;
  std::unique_ptr<check::LockForOtherPc> lock_;
  int secondsLeft_ = 0;
};

}  // namespace minatori
