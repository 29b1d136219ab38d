#pragma once
// Random access to a binary file that several machines share, under a lock on
// the whole file held from opening to closing. Every read and write of one
// operation goes through this one handle: on Windows and on SMB shares the
// lock is mandatory for every other handle, the own process's included.
//
// Locks are never waited for in a blocking call: the lock is tried, and while
// another process holds it the installed LockWait decides how long to go on
// (the program keeps its windows alive meanwhile). A writer that is waiting
// first takes a "pending" byte far beyond the data, which new readers must
// pass, so readers reading back to back cannot keep a writer out.
//
// A file that another program holds (FileBusy, after the short retries of
// fileSystem()) is waited for the same way, except for a teacher's change
// about to start, which is refused at once so that nothing is changed.
// Every lock taken is released explicitly before the handle is closed: a
// lock left to the close may linger for a while on Windows.

#include <QByteArray>
#include <QString>
#include <functional>

#include "platform/filesystem.h"

namespace minatori {

// The data range every reader and writer locks is bytes 0 up to the pending
// byte beyond it (1 TiB: far past any log, never read or written). On
// Windows the ranges are mandatory locks, so neither may cover bytes the
// program reads.
inline constexpr qint64 kLockPendingByte = qint64(1) << 40;

// Why a lock is wanted: how long to wait for it depends on it.
enum class LockPurpose {
  Read,    // a list or the tallies: ask after a while whether to go on
  Append,  // an attempt being recorded: never given up
  Change,  // a teacher's change or delete of a record, about to start
  Finish,  // the rest of a teacher's delete once its journal stands: it must
           // end, finished or undone, so a held file is waited for as by Read
};

// Called while another process holds the lock of `path`, or the file itself,
// between attempts (`attempt` counts from 1). Waits about a second and
// returns true to try again, or false to give up: the open then throws
// RuntimeError(FileAlreadyOpen), or FileBusy for a held file.
using LockWait = std::function<bool(const QString &path, LockPurpose purpose, int attempt)>;

// The wait every LockedFile uses from now on; an empty one restores the
// default, which tries again every few milliseconds for as long as it takes
// (for programs without windows).
void setLockWait(LockWait wait);
// The installed wait, for other waits on the same file (results/resultslog).
bool waitForLock(const QString &path, LockPurpose purpose, int attempt);

class LockedFile {
 public:
  enum class Access {
    Read,       // shared lock: readers exclude writers, not each other
    ReadWrite,  // exclusive lock; the file is created when missing
  };

  // Opens and locks, trying again through the installed LockWait while
  // another process holds the lock. Throws RuntimeError: PathNotFound when
  // the folder is missing, FileNotFound when a file opened for reading is
  // missing, PermissionDenied, DeviceIo, FileAlreadyOpen when the wait for
  // the lock gave up, FileBusy when the file stayed held (see above).
  LockedFile(const QString &path, Access access, LockPurpose purpose);
  ~LockedFile();
  LockedFile(const LockedFile &) = delete;
  LockedFile &operator=(const LockedFile &) = delete;
  LockedFile(LockedFile &&other) noexcept;

  qint64 size() const;
  // Up to `length` bytes from `offset` (fewer at the end of the file).
  QByteArray readAt(qint64 offset, qint64 length) const;
  // Writes all of `bytes` at `offset`. Throws RuntimeError (DiskFull,
  // DeviceIo) when the write fails; what was written stays.
  void writeAt(qint64 offset, const QByteArray &bytes);
  // Cuts or extends the file to `length` bytes.
  void resize(qint64 length);
  // Writes the file's data through to the disk (or the server).
  void flush();

  const QString &path() const { return path_; }
  LockPurpose purpose() const { return purpose_; }
  bool exclusive() const { return exclusive_; }

 private:
  void open(bool write);
  void lock();
  void close() noexcept;

  QString path_;
  LockPurpose purpose_;
  bool exclusive_;
  FileSystem *files_;  // the calls the handle was opened with, to the end
  FileHandle handle_ = 0;
  bool holdsData_ = false, holdsPending_ = false;  // the ranges to unlock before closing
};

}  // namespace minatori
