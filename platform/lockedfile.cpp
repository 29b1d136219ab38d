#include "platform/lockedfile.h"

#include <QThread>

#include "platform/runtimeerror.h"

namespace minatori {

namespace {

constexpr qint64 kPendingByte = kLockPendingByte;

LockWait &installedWait() {
  static LockWait wait;
  return wait;
}

}  // namespace

bool waitForLock(const QString &path, LockPurpose purpose, int attempt) {
  if (const LockWait &wait = installedWait()) return wait(path, purpose, attempt);
  QThread::msleep(attempt < 100 ? 1 : 5);
  return true;
}

void setLockWait(LockWait wait) { installedWait() = std::move(wait); }

// The open tries again for a while by itself (fileSystem()); a file still
// held then is waited for as a lock is, unless a teacher's change is about
// to start.
void LockedFile::open(bool write) {
  for (int attempt = 1;; ++attempt) {
    try {
      handle_ = files_->open(path_, write);
      return;
    } catch (const RuntimeError &e) {
      if (e.number() != errc::FileBusy || purpose_ == LockPurpose::Change) throw;
      // Told to give up, as for a lock: "the file is already open".
      if (!waitForLock(path_, purpose_, attempt)) throw RuntimeError(errc::FileAlreadyOpen, path_);
    }
  }
}

// Readers take the pending byte shared for a moment on their way in; a writer
// takes it exclusive and keeps it while it waits for the readers to leave.
void LockedFile::lock() {
  for (int attempt = 1;; ++attempt) {
    if (!holdsPending_ && files_->tryLock(handle_, path_, kPendingByte, 1, exclusive_)) holdsPending_ = true;
    if (holdsPending_) {
      if (files_->tryLock(handle_, path_, 0, kPendingByte, exclusive_)) {
        holdsData_ = true;
        // A reader lets the next writer queue up; a writer keeps the byte to the end.
        if (!exclusive_) {
          files_->unlock(handle_, kPendingByte, 1);
          holdsPending_ = false;
        }
        return;
      }
      if (!exclusive_) {
        files_->unlock(handle_, kPendingByte, 1);
        holdsPending_ = false;
      }
    }
    if (!waitForLock(path_, purpose_, attempt)) throw RuntimeError(errc::FileAlreadyOpen, path_);
  }
}

LockedFile::LockedFile(const QString &path, Access access, LockPurpose purpose)
    : path_(path), purpose_(purpose), exclusive_(access == Access::ReadWrite), files_(&fileSystem()) {
  open(exclusive_);
  try {
    lock();
  } catch (...) {
    close();
    throw;
  }
}

LockedFile::LockedFile(LockedFile &&other) noexcept
    : path_(std::move(other.path_)),
      purpose_(other.purpose_),
      exclusive_(other.exclusive_),
      files_(other.files_),
      handle_(other.handle_),
      holdsData_(other.holdsData_),
      holdsPending_(other.holdsPending_) {
  other.handle_ = 0;
  other.holdsData_ = other.holdsPending_ = false;
}

LockedFile::~LockedFile() { close(); }

void LockedFile::close() noexcept {
  if (!handle_) return;
  if (holdsData_) files_->unlock(handle_, 0, kPendingByte);
  if (holdsPending_) files_->unlock(handle_, kPendingByte, 1);
  files_->close(handle_);
  handle_ = 0;
  holdsData_ = holdsPending_ = false;
}

qint64 LockedFile::size() const { return files_->size(handle_, path_); }

QByteArray LockedFile::readAt(qint64 offset, qint64 length) const {
  return files_->readAt(handle_, path_, offset, length);
}

void LockedFile::writeAt(qint64 offset, const QByteArray &bytes) { files_->writeAt(handle_, path_, offset, bytes); }

void LockedFile::resize(qint64 length) { files_->resize(handle_, path_, length); }

void LockedFile::flush() { files_->flush(handle_, path_); }

}  // namespace minatori
