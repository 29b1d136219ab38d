// The 44-byte results record. Decoding copies every byte into a field and
// encoding writes every field back, so encode(decode(x)) is x byte for byte,
// even for a date that is a NaN (compared as bytes, not as doubles).

#include <cstring>

#include "fuzz/fuzzinput.h"
#include "results/seisekikiroku.h"

using namespace minatori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // The results log is records end to end; a cut-off tail is not a record.
  for (size_t at = 0; at + recordlayout::Size <= size; at += recordlayout::Size) {
    const char *bytes = reinterpret_cast<const char *>(data + at);
    const Seisekikiroku r = decodeRecord(bytes);
    const QByteArray again = encodeRecord(r);
    fuzz::check(again.size() == kResultRecordSize, "a record is 44 bytes");
    fuzz::check(std::memcmp(again.constData(), bytes, recordlayout::Size) == 0, "encode(decode(x)) == x");
    const Seisekikiroku back = decodeRecord(again.constData());
    fuzz::check(back.studentNumber == r.studentNumber && back.level == r.level && back.resultTime == r.resultTime &&
                    back.schoolCode == r.schoolCode && back.spareText1 == r.spareText1 &&
                    back.pointsText == r.pointsText && back.spareText2 == r.spareText2 &&
                    std::memcmp(&back.recordDate, &r.recordDate, sizeof r.recordDate) == 0 &&
                    std::memcmp(&back.recordTime, &r.recordTime, sizeof r.recordTime) == 0,
                "decode(encode(r)) has r's fields");
  }
  return 0;
}
