#include "results/logjournal.h"

#include <QFileInfo>
#include <QtEndian>
#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/filesystem.h"
#include "platform/lockedfile.h"
#include "platform/runtimeerror.h"
#include "results/seisekikiroku.h"

namespace minatori {

namespace {

// The trailer, little-endian: mark (8), content length (8), deleted record
// (4), content checksum (8) over the content and those three fields, then two
// state slots of state (1), sequence (1) and a check (4) over the fields
// before the slots and the slot's own. A state change writes the slot the
// current state is not in, with the next sequence number, so that a write
// cut off anywhere leaves the other slot, and so the state before, whole.
constexpr char kMark[8] = {'M', 'N', 'T', 'R', 'J', 'N', 'L', '2'};
constexpr int kLengthAt = 8, kRecordAt = 16, kContentSumAt = 20, kSlotsAt = 28, kSlotSize = 6;
static_assert(kSlotsAt + 2 * kSlotSize == kJournalTrailerSize);
static_assert(kJournalTrailerSize < kResultRecordSize, "the trailer must read as a torn tail, not as a record");

// FNV-1a, 64 bits: enough to tell a torn, mixed or damaged copy from a whole one.
quint64 fnv(quint64 h, const char *bytes, qsizetype size) {
  for (qsizetype i = 0; i < size; ++i) {
    h ^= static_cast<unsigned char>(bytes[i]);
    h *= 1099511628211ull;
  }
  return h;
}
constexpr quint64 kFnvStart = 14695981039346656037ull;

// The trailer up to its slots, for `journal`.
QByteArray trailerHead(const Journal &journal) {
  char head[kSlotsAt];
  std::memcpy(head, kMark, sizeof kMark);
  qToLittleEndian<quint64>(static_cast<quint64>(journal.content.size()), head + kLengthAt);
  qToLittleEndian<quint32>(static_cast<quint32>(journal.deletedRecord), head + kRecordAt);
  const quint64 sum = fnv(fnv(kFnvStart, journal.content.constData(), journal.content.size()), head, kContentSumAt);
  qToLittleEndian<quint64>(sum, head + kContentSumAt);
  return QByteArray(head, kSlotsAt);
}

QByteArray slotBytes(const QByteArray &head, int slot, JournalState state, int sequence) {
  char bytes[kSlotSize];
  bytes[0] = static_cast<char>(state);
  bytes[1] = static_cast<char>(sequence);
  const char index = static_cast<char>(slot);
  quint64 h = fnv(fnv(kFnvStart, head.constData(), head.size()), &index, 1);
  h = fnv(h, bytes, 2);
  qToLittleEndian<quint32>(static_cast<quint32>(h), bytes + 2);
  return QByteArray(bytes, kSlotSize);
}

RecoveryNotice &installedNotice() {
  static RecoveryNotice notice;
  return notice;
}

void tell(const QString &message) {
  if (const RecoveryNotice &notice = installedNotice()) {
    notice(message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(message));
  }
}

// Whether `log` starts with `content`.
bool startsWith(const QByteArray &log, const QByteArray &content) {
  return log.size() >= content.size() && std::memcmp(log.constData(), content.constData(), content.size()) == 0;
}

// Whether a Hot journal's old content can be put back over `log`: the shapes
// that only the rewrite, or a restore, can leave (see planRecovery()).
bool restorable(const QByteArray &log, const Journal &j) {
  const QByteArray &c = j.content;
  const qint64 size = c.size(), n = log.size();
  const qint64 cut = static_cast<qint64>(j.deletedRecord - 1) * kResultRecordSize;
  if (n == 0) return true;
  // A restore cut off before it set the length (a program without the
  // zero-filled first step, or a lost change of length): a bare prefix whose
  // length is no whole number of records, which no rewrite or append leaves.
  if (n < size && n % kResultRecordSize != 0 && std::memcmp(log.constData(), c.constData(), n) == 0) return true;
  if (n != size - kResultRecordSize && (n < size || n >= size + kResultRecordSize)) return false;
  const char *l = log.constData(), *old = c.constData();
  const qint64 moved = size - kResultRecordSize;  // bytes from `cut` on that the rewrite may have moved up
  for (qint64 i = 0, end = std::min(n, size); i < end; ++i) {
    if (l[i] == old[i] || l[i] == 0) continue;
    if (i >= cut && i < moved && l[i] == old[i + kResultRecordSize]) continue;
    return false;
  }
  return true;
}

// Renames the journal to "成績累積データtemp-<date>-<time>.dat", or with
// "-2", "-3" … after it when that name is taken; returns the new name. The
// rename never replaces a file, so a name is taken by trying it.
QString keepAside(const QString &journalPath) {
  const QFileInfo info(journalPath);
  const QString stamp = SystemClock().now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  const QString base = info.absolutePath() + u'/' + info.completeBaseName() + u'-' + stamp;
  const QString suffix = u'.' + info.suffix();
  for (int k = 1; k <= 99; ++k) {
    const QString name = k == 1 ? base + suffix : base + u'-' + QString::number(k) + suffix;
    if (fileSystem().rename(journalPath, name)) {
      fileSystem().flushFolderOf(journalPath);
      return name;
    }
  }
  throw RuntimeError(errc::PermissionDenied, journalPath);
}

QByteArray readWhole(const QString &path, LockPurpose purpose) {
  const LockedFile f(path, LockedFile::Access::Read, purpose);
  const qint64 size = f.size();
  QByteArray bytes = f.readAt(0, size);
  if (bytes.size() != size) throw RuntimeError(errc::DeviceIo, path);
  return bytes;
}

// The journal's bytes, or nothing when an open finds no journal.
std::optional<QByteArray> readIfThere(const QString &journalPath, LockPurpose purpose) {
  try {
    return readWhole(journalPath, purpose);
  } catch (const RuntimeError &e) {
    if (e.number() == errc::FileNotFound) return std::nullopt;
    throw;
  }
}

}  // namespace

QString resultsJournalPath(const QString &logPath) {
  return QFileInfo(logPath).absolutePath() + u'/' + QString::fromUtf16(kResultsJournalFileName);
}

QByteArray encodeJournal(const Journal &journal) {
  const QByteArray head = trailerHead(journal);
  // Both slots: the newest (sequence) in the slot it is due in, the other
  // with the state before, here the same.
  const int slot = journal.sequence % 2;
  QByteArray slots[2];
  slots[slot] = slotBytes(head, slot, journal.state, journal.sequence);
  slots[1 - slot] = slotBytes(head, 1 - slot, journal.state, std::max(0, journal.sequence - 1));
  return journal.content + head + slots[0] + slots[1];
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
  j.deletedRecord = static_cast<int>(qFromLittleEndian<quint32>(trailer + kRecordAt));
  const QByteArray head = trailerHead(j);
  if (std::memcmp(head.constData(), trailer, kSlotsAt) != 0) return std::nullopt;
  int best = -1;
  for (int slot = 0; slot < 2; ++slot) {
    const char *at = trailer + kSlotsAt + slot * kSlotSize;
    const auto state = static_cast<quint8>(at[0]);
    const auto sequence = static_cast<quint8>(at[1]);
    if (state > static_cast<quint8>(JournalState::RolledBack)) continue;
    if (slotBytes(head, slot, static_cast<JournalState>(state), sequence) != QByteArray(at, kSlotSize)) continue;
    if (sequence > best) {
      best = sequence;
      j.state = static_cast<JournalState>(state);
      j.sequence = sequence;
    }
  }
  if (best < 0) return std::nullopt;
  return j;
}

QString partJournalPath(const QString &journalPath) {
  const QFileInfo info(journalPath);
  return info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".part");
}

void writeJournal(const QString &journalPath, const QByteArray &content, int deletedRecord) {
  // Written whole under a name of its own, then renamed: a journal under the
  // journal's name is always whole, unless damaged later. What stays of a
  // part stopped half-way is only a copy of records the log still holds, and
  // is written over by the next delete.
  const QString part = partJournalPath(journalPath);
  {
    LockedFile journal(part, LockedFile::Access::ReadWrite, LockPurpose::Change);
    journal.resize(0);
    journal.writeAt(0, encodeJournal({content, deletedRecord, JournalState::Hot}));
    journal.flush();
  }
  if (!fileSystem().rename(part, journalPath)) throw RuntimeError(errc::PermissionDenied, journalPath);
  fileSystem().flushFolderOf(journalPath);
}

void setJournalState(const QString &journalPath, Journal &journal, JournalState state) {
  const int sequence = journal.sequence + 1;
  if (sequence > 255) throw RuntimeError(errc::DeviceIo, journalPath);  // never: a rewrite changes it thrice
  const int slot = sequence % 2;
  // Once the journal stands, the rewrite must end, finished or undone: a
  // journal that another program holds for a moment is waited for.
  LockedFile file(journalPath, LockedFile::Access::ReadWrite, LockPurpose::Finish);
  file.writeAt(journal.content.size() + kSlotsAt + slot * kSlotSize,
               slotBytes(trailerHead(journal), slot, state, sequence));
  file.flush();
  journal.state = state;
  journal.sequence = sequence;
}

bool removeJournal(const QString &journalPath) {
  try {
    if (!fileSystem().remove(journalPath)) return false;
  } catch (const RuntimeError &e) {
    if (e.number() != errc::FileBusy) throw;
    return false;
  }
  fileSystem().flushFolderOf(journalPath);
  return true;
}

bool fileIsThere(const QString &path) {
  FileSystem &files = installedFileSystem();  // one try: a held file is there
  try {
    files.close(files.open(path, false));
    return true;
  } catch (const RuntimeError &e) {
    return e.number() != errc::FileNotFound && e.number() != errc::PathNotFound;
  }
}

RecoveryPlan planRecovery(const QByteArray &logBytes, const QByteArray &journalBytes) {
  RecoveryPlan plan;
  plan.journal = decodeJournal(journalBytes);
  if (!plan.journal) {
    // Cut off while it was written, or damaged: what it holds cannot be
    // proven, so it is never applied. Not even an empty one is removed: the
    // journal takes its name only when whole, so an empty one means that
    // something else touched the folder, and the log beside it may be half
    // rewritten.
    plan.action = RecoveryAction::KeepAside;
    if (journalBytes.isEmpty()) {
      plan.reason = QStringLiteral("記録が空です（このプログラムは空の記録を残しません。ほかのプログラムがフォルダーの"
                                   "ファイルを変えたおそれがあります）。");
      return plan;
    }
    const qsizetype whole = journalBytes.size() / kResultRecordSize * kResultRecordSize;
    plan.reason = startsWith(logBytes, journalBytes.left(whole))
                      ? QStringLiteral("記録が途中までしか書かれていません。記録にある成績は、どれも成績累積データ.dat の"
                                       "同じ場所にもあります。")
                      : QStringLiteral("記録の終わりの印か検査の値が合いません（途中までしか書かれていないか、"
                                       "壊れています）。");
    return plan;
  }
  const Journal &j = *plan.journal;
  if (j.state != JournalState::Hot) return plan;
  if (startsWith(logBytes, j.content)) return plan;
  const qint64 records = j.content.size() / kResultRecordSize;
  if (j.deletedRecord >= 1 && j.deletedRecord <= records && restorable(logBytes, j)) {
    plan.action = RecoveryAction::Restore;
    return plan;
  }
  plan.action = RecoveryAction::KeepAside;
  plan.reason = QStringLiteral("成績累積データ.dat が、消去の途中で止まったときの形をしていません（その後に記録や"
                               "変更があったか、別のファイルの記録です）。");
  return plan;
}

JournalFound recoverInterruptedRewrite(LockedFile &log, const QString &journalPath) {
  const std::optional<QByteArray> journalBytes = readIfThere(journalPath, log.purpose());
  if (!journalBytes) return JournalFound::None;
  const qint64 logSize = log.size();
  const QByteArray logBytes = log.readAt(0, logSize);
  if (logBytes.size() != logSize) throw RuntimeError(errc::DeviceIo, log.path());
  RecoveryPlan plan = planRecovery(logBytes, *journalBytes);
  // Nothing to apply: even under a shared lock the journal may go (no
  // rewrite can be under way meanwhile), and where it cannot, the log is
  // whole all the same.
  if (plan.action == RecoveryAction::Remove)
    return removeJournal(journalPath) ? JournalFound::Gone : JournalFound::Stands;
  if (!log.exclusive()) return JournalFound::NeedsRepair;

  if (plan.action == RecoveryAction::KeepAside) {
    const QString aside = keepAside(journalPath);
    tell(QStringLiteral("先生へ: 成績の消去の途中で止まったときの記録 %1 を、成績累積データ %2 に当てはめられませんでした。\r\n"
                        "%3\r\n\r\n"
                        "%2 は今のままで使い続けます。記録は %4 として残しました（中身は消去の前の成績累積データの写しです）。\r\n"
                        "%2 に足りない成績や、消えたはずの成績がないか確かめてください。確かめ終わったら %4 は消してかまいません。")
             .arg(journalPath, log.path(), plan.reason, aside));
    return JournalFound::Gone;
  }
  // Restore. Every step leaves a shape that a recovery run again restores
  // the same way: the length first (zeros where nothing is written yet),
  // then the content, then the cut of anything after it, then the flush.
  const QByteArray &old = plan.journal->content;
  if (logSize < old.size()) log.resize(old.size());
  log.writeAt(0, old);
  if (log.size() != old.size()) log.resize(old.size());
  log.flush();
  // A log that was missing was created by its opening: its entry in the
  // folder must last before the journal goes.
  fileSystem().flushFolderOf(log.path());
  // Said before the journal goes: should the removal not last (a power
  // cut), or not be allowed now, the journal that stays asks for nothing more.
  setJournalState(journalPath, *plan.journal, JournalState::RolledBack);
  return removeJournal(journalPath) ? JournalFound::Gone : JournalFound::Stands;
}

LogAfterFailure judgeLogAfterFailure(const LockedFile &log, const QString &journalPath, const QByteArray &oldContent,
                                     const QByteArray &newContent) {
  try {
    const qint64 size = log.size();
    const QByteArray logBytes = log.readAt(0, size);
    if (logBytes.size() != size) return LogAfterFailure::Uncertain;
    if (const std::optional<QByteArray> journal = readIfThere(journalPath, LockPurpose::Finish)) {
      if (planRecovery(logBytes, *journal).action == RecoveryAction::Restore) return LogAfterFailure::PutBack;
    }
    // Left as it is: a torn tail after the records does not count.
    const QByteArray whole = logBytes.left(size / kResultRecordSize * kResultRecordSize);
    if (whole == oldContent) return LogAfterFailure::Old;
    if (whole == newContent) return LogAfterFailure::New;
  } catch (const RuntimeError &) {
  }
  return LogAfterFailure::Uncertain;
}

void setRecoveryNotice(RecoveryNotice notice) { installedNotice() = std::move(notice); }

}  // namespace minatori
