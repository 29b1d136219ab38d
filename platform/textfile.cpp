#include "platform/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QStringDecoder>
#include <QUuid>

#include "platform/cp932.h"
#include "platform/filesystem.h"
#include "platform/runtimeerror.h"

namespace minatori {

namespace {

bool isCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Bytes that the system converters read differently: a lone lead byte at
// the very end (some drop it without an error), and the single bytes 0x80,
// 0xA0 and 0xFD-0xFF, which stand for no character of the code page but which
// Windows reads as U+0080 and private-use characters while ICU refuses them.
// Checked here, so both systems refuse them alike.
bool hasBytesOutsideTheText(const QByteArray &bytes) {
  qsizetype i = 0;
  const qsizetype n = bytes.size();
  while (i < n) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (isCp932LeadByte(b)) {
      if (i + 1 >= n) return true;
      i += 2;
    } else {
      if (b == 0x80 || b == 0xA0 || b >= 0xFD) return true;
      ++i;
    }
  }
  return false;
}

// The characters Windows writes as those single bytes.
bool isStandInForAStrayByte(QChar c) { return c.unicode() == 0x0080 || (c.unicode() >= 0xF8F0 && c.unicode() <= 0xF8F3); }

QChar mapLookAlike(QChar c) {
  switch (c.unicode()) {
    case 0x301C: return QChar(0xFF5E);  // WAVE DASH → FULLWIDTH TILDE
    case 0x2212: return QChar(0xFF0D);  // MINUS SIGN → FULLWIDTH HYPHEN-MINUS
    case 0x2016: return QChar(0x2225);  // DOUBLE VERTICAL LINE → PARALLEL TO
    case 0x2014: return QChar(0x2015);  // EM DASH → HORIZONTAL BAR
    case 0x00A2: return QChar(0xFFE0);
    case 0x00A3: return QChar(0xFFE1);
    case 0x00AC: return QChar(0xFFE2);
    default: return c;
  }
}

// Text a current editor saved as UTF-8 (without the byte-order mark, as the
// classroom PCs' Notepad does by default). Japanese in code page 932 is
// practically never valid UTF-8: its lead bytes 0x81-0x9F stand alone there
// and its trail bytes rarely follow the right leads, so a file that is valid
// UTF-8 with characters beyond ASCII was saved as UTF-8, even where its
// bytes would also decode (as garbage) in code page 932.
bool isUtf8BeyondAscii(const QByteArray &bytes) {
  bool beyondAscii = false;
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) {
      beyondAscii = true;
      break;
    }
  if (!beyondAscii) return false;
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  [[maybe_unused]] const QString text = utf8.decode(bytes);  // decoding sets the error flag
  return !utf8.hasError();
}

void throwForMissing(const QString &path) {
  const QFileInfo info(path);
  if (!info.absoluteDir().exists()) throw RuntimeError(errc::PathNotFound, path);
  throw RuntimeError(errc::FileNotFound, path);
}

}  // namespace

QString decodeCp932(const QByteArray &bytes, const QString &file) {
  if (bytes.startsWith("\xEF\xBB\xBF") || isUtf8BeyondAscii(bytes))
    throw RuntimeError(errc::BadTextEncoding, file,
                       QStringLiteral("(UTF-8 で保存されています。メモ帳の「名前を付けて保存」で文字コードを"
                                      "「ANSI」(Shift-JIS) にして保存し直してください)"));
  if (hasBytesOutsideTheText(bytes)) throw RuntimeError(errc::BadTextEncoding, file);
  std::optional<QString> text = cp932::systemDecode(bytes);
  if (!text) throw RuntimeError(errc::BadTextEncoding, file);
  return *std::move(text);
}

std::optional<QByteArray> tryEncodeCp932(const QString &text) {
  QString mapped = text;
  for (QChar &c : mapped) {
    if (isStandInForAStrayByte(c)) return std::nullopt;
    c = mapLookAlike(c);
  }
  return cp932::systemEncode(mapped);
}

QByteArray encodeCp932(const QString &text, const QString &file) {
  std::optional<QByteArray> bytes = tryEncodeCp932(text);
  if (!bytes)
    throw RuntimeError(errc::BadTextEncoding, file,
                       QStringLiteral("(Shift-JIS で書けない文字があります)"));
  return *std::move(bytes);
}

QByteArray readWholeFile(const QString &path) {
  // Through the file seam: a scanner holding the file for a moment (as it
  // does right after another PC saved it) is waited out, not reported.
  FileSystem &files = fileSystem();
  FileHandle file = 0;
  try {
    file = files.open(path, false);
  } catch (const RuntimeError &e) {
    if (e.number() == errc::FileNotFound || e.number() == errc::PathNotFound) throwForMissing(path);
    throw;
  }
  QByteArray bytes;
  try {
    const qint64 size = files.size(file, path);
    bytes = files.readAt(file, path, 0, size);
    if (bytes.size() != size) throw RuntimeError(errc::DeviceIo, path);
  } catch (...) {
    files.close(file);
    throw;
  }
  files.close(file);
  return bytes;
}

QString readCp932File(const QString &path) { return decodeCp932(readWholeFile(path), path); }

void writeFileAtomically(const QString &path, const QByteArray &bytes) {
  if (!QFileInfo(path).absoluteDir().exists()) throw RuntimeError(errc::PathNotFound, path);
  FileSystem &files = fileSystem();
  // A name of its own in the same folder (two teachers may save at once),
  // so that the rename over the file stays within one folder.
  const QString temporary =
      path + u'.' + QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".tmp");
  const auto discard = [&] {
    try {
      files.remove(temporary);
    } catch (const RuntimeError &) {
      // Held by a scanner that found it: a stray temporary file, the file itself untouched.
    }
  };
  const FileHandle file = files.open(temporary, true);
  try {
    files.resize(file, temporary, 0);
    files.writeAt(file, temporary, 0, bytes);
    files.flush(file, temporary);
  } catch (const RuntimeError &e) {
    files.close(file);
    discard();
    throw RuntimeError(e.number(), path, e.detail());
  }
  files.close(file);
  try {
    // Other PCs may hold the file open for a moment (reading it at their
    // start), and a scanner the new one: the replacement is tried again.
    files.replace(temporary, path);
  } catch (const RuntimeError &) {
    discard();
    throw;
  }
  files.flushFolderOf(path);
}

bool fileExists(const QString &path) { return QFileInfo(path).isFile(); }

}  // namespace minatori
