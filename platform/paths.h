#pragma once
// Folder texts of an installation. A folder value always ends in the folder
// separator and file names are formed by plain concatenation. Everything that
// differs between Windows ("\", "..\", "C:\") and POSIX ("/", "../", "/")
// lives here, so a Windows build swaps only this file's definitions.

#include <QString>

namespace minatori::paths {

QChar separator();
// The parent-folder step, to be appended to a folder value ("../").
QString parentStep();

// `folder` with the separator at its end, added when it is missing.
QString withTrailingSeparator(const QString &folder);
// The text after the last separator ("/x/PROGS/DRILL1" → "DRILL1"); a trailing
// separator is ignored.
QString lastComponent(const QString &folder);
// The path's text up to and including its first separator ("C:\" on Windows,
// "/" for an absolute POSIX path).
QString driveRoot(const QString &path);
// A relative folder given with the separators of Windows, in this platform's form.
QString fromWindowsRelative(const QString &relative);

// The folder holding the running program's executable, without a trailing separator.
QString programFolder();

}  // namespace minatori::paths
