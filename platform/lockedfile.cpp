#include "platform/lockedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/runtimeerror.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace minatori {

namespace {

[[noreturn]] void fail(int number, const QString &path) { throw RuntimeError(number, path); }

#ifndef _WIN32
int errorNumberFor(int err, const QString &path) {
  switch (err) {
    case ENOENT: return QFileInfo(path).absoluteDir().exists() ? errc::FileNotFound : errc::PathNotFound;
    case ENOTDIR: return errc::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return errc::PermissionDenied;
    case ENOSPC:
    case EDQUOT: return errc::DiskFull;
    default: return errc::DeviceIo;
  }
}
#endif

}  // namespace

#ifdef _WIN32

LockedFile::LockedFile(const QString &path, Access access) : path_(path) {
  const bool write = access == Access::ReadWrite;
  handle_ = CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()),
                        write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    handle_ = nullptr;
    const DWORD e = GetLastError();
    fail(e == ERROR_FILE_NOT_FOUND ? errc::FileNotFound
         : e == ERROR_PATH_NOT_FOUND ? errc::PathNotFound
         : e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION ? errc::PermissionDenied
                                                                   : errc::DeviceIo,
         path);
  }
  OVERLAPPED whole{};
  const DWORD flags = write ? LOCKFILE_EXCLUSIVE_LOCK : 0;
  if (!LockFileEx(handle_, flags, 0, MAXDWORD, MAXDWORD, &whole)) {
    CloseHandle(handle_);
    handle_ = nullptr;
    fail(errc::PermissionDenied, path);
  }
}

LockedFile::~LockedFile() {
  if (!handle_) return;
  OVERLAPPED whole{};
  UnlockFileEx(handle_, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(handle_);
}

qint64 LockedFile::size() const {
  LARGE_INTEGER s;
  if (!GetFileSizeEx(handle_, &s)) fail(errc::DeviceIo, path_);
  return s.QuadPart;
}

QByteArray LockedFile::readAt(qint64 offset, qint64 length) const {
  QByteArray out(length, Qt::Uninitialized);
  qint64 done = 0;
  while (done < length) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>((offset + done) & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    DWORD got = 0;
    if (!ReadFile(handle_, out.data() + done, static_cast<DWORD>(std::min<qint64>(length - done, 1 << 20)), &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      fail(errc::DeviceIo, path_);
    }
    if (got == 0) break;
    done += got;
  }
  out.truncate(done);
  return out;
}

void LockedFile::writeAt(qint64 offset, const QByteArray &bytes) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD written = 0;
  if (!WriteFile(handle_, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, &at) ||
      written != static_cast<DWORD>(bytes.size())) {
    const DWORD e = GetLastError();
    resize(offset);
    fail(e == ERROR_DISK_FULL || e == ERROR_HANDLE_DISK_FULL ? errc::DiskFull : errc::DeviceIo, path_);
  }
}

void LockedFile::resize(qint64 length) {
  LARGE_INTEGER to;
  to.QuadPart = length;
  if (!SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_)) fail(errc::DeviceIo, path_);
}

void LockedFile::flush() {
  if (!FlushFileBuffers(handle_)) fail(errc::DeviceIo, path_);
}

#else

LockedFile::LockedFile(const QString &path, Access access) : path_(path) {
  const bool write = access == Access::ReadWrite;
  const QByteArray name = QFile::encodeName(path);
  fd_ = ::open(name.constData(), (write ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0666);
  if (fd_ < 0) fail(errorNumberFor(errno, path), path);
  // An open-file-description lock on the whole file (length 0 = to the end,
  // however the file grows): it belongs to this handle alone, so two handles
  // of one process exclude each other as two machines do.
  struct flock lock {};
  lock.l_type = write ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  int rc;
  do {
    rc = ::fcntl(fd_, F_OFD_SETLKW, &lock);
  } while (rc < 0 && errno == EINTR);
  if (rc < 0) {
    const int err = errno;
    ::close(fd_);
    fd_ = -1;
    fail(errorNumberFor(err, path), path);
  }
}

LockedFile::~LockedFile() {
  // Closing the last handle of the description releases its lock.
  if (fd_ >= 0) ::close(fd_);
}

qint64 LockedFile::size() const {
  struct stat st {};
  if (::fstat(fd_, &st) < 0) fail(errorNumberFor(errno, path_), path_);
  return st.st_size;
}

QByteArray LockedFile::readAt(qint64 offset, qint64 length) const {
  QByteArray out(length, Qt::Uninitialized);
  qint64 done = 0;
  while (done < length) {
    const ssize_t got = ::pread(fd_, out.data() + done, static_cast<size_t>(length - done), offset + done);
    if (got < 0) {
      if (errno == EINTR) continue;
      fail(errorNumberFor(errno, path_), path_);
    }
    if (got == 0) break;
    done += got;
  }
  out.truncate(done);
  return out;
}

void LockedFile::writeAt(qint64 offset, const QByteArray &bytes) {
  qint64 done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::pwrite(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), offset + done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      const int err = put < 0 ? errno : ENOSPC;
      if (::ftruncate(fd_, offset) != 0) {
        // Nothing more can be done; the readers count whole records only.
      }
      fail(errorNumberFor(err, path_), path_);
    }
    done += put;
  }
}

void LockedFile::resize(qint64 length) {
  if (::ftruncate(fd_, length) < 0) fail(errorNumberFor(errno, path_), path_);
}

void LockedFile::flush() {
  if (::fsync(fd_) < 0) fail(errorNumberFor(errno, path_), path_);
}

#endif

}  // namespace minatori
