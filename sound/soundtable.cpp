#include "sound/soundtable.h"

#include <array>

#include "app/programstate.h"
#include "platform/audio.h"
#include "platform/events.h"
#include "platform/fieldfile.h"
#include "platform/messageboxes.h"
#include "platform/random.h"
#include "platform/runtimeerror.h"
#include "platform/services.h"
#include "platform/textfile.h"

namespace minatori {

namespace {

constexpr std::array<const char16_t *, kSoundCategories> kKeys = {
    u"正解音1", u"正解音2", u"間違い音1", u"間違い音2", u"最高音1",
    u"最高音2", u"自己最高音1", u"自己最高音2", u"自己最高音3", u"不合格音1"};

// Sends one play command and keeps what it returned.
PlayResult play(ProgramState &state, const Services &services, const QString &stem) {
  SoundTable &t = state.sounds;
  const QString file = state.soundFolder + stem + QStringLiteral(".wav");
  t.lastCommand = QStringLiteral("play ") + file + QStringLiteral(" wait");
  const PlayResult r = services.audio ? services.audio->playAndWait(file)
                                      : PlayResult{audioerr::CannotInitialise, QStringLiteral("音声がありません")};
  t.lastReturnCode = QString::number(r.code);
  t.lastErrorText = r.errorText.left(255);
  return r;
}

QString randomStem(const ProgramState &state, const Services &services, int category) {
  const SoundTable &t = state.sounds;
  const int count = static_cast<int>(leadingNumber(t.counts[category]));
  const int n = services.random->pick(count);
  return n >= 1 && n <= kSoundStems ? t.stems[category][n] : QString();
}

}  // namespace

QString soundCategoryKey(int category) {
  if (category < 1 || category > kSoundCategories) return {};
  return QString::fromUtf16(kKeys[category - 1]);
}

void loadSoundTable(ProgramState &state) {
  const QString path = state.soundFolder + QString::fromUtf16(kSoundTableFileName);
  parseSoundTable(state.sounds, readCp932File(path), path);
}

void parseSoundTable(SoundTable &t, const QString &text, const QString &file) {
  for (int k = 1; k <= kSoundCategories; ++k) t.keys[k] = soundCategoryKey(k);
  FieldReader in(text, file);
  while (!in.atEnd()) {
    const QString item = in.readText();
    for (int k = 1; k <= kSoundCategories; ++k) {
      if (item != t.keys[k]) continue;
      for (int p = 1; p <= kSoundStems; ++p) {
        // A block cut off by the end of the file ends there, as if closed.
        if (in.atEnd()) break;
        const QString stem = in.readText();
        if (stem == QStringLiteral("*")) {
          t.counts[k] = QString::number(p - 1);
          break;
        }
        t.stems[k][p] = stem;
      }
    }
  }
}

void playSound(ProgramState &state, const Services &services, const QString &stem) {
  play(state, services, stem);
}

void playRandomSound(ProgramState &state, const Services &services, int category) {
  play(state, services, randomStem(state, services, category));
}

void playDrillSound(ProgramState &state, const Services &services, int category) {
  const PlayResult r = play(state, services, randomStem(state, services, category));
  letPendingMessagesRun();
  SoundTable &t = state.sounds;
  if (r.code == 0) {
    t.drillFailures = 0;
    return;
  }
  if (t.drillFailures < 3) {
    ++t.drillFailures;
    return;
  }
  services.messages->show(QStringLiteral("音声がでません。先生を呼びなさい。\r\n") + t.lastErrorText,
                          QStringLiteral("音声エラー"), MessageButtons::Ok);
  throw ProgramEndRequest(1);
}

}  // namespace minatori
