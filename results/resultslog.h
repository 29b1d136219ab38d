#pragma once
// The results log "成績累積データ.dat" in the content folder: every test
// attempt of every classroom machine, appended one 44-byte record at a time
// under a whole-file lock.

#include <QString>
#include <optional>
#include <vector>

#include "platform/lockedfile.h"
#include "results/seisekikiroku.h"

namespace minatori {

struct ProgramState;
class Clock;

inline constexpr const char16_t *kResultsLogFileName = u"成績累積データ.dat";

QString resultsLogPath(const ProgramState &state);

// Opens the log under its lock: shared for Read, exclusive (and created when
// missing) for ReadWrite. First, under the exclusive lock, it finishes or
// undoes a teacher's rewrite that stopped half-way on any machine (see
// results/logjournal.h), so whoever reads or writes sees a whole log. A
// journal that is finished but cannot be removed is left for a later access
// (`journalStands` tells); the log is whole all the same. Throws
// RuntimeError: FileNotFound for a missing log opened to read (when no
// journal can make it again), and as LockedFile does.
LockedFile openResultsLog(const QString &path, LockedFile::Access access, LockPurpose purpose,
                          bool *journalStands = nullptr);
// The same, or nothing when the open fails with the error `answered`, which
// the caller answers itself (FileNotFound: no log yet; FileBusy: try later).
std::optional<LockedFile> openResultsLogUnless(int answered, const QString &path, LockedFile::Access access,
                                               LockPurpose purpose);

// Appends a record for the state's student, level and result, dated now,
// and flushes it to the disk (or the server) before it returns: only then
// does the attempt count as recorded. The record goes after the last whole
// record (a torn tail is overwritten); a write that fails part-way is cut
// back. Waits for the lock as long as it takes. Returns the record's 1-based
// number.
int appendResult(const ProgramState &state, Clock &clock);
// The same for a record made by the caller. With `retry`, the record is one
// whose append failed before: when the failed try left it whole at the end of
// the log, it is not stored again (see the source for the rule).
int appendRecord(const QString &path, const Seisekikiroku &record, bool retry = false);

// Records an attempt on `level`: sets alreadyCleared, newPersonalBest and
// newLevelBest, updates the bests and appends the record.
void recordAttempt(ProgramState &state, Clock &clock, int level);

// Every whole record of the log from record `first` (1-based) on, read in
// large blocks through one handle under a shared lock. A missing log reads
// as empty when its folder exists. `totalRecords` receives the log's count.
std::vector<Seisekikiroku> readResultRecords(const QString &path, int first = 1, int *totalRecords = nullptr);
// The last `maxRecords` whole records (all of them when there are fewer).
std::vector<Seisekikiroku> readLatestResultRecords(const QString &path, int maxRecords, int *totalRecords = nullptr);

}  // namespace minatori
