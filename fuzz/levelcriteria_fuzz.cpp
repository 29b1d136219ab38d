// The criteria file "タイム回数データ.txt".

#include "app/levelcriteria.h"
#include "fuzz/fuzzinput.h"

using namespace minatori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString file = QString::fromUtf16(kCriteriaFileName);
  const std::optional<QString> text = fuzz::decodedInput(data, size, file);
  if (!text) return 0;
  fuzz::expectingRuntimeError([&] { parseLevelCriteria(*text, file, CriteriaTable{}); });
  return 0;
}
