#pragma once
// A file layer for tests that fails, or "crashes", at the Nth call that
// changes a file (open for writing, write, cut, flush, remove, rename,
// replace, folder flush), over the real files of one folder. It also plays
// the other programs of a Windows machine: a file held by a scanner for a
// while (its opens, removals and renames refused as FileBusy), and a
// network client's cached answer to a look-up.
//
// Two crash models:
//  - Crash: the process stops at call N. The call is not made (TornCrash:
//    only the first half of a write lands), and every later call throws
//    SimulatedCrash, so nothing after it reaches the disk; closing handles
//    still releases their locks, as the system does for a dead process.
//  - PowerCut: the same stop; afterwards powerCut() rebuilds the folder as
//    the disk may hold it: the state at each file's last flush (its folder's
//    last flush for creations, removals and renames), plus any subset of the
//    later changes, applied in any order.
#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "platform/filesystem.h"

namespace minatori::faults {

struct SimulatedCrash {};

class FaultyFiles final : public FileSystem {
 public:
  enum class Fault {
    IoError,     // the call fails with a device error, nothing done
    Denied,      // the call fails for want of rights, nothing done
    DiskFull,    // the call fails with a full disk, nothing done
    ShortWrite,  // a write puts half its bytes down, then fails with a full disk
    Crash,
    TornCrash,
    PowerCut,
  };
  // Installs itself over the files of `folder` (whose files count as on the disk).
  explicit FaultyFiles(const QString &folder);
  ~FaultyFiles() override;  // installs the system's calls again

  // The fault at counted call `call` (1-based) and the `times` - 1 calls
  // after it (a disk that has gone bad: kAlways). 0: none.
  static constexpr int kAlways = 1 << 30;
  void failAt(int call, Fault fault, int times = 1);
  int calls() const { return calls_; }

  // The next `times` opens, removals, renames and replacements of the file
  // named `fileName` (in any folder) are refused as held (kAlways: for ever).
  // Each try counts, the short retries' included.
  void hold(const QString &fileName, int times);
  // Removals alone are refused as held (kAlways: for ever); opens go through.
  void holdRemovals(const QString &fileName, int times);
  // exists() answers `answer` for the file named `fileName`, whatever is there.
  void cacheExists(const QString &fileName, bool answer);
  // Milliseconds the short retries waited, in all (they do not really wait).
  int heldWaitMs() const { return heldWaitMs_; }
  // Every lock is granted, whoever holds the range: a share mounted without
  // byte-range locks.
  bool locksNotEnforced = false;
  bool crashed() const { return crashed_; }

  // The changes not known to be on the disk at the crash, in the order made.
  int pendingChanges() const { return static_cast<int>(pending_.size()); }
  // After a PowerCut: the folder as the disk holds it when exactly the
  // pending changes `kept` (indices, in the order they land) made it there.
  // Uninstalls nothing; the layer is reset to no fault and no crash.
  void powerCut(const std::vector<int> &kept);
  // After a Crash: the files stay as the crash left them (a process's writes
  // outlive it); calls go through again, counted from 1, with no fault.
  void revive();
  // Every order of every subset of `count` changes (all of them up to 4,
  // otherwise a fixed sample).
  static std::vector<std::vector<int>> landings(int count);

  // Called before each removal with the file's path, fault or not: a test
  // has another program take the file at that moment.
  std::function<void(const QString &path)> beforeRemove;

  FileHandle open(const QString &path, bool write) override;
  void close(FileHandle file) noexcept override;
  bool tryLock(FileHandle file, const QString &path, qint64 start, qint64 length, bool exclusive) override;
  void unlock(FileHandle file, qint64 start, qint64 length) noexcept override;
  qint64 size(FileHandle file, const QString &path) override;
  QByteArray readAt(FileHandle file, const QString &path, qint64 offset, qint64 length) override;
  void writeAt(FileHandle file, const QString &path, qint64 offset, const QByteArray &bytes) override;
  void resize(FileHandle file, const QString &path, qint64 length) override;
  void flush(FileHandle file, const QString &path) override;
  bool exists(const QString &path) override;
  bool remove(const QString &path) override;
  bool rename(const QString &from, const QString &to) override;
  void replace(const QString &from, const QString &to) override;
  void flushFolderOf(const QString &filePath) override;

 private:
  struct Durable {
    bool exists = false;
    QByteArray bytes;
  };
  struct Change {
    enum Kind { Write, Resize, Create, Remove, Rename } kind;
    QString path, to;
    qint64 offset = 0;
    QByteArray bytes;
  };
  // Counts a changing call and throws its fault; a write's partial fault is
  // left to the caller through `partial`, and a failure of a call that
  // reports it by its result through `failed`.
  void count(const QString &path, bool *partial = nullptr, bool *failed = nullptr);
  void deadCheck() const;
  // Throws FileBusy while `path` is held against the call.
  void heldCheck(const QString &path, bool removal);
  // A rename, or with `replacing` a rename over `to`; false when it failed.
  bool move(const QString &from, const QString &to, bool replacing);
  void track(const QString &path);
  static QString key(const QString &path);

  FileSystem &real_;
  QString folder_;
  int calls_ = 0, faultCall_ = 0, faultTimes_ = 1;
  Fault fault_ = Fault::IoError;
  bool crashed_ = false;
  std::map<QString, Durable> durable_;
  std::vector<Change> pending_;
  std::map<QString, int> held_, heldRemovals_;  // by file name: refusals left
  std::map<QString, bool> cachedExists_;
  int heldWaitMs_ = 0;
};

}  // namespace minatori::faults
