// The history table "歴史年2001.CSV", with the level group taken from the first
// byte so that the row filter is exercised too.

#include "content/historytable.h"
#include "fuzz/fuzzinput.h"

using namespace minatori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  const int levelGroup = data[0] % 12;  // the program's groups are 1..9
  const QString file = QString::fromUtf16(kHistoryFileName);
  const std::optional<QString> text = fuzz::decodedInput(data + 1, size - 1, file);
  if (!text) return 0;
  fuzz::expectingRuntimeError([&] {
    const HistoryTable table = parseHistoryRows(*text, file, levelGroup);
    for (const HistoryRow &r : table.rows) {
      fuzz::check(r.firstGroup <= levelGroup, "a kept row belongs to the level group");
      r.listEntry();
    }
  });
  return 0;
}
