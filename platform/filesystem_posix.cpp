// The file calls on Linux and other POSIX systems.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/filesystem.h"
#include "platform/runtimeerror.h"

namespace minatori {

namespace {

int errorNumberFor(int err, const QString &path) {
  switch (err) {
    case ENOENT: return QFileInfo(path).absoluteDir().exists() ? errc::FileNotFound : errc::PathNotFound;
    case ENOTDIR: return errc::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return errc::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return errc::DiskFull;
    default: return errc::DeviceIo;
  }
}

[[noreturn]] void fail(int err, const QString &path) { throw RuntimeError(errorNumberFor(err, path), path); }

// The refusals that mean "held by something else for now": a file in use
// (EBUSY, ETXTBSY), and for a removal or a rename also EPERM, which is what
// a file locked against changes gives (and a Windows share mounted here
// gives for a file another program holds).
bool heldOnOpen(int err) { return err == EBUSY || err == ETXTBSY; }
bool heldOnChange(int err) { return heldOnOpen(err) || err == EPERM; }

int fdOf(FileHandle file) { return static_cast<int>(file) - 1; }

class PosixFileSystem final : public FileSystem {
 public:
  FileHandle open(const QString &path, bool write) override {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), (write ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0666);
    if (fd < 0 && heldOnOpen(errno)) throw RuntimeError(errc::FileBusy, path);
    if (fd < 0) fail(errno, path);
    return static_cast<FileHandle>(fd) + 1;
  }

  void close(FileHandle file) noexcept override {
    if (file) ::close(fdOf(file));
  }

  // Open-file-description locks: they belong to this handle alone, so two
  // handles of one process exclude each other as two machines do.
  bool tryLock(FileHandle file, const QString &path, qint64 start, qint64 length, bool exclusive) override {
    struct flock l {};
    l.l_type = exclusive ? F_WRLCK : F_RDLCK;
    l.l_whence = SEEK_SET;
    l.l_start = start;
    l.l_len = length;
    for (;;) {
      if (::fcntl(fdOf(file), F_OFD_SETLK, &l) == 0) return true;
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EACCES) return false;
      fail(errno, path);
    }
  }

  void unlock(FileHandle file, qint64 start, qint64 length) noexcept override {
    struct flock l {};
    l.l_type = F_UNLCK;
    l.l_whence = SEEK_SET;
    l.l_start = start;
    l.l_len = length;
    while (::fcntl(fdOf(file), F_OFD_SETLK, &l) < 0 && errno == EINTR) {
    }
  }

  qint64 size(FileHandle file, const QString &path) override {
    struct stat st {};
    if (::fstat(fdOf(file), &st) < 0) fail(errno, path);
    return st.st_size;
  }

  QByteArray readAt(FileHandle file, const QString &path, qint64 offset, qint64 length) override {
    QByteArray out(length, Qt::Uninitialized);
    qint64 done = 0;
    while (done < length) {
      const ssize_t got =
          ::pread(fdOf(file), out.data() + done, static_cast<size_t>(length - done), offset + done);
      if (got < 0) {
        if (errno == EINTR) continue;
        fail(errno, path);
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
      const ssize_t put = ::pwrite(fdOf(file), bytes.constData() + done, static_cast<size_t>(bytes.size() - done),
                                   offset + done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) fail(put < 0 ? errno : ENOSPC, path);
      done += put;
    }
  }

  void resize(FileHandle file, const QString &path, qint64 length) override {
    if (::ftruncate(fdOf(file), length) < 0) fail(errno, path);
  }

  void flush(FileHandle file, const QString &path) override {
    if (::fsync(fdOf(file)) < 0) fail(errno, path);
  }

  bool exists(const QString &path) override { return QFileInfo::exists(path); }

  bool remove(const QString &path) override {
    const QByteArray name = QFile::encodeName(path);
    if (::unlink(name.constData()) == 0 || errno == ENOENT) return true;
    if (heldOnChange(errno)) throw RuntimeError(errc::FileBusy, path);
    return false;
  }

  bool rename(const QString &from, const QString &to) override {
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0) return true;
    if (heldOnChange(errno)) throw RuntimeError(errc::FileBusy, from);
    // File systems without the flag (some network ones): look first.
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (QFileInfo::exists(to)) return false;
    if (::rename(a.constData(), b.constData()) == 0) return true;
    if (heldOnChange(errno)) throw RuntimeError(errc::FileBusy, from);
    return false;
  }

  void replace(const QString &from, const QString &to) override {
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    if (::rename(a.constData(), b.constData()) == 0) return;
    if (heldOnChange(errno)) throw RuntimeError(errc::FileBusy, to);
    fail(errno, to);
  }

  void flushFolderOf(const QString &filePath) override {
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some network file systems refuse it; the server then decides
    ::close(fd);
  }
};

}  // namespace

bool programsCanHoldFiles() { return false; }  // locks here are advisory, opens never refused

FileSystem &systemFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace minatori
