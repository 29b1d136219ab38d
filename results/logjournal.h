#pragma once
// The journal of a teacher's rewrite of the results log, kept in
// "成績累積データtemp.dat" beside it while the log is rewritten in place.
//
// It holds the log's old content (whole records) followed by a 32-byte
// trailer: a mark, the content's length, the record being deleted, the
// journal's state and a checksum of the content. Shorter than a record, the
// trailer reads as a torn tail to anything that counts 44-byte records, so
// the file is also a plain copy of the old log. A journal whose trailer or
// checksum does not match is incomplete: it was being written when its
// writer stopped, before the log was touched, and is never used.
//
// The order of a rewrite: journal written and flushed (state Hot) → log
// rewritten and flushed → state Committed → journal removed → lock released.
// Whoever next takes the log's lock, on any machine, first recovers: a Hot
// journal means the log may be half rewritten and gets its old content back
// (the rewrite is undone); a Committed or RolledBack one is only removed.
// Appends wait for that, so none is ever made while a journal is Hot, and
// none made after a recovery is touched by a later one.

#include <QByteArray>
#include <QString>
#include <optional>

namespace minatori {

class LockedFile;

inline constexpr const char16_t *kResultsJournalFileName = u"成績累積データtemp.dat";
inline constexpr int kJournalTrailerSize = 32;

enum class JournalState : quint32 {
  Hot = 0,         // the log may be half rewritten: put the old content back
  Committed = 1,   // the log holds the new content
  RolledBack = 2,  // the log holds the old content again
};

struct Journal {
  QByteArray content;  // the log's whole records before the rewrite
  int deletedRecord = 0;
  JournalState state = JournalState::Hot;
};

// The journal beside the log at `logPath`.
QString resultsJournalPath(const QString &logPath);

// The file's bytes for `journal`.
QByteArray encodeJournal(const Journal &journal);
// The journal in `bytes`; empty when it is incomplete or not a journal.
std::optional<Journal> decodeJournal(const QByteArray &bytes);
// Where the state sits in a journal of `contentSize` bytes of content.
qint64 journalStateOffset(qint64 contentSize);

// Writes the journal for `content` (state Hot) and flushes it and its folder,
// so that it is on the disk before the log is touched. Throws RuntimeError;
// a journal that could not be written whole is removed again.
void writeJournal(const QString &journalPath, const QByteArray &content, int deletedRecord);
// Sets the state of the journal, flushed. Throws RuntimeError.
void setJournalState(const QString &journalPath, qint64 contentSize, JournalState state);
// Removes the journal, flushing its folder; false when it could not be removed.
bool removeJournal(const QString &journalPath);

// With the log's exclusive lock held: finishes what a journal beside it says
// (see above) and removes the journal. Does nothing when there is none.
// Throws RuntimeError when the log cannot be put back (the journal stays).
void recoverInterruptedRewrite(LockedFile &log, const QString &journalPath);

}  // namespace minatori
