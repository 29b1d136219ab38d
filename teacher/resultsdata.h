#pragma once
// The teacher's results-data manager without its window: the roster as the
// manager reads it, the text of one record's list line, and the two changes a
// teacher may make to the results log — rewriting one record and deleting one.
// Both changes hold the log's exclusive whole-file lock for their whole run,
// so an append from another machine waits for them instead of being lost, and
// both first check, under the lock, that the record is still the one the
// teacher opened.

#include <QDate>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "results/seisekikiroku.h"

namespace minatori {

struct ProgramState;
struct RosterTable;

// One item of the student chooser, in roster order.
struct ChooserStudent {
  int studentNumber = 0;
  QString text;  // "15 /  青木さくら"
};

// Reads the roster for the manager: every line, active or not, refreshes the
// name (blanks trimmed) and, for grade index 0..10, the full-width grade
// label of its number in state.roster, with the grade one lower before the
// start month (the rule of the progress screen's reader). Lines with a number
// outside 0..5000 are left out.
std::vector<ChooserStudent> readRosterForDataManager(ProgramState &state, const QDate &today);

// The student number a chooser text names: the text before the first "/"
// read as a number. Empty when there is no "/".
std::optional<int> chooserStudentNumber(const QString &text);

// The time box's text as a result time in whole seconds: its leading number
// (0 when it has none, so letters give 0), rounded to the nearest second.
// Empty when the time falls outside 0..99999.
std::optional<qint32> timeBoxSeconds(const QString &text);
inline constexpr qint32 kLongestResultTime = 99999;

// Characters of the record-number field: 4, or more when the log holds more
// than 9999 records, so the shown number is always the record's place.
int recordNumberWidth(qint64 recordCount);

// What a line needs besides the record: the roster's tables by number and the
// installation's school.
struct LineContext {
  const RosterTable *roster = nullptr;
  QString schoolName;
  QString schoolCode;  // empty: every record counts as another school's
};

// Whether a record was made at this installation's school.
bool isOwnSchool(const Seisekikiroku &record, const QString &schoolCode);

// The list line of record `number` (1-based place in the log):
// "   3 2004/02/06　  9:05:07ﾚﾍﾞﾙ3　   75秒 　  17 青木さくら　 小３++本校".
QString recordLineText(int number, int numberWidth, const Seisekikiroku &record, const LineContext &context);

// Record `number` of the log, read under a shared lock; empty when the log
// has no such record.
std::optional<Seisekikiroku> readResultRecord(const QString &path, int number);

enum class RewriteOutcome {
  Written,
  Missing,  // the log no longer holds that record
  Changed,  // the record at that place is not the one read: someone else changed the log
  Busy,     // another program held the log; nothing was written
};
// Writes `changed` over record `number`, under the exclusive lock, provided
// the record there still equals `asRead`, and flushes the log.
RewriteOutcome rewriteResultRecord(const QString &path, int number, const Seisekikiroku &asRead,
                                   const Seisekikiroku &changed);

enum class DeleteOutcome {
  Deleted,
  Missing,      // no such record; nothing changed
  Changed,      // the record at that place is not the one read; nothing changed
  NotDeleted,   // failed; the log is as it was
  Interrupted,  // failed and could not put the log back: the journal makes the next access do it
  JournalLeft,  // deleted; the finished journal could not be removed (a later access does)
  Busy,         // another program held the log or a journal; nothing changed
  JournalStands,  // an earlier delete's finished journal could not be removed; nothing changed
  DeletedWithError,  // failed after the log was rewritten, and it stays rewritten
  Uncertain,    // failed, and what the log holds could not be shown
};
struct DeleteResult {
  DeleteOutcome outcome = DeleteOutcome::Deleted;
  QString errorText;  // the run-time error report of the failure, when there was one
  QString journalPath;  // JournalLeft, JournalStands: the journal that could not be removed
};

// The points of the delete at which `step` is called, with the lock held; a
// RuntimeError thrown there is taken as a failure of the next write.
enum class DeleteStep { JournalWritten, LogRewritten };

// Deletes record `number`, provided it still equals `asRead`: under the log's
// exclusive lock the old content goes to the journal (results/logjournal.h),
// the later records move up one place in the live log, which is cut and
// flushed, the journal is marked finished and removed, and only then the
// lock is released. The log is never missing and always the old one or the
// new one, whole, whenever the delete stops. A torn tail after the last
// whole record is dropped.
DeleteResult deleteResultRecord(const QString &path, int number, const Seisekikiroku &asRead,
                                const std::function<void(DeleteStep)> &step = {});

// The message box text for a delete that did not go as planned; empty for Deleted.
QString deleteOutcomeMessage(const DeleteResult &result);

}  // namespace minatori
