#include "platform/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace minatori::cp932 {

// Qt's "windows-31j" is ICU's Microsoft table: it converts exactly as
// Windows does, NEC and IBM rows included, but for three control codes it
// keeps the IBM PC's rotation (byte 0x1A is U+001C, 0x1C is U+007F, 0x7F is
// U+001A), where Windows maps all three to themselves. Those are turned
// back here, so that an end-of-file mark (0x1A) is what it is on Windows.
// Stateless: input that ends inside a character (a lone surrogate, a lone
// lead byte) is an error instead of being held back without a word.

namespace {
char16_t fromIcu(char16_t c) {
  switch (c) {
    case 0x1C: return 0x1A;
    case 0x7F: return 0x1C;
    case 0x1A: return 0x7F;
    default: return c;
  }
}
char16_t toIcu(char16_t c) {
  switch (c) {
    case 0x1A: return 0x1C;
    case 0x1C: return 0x7F;
    case 0x7F: return 0x1A;
    default: return c;
  }
}
}  // namespace

std::optional<QString> systemDecode(const QByteArray &bytes) {
  QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
  QString text = decoder.decode(bytes);
  if (!decoder.isValid() || decoder.hasError()) return std::nullopt;
  for (QChar &c : text) c = QChar(fromIcu(c.unicode()));
  return text;
}

std::optional<QByteArray> systemEncode(const QString &text) {
  QString icuText = text;
  for (QChar &c : icuText) c = QChar(toIcu(c.unicode()));
  QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
  QByteArray bytes = encoder.encode(icuText);
  if (!encoder.isValid() || encoder.hasError()) return std::nullopt;
  return bytes;
}

}  // namespace minatori::cp932
