// The roster "新名簿.txt": its line reader on the text, then both screens'
// readers on the same bytes written into a data folder of their own.

#include <QDate>
#include <QTemporaryDir>

#include "app/programstate.h"
#include "fuzz/fuzzinput.h"
#include "roster/roster.h"

using namespace minatori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString file = QString::fromUtf16(kRosterFileName);
  const std::optional<QString> text = fuzz::decodedInput(data, size, file);
  if (!text) return 0;
  bool parsed = false;
  fuzz::expectingRuntimeError([&] {
    for (const RosterLine &line : parseRosterLines(*text, file))
      fuzz::check(line.entry.name.size() == kNameLength, "a name is held to its 20 characters");
    parsed = true;
  });
  if (!parsed) return 0;  // the screens read the same lines and stop at the same error

  static QTemporaryDir *const dir = new QTemporaryDir;
  static ProgramState *const state = [] {
    auto *s = new ProgramState;
    s->dataFolder = dir->path() + u'/';
    s->yearStartMonth = 4;
    return s;
  }();
  writeFileAtomically(rosterFilePath(*state), fuzz::bytesOf(data, size));
  const QDate today(2026, 12, 9);
  fuzz::expectingRuntimeError([&] {
    const std::vector<StudentLine> lines = readRosterForNameList(*state, today, static_cast<int>(size % 4));
    fuzz::check(static_cast<int>(lines.size()) == state->roster.rosterCount, "one name-list row per active line");
  });
  fuzz::expectingRuntimeError([&] { loadStudentList(*state, today); });
  return 0;
}
