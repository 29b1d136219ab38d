// The two configuration files, "パスデータ.txt" and "共通データ.txt": the same
// text through both.

#include "app/configuration.h"
#include "app/programstate.h"
#include "fuzz/fuzzinput.h"

using namespace minatori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString pathFile = QString::fromUtf16(kPathFileName);
  const std::optional<QString> text = fuzz::decodedInput(data, size, pathFile);
  if (!text) return 0;
  fuzz::expectingRuntimeError([&] { parsePathData(*text, pathFile); });
  // One state for the whole run: it is large, and the parse only sets a few fields.
  static ProgramState *const state = new ProgramState;
  fuzz::expectingRuntimeError([&] {
    parseCommonData(*state, *text, QString::fromUtf16(kCommonFileName));
    fuzz::check(state->schoolCode.isEmpty() || state->schoolCode.size() == 5, "a school code has five characters");
  });
  return 0;
}
