#pragma once
// The file calls under the shared results log and its journal: every open,
// lock, read, write, cut, flush, rename and removal that LockedFile and the
// journal make goes through the installed FileSystem. The program uses the
// operating system's; a test installs one that fails or stops at a chosen
// call, to prove that the log survives a failure or a crash at every point.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace minatori {

using FileHandle = std::intptr_t;  // 0: none

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens `path`, for writing too when `write` (created when missing).
  // Throws RuntimeError: PathNotFound, FileNotFound, PermissionDenied, DeviceIo.
  virtual FileHandle open(const QString &path, bool write) = 0;
  virtual void close(FileHandle file) noexcept = 0;
  // One attempt at a byte range; false while another handle holds it.
  virtual bool tryLock(FileHandle file, const QString &path, qint64 start, qint64 length, bool exclusive) = 0;
  virtual void unlock(FileHandle file, qint64 start, qint64 length) noexcept = 0;

  virtual qint64 size(FileHandle file, const QString &path) = 0;
  // Up to `length` bytes from `offset`, fewer at the end of the file.
  virtual QByteArray readAt(FileHandle file, const QString &path, qint64 offset, qint64 length) = 0;
  // All of `bytes` at `offset`; throws RuntimeError (DiskFull, DeviceIo), and
  // what was written before the failure stays.
  virtual void writeAt(FileHandle file, const QString &path, qint64 offset, const QByteArray &bytes) = 0;
  virtual void resize(FileHandle file, const QString &path, qint64 length) = 0;
  // Writes the file's data through to the disk (or the server).
  virtual void flush(FileHandle file, const QString &path) = 0;

  virtual bool exists(const QString &path) = 0;
  // False when the file is there and could not be removed.
  virtual bool remove(const QString &path) = 0;
  // Renames within one folder; false when it could not, or when `to` exists
  // (it is never replaced).
  virtual bool rename(const QString &from, const QString &to) = 0;
  // Makes the creation, removal or renaming of files in the folder of
  // `filePath` durable; does nothing where the file system has no such call.
  virtual void flushFolderOf(const QString &filePath) = 0;
};

// The operating system's file calls (one source per system).
FileSystem &systemFileSystem();

// The file calls in force: the system's unless a test installed others.
FileSystem &fileSystem();
// Installs `files` (not owned) for every later call; nullptr restores the system's.
void setFileSystem(FileSystem *files);

}  // namespace minatori
