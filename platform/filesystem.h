#pragma once
// The file calls under the shared results log, its journal and the criteria
// file: every open, lock, read, write, cut, flush, rename and removal that
// LockedFile, the journal and the atomic file replacement make goes through
// the installed FileSystem. The program uses the operating system's; a test
// installs one that fails or stops at a chosen call, to prove that the files
// survive a failure or a crash at every point.
//
// Another program may hold a file for a moment: on Windows an anti-virus
// scanner, a backup or an indexing agent opens it with no sharing, and an
// open, a removal or a rename is refused meanwhile. Such a refusal is
// reported by a layer as RuntimeError(FileBusy), and fileSystem() tries the
// call again with growing delays, about 2 s in all, before it lets FileBusy
// through: a refusal is taken as passing until the bound proves otherwise.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

#include "platform/runtimeerror.h"

namespace minatori {

using FileHandle = std::intptr_t;  // 0: none

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens `path`, for writing too when `write` (created when missing).
  // Throws RuntimeError: PathNotFound, FileNotFound, PermissionDenied,
  // DeviceIo, FileBusy while another program holds the file.
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

  // A hint only: a network client may answer from a cache of what existed a
  // moment ago. Only an open proves that a file is there.
  virtual bool exists(const QString &path) = 0;
  // False when the file is there and could not be removed; throws
  // RuntimeError(FileBusy) while another program holds it.
  virtual bool remove(const QString &path) = 0;
  // Renames within one folder; false when it could not, or when `to` exists
  // (it is never replaced). Throws RuntimeError(FileBusy) as remove() does.
  virtual bool rename(const QString &from, const QString &to) = 0;
  // Renames `from` over `to` within one folder, replacing `to` when it exists.
  // Throws RuntimeError: FileBusy while another program holds either file,
  // PermissionDenied or DeviceIo when it cannot be done.
  virtual void replace(const QString &from, const QString &to) = 0;
  // Makes the creation, removal or renaming of files in the folder of
  // `filePath` durable; does nothing where the file system has no such call.
  virtual void flushFolderOf(const QString &filePath) = 0;
};

// The operating system's file calls (one source per system).
FileSystem &systemFileSystem();
// Whether another program can open a file so that ours is refused (Windows'
// share modes); where it cannot, no held-file case arises from the system.
bool programsCanHoldFiles();

// The file calls in force (the system's unless a test installed others),
// with opens, removals, renames and replacements tried again while the file
// is held (see above).
FileSystem &fileSystem();
// The installed layer itself: each call is one try, a held file FileBusy at once.
FileSystem &installedFileSystem();
// Installs `files` (not owned) for every later call; nullptr restores the system's.
void setFileSystem(FileSystem *files);

// The waits between the tries of a held call, in milliseconds: 25, 50, 75 …
// until they add up to kHeldRetryBoundMs. Then the call fails with FileBusy.
inline constexpr int kHeldRetryStepMs = 25;
inline constexpr int kHeldRetryBoundMs = 1950;
// Waits `ms` milliseconds between two tries of a held call. The program keeps
// its windows alive meanwhile; tests count instead of waiting. An empty one
// restores the default, which sleeps.
using HeldWait = std::function<void(int ms)>;
void setHeldWait(HeldWait wait);

// Runs `call` (one try of a file call) again while it throws FileBusy, with
// the waits above; after the bound the last FileBusy goes on.
template <class Call>
auto whileHeld(Call &&call) -> decltype(call());

namespace detail {
// The wait before try `attempt` + 1 (attempt counts from 1), or 0 when the
// bound is reached.
int heldDelayAfter(int attempt);
void waitWhileHeld(int ms);
}  // namespace detail

template <class Call>
auto whileHeld(Call &&call) -> decltype(call()) {
  for (int attempt = 1;; ++attempt) {
    try {
      return call();
    } catch (const RuntimeError &e) {
      const int delay = e.number() == errc::FileBusy ? detail::heldDelayAfter(attempt) : 0;
      if (delay == 0) throw;
      detail::waitWhileHeld(delay);
    }
  }
}

}  // namespace minatori
