#include "check/ui/checkwindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/filesystem.h"
#include "platform/fonts.h"
#include "platform/lockedfile.h"

namespace minatori {

namespace {
QColor colourOf(check::Verdict v) {
  switch (v) {
    case check::Verdict::Ok: return {0, 110, 0};
    case check::Verdict::Note: return {60, 60, 60};
    case check::Verdict::Warning: return {170, 90, 0};
    case check::Verdict::Problem: return {200, 0, 0};
  }
  return {};
}
}  // namespace

CheckWindow::CheckWindow(QString programFolder, Clock &clock, QString pcName, QWidget *parent)
    : QWidget(parent), programFolder_(std::move(programFolder)), clock_(clock), pcName_(std::move(pcName)) {
  setObjectName(QStringLiteral("FrmCheck"));
  setWindowTitle(QStringLiteral("ミナトリ 共有フォルダーの点検"));
  resize(820, 560);
  auto *layout = new QVBoxLayout(this);
  auto *title = new QLabel(QStringLiteral("共有フォルダーの点検"), this);
  QFont big(gothicFamily());
  big.setPointSize(16);
  big.setBold(true);
  title->setFont(big);
  layout->addWidget(title);
  where_ = new QLabel(this);
  where_->setObjectName(QStringLiteral("Label1"));
  where_->setWordWrap(true);
  where_->setText(QStringLiteral("パソコン：%1　プログラム：%2").arg(pcName_, programFolder_));
  layout->addWidget(where_);
  findings_ = new QListWidget(this);
  findings_->setObjectName(QStringLiteral("List1"));
  findings_->setWordWrap(true);
  findings_->setTextElideMode(Qt::ElideNone);
  findings_->setFont(QFont(gothicFamily(), 11));
  layout->addWidget(findings_, 1);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ProgressBar1"));
  layout->addWidget(progress_);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("Label2"));
  status_->setWordWrap(true);
  layout->addWidget(status_);
  auto *buttons = new QHBoxLayout;
  again_ = new QPushButton(QStringLiteral("もう一度調べる"), this);
  again_->setObjectName(QStringLiteral("Command1"));
  otherPc_ = new QPushButton(QStringLiteral("他のパソコンと確かめる"), this);
  otherPc_->setObjectName(QStringLiteral("Command2"));
  close_ = new QPushButton(QStringLiteral("閉じる"), this);
  close_->setObjectName(QStringLiteral("Command3"));
  buttons->addWidget(again_);
  buttons->addWidget(otherPc_);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  layout->addLayout(buttons);
  connect(again_, &QPushButton::clicked, this, &CheckWindow::runCheck);
  connect(otherPc_, &QPushButton::clicked, this, &CheckWindow::holdForOtherPc);
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
  holdTimer_ = new QTimer(this);
  holdTimer_->setInterval(1000);
  connect(holdTimer_, &QTimer::timeout, this, &CheckWindow::countDown);

  // A file held by another PC or program is waited for with the window
  // alive; a read of the log gives up after about ten seconds instead of
  // waiting as long as it takes.
  setHeldWait([this](int ms) { waitWithWindowsAlive(clock_, ms); });
  setLockWait([this](const QString &, LockPurpose, int attempt) {
    if (attempt > 10) return false;
    waitWithWindowsAlive(clock_, 1000);
    return true;
  });
  setBusy(false);
}

CheckWindow::~CheckWindow() {
  setHeldWait({});
  setLockWait({});
}

void CheckWindow::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!checked_) {
    checked_ = true;
    QTimer::singleShot(0, this, &CheckWindow::runCheck);
  }
}

void CheckWindow::closeEvent(QCloseEvent *event) {
  if (running_) {  // the check ends first; its files must not be left behind
    event->ignore();
    return;
  }
  lock_.reset();
  event->accept();
}

void CheckWindow::setBusy(bool busy) {
  running_ = busy;
  again_->setEnabled(!busy && !lock_);
  otherPc_->setEnabled(!busy && !lock_ && !report_.contentFolder.isEmpty());
  close_->setEnabled(!busy);
}

void CheckWindow::runCheck() {
  if (running_ || lock_) return;
  setBusy(true);
  findings_->clear();
  progress_->setValue(0);
  report_ = check::runChecks(programFolder_, clock_, pcName_, [this](int done, int total, const QString &next) {
    progress_->setMaximum(total);
    progress_->setValue(done);
    status_->setText(next.isEmpty() ? QString() : QStringLiteral("調べています：%1").arg(next));
    letPendingMessagesRun();
  });
  for (const check::Finding &f : report_.findings) {
    auto *item = new QListWidgetItem(QStringLiteral("【%1】%2：%3").arg(check::verdictLabel(f.verdict), f.topic, f.text),
                                     findings_);
    item->setForeground(colourOf(f.verdict));
  }
  const std::optional<QString> written = check::writeReport(report_);
  const int problems = report_.count(check::Verdict::Problem), warnings = report_.count(check::Verdict::Warning);
  QString summary = problems == 0 && warnings == 0
                        ? QStringLiteral("すべて使えます。")
                        : QStringLiteral("問題 %1、注意 %2 があります。").arg(problems).arg(warnings);
  summary += written ? QStringLiteral("結果を %1 に書きました。").arg(*written)
                     : QStringLiteral("結果のファイルは書けませんでした。");
  status_->setText(summary);
  setBusy(false);
}

void CheckWindow::holdForOtherPc() {
  if (running_ || lock_ || report_.contentFolder.isEmpty()) return;
  auto lock = std::make_unique<check::LockForOtherPc>(report_.contentFolder, pcName_, clock_);
  if (!lock->failure().isEmpty()) {
    status_->setText(lock->failure());
    return;
  }
  lock_ = std::move(lock);
  secondsLeft_ = check::kOtherPcHoldSeconds;
  setBusy(false);
  countDown();
  holdTimer_->start();
}

void CheckWindow::countDown() {
  if (!lock_) return;
  if (secondsLeft_ <= 0) {
    holdTimer_->stop();
    lock_.reset();
    status_->setText(QStringLiteral("ロックを外しました。2台目の点検の「ロック（他のパソコン）」が OK なら、"
                                    "パソコンの間でロックが効いています。"));
    setBusy(false);
    return;
  }
  status_->setText(QStringLiteral("ロックを掛けています（あと%1秒）。いま2台目のパソコンでこの点検を始めてください。")
                       .arg(secondsLeft_));
  --secondsLeft_;
}

}  // namespace minatori
