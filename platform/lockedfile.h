#pragma once
// Random access to a binary file that several machines share, under a lock on
// the whole file held from opening to closing. Every read and write of one
// operation goes through this one handle: on Windows and on SMB shares the
// lock is mandatory for every other handle, the own process's included.

#include <QByteArray>
#include <QString>

namespace minatori {

class LockedFile {
 public:
  enum class Access {
    Read,       // shared lock: readers exclude writers, not each other
    ReadWrite,  // exclusive lock; the file is created when missing
  };

  // Opens and locks, waiting for the lock while another process holds it.
  // Throws RuntimeError: PathNotFound when the folder is missing,
  // FileNotFound when a file opened for reading is missing,
  // PermissionDenied, DeviceIo.
  LockedFile(const QString &path, Access access);
  ~LockedFile();
  LockedFile(const LockedFile &) = delete;
  LockedFile &operator=(const LockedFile &) = delete;

  qint64 size() const;
  // Up to `length` bytes from `offset` (fewer at the end of the file).
  QByteArray readAt(qint64 offset, qint64 length) const;
  // Writes all of `bytes` at `offset`. When the write fails part-way the file
  // is cut back to `offset`, so no partial record stays behind, and
  // RuntimeError is thrown (DiskFull, DeviceIo).
  void writeAt(qint64 offset, const QByteArray &bytes);
  // Cuts or extends the file to `length` bytes.
  void resize(qint64 length);
  // Writes the file's data through to the disk (or the server).
  void flush();

  const QString &path() const { return path_; }

 private:
  QString path_;
#ifdef _WIN32
  void *handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace minatori
