#pragma once
// The journal of a teacher's rewrite of the results log, kept in
// "成績累積データtemp.dat" beside it while the log is rewritten in place.
//
// It holds the log's old content (whole records) followed by a 40-byte
// trailer: a mark, the content's length, the record being deleted, a
// checksum of the content and of those fields, and the journal's state in two
// slots, each with a check of its own over the whole trailer (see the source).
// Shorter than a record, the trailer reads as a torn tail to anything that
// counts 44-byte records, so the file is also a plain copy of the old log.
//
// The order of a rewrite: journal written and flushed (state Hot) → log
// rewritten and flushed → state Committed → journal removed → lock released.
// Whoever next takes the log's lock, on any machine, first recovers, judging
// the log's shape against the journal (see planRecovery()). The recovery can
// itself be stopped at any moment and run again with the same result, and it
// never removes a journal holding a record the log does not: a journal it
// cannot apply is kept aside under a name of its own and the teacher told.
// Appends wait for that, so none is ever made while a journal is Hot.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace minatori {

class LockedFile;

inline constexpr const char16_t *kResultsJournalFileName = u"成績累積データtemp.dat";
inline constexpr int kJournalTrailerSize = 40;

enum class JournalState : quint32 {
  Hot = 0,         // the log may be half rewritten: put the old content back
  Committed = 1,   // the log holds the new content
  RolledBack = 2,  // the log holds the old content again
};

struct Journal {
  QByteArray content;  // the log's whole records before the rewrite
  int deletedRecord = 0;
  JournalState state = JournalState::Hot;
  int sequence = 0;  // how many times the state was changed in the file
};

// The journal beside the log at `logPath`.
QString resultsJournalPath(const QString &logPath);
// Where the journal at `journalPath` is written before it takes its name.
QString partJournalPath(const QString &journalPath);

// The file's bytes for `journal`.
QByteArray encodeJournal(const Journal &journal);
// The journal in `bytes`; empty when it is incomplete, damaged or not a
// journal. Its state is that of the newest whole slot: a slot cut off while
// it was written leaves the state before, which is still true of the log,
// since each state is true from before its write begins.
std::optional<Journal> decodeJournal(const QByteArray &bytes);

// Writes the journal for `content` (state Hot) and flushes it and its folder,
// so that it is on the disk before the log is touched: first whole into
// "成績累積データtemp.part", then renamed. Throws RuntimeError, and the
// journal is not there then.
void writeJournal(const QString &journalPath, const QByteArray &content, int deletedRecord);
// Sets the state of `journal` in its file (its next slot, then a flush) and
// in `journal`. Throws RuntimeError.
void setJournalState(const QString &journalPath, Journal &journal, JournalState state);
// Removes the journal, flushing its folder; false when it could not be
// removed (also when another program held it past the short retries).
bool removeJournal(const QString &journalPath);

// What the next access does with a journal beside the log.
enum class RecoveryAction {
  Remove,     // nothing to apply: the log already holds every record it must
  Restore,    // a rewrite stopped: the old content goes back
  KeepAside,  // not this log's, or the log changed since: both are left alone
};
struct RecoveryPlan {
  RecoveryAction action = RecoveryAction::Remove;
  std::optional<Journal> journal;  // decoded, when it could be
  QString reason;                  // for KeepAside: what does not match
};

// The judgement on the journal `journalBytes` beside a log holding
// `logBytes` (empty for a missing log). A Hot journal is applied when the log
// has a shape the rewrite or a stopped recovery leaves:
//  - the old content, possibly followed by more (a torn tail, later appends):
//    nothing to do;
//  - the old content up to the deleted record, then bytes of the old content
//    either in place or moved up by one record, then the old last record as
//    it was (the rewrite writes nothing else), at the old length, one record
//    less, or with a torn tail after it;
//  - the old content at its length with zeros where a restore has not
//    written yet, or a cut-off prefix of it, or empty or missing.
// Anything else means the log changed since: it is left exactly as it is.
// A journal that does not decode is never applied: kept aside unless empty.
RecoveryPlan planRecovery(const QByteArray &logBytes, const QByteArray &journalBytes);

// What became of the journal beside the log.
enum class JournalFound {
  None,         // there is none (an open found none: a cached "there" is not believed)
  Gone,         // it was applied, or had nothing to apply, and is removed; or it is kept aside
  Stands,       // finished, or applied just now, but it could not be removed: the log is
                // whole, and a later access tries the removal again
  NeedsRepair,  // under a shared lock: it must be applied or kept aside under the exclusive one
};

// With the log's lock held: carries out planRecovery() for the journal beside
// it and removes the journal, or keeps it aside under
// "成績累積データtemp-<date>-<time>.dat" and tells the teacher (see
// setRecoveryNotice()). Under a shared lock it only removes a journal that
// has nothing to apply. Only an open of the journal proves that one is there.
// Throws RuntimeError when the log cannot be put back or the journal cannot
// be read or kept aside (FileBusy while another program holds it): the
// journal stays, and the next access tries again.
JournalFound recoverInterruptedRewrite(LockedFile &log, const QString &journalPath);

// Whether a file is at `path`, proven by opening it: a network client may
// answer a plain look-up from a cache of what was there a moment ago. A file
// that another program holds is there.
bool fileIsThere(const QString &path);

// What the log holds after a rewrite that failed part-way, once the next
// access has recovered it, judged under the lock the rewrite still holds.
enum class LogAfterFailure {
  Old,        // the old content, whole
  New,        // the new content, whole
  PutBack,    // the journal on the disk makes the next access put the old content back
  Uncertain,  // none of these can be shown (the files could not be read, or hold something else)
};
LogAfterFailure judgeLogAfterFailure(const LockedFile &log, const QString &journalPath, const QByteArray &oldContent,
                                     const QByteArray &newContent);

// Told, with a message for the teacher naming both files, when a journal is
// kept aside. The program shows it in a message box; the default writes it
// to the standard error stream.
using RecoveryNotice = std::function<void(const QString &message)>;
void setRecoveryNotice(RecoveryNotice notice);

}  // namespace minatori
