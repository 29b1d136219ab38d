// The file calls on Windows.
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <windows.h>

#include "platform/filesystem.h"
#include "platform/runtimeerror.h"

namespace minatori {

namespace {

LPCWSTR wide(const QString &native) { return reinterpret_cast<LPCWSTR>(native.utf16()); }

HANDLE handleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

OVERLAPPED at(qint64 offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

[[noreturn]] void fail(int number, const QString &path) { throw RuntimeError(number, path); }

int errorNumberFor(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND: return errc::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return errc::PathNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_DELETE_PENDING: return errc::FileBusy;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return errc::PermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return errc::DiskFull;
    default: return errc::DeviceIo;
  }
}

// Whether a call on `native` refused with ERROR_ACCESS_DENIED met a file
// that another program holds or is deleting, rather than missing rights: a
// file whose deletion is pending refuses every open, even one that reads
// only its attributes, until the last handle on it closes; a file open
// without delete sharing refuses an open for deletion with a sharing
// violation. A read-only file, or one that can be opened for deletion now,
// is not held (the refusal was the rights', or is already over).
bool heldOrBeingDeleted(const QString &native) {
  const DWORD attributes = GetFileAttributesW(wide(native));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  constexpr DWORD kAllSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE h = CreateFileW(wide(native), DELETE, kAllSharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;  // free again: the next try can do it
  }
  const DWORD e = GetLastError();
  if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION || e == ERROR_DELETE_PENDING) return true;
  if (e != ERROR_ACCESS_DENIED) return false;
  h = CreateFileW(wide(native), FILE_READ_ATTRIBUTES, kAllSharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                  nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;  // there and not going: no right to delete it
  }
  const DWORD again = GetLastError();
  return again == ERROR_ACCESS_DENIED || again == ERROR_DELETE_PENDING;
}

// The error of a refused removal, rename or replacement of `native`.
bool refusedAsHeld(DWORD e, const QString &native) {
  if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION || e == ERROR_DELETE_PENDING) return true;
  return e == ERROR_ACCESS_DENIED && heldOrBeingDeleted(native);
}

class WindowsFileSystem final : public FileSystem {
 public:
  FileHandle open(const QString &path, bool write) override {
    const QString native = QDir::toNativeSeparators(path);
    HANDLE h = CreateFileW(wide(native), write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD e = GetLastError();
      // A folder where the file should be is refused as access denied; it is
      // no lock of another machine, and fails as on other systems.
      const DWORD attributes = GetFileAttributesW(wide(native));
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        fail(errc::DeviceIo, path);
      // A file being deleted refuses the open as access denied; one whose
      // range another program locked, as a lock violation.
      if (e == ERROR_LOCK_VIOLATION || (e == ERROR_ACCESS_DENIED && heldOrBeingDeleted(native)))
        fail(errc::FileBusy, path);
      fail(errorNumberFor(e), path);
    }
    return reinterpret_cast<FileHandle>(h);
  }

  void close(FileHandle file) noexcept override {
    if (file) CloseHandle(handleOf(file));
  }

  bool tryLock(FileHandle file, const QString &path, qint64 start, qint64 length, bool exclusive) override {
    OVERLAPPED o = at(start);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(handleOf(file), flags, 0, static_cast<DWORD>(length & 0xFFFFFFFF),
                   static_cast<DWORD>(length >> 32), &o))
      return true;
    const DWORD e = GetLastError();
    if (e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING) return false;
    fail(errc::PermissionDenied, path);
  }

  void unlock(FileHandle file, qint64 start, qint64 length) noexcept override {
    OVERLAPPED o = at(start);
    UnlockFileEx(handleOf(file), 0, static_cast<DWORD>(length & 0xFFFFFFFF), static_cast<DWORD>(length >> 32), &o);
  }

  qint64 size(FileHandle file, const QString &path) override {
    LARGE_INTEGER s;
    if (!GetFileSizeEx(handleOf(file), &s)) fail(errorNumberFor(GetLastError()), path);
    return s.QuadPart;
  }

  QByteArray readAt(FileHandle file, const QString &path, qint64 offset, qint64 length) override {
    QByteArray out(length, Qt::Uninitialized);
    qint64 done = 0;
    while (done < length) {
      OVERLAPPED o = at(offset + done);
      DWORD got = 0;
      if (!ReadFile(handleOf(file), out.data() + done, static_cast<DWORD>(std::min<qint64>(length - done, 1 << 20)),
                    &got, &o)) {
        const DWORD e = GetLastError();
        if (e == ERROR_HANDLE_EOF) break;
        fail(errorNumberFor(e), path);
      }
      if (got == 0) break;
      done += got;
    }
    out.truncate(done);
    return out;
  }

  void writeAt(FileHandle file, const QString &path, qint64 offset, const QByteArray &bytes) override {
    qint64 done = 0;
    while (done < bytes.size()) {
      OVERLAPPED o = at(offset + done);
      DWORD put = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<qint64>(bytes.size() - done, 1 << 20));
      if (!WriteFile(handleOf(file), bytes.constData() + done, chunk, &put, &o))
        fail(errorNumberFor(GetLastError()), path);
      if (put == 0) fail(errc::DiskFull, path);
      done += put;
    }
  }

  void resize(FileHandle file, const QString &path, qint64 length) override {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = length;
    if (!SetFileInformationByHandle(handleOf(file), FileEndOfFileInfo, &end, sizeof end))
      fail(errorNumberFor(GetLastError()), path);
  }

  void flush(FileHandle file, const QString &path) override {
    if (!FlushFileBuffers(handleOf(file))) fail(errorNumberFor(GetLastError()), path);
  }

  bool exists(const QString &path) override {
    return GetFileAttributesW(wide(QDir::toNativeSeparators(path))) != INVALID_FILE_ATTRIBUTES;
  }

  bool remove(const QString &path) override {
    const QString native = QDir::toNativeSeparators(path);
    if (DeleteFileW(wide(native))) return true;
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND) return true;
    if (refusedAsHeld(e, native)) fail(errc::FileBusy, path);
    return false;
  }

  bool rename(const QString &from, const QString &to) override {
    const QString a = QDir::toNativeSeparators(from), b = QDir::toNativeSeparators(to);
    // Without MOVEFILE_REPLACE_EXISTING: an existing `to` is never replaced.
    if (MoveFileExW(wide(a), wide(b), MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD e = GetLastError();
    if (e != ERROR_ALREADY_EXISTS && e != ERROR_FILE_EXISTS && refusedAsHeld(e, a)) fail(errc::FileBusy, from);
    return false;
  }

  void replace(const QString &from, const QString &to) override {
    const QString a = QDir::toNativeSeparators(from), b = QDir::toNativeSeparators(to);
    if (MoveFileExW(wide(a), wide(b), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
    const DWORD e = GetLastError();
    // A target that another program holds open without delete sharing
    // refuses its replacement as access denied.
    if (refusedAsHeld(e, b) || refusedAsHeld(e, a)) fail(errc::FileBusy, to);
    fail(e == ERROR_ACCESS_DENIED ? errc::PermissionDenied : errorNumberFor(e), to);
  }

  // A file's entry is written with the file on NTFS and by SMB servers.
  void flushFolderOf(const QString &) override {}
};

}  // namespace

bool programsCanHoldFiles() { return true; }

FileSystem &systemFileSystem() {
  static WindowsFileSystem files;
  return files;
}

}  // namespace minatori
