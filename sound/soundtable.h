#pragma once
// Feedback sounds: the sound table "新音ファイル.txt" maps ten categories to
// WAV file stems in the sound folder; a sound of a category is picked at
// random each time so the feedback varies.

#include <QString>
#include <array>

namespace minatori {

struct ProgramState;
struct Services;

inline constexpr int kSoundCategories = 10;
inline constexpr int kSoundStems = 20;  // items read after a key, the "*" among them

// Category numbers, in the table's fixed order.
namespace sound {
inline constexpr int Correct1 = 1;       // 正解音1: a question completed
inline constexpr int Correct2 = 2;       // 正解音2: a right drop
inline constexpr int Wrong1 = 3;         // 間違い音1: a wrong drop
inline constexpr int Wrong2 = 4;         // 間違い音2: a refusal on the name-selection screen
inline constexpr int Best1 = 5;          // 最高音1: loaded, not played
inline constexpr int Best2 = 6;          // 最高音2: loaded, not played
inline constexpr int PersonalBest1 = 7;  // 自己最高音1: loaded, not played
inline constexpr int PersonalBest2 = 8;  // 自己最高音2: a new personal record
inline constexpr int PersonalBest3 = 9;  // 自己最高音3: loaded, not played
inline constexpr int Fail1 = 10;         // 不合格音1: no record, but within the lowest passing time
}  // namespace sound

inline constexpr const char16_t *kSoundTableFileName = u"新音ファイル.txt";
// Fixed sounds in the sound folder.
inline constexpr const char16_t *kLevelBestSoundStem = u"最高1";  // a new all-time record
inline constexpr const char16_t *kFinalClearSoundStem = u"合格";  // the last level cleared

struct SoundTable {
  std::array<QString, kSoundCategories + 1> keys{};  // slot 0 unused
  std::array<std::array<QString, kSoundStems + 1>, kSoundCategories + 1> stems{};
  std::array<QString, kSoundCategories + 1> counts{};  // as text; empty when never given

  QString lastCommand;     // "play " + file + " wait"
  QString lastReturnCode;  // as text
  QString lastErrorText;
  qint16 drillFailures = 0;  // drill sounds failed in a row
};

// The ten keys in their order.
QString soundCategoryKey(int category);

// Reads the sound table from the sound folder. Throws RuntimeError when the
// file is missing.
void loadSoundTable(ProgramState &state);
// The same from the table's text: categories the text names take its stems,
// the others keep theirs.
void parseSoundTable(SoundTable &table, const QString &text, const QString &file);

// Plays soundFolder + stem + ".wav" and waits for its end; a failure is silent.
void playSound(ProgramState &state, const Services &services, const QString &stem);
// Picks a stem of the category at random and plays it; a failure is silent.
void playRandomSound(ProgramState &state, const Services &services, int category);
// A drill sound: as playRandomSound, but the fourth failure in a row tells
// the student to call the teacher and ends the program.
void playDrillSound(ProgramState &state, const Services &services, int category);

}  // namespace minatori
