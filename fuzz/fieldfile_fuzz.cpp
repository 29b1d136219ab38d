// The field reader over any text: every reader of a slot, in turn, until the
// end. Each field takes at least one character, except one empty field after
// a final comma, so a text of n characters holds at most n + 1 fields.

#include <cmath>

#include "fuzz/fuzzinput.h"
#include "platform/fieldfile.h"

using namespace minatori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString file = QStringLiteral("fields.txt");
  const std::optional<QString> text = fuzz::decodedInput(data, size, file);
  if (!text) return 0;
  fuzz::expectingRuntimeError([&] {
    FieldReader in(*text, file);
    qsizetype fields = 0;
    int line = in.lineNumber();
    fuzz::check(line == 1, "the first field starts on line 1");
    while (!in.atEnd()) {
      fuzz::check(++fields <= text->size() + 1, "more fields than characters");
      switch (fields % 5) {
        case 0: in.readText(); break;
        case 1: in.readInt16(); break;
        case 2: in.readInt32(); break;
        case 3: fuzz::check(std::isfinite(in.readFloat()), "a float slot holds a finite number"); break;
        case 4: in.readLoose(); break;
      }
      const int next = in.lineNumber();
      fuzz::check(next >= line, "line numbers never go back");
      line = next;
    }
    // At the end, a further read is past the end.
    try {
      in.readText();
    } catch (const RuntimeError &e) {
      fuzz::check(e.number() == errc::InputPastEnd, "a read at the end is InputPastEnd");
      return;
    }
    fuzz::fail("a read at the end returned a field");
  });
  return 0;
}
