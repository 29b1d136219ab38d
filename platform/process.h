#pragma once
// Starting another program. The program runs on by itself: nothing is waited
// for or read back. One source per system: process_posix.cpp and
// process_windows.cpp.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace minatori {

// Keeps the environment the program was started with, before the program
// sets anything for itself (QT_SCALE_FACTOR for its own windows), so that a
// program it starts gets that environment, as if started beside it. Called
// first in main().
void rememberStartEnvironment();
// The remembered environment; the present one when none was remembered.
QProcessEnvironment startEnvironment();

// Starts `program` with `arguments`, detached, in the program's own folder,
// with startEnvironment(). Returns an empty text when it started, else why
// it did not.
QString startProgramDetached(const QString &program, const QStringList &arguments);

// The command line Windows hands a program, quoted so that the C runtime's
// parser gives back exactly `program` and `arguments`: an argument with a
// space, a tab or a double quote (or an empty one) is quoted, a quote
// inside is escaped, and backslashes are doubled only where they stand
// before a quote. Non-ASCII text needs no quoting; it travels as UTF-16.
QString windowsCommandLine(const QString &program, const QStringList &arguments);

}  // namespace minatori
