// Several machines append to one log at once: no record may be lost or torn.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <set>

#include "results/resultslog.h"
#include "platform/filesystem.h"
#include "tests/support/holdingagent.h"

using namespace minatori;

namespace {

constexpr int kWriters = 8, kEach = 1000;

// Eight appender processes write kEach records each into the log in
// `folder`; every record must be there once and whole, and every process
// must end well. Prints the run's time and its longest single append.
void eightWritersLoseNothing(const QString &folder, const char *what) {
  QElapsedTimer run;
  run.start();
  std::vector<std::unique_ptr<QProcess>> writers;
  for (int w = 1; w <= kWriters; ++w) {
    auto p = std::make_unique<QProcess>();
    p->start(QStringLiteral(MINATORI_APPENDER), {folder, QString::number(w), QString::number(kEach)});
    ASSERT_TRUE(p->waitForStarted());
    writers.push_back(std::move(p));
  }
  int longestWait = -1;
  for (auto &p : writers) {
    ASSERT_TRUE(p->waitForFinished(600000));
    ASSERT_EQ(p->exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(p->exitCode(), 0);
    const auto said = QRegularExpression(QStringLiteral("longest append wait (\\d+) ms"))
                          .match(QString::fromLatin1(p->readAllStandardOutput()));
    ASSERT_TRUE(said.hasMatch());
    longestWait = std::max(longestWait, said.captured(1).toInt());
  }
  std::printf("%d × %d appends %s: run time %lld ms, longest append wait %d ms\n", kWriters, kEach, what,
              static_cast<long long>(run.elapsed()), longestWait);
  const QString path = folder + QString::fromUtf16(kResultsLogFileName);
  EXPECT_EQ(QFile(path).size(), kWriters * kEach * 44);
  int total = 0;
  const auto records = readResultRecords(path, 1, &total);
  ASSERT_EQ(total, kWriters * kEach);
  std::set<std::pair<int, int>> seen;
  for (const Seisekikiroku &r : records) {
    ASSERT_EQ(r.level, 2);
    seen.insert({r.studentNumber, r.resultTime});
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kWriters * kEach));
  for (int w = 1; w <= kWriters; ++w) {
    EXPECT_TRUE(seen.count({w, 1}));
    EXPECT_TRUE(seen.count({w, kEach}));
  }
}

}  // namespace

TEST(ConcurrentAppend, EightWritersLoseNothing) {
  QTemporaryDir dir;
  eightWritersLoseNothing(dir.path() + u'/', "at once");
}

// The same while another program, as an anti-virus scanner or a backup
// agent does, holds the log with no sharing again and again for 10–300 ms:
// every append waits it out, none is lost or torn, no process gives up.
TEST(ConcurrentAppend, EightWritersLoseNothingWhileAnotherProgramHoldsTheLog) {
  if (!programsCanHoldFiles()) GTEST_SKIP() << "this system has no share modes: no program can hold a file against another";
  QTemporaryDir dir;
  const QString folder = dir.path() + u'/';
  const QString path = folder + QString::fromUtf16(kResultsLogFileName);
  QFile(path).open(QIODevice::WriteOnly);  // an empty log, held before the first append
  test::HoldingAgent agent(path, test::HoldingAgent::randomSpans());
  ASSERT_TRUE(agent.waitUntilHeld());
  eightWritersLoseNothing(folder, "while another program held the log");
  agent.stop();
  const QString holds = agent.finish();
  std::printf("the other program: %s\n", qPrintable(holds));
  // It held the log more than once, or the run proves little.
  EXPECT_GE(QRegularExpression(QStringLiteral("^holds (\\d+),")).match(holds).captured(1).toInt(), 2) << qPrintable(holds);
}

// Another program holds the log across an append or a read, longer than
// the short retries of a held file: the call waits until it lets go, then
// goes on, and the log holds the appended record once, byte-exact.
TEST(HeldLog, AnAppendOrAReadWaitsUntilTheOtherProgramLetsGo) {
  if (!programsCanHoldFiles()) GTEST_SKIP() << "this system has no share modes: no program can hold a file against another";
  const Seisekikiroku earlier = makeRecord(46000, 36000, 5, 2, 75, QStringLiteral("12345"));
  const Seisekikiroku attempt = makeRecord(46001, 36001, 17, 3, 88, QStringLiteral("12345"));
  for (const bool append : {true, false}) {
    SCOPED_TRACE(append ? "append" : "read");
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf16(kResultsLogFileName));
    appendRecord(path, earlier);
    test::HoldingAgent agent(path, test::HoldingAgent::forMs(3000));
    ASSERT_TRUE(agent.waitUntilHeld());
    if (append) {
      EXPECT_EQ(appendRecord(path, attempt), 2);
    } else {
      const auto records = readResultRecords(path);
      ASSERT_EQ(records.size(), 1u);
      EXPECT_EQ(encodeRecord(records[0]), encodeRecord(earlier));
    }
    EXPECT_FALSE(agent.finish().isEmpty());
    QFile log(path);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), encodeRecord(earlier) + (append ? encodeRecord(attempt) : QByteArray()));
  }
}
