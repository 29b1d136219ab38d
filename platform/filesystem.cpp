#include "platform/filesystem.h"

#include <QThread>
#include <map>
#include <memory>

namespace minatori {

namespace {

FileSystem *installed = nullptr;

HeldWait &installedHeldWait() {
  static HeldWait wait;
  return wait;
}

// The installed layer with the rule for held files: the calls another
// program's open can refuse are tried again; the others go straight through.
class PatientFiles final : public FileSystem {
 public:
  explicit PatientFiles(FileSystem &target) : t_(target) {}

  FileHandle open(const QString &path, bool write) override {
    return whileHeld([&] { return t_.open(path, write); });
  }
  void close(FileHandle file) noexcept override { t_.close(file); }
  bool tryLock(FileHandle file, const QString &path, qint64 start, qint64 length, bool exclusive) override {
    return t_.tryLock(file, path, start, length, exclusive);
  }
  void unlock(FileHandle file, qint64 start, qint64 length) noexcept override { t_.unlock(file, start, length); }
  qint64 size(FileHandle file, const QString &path) override { return t_.size(file, path); }
  QByteArray readAt(FileHandle file, const QString &path, qint64 offset, qint64 length) override {
    return t_.readAt(file, path, offset, length);
  }
  void writeAt(FileHandle file, const QString &path, qint64 offset, const QByteArray &bytes) override {
    t_.writeAt(file, path, offset, bytes);
  }
  void resize(FileHandle file, const QString &path, qint64 length) override { t_.resize(file, path, length); }
  void flush(FileHandle file, const QString &path) override { t_.flush(file, path); }
  bool exists(const QString &path) override { return t_.exists(path); }
  bool remove(const QString &path) override {
    return whileHeld([&] { return t_.remove(path); });
  }
  bool rename(const QString &from, const QString &to) override {
    return whileHeld([&] { return t_.rename(from, to); });
  }
  void replace(const QString &from, const QString &to) override {
    whileHeld([&] { t_.replace(from, to); });
  }
  void flushFolderOf(const QString &filePath) override { t_.flushFolderOf(filePath); }

 private:
  FileSystem &t_;
};

// One view per layer, kept for the whole run: a handle keeps the view it was
// opened through (LockedFile), whatever is installed later.
FileSystem &patientView(FileSystem &target) {
  static std::map<FileSystem *, std::unique_ptr<PatientFiles>> views;
  std::unique_ptr<PatientFiles> &view = views[&target];
  if (!view) view = std::make_unique<PatientFiles>(target);
  return *view;
}

}  // namespace

FileSystem &installedFileSystem() { return installed ? *installed : systemFileSystem(); }

FileSystem &fileSystem() { return patientView(installedFileSystem()); }

void setFileSystem(FileSystem *files) { installed = files; }

void setHeldWait(HeldWait wait) { installedHeldWait() = std::move(wait); }

namespace detail {

int heldDelayAfter(int attempt) {
  int waited = 0;
  for (int k = 1; k < attempt; ++k) waited += k * kHeldRetryStepMs;
  const int next = attempt * kHeldRetryStepMs;
  return waited + next <= kHeldRetryBoundMs ? next : 0;
}

void waitWhileHeld(int ms) {
  if (const HeldWait &wait = installedHeldWait()) {
    wait(ms);
  } else {
    QThread::msleep(static_cast<unsigned long>(ms));
  }
}

}  // namespace detail

}  // namespace minatori
