#include "results/resultslog.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

#include "app/programstate.h"
#include "platform/clock.h"
#include "platform/filesystem.h"
#include "platform/lockedfile.h"
#include "platform/runtimeerror.h"
#include "results/logjournal.h"

namespace minatori {

QString resultsLogPath(const ProgramState &state) {
  return state.contentFolder + QString::fromUtf16(kResultsLogFileName);
}

LockedFile openResultsLog(const QString &path, LockedFile::Access access, LockPurpose purpose, bool *journalStands) {
  const QString journal = resultsJournalPath(path);
  for (int busy = 1;; ++busy) {
    try {
      std::optional<LockedFile> log;
      try {
        log.emplace(path, access, purpose);
      } catch (const RuntimeError &e) {
        // A rewrite stopped where the log was gone leaves its journal: the
        // log is then made again from it.
        if (e.number() != errc::FileNotFound || !fileIsThere(journal)) throw;
      }
      if (log) {
        const JournalFound found = recoverInterruptedRewrite(*log, journal);
        if (found != JournalFound::NeedsRepair) {
          if (journalStands) *journalStands = found == JournalFound::Stands;
          return std::move(*log);
        }
        log.reset();
      }
      // A shared lock cannot repair: under the exclusive one, then again.
      LockedFile writer(path, LockedFile::Access::ReadWrite, purpose);
      recoverInterruptedRewrite(writer, journal);
    } catch (const RuntimeError &e) {
      // A journal to keep aside that another program holds: the log may not
      // be used until it is out of the way, so this waits as for a lock
      // (a teacher's change is refused instead, changing nothing).
      if (e.number() != errc::FileBusy || purpose == LockPurpose::Change) throw;
      if (!waitForLock(journal, purpose, busy)) throw RuntimeError(errc::FileAlreadyOpen, journal);
    }
  }
}

std::optional<LockedFile> openResultsLogUnless(int answered, const QString &path, LockedFile::Access access,
                                               LockPurpose purpose) {
  try {
    return openResultsLog(path, access, purpose);
  } catch (const RuntimeError &e) {
    if (e.number() != answered) throw;
    return std::nullopt;
  }
}

int appendResult(const ProgramState &state, Clock &clock) {
  const QDateTime now = clock.now();
  return appendRecord(resultsLogPath(state),
                      makeRecord(dateSerial(now.date()), now.time().msecsSinceStartOfDay() / 1000, state.studentNumber,
                                 state.currentLevel, state.attemptResult, state.schoolCode));
}

// A failed append leaves no second copy of its record for a retry to add:
//  - the record is cut back off the log, so the log is as before;
//  - where the cut fails too and the record reads back whole and can be
//    flushed after all, the attempt counts as recorded (the number is returned);
//  - otherwise the error goes on, and the record may still stand whole at the
//    log's end: a retry of the same record finds it there and does not write
//    it again.
int appendRecord(const QString &path, const Seisekikiroku &record, bool retry) {
  const QByteArray bytes = encodeRecord(record);
  LockedFile log = openResultsLog(path, LockedFile::Access::ReadWrite, LockPurpose::Append);
  // Under the lock: no other machine can take the same record number.
  const qint64 records = log.size() / kResultRecordSize;
  if (retry && records > 0 && log.readAt((records - 1) * kResultRecordSize, kResultRecordSize) == bytes) {
    log.flush();  // an earlier try of this append: it is there, and now on the disk
    return static_cast<int>(records);
  }
  const qint64 at = records * kResultRecordSize;
  try {
    log.writeAt(at, bytes);
    log.flush();
    // The first record of a new log: the log's entry in its folder must last too.
    if (at == 0) fileSystem().flushFolderOf(path);
  } catch (const RuntimeError &) {
    try {
      log.resize(at);
    } catch (const RuntimeError &) {
      try {
        if (log.readAt(at, kResultRecordSize) == bytes) {
          log.flush();
          return static_cast<int>(records + 1);
        }
      } catch (const RuntimeError &) {
        // Not shown to be on the disk: reported as not recorded (see above).
      }
    }
    throw;
  }
  return static_cast<int>(records + 1);
}

void recordAttempt(ProgramState &state, Clock &clock, int level) {
  ResultsTallies &t = state.tallies;
  const int s = state.studentNumber;
  const LevelCriteria &c = state.criteria[static_cast<size_t>(level)];
  const bool studentInRange = s >= 1 && s < kTallyStudents && level >= 1 && level < kTallyLevels;
  state.alreadyCleared =
      studentInRange && t.attemptCount(level, s) >= c.clearCount && t.pointTotal(level, s) >= c.clearPoints ? 1 : 0;
  if (studentInRange && t.personalBest(level, s) > state.attemptResult) {
    state.newPersonalBest = 1;
    t.personalBest(level, s) = state.attemptResult;
  }
  appendResult(state, clock);
  if (level >= 1 && level < kTallyLevels && t.levelBest[static_cast<size_t>(level)] > state.attemptResult) {
    t.levelBest[static_cast<size_t>(level)] = state.attemptResult;
    state.newLevelBest = 1;
  }
}

namespace {

// Reads whole records from the one chosen by `firstOf(count)` (0-based) on,
// under one shared lock, so the count and the records agree.
template <class FirstOf>
std::vector<Seisekikiroku> readRecords(const QString &path, FirstOf firstOf, int *totalRecords) {
  std::vector<Seisekikiroku> out;
  if (totalRecords) *totalRecords = 0;
  // No log yet, in a folder that is there: no attempt recorded.
  const std::optional<LockedFile> opened =
      openResultsLogUnless(errc::FileNotFound, path, LockedFile::Access::Read, LockPurpose::Read);
  if (!opened) return out;
  const LockedFile &log = *opened;
  const qint64 records = log.size() / kResultRecordSize;
  if (totalRecords) *totalRecords = static_cast<int>(records);
  const qint64 from = std::max<qint64>(0, firstOf(records));
  if (from >= records) return out;
  out.reserve(static_cast<size_t>(records - from));
  // Large blocks: one read per 4096 records.
  constexpr qint64 kBlockRecords = 4096;
  for (qint64 r = from; r < records; r += kBlockRecords) {
    const qint64 n = std::min(kBlockRecords, records - r);
    const QByteArray block = log.readAt(r * kResultRecordSize, n * kResultRecordSize);
    const qint64 whole = block.size() / kResultRecordSize;
    for (qint64 i = 0; i < whole; ++i) out.push_back(decodeRecord(block.constData() + i * kResultRecordSize));
    if (whole < n) break;
  }
  return out;
}

}  // namespace

std::vector<Seisekikiroku> readResultRecords(const QString &path, int first, int *totalRecords) {
  return readRecords(path, [first](qint64) { return static_cast<qint64>(std::max(1, first) - 1); }, totalRecords);
}

std::vector<Seisekikiroku> readLatestResultRecords(const QString &path, int maxRecords, int *totalRecords) {
  return readRecords(path, [maxRecords](qint64 count) { return count > maxRecords ? count - maxRecords : 0; },
                     totalRecords);
}

}  // namespace minatori
