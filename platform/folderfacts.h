#pragma once
// What the file server says about a folder and its files beyond their
// contents: when a file was last written (by the server's clock, for a file
// on a share), how much room is left, and this computer's name.

#include <QDateTime>
#include <QString>
#include <optional>

namespace minatori {

// The time the file was last written, in local time; nothing when the file
// cannot be asked about.
std::optional<QDateTime> fileModifiedTime(const QString &path);

// Bytes free for this user on the volume holding `folder`; -1 when unknown.
qint64 freeBytes(const QString &folder);

// The computer's name, as the network knows it.
QString computerName();

}  // namespace minatori
