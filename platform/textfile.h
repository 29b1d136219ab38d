#pragma once
// Whole-file access for the text files of an installation. Every call opens,
// works and closes: no handle outlives the call.

#include <QByteArray>
#include <QString>
#include <optional>

namespace minatori {

// Code page 932 (Windows-31J), decoded exactly as Windows does.
// Throws RuntimeError(BadTextEncoding) naming `file` for bytes that are not
// code page 932 (a UTF-8 file saved by a modern editor, a cut-off lead byte).
QString decodeCp932(const QByteArray &bytes, const QString &file);

// Encodes to code page 932, first mapping the Unicode look-alikes that other
// programs type for the characters code page 932 has (U+301C for "～" and so on).
// Throws RuntimeError(BadTextEncoding) naming `file` for a character with no
// code page 932 form, so that nothing is silently written as garbage.
QByteArray encodeCp932(const QString &text, const QString &file);
// The same without the error: nothing for a character with no code page 932 form.
std::optional<QByteArray> tryEncodeCp932(const QString &text);

// The whole content of a file. Throws RuntimeError: FileNotFound, PathNotFound
// when its folder is missing, PermissionDenied when it cannot be read.
QByteArray readWholeFile(const QString &path);

// Reads and decodes a code page 932 text file.
QString readCp932File(const QString &path);

// Replaces `path` atomically: the bytes go to a temporary file in the same
// folder, are flushed, and the temporary file is renamed over `path`, so a
// reader sees either the old file or the new one, never a part.
void writeFileAtomically(const QString &path, const QByteArray &bytes);

bool fileExists(const QString &path);

}  // namespace minatori
