#pragma once
// Another program holding a file with no sharing, as an anti-virus scanner
// or a backup agent does: tests/e2e/holdfile.exe started as a process of
// its own (MINATORI_HOLDFILE names the program). Used only where
// programsCanHoldFiles(): on Windows.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

namespace minatori::test {

class HoldingAgent {
 public:
  // Holds `file` once for `holdMs` milliseconds.
  static QStringList forMs(int holdMs) { return {QStringLiteral("--hold"), QString::number(holdMs)}; }
  // Holds it once, until stop().
  static QStringList untilStopped() { return {}; }
  // Holds it again and again for spans of 10–300 ms with short gaps, until stop().
  static QStringList randomSpans() { return {QStringLiteral("--spans"), QStringLiteral("10"), QStringLiteral("300")}; }

  HoldingAgent(const QString &file, QStringList mode) {
    if (!mode.contains(QStringLiteral("--hold"))) mode << QStringLiteral("--until") << native(stopFile());
    mode << QStringLiteral("--marker") << native(marker()) << native(file);
    process_.start(QStringLiteral(MINATORI_HOLDFILE), mode);
  }
  ~HoldingAgent() {
    stop();
    if (!process_.waitForFinished(60000)) process_.kill();
  }
  HoldingAgent(const HoldingAgent &) = delete;
  HoldingAgent &operator=(const HoldingAgent &) = delete;

  // Waits until the agent holds the file; false when it ended first or did
  // not get the file within a minute.
  bool waitUntilHeld() {
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(marker())) {
      if (process_.state() == QProcess::NotRunning || waited.elapsed() > 60000) return false;
      QThread::msleep(2);
    }
    return true;
  }
  // Tells an agent holding until stopped to let go.
  void stop() {
    QFile f(stopFile());
    f.open(QIODevice::WriteOnly);
  }
  // Waits for the agent to end; its line "holds N, held MS ms, longest MS ms",
  // empty when it failed.
  QString finish() {
    if (!process_.waitForFinished(60000) || process_.exitStatus() != QProcess::NormalExit || process_.exitCode() != 0)
      return {};
    return QString::fromLocal8Bit(process_.readAllStandardOutput()).trimmed();
  }

 private:
  QString stopFile() const { return dir_.filePath(QStringLiteral("stop")); }
  QString marker() const { return dir_.filePath(QStringLiteral("held")); }
  static QString native(const QString &path) { return QDir::toNativeSeparators(path); }

  QTemporaryDir dir_;
  QProcess process_;
};

}  // namespace minatori::test
