// Several machines append to one log at once: no record may be lost or torn.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <set>

#include "results/resultslog.h"

using namespace minatori;

TEST(ConcurrentAppend, EightWritersLoseNothing) {
  QTemporaryDir dir;
  const QString folder = dir.path() + u'/';
  constexpr int kWriters = 8, kEach = 1000;
  std::vector<std::unique_ptr<QProcess>> writers;
  for (int w = 1; w <= kWriters; ++w) {
    auto p = std::make_unique<QProcess>();
    p->start(QStringLiteral(MINATORI_APPENDER), {folder, QString::number(w), QString::number(kEach)});
    ASSERT_TRUE(p->waitForStarted());
    writers.push_back(std::move(p));
  }
  for (auto &p : writers) {
    ASSERT_TRUE(p->waitForFinished(120000));
    ASSERT_EQ(p->exitCode(), 0);
  }
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
