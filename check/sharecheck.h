#pragma once
// The share check an administrator runs on a classroom PC before the first
// lesson: whether the installation's files read, whether the content folder
// on the file server grants what the program needs (create, write, flush,
// rename over a file, delete), whether its byte-range locks hold at the
// program's own offsets, between two handles and between two PCs, whether
// this PC's clock agrees with the server's, and how much room is left.
//
// It finds the installation exactly as the program does and uses only
// scratch files of its own in the content folder ("minatori-check-*"); it
// never opens the results log for writing, and leaves nothing behind.

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "platform/filesystem.h"

namespace minatori {
class Clock;
}

namespace minatori::check {

enum class Verdict { Ok, Note, Warning, Problem };

// One line of the report: what was checked, and "OK" or what is wrong and
// what to do about it.
struct Finding {
  QString topic;
  Verdict verdict = Verdict::Ok;
  QString text;
};

struct Report {
  QDateTime when;
  QString pcName;
  QString programFolder;
  QString dataFolder;     // empty when the configuration could not be read
  QString contentFolder;  // likewise
  std::vector<Finding> findings;

  int count(Verdict verdict) const;
  // The report as the text file holds it (lines end in CR LF when written).
  QString text() const;
};

// "OK", "情報", "注意", "問題".
QString verdictLabel(Verdict verdict);

// Called after each step: the steps done, of how many, and the next topic.
using Progress = std::function<void(int done, int total, const QString &next)>;

// Runs every check for the program in `programFolder` (without a trailing
// separator) and returns what it found.
Report runChecks(const QString &programFolder, const Clock &clock, const QString &pcName,
                 const Progress &progress = {});

// Writes the report as code page 932 text into the data folder (into the
// program folder when the data folder is unknown); the file's path, or
// nothing when it could not be written.
std::optional<QString> writeReport(const Report &report);

// The scratch files of the check, in the content folder.
QString scratchFileName(const QString &pcName);
inline constexpr const char16_t *kOtherPcLockFileName = u"minatori-check-lock.tmp";
inline constexpr const char16_t *kOtherPcInfoFileName = u"minatori-check-lock.txt";
// How long a lock held for the other PC lasts, in seconds.
inline constexpr int kOtherPcHoldSeconds = 60;

// Holds the shared lock file's lock for a check on another PC, as the
// program holds the results log: the other PC's check must then be refused.
// The lock is released and the files removed when this ends.
class LockForOtherPc {
 public:
  LockForOtherPc(const QString &contentFolder, const QString &pcName, const Clock &clock);
  ~LockForOtherPc();
  LockForOtherPc(const LockForOtherPc &) = delete;
  LockForOtherPc &operator=(const LockForOtherPc &) = delete;
  // Empty when the lock is held; else why not.
  const QString &failure() const { return failure_; }

 private:
  QString lockPath_, infoPath_;
  FileHandle handle_ = 0;
  QString failure_;
};

}  // namespace minatori::check
