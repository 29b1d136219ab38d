#pragma once
// Starting another program. The program runs on by itself: nothing is waited
// for or read back.

#include <QString>
#include <QStringList>

namespace minatori {

// Starts `program` with `arguments`, detached. Returns an empty text when it
// started, else why it did not.
QString startProgramDetached(const QString &program, const QStringList &arguments);

}  // namespace minatori
