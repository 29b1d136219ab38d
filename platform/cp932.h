#pragma once
// The system's own code page 932 converter, one source per system:
// cp932_icu.cpp (Debian: Qt's ICU-backed codec) and cp932_windows.cpp
// (Windows: the system's conversion functions, since the Windows build has
// no ICU). Both give the same bytes for every character code page 932 has.
// Everything that does not depend on the converter (the byte-order mark,
// UTF-8 detection, the look-alike mapping, a lone lead byte at the end)
// stays in textfile.cpp, the one text-conversion interface.

#include <QByteArray>
#include <QString>
#include <optional>

namespace minatori::cp932 {

// The text of `bytes`; nothing when a byte sequence is not code page 932.
std::optional<QString> systemDecode(const QByteArray &bytes);
// The bytes of `text`; nothing when a character has no code page 932 form
// (no best fit: "é" is not written as "e").
std::optional<QByteArray> systemEncode(const QString &text);

}  // namespace minatori::cp932
