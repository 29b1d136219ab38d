#include "platform/cp932.h"

#include <windows.h>

#include <limits>

namespace minatori::cp932 {

namespace {
constexpr UINT kCodePage = 932;
constexpr qsizetype kMaxChunk = std::numeric_limits<int>::max() / 2;
}  // namespace

// MB_ERR_INVALID_CHARS makes an invalid or unassigned sequence an error
// instead of a silent U+30FB.
std::optional<QString> systemDecode(const QByteArray &bytes) {
  if (bytes.isEmpty()) return QString();
  if (bytes.size() > kMaxChunk) return std::nullopt;
  const int inLength = static_cast<int>(bytes.size());
  const int outLength = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.constData(), inLength, nullptr, 0);
  if (outLength <= 0) return std::nullopt;
  QString text(outLength, Qt::Uninitialized);
  if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.constData(), inLength,
                          reinterpret_cast<wchar_t *>(text.data()), outLength) != outLength)
    return std::nullopt;
  return text;
}

// WC_ERR_INVALID_CHARS exists only for UTF-8, so an unmappable character is
// caught through the default-character flag; WC_NO_BEST_FIT_CHARS keeps the
// system from writing a look-alike ("e" for "é") without setting it. A lone
// surrogate also comes out as the default character.
std::optional<QByteArray> systemEncode(const QString &text) {
  if (text.isEmpty()) return QByteArray();
  if (text.size() > kMaxChunk) return std::nullopt;
  const auto *in = reinterpret_cast<const wchar_t *>(text.utf16());
  const int inLength = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int outLength = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, in, inLength, nullptr, 0, nullptr, &usedDefault);
  if (outLength <= 0 || usedDefault) return std::nullopt;
  QByteArray bytes(outLength, Qt::Uninitialized);
  if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, in, inLength, bytes.data(), outLength, nullptr,
                          &usedDefault) != outLength ||
      usedDefault)
    return std::nullopt;
  return bytes;
}

}  // namespace minatori::cp932
