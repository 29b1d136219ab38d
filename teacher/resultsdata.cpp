#include "teacher/resultsdata.h"

#include <cmath>

#include "app/programstate.h"
#include "platform/clock.h"
#include "platform/filesystem.h"
#include "platform/lockedfile.h"
#include "platform/loosevalue.h"
#include "platform/messageboxes.h"
#include "platform/runtimeerror.h"
#include "results/logjournal.h"
#include "results/resultslog.h"
#include "roster/roster.h"

namespace minatori {

namespace {

constexpr int kMaxStudentNumber = kRosterSlots - 1;
const QString kFullWidthSpace = QStringLiteral("　");

QString rightAligned(const QString &text, int width) { return text.rightJustified(width, u' ').right(width); }

// "9:05:07" from a fraction of a day.
QString timeText(double dayFraction) {
  const int s = secondsOfDay(dayFraction);
  return QStringLiteral("%1:%2:%3")
      .arg(s / 3600)
      .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString reportOf(const RuntimeError &e) { return runtimeErrorReportText(e); }

}  // namespace

std::vector<ChooserStudent> readRosterForDataManager(ProgramState &state, const QDate &today) {
  std::vector<ChooserStudent> students;
  refreshRosterByNumber(state, today, [&](const RosterLine &line) {
    const int number = line.entry.studentNumber;
    students.push_back({number, QString::number(number) + QStringLiteral(" /  ") +
                                    state.roster.nameByNumber[static_cast<size_t>(number)]});
  });
  return students;
}

std::optional<int> chooserStudentNumber(const QString &text) {
  const qsizetype slash = text.indexOf(u'/');
  if (slash < 0) return std::nullopt;
  const double n = leadingNumber(text.left(slash).trimmed());
  if (!(std::fabs(n) < 1e9)) return std::nullopt;
  return static_cast<int>(std::lround(n));
}

std::optional<qint32> timeBoxSeconds(const QString &text) {
  const double n = leadingNumber(text.trimmed());
  // Half a second rounds up: 12.5 is 13, as a teacher reads it.
  const double rounded = std::floor(n + 0.5);
  if (!(rounded >= 0 && rounded <= kLongestResultTime)) return std::nullopt;
  return static_cast<qint32>(rounded);
}

int recordNumberWidth(qint64 recordCount) {
  return std::max(4, static_cast<int>(QString::number(std::max<qint64>(recordCount, 0)).size()));
}

bool isOwnSchool(const Seisekikiroku &record, const QString &schoolCode) {
  // An installation without a code owns no records, though their field holds
  // the same five spaces its own attempts were written with.
  if (schoolCode.isEmpty()) return false;
  return makeRecord(0, 0, 0, 0, 0, schoolCode).schoolCode == record.schoolCode;
}

QString recordLineText(int number, int numberWidth, const Seisekikiroku &record, const LineContext &context) {
  QString name, grade;
  if (context.roster && record.studentNumber >= 0 && record.studentNumber <= kMaxStudentNumber) {
    const auto s = static_cast<size_t>(record.studentNumber);
    name = context.roster->nameByNumber[s];
    grade = context.roster->gradeLabelByNumber[s];
  }
  QString line;
  line.reserve(80);
  line += rightAligned(QString::number(number), numberWidth);
  line += u' ';
  line += shortDateText(dateFromSerial(wholeDaySerial(record.recordDate)));
  line += kFullWidthSpace;
  line += rightAligned(timeText(record.recordTime), 9);
  line += QStringLiteral("ﾚﾍﾞﾙ") + QString::number(record.level);
  line += kFullWidthSpace;
  line += rightAligned(QString::number(record.resultTime), 5) + QStringLiteral("秒 ");
  line += kFullWidthSpace;
  line += rightAligned(QString::number(record.studentNumber), 4);
  line += u' ';
  line += (name + kFullWidthSpace.repeated(5)).left(6);
  line += u' ';
  line += grade;
  line += QStringLiteral("++");
  line += isOwnSchool(record, context.schoolCode) ? context.schoolName : QStringLiteral("他塾");
  return line;
}

std::optional<Seisekikiroku> readResultRecord(const QString &path, int number) {
  if (number < 1) return std::nullopt;
  const std::optional<LockedFile> opened =
      openResultsLogUnless(errc::FileNotFound, path, LockedFile::Access::Read, LockPurpose::Read);
  if (!opened) return std::nullopt;
  const LockedFile &log = *opened;
  const qint64 at = static_cast<qint64>(number - 1) * kResultRecordSize;
  if (at + kResultRecordSize > log.size()) return std::nullopt;
  const QByteArray bytes = log.readAt(at, kResultRecordSize);
  if (bytes.size() < kResultRecordSize) return std::nullopt;
  return decodeRecord(bytes.constData());
}

RewriteOutcome rewriteResultRecord(const QString &path, int number, const Seisekikiroku &asRead,
                                   const Seisekikiroku &changed) {
  // Looked for by an open: a log written for a missing one would be created empty.
  if (number < 1 || (!fileIsThere(path) && !fileIsThere(resultsJournalPath(path)))) return RewriteOutcome::Missing;
  std::optional<LockedFile> opened =
      openResultsLogUnless(errc::FileBusy, path, LockedFile::Access::ReadWrite, LockPurpose::Change);
  if (!opened) return RewriteOutcome::Busy;
  LockedFile &log = *opened;
  const qint64 at = static_cast<qint64>(number - 1) * kResultRecordSize;
  if (at + kResultRecordSize > log.size()) return RewriteOutcome::Missing;
  if (log.readAt(at, kResultRecordSize) != encodeRecord(asRead)) return RewriteOutcome::Changed;
  log.writeAt(at, encodeRecord(changed));
  log.flush();
  return RewriteOutcome::Written;
}

DeleteResult deleteResultRecord(const QString &path, int number, const Seisekikiroku &asRead,
                                const std::function<void(DeleteStep)> &step) {
  const QString journalPath = resultsJournalPath(path);
  if (number < 1 || (!fileIsThere(path) && !fileIsThere(journalPath))) return {DeleteOutcome::Missing, {}, {}};

  std::optional<LockedFile> log;
  Journal journal;
  try {
    bool journalStands = false;
    log.emplace(openResultsLog(path, LockedFile::Access::ReadWrite, LockPurpose::Change, &journalStands));
    // The rename that gives this delete's journal its name never replaces
    // another; nor may an earlier journal be lost.
    if (journalStands) return {DeleteOutcome::JournalStands, {}, journalPath};
    const qint64 records = log->size() / kResultRecordSize;
    if (number > records) return {DeleteOutcome::Missing, {}, {}};
    journal.content = log->readAt(0, records * kResultRecordSize);
    if (journal.content.size() != records * kResultRecordSize) throw RuntimeError(errc::DeviceIo, path);
    // The teacher chose the record as it was read for the list; another
    // teacher's delete may have moved a different one into its place.
    const qint64 cut = static_cast<qint64>(number - 1) * kResultRecordSize;
    if (journal.content.mid(cut, kResultRecordSize) != encodeRecord(asRead)) return {DeleteOutcome::Changed, {}, {}};
    // Any journal there was has been recovered by the open: this one is ours.
    journal.deletedRecord = number;
    writeJournal(journalPath, journal.content, number);
  } catch (const RuntimeError &e) {
    // Before the journal takes its name nothing is changed.
    if (e.number() == errc::FileBusy) return {DeleteOutcome::Busy, reportOf(e), {}};
    return {DeleteOutcome::NotDeleted, reportOf(e), {}};
  }
  const QByteArray &before = journal.content;
  QByteArray after = before;
  after.remove(static_cast<qsizetype>(number - 1) * kResultRecordSize, kResultRecordSize);

  // After a failure: puts the old content back, the journal first made Hot
  // again should its Committed state have been written, so that no moment
  // has a Committed journal beside a half-restored log. Whatever cannot be
  // done is left to the next access; the teacher is told what the log holds
  // then, as the files on the disk now say.
  bool committing = false;
  const auto undo = [&](const RuntimeError &e) -> DeleteResult {
    try {
      if (committing) setJournalState(journalPath, journal, JournalState::Hot);
      log->writeAt(0, before);
      log->resize(before.size());
      log->flush();
      setJournalState(journalPath, journal, JournalState::RolledBack);
      removeJournal(journalPath);
      return {DeleteOutcome::NotDeleted, reportOf(e), {}};
    } catch (const RuntimeError &) {
      switch (judgeLogAfterFailure(*log, journalPath, before, after)) {
        case LogAfterFailure::Old: return {DeleteOutcome::NotDeleted, reportOf(e), {}};
        case LogAfterFailure::New: return {DeleteOutcome::DeletedWithError, reportOf(e), {}};
        case LogAfterFailure::PutBack: return {DeleteOutcome::Interrupted, reportOf(e), {}};
        case LogAfterFailure::Uncertain: break;
      }
      return {DeleteOutcome::Uncertain, reportOf(e), {}};
    }
  };
  try {
    if (step) step(DeleteStep::JournalWritten);
    const qint64 cut = static_cast<qint64>(number - 1) * kResultRecordSize;
    const QByteArray later = before.mid(cut + kResultRecordSize);
    if (!later.isEmpty()) log->writeAt(cut, later);
    log->resize(after.size());
    log->flush();
    if (step) step(DeleteStep::LogRewritten);
    committing = true;
    setJournalState(journalPath, journal, JournalState::Committed);
  } catch (const RuntimeError &e) {
    return undo(e);
  }
  // Removed while the lock is still held: no other delete can find it.
  if (!removeJournal(journalPath)) return {DeleteOutcome::JournalLeft, {}, journalPath};
  return {DeleteOutcome::Deleted, {}, {}};
}

QString deleteOutcomeMessage(const DeleteResult &result) {
  const QString log = QString::fromUtf16(kResultsLogFileName);
  const QString detail = result.errorText.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + result.errorText;
  switch (result.outcome) {
    case DeleteOutcome::Deleted:
      return {};
    case DeleteOutcome::JournalLeft:
      return QStringLiteral("消去しました。%1 は消去の後の形で、このまま使えます。\r\n"
                            "ただ、消去の途中の記録 %2 を消せませんでした（ほかのプログラムが使っていたようです）。"
                            "%2 は、次にどれかのパソコンが成績を読むか記録するときに消されます。")
          .arg(log, result.journalPath);
    case DeleteOutcome::Busy:
      return QStringLiteral("ほかのプログラムが成績のファイルを使っていたので、消去できませんでした。何も消していません。\r\n"
                            "少し待ってから、もう一度「消去」を押してください。") +
             detail;
    case DeleteOutcome::JournalStands:
      return QStringLiteral("消去できませんでした。%1 は元のままです。\r\n"
                            "前の消去の記録 %2 が残っていて、消せません。\r\n"
                            "ウイルス対策やバックアップのプログラムが %2 を開いたままにしていないか、"
                            "この共有フォルダーでファイルを消す権限があるかを確かめてから、もう一度「消去」を押してください。\r\n"
                            "（中身は %1 にもうある成績の写しなので、手で消してもかまいません。）")
          .arg(log, result.journalPath);
    case DeleteOutcome::Missing:
      return QStringLiteral("この記録はもうありません。一覧を作り直します。");
    case DeleteOutcome::Changed:
      return QStringLiteral("この記録は一覧を作った後で変わっています（ほかのパソコンで消去か変更がありました）。\r\n"
                            "何も消さずに一覧を作り直します。");
    case DeleteOutcome::NotDeleted:
      return QStringLiteral("消去できませんでした。%1 は元のままです。").arg(log) + detail;
    case DeleteOutcome::Interrupted:
      return QStringLiteral("消去の途中で止まりました。%1 は、次にどれかのパソコンが成績を読むか記録するときに、"
                            "消去の前の形に自動で戻ります。").arg(log) +
             detail;
    case DeleteOutcome::DeletedWithError:
      return QStringLiteral("消去しました。ただし後片付けの途中でエラーがありました。%1 は消去の後の形です。").arg(log) +
             detail;
    case DeleteOutcome::Uncertain:
      return QStringLiteral("消去の途中でエラーがあり、%1 が消去の前の形か後の形か確かめられませんでした。\r\n"
                            "ファイルの置き場所（ネットワーク）がつながっているか確かめてから、一覧を見直してください。")
                 .arg(log) +
             detail;
  }
  return {};
}

}  // namespace minatori
