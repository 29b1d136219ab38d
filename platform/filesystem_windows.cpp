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
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT: return errc::PermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return errc::DiskFull;
    default: return errc::DeviceIo;
  }
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
      fail(errorNumberFor(e), path);
    }
    return reinterpret_cast<FileHandle>(h);
  }

  void close(FileHandle file) noexcept override {
    // Closing the handle releases its locks.
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
    if (DeleteFileW(wide(QDir::toNativeSeparators(path)))) return true;
    const DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND;
  }

  bool rename(const QString &from, const QString &to) override {
    // Without MOVEFILE_REPLACE_EXISTING: an existing `to` is never replaced.
    return MoveFileExW(wide(QDir::toNativeSeparators(from)), wide(QDir::toNativeSeparators(to)),
                       MOVEFILE_WRITE_THROUGH);
  }

  // A file's entry is written with the file on NTFS and by SMB servers.
  void flushFolderOf(const QString &) override {}
};

}  // namespace

FileSystem &systemFileSystem() {
  static WindowsFileSystem files;
  return files;
}

}  // namespace minatori
