#include "results/logjournal.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include "platform/lockedfile.h"
#include "platform/runtimeerror.h"
#include "platform/textfile.h"
#include "results/seisekikiroku.h"

namespace minatori {

namespace {

// The trailer: mark (8), content length (8), deleted record (4), state (4),
// checksum (8), little-endian.
constexpr char kMark[8] = {'M', 'N', 'T', 'R', 'J', 'N', 'L', '1'};
constexpr int kLengthAt = 8, kRecordAt = 16, kStateAt = 20, kChecksumAt = 24;
static_assert(kChecksumAt + 8 == kJournalTrailerSize);
static_assert(kJournalTrailerSize < kResultRecordSize, "the trailer must read as a torn tail, not as a record");

// FNV-1a, 64 bits: enough to tell a torn or mixed copy from a whole one.
quint64 checksum(const QByteArray &bytes) {
  quint64 h = 14695981039346656037ull;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

// Whether the log can be the journal's log half rewritten: the old length or
// one record less (the rewrite cuts it once, at its end), and the same up to
// the deleted record, which a rewrite never touches; or gone (emptied or
// removed by hand), when the journal is all there is. A journal that fails
// this is not this log's, and the log is left as it is.
bool belongsTo(const Journal &journal, const LockedFile &log) {
  const qint64 size = journal.content.size();
  const qint64 cut = static_cast<qint64>(journal.deletedRecord - 1) * kResultRecordSize;
  const qint64 now = log.size();
  if (now == 0) return true;
  if (journal.deletedRecord < 1 || cut >= size || now > size || now < size - kResultRecordSize) return false;
  return log.readAt(0, cut) == journal.content.left(static_cast<qsizetype>(cut));
}

}  // namespace

QString resultsJournalPath(const QString &logPath) {
  return QFileInfo(logPath).absolutePath() + u'/' + QString::fromUtf16(kResultsJournalFileName);
}

qint64 journalStateOffset(qint64 contentSize) { return contentSize + kStateAt; }

QByteArray encodeJournal(const Journal &journal) {
  QByteArray out = journal.content;
  char trailer[kJournalTrailerSize];
  std::memcpy(trailer, kMark, sizeof kMark);
  qToLittleEndian<quint64>(static_cast<quint64>(journal.content.size()), trailer + kLengthAt);
  qToLittleEndian<quint32>(static_cast<quint32>(journal.deletedRecord), trailer + kRecordAt);
  qToLittleEndian<quint32>(static_cast<quint32>(journal.state), trailer + kStateAt);
  qToLittleEndian<quint64>(checksum(journal.content), trailer + kChecksumAt);
  out.append(trailer, kJournalTrailerSize);
  return out;
}

std::optional<Journal> decodeJournal(const QByteArray &bytes) {
  if (bytes.size() < kJournalTrailerSize) return std::nullopt;
  const char *trailer = bytes.constData() + bytes.size() - kJournalTrailerSize;
  if (std::memcmp(trailer, kMark, sizeof kMark) != 0) return std::nullopt;
  const quint64 length = qFromLittleEndian<quint64>(trailer + kLengthAt);
  if (length != static_cast<quint64>(bytes.size() - kJournalTrailerSize) || length % kResultRecordSize != 0)
    return std::nullopt;
  Journal j;
  j.content = bytes.left(static_cast<qsizetype>(length));
  if (checksum(j.content) != qFromLittleEndian<quint64>(trailer + kChecksumAt)) return std::nullopt;
  j.deletedRecord = static_cast<int>(qFromLittleEndian<quint32>(trailer + kRecordAt));
  const quint32 state = qFromLittleEndian<quint32>(trailer + kStateAt);
  if (state > static_cast<quint32>(JournalState::RolledBack)) return std::nullopt;
  j.state = static_cast<JournalState>(state);
  return j;
}

void writeJournal(const QString &journalPath, const QByteArray &content, int deletedRecord) {
  try {
    LockedFile journal(journalPath, LockedFile::Access::ReadWrite, LockPurpose::Change);
    journal.resize(0);
    journal.writeAt(0, encodeJournal({content, deletedRecord, JournalState::Hot}));
    journal.flush();
  } catch (const RuntimeError &) {
    QFile::remove(journalPath);
    throw;
  }
  flushFolderOf(journalPath);
}

void setJournalState(const QString &journalPath, qint64 contentSize, JournalState state) {
  LockedFile journal(journalPath, LockedFile::Access::ReadWrite, LockPurpose::Change);
  char bytes[4];
  qToLittleEndian<quint32>(static_cast<quint32>(state), bytes);
  journal.writeAt(journalStateOffset(contentSize), QByteArray(bytes, 4));
  journal.flush();
}

bool removeJournal(const QString &journalPath) {
  if (!QFile::remove(journalPath) && QFileInfo::exists(journalPath)) return false;
  flushFolderOf(journalPath);
  return true;
}

void recoverInterruptedRewrite(LockedFile &log, const QString &journalPath) {
  if (!QFileInfo::exists(journalPath)) return;
  const std::optional<Journal> journal = decodeJournal(readWholeFile(journalPath));
  // An incomplete journal was cut off before its trailer was on the disk,
  // so the log was never touched: it is only removed.
  if (journal && journal->state == JournalState::Hot && belongsTo(*journal, log)) {
    // The rewrite only ever writes inside the old content and then shortens
    // it, so putting the old content back restores the log whole.
    log.writeAt(0, journal->content);
    log.flush();
    // Said before the journal goes: should the removal not last (a power
    // cut), the journal that comes back asks for nothing more.
    setJournalState(journalPath, journal->content.size(), JournalState::RolledBack);
  }
  if (!removeJournal(journalPath)) throw RuntimeError(errc::PermissionDenied, journalPath);
}

}  // namespace minatori
