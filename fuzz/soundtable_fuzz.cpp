// The sound table "新音ファイル.txt".

#include "fuzz/fuzzinput.h"
#include "sound/soundtable.h"

using namespace minatori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString file = QString::fromUtf16(kSoundTableFileName);
  const std::optional<QString> text = fuzz::decodedInput(data, size, file);
  if (!text) return 0;
  fuzz::expectingRuntimeError([&] {
    SoundTable table;
    parseSoundTable(table, *text, file);
    for (int k = 1; k <= kSoundCategories; ++k) {
      if (table.counts[k].isEmpty()) continue;
      const int count = table.counts[k].toInt();
      fuzz::check(count >= 0 && count < kSoundStems, "a closed block holds fewer stems than its slots");
    }
  });
  return 0;
}
