#include "platform/lockedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

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

// The data range every reader and writer locks, and the pending byte beyond
// it (1 TiB: far past any log, never read or written). On Windows the
// ranges are mandatory locks, so neither may cover bytes the program reads.
constexpr qint64 kPendingByte = qint64(1) << 40;

LockWait &installedWait() {
  static LockWait wait;
  return wait;
}

bool waitForLock(const QString &path, LockPurpose purpose, int attempt) {
  if (const LockWait &wait = installedWait()) return wait(path, purpose, attempt);
  QThread::msleep(attempt < 100 ? 1 : 5);
  return true;
}

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

void setLockWait(LockWait wait) { installedWait() = std::move(wait); }

void flushFolderOf(const QString &filePath) {
#ifndef _WIN32
  // On Windows a file's entry is written with the file (NTFS and SMB servers).
  const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // some network file systems refuse it; the server then decides
  ::close(fd);
#else
  Q_UNUSED(filePath);
#endif
}

// Readers take the pending byte shared for a moment on their way in; a writer
// takes it exclusive and keeps it while it waits for the readers to leave.
void LockedFile::lock(bool exclusive, LockPurpose purpose) {
  bool pending = false;
  for (int attempt = 1;; ++attempt) {
    const bool passed = pending || tryLockRange(kPendingByte, 1, exclusive);
    if (passed) {
      if (tryLockRange(0, kPendingByte, exclusive)) {
        // A reader lets the next writer queue up; a writer keeps the byte to the end.
        if (!exclusive) unlockRange(kPendingByte, 1);
        return;
      }
      if (exclusive) {
        pending = true;
      } else {
        unlockRange(kPendingByte, 1);
      }
    }
    if (!waitForLock(path_, purpose, attempt)) {
      if (pending) unlockRange(kPendingByte, 1);
      throw RuntimeError(errc::FileAlreadyOpen, path_);
    }
  }
}

LockedFile::LockedFile(const QString &path, Access access, LockPurpose purpose) : path_(path) {
  const bool write = access == Access::ReadWrite;
  open(write);
  try {
    lock(write, purpose);
  } catch (...) {
    close();
    throw;
  }
}

LockedFile::LockedFile(LockedFile &&other) noexcept : path_(std::move(other.path_)) {
#ifdef _WIN32
  handle_ = other.handle_;
  other.handle_ = nullptr;
#else
  fd_ = other.fd_;
  other.fd_ = -1;
#endif
}

LockedFile::~LockedFile() { close(); }

#ifdef _WIN32

namespace {
OVERLAPPED at(qint64 offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}
}  // namespace

bool LockedFile::tryLockRange(qint64 start, qint64 length, bool exclusive) {
  OVERLAPPED o = at(start);
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (LockFileEx(handle_, flags, 0, static_cast<DWORD>(length & 0xFFFFFFFF), static_cast<DWORD>(length >> 32), &o))
    return true;
  const DWORD e = GetLastError();
  if (e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING) return false;
  fail(errc::PermissionDenied, path_);
}

void LockedFile::unlockRange(qint64 start, qint64 length) noexcept {
  OVERLAPPED o = at(start);
  UnlockFileEx(handle_, 0, static_cast<DWORD>(length & 0xFFFFFFFF), static_cast<DWORD>(length >> 32), &o);
}

void LockedFile::open(bool write) {
  handle_ = CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path_).utf16()),
                        write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    handle_ = nullptr;
    const DWORD e = GetLastError();
    fail(e == ERROR_FILE_NOT_FOUND ? errc::FileNotFound
         : e == ERROR_PATH_NOT_FOUND ? errc::PathNotFound
         : e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION ? errc::PermissionDenied
                                                                   : errc::DeviceIo,
         path_);
  }
}

void LockedFile::close() noexcept {
  if (!handle_) return;
  // Closing the handle releases its locks.
  CloseHandle(handle_);
  handle_ = nullptr;
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
    OVERLAPPED o = at(offset + done);
    DWORD got = 0;
    if (!ReadFile(handle_, out.data() + done, static_cast<DWORD>(std::min<qint64>(length - done, 1 << 20)), &got, &o)) {
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
  OVERLAPPED o = at(offset);
  DWORD written = 0;
  if (!WriteFile(handle_, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, &o) ||
      written != static_cast<DWORD>(bytes.size())) {
    const DWORD e = GetLastError();
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

// Open-file-description locks: they belong to this handle alone, so two
// handles of one process exclude each other as two machines do.
bool LockedFile::tryLockRange(qint64 start, qint64 length, bool exclusive) {
  struct flock l {};
  l.l_type = exclusive ? F_WRLCK : F_RDLCK;
  l.l_whence = SEEK_SET;
  l.l_start = start;
  l.l_len = length;
  for (;;) {
    if (::fcntl(fd_, F_OFD_SETLK, &l) == 0) return true;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return false;
    fail(errorNumberFor(errno, path_), path_);
  }
}

void LockedFile::unlockRange(qint64 start, qint64 length) noexcept {
  struct flock l {};
  l.l_type = F_UNLCK;
  l.l_whence = SEEK_SET;
  l.l_start = start;
  l.l_len = length;
  while (::fcntl(fd_, F_OFD_SETLK, &l) < 0 && errno == EINTR) {
  }
}

void LockedFile::open(bool write) {
  const QByteArray name = QFile::encodeName(path_);
  fd_ = ::open(name.constData(), (write ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0666);
  if (fd_ < 0) fail(errorNumberFor(errno, path_), path_);
}

void LockedFile::close() noexcept {
  // Closing the last handle of the description releases its locks.
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
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
    if (put <= 0) fail(errorNumberFor(put < 0 ? errno : ENOSPC, path_), path_);
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
