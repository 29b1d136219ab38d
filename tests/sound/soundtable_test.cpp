#include "sound/soundtable.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/programstate.h"
#include "platform/audio.h"
#include "platform/random.h"
#include "platform/runtimeerror.h"
#include "platform/services.h"
#include "tests/support/recordingaudio.h"
#include "tests/support/recordingmessageboxes.h"
#include "tests/support/testinstallation.h"
#include "tools/soundsynth.h"

using namespace minatori;
using minatori::test::RecordingAudio;
using minatori::test::RecordingMessageBoxes;
using minatori::test::TestInstallation;

namespace {

class SoundTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.soundFolder = dir.path() + u'/';
    random.seed(1);
  }
  void load(const QString &table) {
    TestInstallation::writeCp932(state.soundFolder + QStringLiteral("新音ファイル.txt"), table);
    loadSoundTable(state);
  }
  Services services() { return {nullptr, &random, &messages, &audio}; }
  const SoundTable &t() const { return state.sounds; }

  QTemporaryDir dir;
  ProgramState state;
  Random random;
  RecordingMessageBoxes messages;
  RecordingAudio audio;
};

TEST_F(SoundTableTest, BlocksGiveStemsAndCounts) {
  load(QStringLiteral("正解音1,ok1,ok2,*\r\n\"間違い音1\", \"no 1\" ,*\r\nstray,正解音2\r\nping\r\n*\r\n"));
  for (int k = 1; k <= kSoundCategories; ++k) EXPECT_EQ(t().keys[k], soundCategoryKey(k));
  EXPECT_EQ(t().keys[10], QStringLiteral("不合格音1"));
  EXPECT_EQ(t().counts[sound::Correct1], QStringLiteral("2"));
  EXPECT_EQ(t().stems[sound::Correct1][1], QStringLiteral("ok1"));
  EXPECT_EQ(t().stems[sound::Correct1][2], QStringLiteral("ok2"));
  EXPECT_EQ(t().counts[sound::Wrong1], QStringLiteral("1"));
  EXPECT_EQ(t().stems[sound::Wrong1][1], QStringLiteral("no 1"));
  EXPECT_EQ(t().counts[sound::Correct2], QStringLiteral("1"));  // a block may span lines
  EXPECT_TRUE(t().counts[sound::Wrong2].isEmpty());             // never given
}

TEST_F(SoundTableTest, ASecondBlockOverwritesThePositionsItReaches) {
  load(QStringLiteral("正解音1,a,b,c,*\r\n正解音1,x,*\r\n"));
  EXPECT_EQ(t().counts[sound::Correct1], QStringLiteral("1"));
  EXPECT_EQ(t().stems[sound::Correct1][1], QStringLiteral("x"));
  EXPECT_EQ(t().stems[sound::Correct1][2], QStringLiteral("b"));
}

TEST_F(SoundTableTest, TwentyStemsWithoutACloseLeaveTheCountUnchanged) {
  QString line = QStringLiteral("正解音2");
  for (int i = 1; i <= 20; ++i) line += QStringLiteral(",s%1").arg(i);
  load(line + QStringLiteral(",*\r\n"));
  EXPECT_TRUE(t().counts[sound::Correct2].isEmpty());
  EXPECT_EQ(t().stems[sound::Correct2][20], QStringLiteral("s20"));
  // Only stem 1 is ever played.
  for (int i = 0; i < 20; ++i) playRandomSound(state, services(), sound::Correct2);
  EXPECT_EQ(audio.played.count(state.soundFolder + QStringLiteral("s1.wav")), 20);
}

TEST_F(SoundTableTest, ABlockCutOffByTheEndOfTheFileKeepsItsStems) {
  load(QStringLiteral("正解音1,a,b"));
  EXPECT_EQ(t().stems[sound::Correct1][2], QStringLiteral("b"));
  EXPECT_TRUE(t().counts[sound::Correct1].isEmpty());
}

TEST_F(SoundTableTest, AMissingTableIsFileNotFoundNamingIt) {
  try {
    loadSoundTable(state);
    FAIL();
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), errc::FileNotFound);
    EXPECT_EQ(e.file(), state.soundFolder + QStringLiteral("新音ファイル.txt"));
  }
}

TEST_F(SoundTableTest, EachOfThreeStemsIsPickedAboutAThirdOfTheTime) {
  load(QStringLiteral("自己最高音2,a,b,c,*\r\n"));
  const int draws = 30000;
  for (int i = 0; i < draws; ++i) playRandomSound(state, services(), sound::PersonalBest2);
  for (const char *stem : {"a", "b", "c"}) {
    const int n = audio.played.count(state.soundFolder + QString::fromLatin1(stem) + QStringLiteral(".wav"));
    EXPECT_NEAR(n, draws / 3, draws / 30) << stem;
  }
}

TEST_F(SoundTableTest, TheCommandAndItsResultAreKept) {
  load(QStringLiteral("正解音1,ok,*\r\n"));
  audio.results = {{2, QStringLiteral("cannot open")}};
  playRandomSound(state, services(), sound::Correct1);
  EXPECT_EQ(t().lastCommand, QStringLiteral("play ") + state.soundFolder + QStringLiteral("ok.wav wait"));
  EXPECT_EQ(t().lastReturnCode, QStringLiteral("2"));
  EXPECT_EQ(t().lastErrorText, QStringLiteral("cannot open"));
  playSound(state, services(), QString::fromUtf16(kLevelBestSoundStem));
  EXPECT_EQ(t().lastCommand, QStringLiteral("play ") + state.soundFolder + QStringLiteral("最高1.wav wait"));
  EXPECT_EQ(t().lastReturnCode, QStringLiteral("0"));
  EXPECT_TRUE(messages.shown.empty());  // outside the drill a failure is silent
}

TEST_F(SoundTableTest, ACategoryWithoutStemsAsksForAnEmptyStem) {
  load(QStringLiteral("正解音1,ok,*\r\n"));
  playRandomSound(state, services(), sound::Fail1);
  EXPECT_EQ(t().lastCommand, QStringLiteral("play ") + state.soundFolder + QStringLiteral(".wav wait"));
}

// The drill's failure rule over a run of play results: 'f' fails, 'o' plays.
struct FailureCase {
  const char *name;
  const char *results;
  bool ends;          // the program is ended after the last sound
  int failuresAfter;  // counter when it does not end
};

class DrillFailureRule : public SoundTableTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DrillFailureRule, EndsOnTheFourthFailureInARow) {
  load(QStringLiteral("正解音1,ok,*\r\n"));
  const FailureCase &c = GetParam();
  const std::string results = c.results;
  for (char r : results) audio.results.push_back(r == 'f' ? PlayResult{3, QStringLiteral("no device")} : PlayResult{});
  bool ended = false;
  for (size_t i = 0; i < results.size(); ++i) {
    try {
      playDrillSound(state, services(), sound::Correct1);
    } catch (const ProgramEndRequest &e) {
      ended = true;
      EXPECT_EQ(i, results.size() - 1) << "ended early";
      EXPECT_EQ(e.exitCode(), 1);
    }
  }
  EXPECT_EQ(ended, c.ends);
  if (c.ends) {
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("音声がでません。先生を呼びなさい。\r\nno device"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("音声エラー"));
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
  } else {
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(t().drillFailures, c.failuresAfter);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DrillFailureRule,
                         ::testing::Values(FailureCase{"three_are_silent", "fff", false, 3},
                                           FailureCase{"fourth_ends", "ffff", true, 0},
                                           FailureCase{"a_success_resets", "fffofff", false, 3},
                                           FailureCase{"reset_then_fourth_ends", "fffoffff", true, 0},
                                           FailureCase{"successes_only", "ooo", false, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SoundTableTest, FourDrillSoundsOfAnEmptyCategoryEndTheProgram) {
  load(QStringLiteral("正解音1,ok,*\r\n"));
  audio.failAll = true;
  for (int i = 0; i < 3; ++i) playDrillSound(state, services(), sound::Wrong2);
  EXPECT_THROW(playDrillSound(state, services(), sound::Wrong2), ProgramEndRequest);
  EXPECT_EQ(t().lastCommand, QStringLiteral("play ") + state.soundFolder + QStringLiteral(".wav wait"));
}

TEST(DemoSoundTable, NamesOnlySoundsTheBuildGenerates) {
  TestInstallation inst;
  ProgramState s;
  s.soundFolder = inst.soundFolder();
  loadSoundTable(s);
  QStringList generated;
  for (const auto &snd : synth::demoSounds()) generated << snd.stem;
  for (int k = 1; k <= kSoundCategories; ++k) {
    const int count = s.sounds.counts[k].toInt();
    EXPECT_GE(count, 1) << k;
    for (int p = 1; p <= count; ++p) EXPECT_TRUE(generated.contains(s.sounds.stems[k][p])) << k << " " << p;
  }
  EXPECT_TRUE(generated.contains(QString::fromUtf16(kLevelBestSoundStem)));
  EXPECT_TRUE(generated.contains(QString::fromUtf16(kFinalClearSoundStem)));
}

// --- Playback through SDL's own drivers, with no sound device needed. ---

class SdlPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    // Under Japanese folder names, as the classroom's sound folder is.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("音フォルダ")));
    wav = dir.filePath(QStringLiteral("音フォルダ/正解ピン.wav"));
    samples = synth::render({{440, 0, 0.3, 1, synth::Timbre::Soft}});
    QFile f(wav);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(synth::wavFile(samples));
  }
  void TearDown() override {
    qunsetenv("SDL_AUDIODRIVER");
    qunsetenv("SDL_DISKAUDIOFILE");
    qunsetenv("SDL_DISKAUDIODELAY");
  }
  QTemporaryDir dir;
  QString wav;
  std::vector<qint16> samples;
  SdlAudioPlayer player;
};

TEST_F(SdlPlayback, TheDiskDriverReceivesEverySample) {
  // No SDL_DISKAUDIODELAY: on Windows SDL's getenv answers every call in one
  // buffer, and the driver would open a file named after the delay's value.
  // The sound plays at its own speed, a third of a second.
  const QString out = dir.filePath(QStringLiteral("out.raw"));
  qputenv("SDL_AUDIODRIVER", "disk");
  qputenv("SDL_DISKAUDIOFILE", out.toLocal8Bit());
  const PlayResult r = player.playAndWait(wav);
  ASSERT_EQ(r.code, 0) << r.errorText.toStdString();
  // The device may write in its own format; at least the sound's bytes arrive.
  EXPECT_GE(QFile(out).size(), static_cast<qint64>(samples.size() * 2));
}

TEST_F(SdlPlayback, TheDummyDriverPlaysToTheEnd) {
  qputenv("SDL_AUDIODRIVER", "dummy");
  const PlayResult r = player.playAndWait(wav);
  EXPECT_EQ(r.code, 0) << r.errorText.toStdString();
}

TEST_F(SdlPlayback, AMissingOrBrokenFileIsAnErrorWithAText) {
  qputenv("SDL_AUDIODRIVER", "dummy");
  const PlayResult missing = player.playAndWait(dir.filePath(QStringLiteral("none.wav")));
  EXPECT_EQ(missing.code, audioerr::CannotLoadFile);
  EXPECT_TRUE(missing.errorText.contains(QStringLiteral("none.wav")));
  QFile f(dir.filePath(QStringLiteral("bad.wav")));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("RIFF not a wave at all");
  f.close();
  EXPECT_EQ(player.playAndWait(f.fileName()).code, audioerr::CannotLoadFile);
}

}  // namespace
