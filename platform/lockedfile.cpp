#include "platform/lockedfile.h"

#include <QThread>

#include "platform/runtimeerror.h"

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

}  // namespace

void setLockWait(LockWait wait) { installedWait() = std::move(wait); }

// Readers take the pending byte shared for a moment on their way in; a writer
// takes it exclusive and keeps it while it waits for the readers to leave.
void LockedFile::lock(bool exclusive, LockPurpose purpose) {
  bool pending = false;
  for (int attempt = 1;; ++attempt) {
    const bool passed = pending || files_->tryLock(handle_, path_, kPendingByte, 1, exclusive);
    if (passed) {
      if (files_->tryLock(handle_, path_, 0, kPendingByte, exclusive)) {
        // A reader lets the next writer queue up; a writer keeps the byte to the end.
        if (!exclusive) files_->unlock(handle_, kPendingByte, 1);
        return;
      }
      if (exclusive) {
        pending = true;
      } else {
        files_->unlock(handle_, kPendingByte, 1);
      }
    }
    if (!waitForLock(path_, purpose, attempt)) {
      if (pending) files_->unlock(handle_, kPendingByte, 1);
      throw RuntimeError(errc::FileAlreadyOpen, path_);
    }
  }
}

LockedFile::LockedFile(const QString &path, Access access, LockPurpose purpose)
    : path_(path), files_(&fileSystem()) {
  const bool write = access == Access::ReadWrite;
  handle_ = files_->open(path_, write);
  try {
    lock(write, purpose);
  } catch (...) {
    close();
    throw;
  }
}

LockedFile::LockedFile(LockedFile &&other) noexcept
    : path_(std::move(other.path_)), files_(other.files_), handle_(other.handle_) {
  other.handle_ = 0;
}

LockedFile::~LockedFile() { close(); }

void LockedFile::close() noexcept {
  if (handle_) files_->close(handle_);
  handle_ = 0;
}

qint64 LockedFile::size() const { return files_->size(handle_, path_); }

QByteArray LockedFile::readAt(qint64 offset, qint64 length) const {
  return files_->readAt(handle_, path_, offset, length);
}

void LockedFile::writeAt(qint64 offset, const QByteArray &bytes) { files_->writeAt(handle_, path_, offset, bytes); }

void LockedFile::resize(qint64 length) { files_->resize(handle_, path_, length); }

void LockedFile::flush() { files_->flush(handle_, path_); }

}  // namespace minatori
