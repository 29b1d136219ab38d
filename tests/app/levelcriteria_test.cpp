#include "app/levelcriteria.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/programstate.h"
#include "platform/runtimeerror.h"
#include "platform/textfile.h"
#include "platform/filesystem.h"
#include "tests/support/faultyfiles.h"
#include "tests/support/testinstallation.h"
#include "tests/support/holdingagent.h"

using namespace minatori;

namespace {

const QString kHeader = QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n");

QString levelLines(int count) {
  QString t;
  for (int k = 1; k <= count; ++k) t += QStringLiteral("%1,180,50,3,1,10,200,14,7,,,\r\n").arg(100 + k);
  return t;
}

CriteriaTable parse(const QString &text) { return parseLevelCriteria(text, QStringLiteral("c.txt"), {}); }

TEST(LevelCriteria, ALevelLineFillsEveryField) {
  const CriteriaTable t = parse(kHeader + QStringLiteral("120,180,50,3,1.5,10,200,14,7,,x,\r\n"));
  const LevelCriteria &c = t[1];
  EXPECT_EQ(c.targetTime, 120);
  EXPECT_EQ(c.lowestTime, 180);
  EXPECT_EQ(c.lowestTime * 5, 900);  // the drill's time-out
  EXPECT_EQ(c.clearPoints, 50);
  EXPECT_EQ(c.clearCount, 3);
  EXPECT_FLOAT_EQ(c.pointRate, 1.5f);
  EXPECT_EQ(c.banCount.toNumber(), 10);
  EXPECT_EQ(c.banPoints.toNumber(), 200);
  EXPECT_EQ(c.passPeriodDays.toNumber(), 14);
  EXPECT_EQ(c.banPeriodDays.toNumber(), 7);
  EXPECT_TRUE(c.spare10.isEmpty());
  EXPECT_EQ(c.spare11.text(), QStringLiteral("x"));
  EXPECT_TRUE(c.spare12.isEmpty());
  // The header line lands in slot 0 and reads as zeros.
  EXPECT_EQ(t[0].targetTime, 0);
}

TEST(LevelCriteria, OnlyAHeaderLeavesEveryLevelAtZero) {
  const CriteriaTable t = parse(kHeader);
  for (int k = 1; k < kCriteriaSlots; ++k) EXPECT_EQ(t[k], LevelCriteria{}) << k;
}

TEST(LevelCriteria, TwelveLinesFillTwelveSlots) {
  const CriteriaTable t = parse(kHeader + levelLines(12));
  EXPECT_EQ(t[12].targetTime, 112);
  for (int k = 13; k < kCriteriaSlots; ++k) EXPECT_EQ(t[k], LevelCriteria{}) << k;
}

TEST(LevelCriteria, LinesBeyondLevel35AreIgnored) {
  const CriteriaTable t = parse(kHeader + levelLines(40));
  EXPECT_EQ(t[35].targetTime, 135);
}

TEST(LevelCriteria, LevelsWithoutALineKeepTheirValues) {
  CriteriaTable before{};
  before[5].targetTime = 77;
  const CriteriaTable t = parseLevelCriteria(kHeader + levelLines(2), QStringLiteral("c.txt"), before);
  EXPECT_EQ(t[2].targetTime, 102);
  EXPECT_EQ(t[5].targetTime, 77);
}

TEST(LevelCriteria, TextInFixedFieldsReadsAsItsLeadingNumber) {
  const CriteriaTable t = parse(kHeader + QStringLiteral("90秒,abc,,2回,1.5倍,many,,14,,,,\r\n"));
  EXPECT_EQ(t[1].targetTime, 90);
  EXPECT_EQ(t[1].lowestTime, 0);
  EXPECT_EQ(t[1].clearPoints, 0);
  EXPECT_EQ(t[1].clearCount, 2);
  EXPECT_FLOAT_EQ(t[1].pointRate, 1.5f);
  EXPECT_EQ(t[1].banCount.text(), QStringLiteral("many"));
  EXPECT_EQ(t[1].banCount.toNumber(), 0);
  EXPECT_EQ(t[1].banPoints.toNumber(), 0);  // empty counts as 0: no limit
}

TEST(LevelCriteria, AShortLineTakesItsFieldsFromTheNext) {
  const CriteriaTable t = parse(kHeader + QStringLiteral("1,2,3\r\n4,5,6,7,8,9,10,11,12\r\n20,21,22,23,24,25,26,27,28,,,\r\n"));
  EXPECT_EQ(t[1].targetTime, 1);
  EXPECT_EQ(t[1].clearCount, 4);
  EXPECT_EQ(t[1].spare12.text(), QStringLiteral("12"));
  EXPECT_EQ(t[2].targetTime, 20);
}

TEST(LevelCriteria, AShortLastLineIsInputPastEnd) {
  try {
    parse(kHeader + QStringLiteral("1,2,3\r\n"));
    FAIL();
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), errc::InputPastEnd);
    EXPECT_EQ(e.file(), QStringLiteral("c.txt"));
  }
}

TEST(LevelCriteria, AShortLastLineIsInputPastEndEvenBeforeBlankLines) {
  // Ten blank lines would once have given the nine missing fields.
  QString text = kHeader + QStringLiteral("1,2,3");
  for (int i = 0; i < 10; ++i) text += QStringLiteral("\r\n");
  try {
    parse(text);
    FAIL();
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), errc::InputPastEnd);
  }
}

TEST(LevelCriteria, AFailedLoadLeavesTheTableAsItWas) {
  test::TestInstallation inst;
  ProgramState s;
  s.contentFolder = inst.contentFolder();
  loadLevelCriteria(s);
  const CriteriaTable before = s.criteria;
  test::TestInstallation::writeCp932(criteriaFilePath(s), kHeader + QStringLiteral("1,2,3\r\n"));
  EXPECT_THROW(loadLevelCriteria(s), RuntimeError);
  EXPECT_EQ(s.criteria, before);
}

class CriteriaFile : public ::testing::Test {
 protected:
  void SetUp() override { state.contentFolder = inst.contentFolder(); }
  QByteArray fileBytes() const { return readWholeFile(criteriaFilePath(state)); }
  test::TestInstallation inst;
  ProgramState state;
};

TEST_F(CriteriaFile, ReadAndWrittenAgainIsByteIdentical) {
  const QByteArray original = fileBytes();
  saveLevelCriteria(state, readCriteriaRows(criteriaFilePath(state)));
  EXPECT_EQ(fileBytes(), original);
  EXPECT_EQ(state.criteria[2].targetTime, 45);  // and the program uses it at once
}

TEST_F(CriteriaFile, EditedCellsAreWrittenAsTypedAndTakeEffect) {
  auto rows = readCriteriaRows(criteriaFilePath(state));
  ASSERT_EQ(rows.size(), 12u);
  rows[1][0] = QStringLiteral("99");
  rows[1][9] = QStringLiteral("メモ");
  saveLevelCriteria(state, rows);
  EXPECT_EQ(state.criteria[2].targetTime, 99);
  EXPECT_EQ(state.criteria[2].spare10.text(), QStringLiteral("メモ"));
  const QString text = decodeCp932(fileBytes(), {});
  EXPECT_TRUE(text.startsWith(kHeader));
  EXPECT_TRUE(text.contains(QStringLiteral("\r\n99,70,30,3,1,15,150,14,1,メモ,,\r\n")));
}

TEST_F(CriteriaFile, TheStandardLineHasElevenCommas) {
  saveLevelCriteria(state, {{"120", "180", "50", "3", "1", "10", "200", "14", "7", "", "", ""}});
  EXPECT_EQ(decodeCp932(fileBytes(), {}), kHeader + QStringLiteral("120,180,50,3,1,10,200,14,7,,,\r\n"));
}

TEST_F(CriteriaFile, ACellThatCannotBeEncodedLeavesTheFileUntouched) {
  const QByteArray original = fileBytes();
  auto rows = readCriteriaRows(criteriaFilePath(state));
  rows[0][9] = QStringLiteral("🙂");
  EXPECT_THROW(saveLevelCriteria(state, rows), RuntimeError);
  EXPECT_EQ(fileBytes(), original);
}

// Other PCs read the file at their start, and a scanner may open the new one
// at once: the rename over it is refused K times, or held past the short
// retries. Saved whole, or refused as busy with the file and the criteria in
// use as they were; no temporary file is left either way.
TEST_F(CriteriaFile, AFileHeldByAnotherProgramIsSavedOrLeftAsItWas) {
  const QByteArray original = fileBytes();
  auto rows = readCriteriaRows(criteriaFilePath(state));
  rows[1][0] = QStringLiteral("99");
  for (const int times : {1, 3, faults::FaultyFiles::kAlways}) {
    SCOPED_TRACE(times);
    const bool saved = times != faults::FaultyFiles::kAlways;
    {
      faults::FaultyFiles files(inst.contentFolder());
      files.hold(QString::fromUtf16(kCriteriaFileName), times);
      try {
        saveLevelCriteria(state, rows);
        EXPECT_TRUE(saved);
      } catch (const RuntimeError &e) {
        EXPECT_FALSE(saved);
        EXPECT_EQ(e.number(), errc::FileBusy);
        EXPECT_EQ(files.heldWaitMs(), kHeldRetryBoundMs);
      }
    }
    EXPECT_EQ(fileBytes() == original, !saved);
    EXPECT_EQ(state.criteria[2].targetTime, saved ? 99 : 45);
    EXPECT_EQ(QDir(inst.contentFolder()).entryList({QStringLiteral("*.tmp")}, QDir::Files), QStringList());
    test::TestInstallation::writeCp932(criteriaFilePath(state), decodeCp932(original, {}));
    loadLevelCriteria(state);
  }
  // Read at a PC's start while a scanner holds it for a moment: read all the same.
  faults::FaultyFiles files(inst.contentFolder());
  files.hold(QString::fromUtf16(kCriteriaFileName), 3);
  EXPECT_NO_THROW(loadLevelCriteria(state));
}

// Another program (an anti-virus scanner, a backup agent) holds the criteria
// file with no sharing while it is saved. A hold shorter than the short
// retries is waited out; a longer one fails with FileBusy and leaves every
// file of the installation as it was, no temporary file left behind.
TEST_F(CriteriaFile, ASaveWaitsOutAShortHoldAndGivesUpOnALongOne) {
  if (!programsCanHoldFiles()) GTEST_SKIP() << "this system has no share modes: no program can hold a file against another";
  loadLevelCriteria(state);
  auto rows = readCriteriaRows(criteriaFilePath(state));
  rows[1][0] = QStringLiteral("99");
  for (const bool longHold : {true, false}) {
    SCOPED_TRACE(longHold ? "held until stopped" : "held 500 ms");
    const auto before = inst.snapshot();
    test::HoldingAgent agent(criteriaFilePath(state),
                             longHold ? test::HoldingAgent::untilStopped() : test::HoldingAgent::forMs(500));
    ASSERT_TRUE(agent.waitUntilHeld());
    int error = 0;
    try {
      saveLevelCriteria(state, rows);
    } catch (const RuntimeError &e) {
      error = e.number();
    }
    agent.stop();
    EXPECT_FALSE(agent.finish().isEmpty());
    if (longHold) {
      EXPECT_EQ(error, errc::FileBusy);
      EXPECT_EQ(inst.snapshot(), before);
      EXPECT_EQ(state.criteria[2].targetTime, 45);
    } else {
      EXPECT_EQ(error, 0);
      EXPECT_EQ(state.criteria[2].targetTime, 99);
      EXPECT_TRUE(decodeCp932(fileBytes(), {}).contains(QStringLiteral("\r\n99,70,30,3,1,15,150,14,1,,,\r\n")));
    }
  }
}

}  // namespace
