#include "check/sharecheck.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>
#include <optional>

#include "app/configuration.h"
#include "platform/textfile.h"
#include "tests/support/fakeclock.h"
#include "tests/support/faultyfiles.h"
#include "tests/support/testinstallation.h"

using namespace minatori;
using namespace minatori::check;
using minatori::faults::FaultyFiles;
using minatori::test::FakeClock;
using minatori::test::TestInstallation;

namespace {

const QString kPc = QStringLiteral("PC-07");

// A folder as the administrator may find it, and what its report must say.
struct ShareCase {
  const char *name;
  std::function<void(TestInstallation &, FakeClock &, std::optional<FaultyFiles> &)> spoil;
  const char16_t *topic;
  Verdict verdict;
  const char16_t *says;  // a part of the line's text
};

void PrintTo(const ShareCase &c, std::ostream *os) { *os << c.name; }

class ShareCheck : public ::testing::TestWithParam<ShareCase> {};

const Finding *findingOf(const Report &r, const QString &topic) {
  for (const Finding &f : r.findings)
    if (f.topic.startsWith(topic)) return &f;
  return nullptr;
}

QStringList scratchLeft(const TestInstallation &inst) {
  return QDir(inst.contentFolder()).entryList({QStringLiteral("minatori-check*")}, QDir::Files);
}

TEST_P(ShareCheck, ReportsEachFolderAsItIs) {
  const ShareCase &c = GetParam();
  TestInstallation inst;
  FakeClock clock(QDateTime::currentDateTime());  // the server's clock is this machine's
  std::optional<FaultyFiles> files;
  c.spoil(inst, clock, files);
  const QString log = inst.contentFolder() + QStringLiteral("成績累積データ.dat");
  const auto logNow = [&log]() -> std::optional<QByteArray> {
    QFile f(log);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.readAll();
  };
  const std::optional<QByteArray> logBefore = logNow();
  const Report report = runChecks(inst.programFolder(), clock, kPc);
  const Finding *f = findingOf(report, QString::fromUtf16(c.topic));
  ASSERT_NE(f, nullptr) << report.text().toStdString();
  EXPECT_EQ(f->verdict, c.verdict) << f->text.toStdString();
  EXPECT_TRUE(f->text.contains(QString::fromUtf16(c.says))) << f->text.toStdString();
  // A healthy folder has nothing wrong, and the check always gets to its end.
  const bool bad = c.verdict == Verdict::Problem || c.verdict == Verdict::Warning;
  EXPECT_EQ(report.count(Verdict::Problem) + report.count(Verdict::Warning) > 0, bad) << report.text().toStdString();
  EXPECT_TRUE(findingOf(report, QStringLiteral("空き容量")) || report.contentFolder.isEmpty());

  // Once the share takes files again: the report file names the PC and the
  // line, in code page 932; nothing is left behind; and the results log is
  // as it was (never made, never repaired).
  files.reset();
  const std::optional<QString> written = writeReport(report);
  ASSERT_TRUE(written);
  const QString text = readCp932File(*written);
  EXPECT_TRUE(text.contains(kPc) && text.contains(f->text)) << text.toStdString();
  // A scratch file that was held to the end is the next check's to remove.
  if (f->text.contains(QStringLiteral("止まりました"))) runChecks(inst.programFolder(), clock, kPc);
  EXPECT_EQ(scratchLeft(inst), QStringList());
  EXPECT_EQ(logNow(), logBefore);
}

void nothing(TestInstallation &, FakeClock &, std::optional<FaultyFiles> &) {}

INSTANTIATE_TEST_SUITE_P(
    Folders, ShareCheck,
    ::testing::Values(
        ShareCase{"healthy", nothing, u"内容フォルダーの権利", Verdict::Ok, u"置き換え"},
        ShareCase{"no path file",
                  [](TestInstallation &inst, FakeClock &, std::optional<FaultyFiles> &) {
                    QFile::remove(inst.programFolder() + QStringLiteral("/../パスデータ.txt"));
                  },
                  u"設定ファイル", Verdict::Problem, u"パスデータ.txt"},
        ShareCase{"common data saved as UTF-8",
                  [](TestInstallation &inst, FakeClock &, std::optional<FaultyFiles> &) {
                    QFile f(inst.dataFolder() + QStringLiteral("共通データ.txt"));
                    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                    f.write(QStringLiteral("4,\"31415みなと塾\",0,0,0,\"sensei\",0,0,0,0\r\n").toUtf8());
                  },
                  u"設定ファイル", Verdict::Problem, u"共通データ.txt"},
        ShareCase{"a content folder without rights",
                  [](TestInstallation &inst, FakeClock &, std::optional<FaultyFiles> &files) {
                    files.emplace(inst.contentFolder());
                    files->failAt(1, FaultyFiles::Fault::Denied, FaultyFiles::kAlways);
                  },
                  u"内容フォルダーの権利", Verdict::Problem, u"権利がありません"},
        ShareCase{"a removal refused for ever (an immutable file, a scanner)",
                  [](TestInstallation &inst, FakeClock &, std::optional<FaultyFiles> &files) {
                    files.emplace(inst.contentFolder());
                    files->holdRemovals(scratchFileName(kPc) + QStringLiteral(".tmp"), FaultyFiles::kAlways);
                  },
                  u"内容フォルダーの権利", Verdict::Warning, u"消すところで止まりました"},
        ShareCase{"a full share: the scratch file is made, its bytes are refused",
                  [](TestInstallation &inst, FakeClock &, std::optional<FaultyFiles> &files) {
                    files.emplace(inst.contentFolder());
                    // After the removals of an earlier check's three files and the creation.
                    files->failAt(5, FaultyFiles::Fault::DiskFull);
                  },
                  u"内容フォルダーの権利", Verdict::Problem, u"空きがなくなりました"},
        ShareCase{"locks not enforced",
                  [](TestInstallation &inst, FakeClock &, std::optional<FaultyFiles> &files) {
                    files.emplace(inst.contentFolder());
                    files->locksNotEnforced = true;
                  },
                  u"ロック（同じパソコン）", Verdict::Problem, u"ロックが効いていません"},
        ShareCase{"a clock a day behind",
                  [](TestInstallation &, FakeClock &clock, std::optional<FaultyFiles> &) {
                    clock.set(clock.now().addDays(-1));
                  },
                  u"時計", Verdict::Warning, u"1440分遅れて"},
        ShareCase{"a teacher's delete cut off: its journal beside the log",
                  [](TestInstallation &inst, FakeClock &, std::optional<FaultyFiles> &) {
                    for (const char16_t *name : {u"成績累積データ.dat", u"成績累積データtemp.dat"}) {
                      QFile f(inst.contentFolder() + QString::fromUtf16(name));
                      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                      f.write(QByteArray(44, '\1'));
                    }
                  },
                  u"消去の控え", Verdict::Note, u"片づけます"},
        ShareCase{"a stale lock left by a stopped check",
                  [](TestInstallation &inst, FakeClock &clock, std::optional<FaultyFiles> &) {
                    // Its files stay; its lock went with its process.
                    TestInstallation::writeCp932(inst.contentFolder() + QString::fromUtf16(kOtherPcInfoFileName),
                                                 QStringLiteral("PC-01\r\n") +
                                                     clock.now().addSecs(-600).toString(Qt::ISODate));
                    QFile(inst.contentFolder() + QString::fromUtf16(kOtherPcLockFileName)).open(QIODevice::WriteOnly);
                  },
                  u"ロック（他のパソコン）", Verdict::Note, u"片づけました"}));

// A share that does not enforce locks between PCs: the second PC's check is
// granted the lock the first holds for it, and names the first. (That a
// second check is refused where locks hold, the real-input road shows with
// two processes.)
TEST(ShareCheck, ALockNotEnforcedBetweenPcsIsAProblem) {
  TestInstallation inst;
  FakeClock clock(QDateTime::currentDateTime());
  const LockForOtherPc first(inst.contentFolder(), QStringLiteral("PC-01"), clock);
  ASSERT_EQ(first.failure(), QString());
  FaultyFiles files(inst.contentFolder());
  files.locksNotEnforced = true;
  const Report second = runChecks(inst.programFolder(), clock, kPc);
  const Finding *f = findingOf(second, QStringLiteral("ロック（他のパソコン）"));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->verdict, Verdict::Problem);
  EXPECT_TRUE(f->text.contains(QStringLiteral("PC-01"))) << f->text.toStdString();
}

}  // namespace
