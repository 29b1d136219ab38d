#include "app/levelcatalogue.h"

#include <array>

#include "app/programstate.h"

namespace minatori {

namespace {
// Level 20 carries an ASCII "1" where its neighbours have full-width digits;
// results and printouts already made show it that way.
constexpr std::array<const char16_t *, kNamedLevels> kLevelNames = {
    u"練習１",       u"１－１",       u"１－２",       u"１－３",       u"練習２",
    u"２－１",       u"２－２",       u"２－３",       u"練習３",       u"３－１",
    u"３－２",       u"３－３",       u"レベル５練習", u"レベル５－１", u"レベル５－２",
    u"レベル６練習", u"レベル６－１", u"レベル６－２", u"レベル７練習", u"レベル７－1",
    u"レベル７－２", u"レベル８練習", u"レベル８－１", u"レベル８－２"};
}  // namespace

void setProgramIdentity(ProgramState &state) {
  state.programTitle = QStringLiteral("ミナトリ");
  state.printButtonSwitch = 0;
  state.levelsOpenSwitch = 1;
}

QString catalogueLevelName(int level) {
  if (level < 1 || level > kNamedLevels) return {};
  return QString::fromUtf16(kLevelNames[level - 1]);
}

void buildLevelCatalogue(ProgramState &state) {
  state.levelCount = kOfferedLevels;
  state.levelCountLoose = LooseValue::fromNumber(kOfferedLevels);
  for (int level = 1; level <= kNamedLevels; ++level) {
    state.levelNames[level] = catalogueLevelName(level);
    state.levelDefined[level] = 1;
  }
}

bool isPracticeLevelByNumber(int level) { return level % 4 == 1; }

bool isPracticeLevelByName(const QString &levelName) { return levelName.contains(u'練'); }

int levelGroup(int level) { return (level - 1) / 4 + 1; }

int itemsPerQuestion(int level) {
  if (level < 1 || isPracticeLevelByNumber(level)) return 0;
  return (level - 1) % 4 + 2;
}

}  // namespace minatori
