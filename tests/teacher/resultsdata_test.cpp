// The results-data manager's logic: list lines, the time box and chooser
// rules, the roster reader, and the rewrite and delete of the results log,
// checked byte by byte in the file.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <set>
#include <thread>

#include "app/programstate.h"
#include "platform/lockedfile.h"
#include "platform/runtimeerror.h"
#include "platform/clock.h"
#include "results/logjournal.h"
#include "results/resultslog.h"
#include "roster/roster.h"
#include "teacher/resultsdata.h"
#include "tests/support/testinstallation.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace minatori;

namespace {

// 6 February 2004 (serial 38023), 9:05:07.
Seisekikiroku record(int student, int level, int time, const QString &school = QStringLiteral("12345")) {
  return makeRecord(38023, 9 * 3600 + 5 * 60 + 7, static_cast<qint16>(student), static_cast<qint16>(level), time,
                    school);
}

QByteArray fileBytes(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

// A log of records 1..count; record k is student k at k × 10 seconds.
QByteArray logOf(int count) {
  QByteArray out;
  for (int k = 1; k <= count; ++k) out += encodeRecord(record(k, 2, k * 10));
  return out;
}

QByteArray recordsOf(const QByteArray &log, std::initializer_list<int> numbers) {
  QByteArray out;
  for (int n : numbers) out += log.mid((n - 1) * kResultRecordSize, kResultRecordSize);
  return out;
}

struct LogFolder {
  QTemporaryDir dir;
  QString log() const { return dir.path() + u'/' + QString::fromUtf16(kResultsLogFileName); }
  QString journal() const { return dir.path() + u'/' + QString::fromUtf16(kResultsJournalFileName); }
};

}  // namespace

// --- List lines ---------------------------------------------------------------

TEST(RecordLine, PartsAndSchools) {
  RosterTable roster;
  roster.nameByNumber[17] = QStringLiteral("青木さくら");
  roster.gradeLabelByNumber[17] = QStringLiteral("小３");
  roster.nameByNumber[18] = QStringLiteral("長谷川ひかり子");
  const LineContext own{&roster, QStringLiteral("港北校"), QStringLiteral("12345")};
  const LineContext noCode{&roster, QStringLiteral("港北校"), QString()};
  struct Row {
    int number, width;
    Seisekikiroku rec;
    const LineContext *context;
    QString line;
  };
  Seisekikiroku noon = record(17, 12, 99999);
  noon.recordTime = 0.5;
  const Row rows[] = {
      {3, 4, record(17, 3, 75), &own, QStringLiteral("   3 2004/02/06　  9:05:07ﾚﾍﾞﾙ3　   75秒 　  17 青木さくら　 小３++港北校")},
      {3, 4, record(17, 3, 75, QStringLiteral("99999")), &own,
       QStringLiteral("   3 2004/02/06　  9:05:07ﾚﾍﾞﾙ3　   75秒 　  17 青木さくら　 小３++他塾")},
      // Without a code of its own the installation owns nothing, not even the
      // records that hold five spaces like its own.
      {3, 4, record(17, 3, 75, QString()), &noCode,
       QStringLiteral("   3 2004/02/06　  9:05:07ﾚﾍﾞﾙ3　   75秒 　  17 青木さくら　 小３++他塾")},
      // A long name is cut to 6; no grade label stored gives none.
      {12, 4, noon, &own, QStringLiteral("  12 2004/02/06　 12:00:00ﾚﾍﾞﾙ12　99999秒 　  17 青木さくら　 小３++港北校")},
      {9999, 4, record(18, 2, 5), &own,
       QStringLiteral("9999 2004/02/06　  9:05:07ﾚﾍﾞﾙ2　    5秒 　  18 長谷川ひかり ++港北校")},
      // A student not in the roster: blanks where the name goes.
      {10000, 5, record(4321, 2, 5), &own,
       QStringLiteral("10000 2004/02/06　  9:05:07ﾚﾍﾞﾙ2　    5秒 　4321 　　　　　 ++港北校")},
  };
  for (const Row &r : rows)
    EXPECT_EQ(recordLineText(r.number, r.width, r.rec, *r.context).toStdString(), r.line.toStdString());
}

TEST(RecordLine, NumberWidthFollowsTheLog) {
  const std::pair<qint64, int> rows[] = {{0, 4}, {1, 4}, {9999, 4}, {10000, 5}, {99999, 5}, {100000, 6}};
  for (auto [count, width] : rows) EXPECT_EQ(recordNumberWidth(count), width) << count;
  // Within one width the text order of the lines is the file order.
  const LineContext none{};
  const int w = recordNumberWidth(10000);
  EXPECT_LT(recordLineText(9999, w, record(1, 2, 5), none), recordLineText(10000, w, record(1, 2, 5), none));
}

// --- Time box and chooser -------------------------------------------------------

TEST(TimeBox, AcceptsWholeSecondsInRange) {
  const std::pair<const char *, std::optional<qint32>> rows[] = {
      {"75", 75},         {"12.6", 13},       {"12.4", 12},      {"12.5", 13},     {"abc", 0},
      {"", 0},            {" 42 ", 42},       {"42秒", 42},      {"1e3", 1000},    {"0", 0},
      {"-0.4", 0},        {"99999", 99999},   {"99999.4", 99999}, {"99999.5", std::nullopt},
      {"100000", std::nullopt}, {"-1", std::nullopt}, {"1e12", std::nullopt},
  };
  for (const auto &[text, seconds] : rows) EXPECT_EQ(timeBoxSeconds(QString::fromUtf8(text)), seconds) << text;
}

TEST(Chooser, NumberBeforeTheSlash) {
  const std::pair<const char *, std::optional<int>> rows[] = {
      {"15 /  青木さくら", 15}, {"  7/x", 7}, {"15", std::nullopt}, {"", std::nullopt},
      {"/ 青木", 0},            {"abc / x", 0}, {"3 / a / b", 3},
  };
  for (const auto &[text, number] : rows) EXPECT_EQ(chooserStudentNumber(QString::fromUtf8(text)), number) << text;
}

// --- Roster reader ---------------------------------------------------------------

TEST(DataManagerRoster, EveryLineWithTheProgressScreensGradeRule) {
  test::TestInstallation inst;
  ProgramState state;
  state.dataFolder = inst.dataFolder();
  state.yearStartMonth = 4;
  test::TestInstallation::writeCp932(inst.dataFolder() + QString::fromUtf16(kRosterFileName),
                                     QStringLiteral("17,1998,0,0,\"青木さくら\",0,,\r\n"
                                                    "19,1995,0,0,\"  伊藤 翔  \",1,,\r\n"
                                                    "6001,1998,0,0,\"範囲外\",0,,\r\n"
                                                    "20,1980,0,0,\"先生\",0,,\r\n"));
  state.roster.gradeLabelByNumber[20] = QStringLiteral("中３");
  const auto students = readRosterForDataManager(state, QDate(2006, 2, 10));
  ASSERT_EQ(students.size(), 3u);
  EXPECT_EQ(students[0].text, QStringLiteral("17 /  青木さくら"));
  EXPECT_EQ(students[1].text, QStringLiteral("19 /  伊藤 翔"));  // inactive lines too
  EXPECT_EQ(students[2].studentNumber, 20);
  // School year 2005, one lower before April: g = 0 for code 1998.
  EXPECT_EQ(state.roster.gradeLabelByNumber[17], QStringLiteral("幼３"));
  EXPECT_EQ(state.roster.gradeLabelByNumber[19], QStringLiteral("小３"));
  EXPECT_EQ(state.roster.gradeLabelByNumber[20], QStringLiteral("中３"));  // adult: earlier label kept
  EXPECT_EQ(state.roster.nameByNumber[19], QStringLiteral("伊藤 翔"));
}

// --- Rewrite ------------------------------------------------------------------------

TEST(RewriteRecord, OnlyThatRecordChanges) {
  LogFolder f;
  const QByteArray before = logOf(5);
  writeBytes(f.log(), before);
  const Seisekikiroku asRead = *readResultRecord(f.log(), 3);
  EXPECT_EQ(asRead.studentNumber, 3);
  Seisekikiroku changed = asRead;
  changed.resultTime = 13;
  changed.studentNumber = 15;
  ASSERT_EQ(rewriteResultRecord(f.log(), 3, asRead, changed), RewriteOutcome::Written);
  EXPECT_EQ(fileBytes(f.log()), recordsOf(before, {1, 2}) + encodeRecord(changed) + recordsOf(before, {4, 5}));
}

TEST(RewriteRecord, RefusesWhenTheLogMovedOn) {
  LogFolder f;
  const QByteArray before = logOf(5);
  writeBytes(f.log(), before);
  const Seisekikiroku other = record(9, 9, 9);
  EXPECT_EQ(rewriteResultRecord(f.log(), 3, other, record(1, 1, 1)), RewriteOutcome::Changed);
  EXPECT_EQ(rewriteResultRecord(f.log(), 6, other, record(1, 1, 1)), RewriteOutcome::Missing);
  EXPECT_EQ(fileBytes(f.log()), before);
  EXPECT_FALSE(readResultRecord(f.log(), 6));
  EXPECT_FALSE(readResultRecord(f.log(), 0));
}

// --- Delete ---------------------------------------------------------------------------

TEST(DeleteRecord, LaterRecordsMoveUp) {
  struct Row {
    int count, extraBytes, number;
    DeleteOutcome outcome;
    std::initializer_list<int> left;
  };
  const Row rows[] = {
      {5, 0, 3, DeleteOutcome::Deleted, {1, 2, 4, 5}},
      {5, 0, 1, DeleteOutcome::Deleted, {2, 3, 4, 5}},
      {5, 0, 5, DeleteOutcome::Deleted, {1, 2, 3, 4}},
      {1, 0, 1, DeleteOutcome::Deleted, {}},
      {2, 12, 1, DeleteOutcome::Deleted, {2}},  // a torn tail goes with the rewrite
      {5, 0, 6, DeleteOutcome::Missing, {1, 2, 3, 4, 5}},
      {5, 0, 0, DeleteOutcome::Missing, {1, 2, 3, 4, 5}},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(testing::Message() << r.count << " records, delete " << r.number);
    LogFolder f;
    const QByteArray before = logOf(r.count);
    writeBytes(f.log(), before + QByteArray(r.extraBytes, 'x'));
    EXPECT_EQ(deleteResultRecord(f.log(), r.number, record(r.number, 2, r.number * 10)).outcome, r.outcome);
    const QByteArray expected = recordsOf(before, r.left) + (r.outcome == DeleteOutcome::Missing
                                                                  ? QByteArray(r.extraBytes, 'x')
                                                                  : QByteArray());
    EXPECT_EQ(fileBytes(f.log()), expected);
    EXPECT_FALSE(QFile::exists(f.journal()));
  }
}

TEST(DeleteRecord, MissingLogIsNotCreated) {
  LogFolder f;
  EXPECT_EQ(deleteResultRecord(f.log(), 1, record(1, 2, 10)).outcome, DeleteOutcome::Missing);
  EXPECT_FALSE(QFile::exists(f.log()));
}

// The record is deleted only while it is still the one the teacher opened:
// another teacher's delete moves the later records up, a change alters one.
TEST(DeleteRecord, OnlyTheRecordTheTeacherOpened) {
  LogFolder f;
  const QByteArray before = logOf(5);
  writeBytes(f.log(), before);
  const Seisekikiroku third = record(3, 2, 30), fourth = record(4, 2, 40);
  // Two teachers' lists show record 3; the first deletes it.
  ASSERT_EQ(deleteResultRecord(f.log(), 3, third).outcome, DeleteOutcome::Deleted);
  const DeleteResult stale = deleteResultRecord(f.log(), 3, third);  // the second, from a stale list
  EXPECT_EQ(stale.outcome, DeleteOutcome::Changed);
  EXPECT_TRUE(deleteOutcomeMessage(stale).contains(QStringLiteral("何も消さずに")));
  EXPECT_EQ(fileBytes(f.log()), recordsOf(before, {1, 2, 4, 5}));
  // Record 4 moved to place 3: deleting it there, as read, is right.
  EXPECT_EQ(deleteResultRecord(f.log(), 3, fourth).outcome, DeleteOutcome::Deleted);
  EXPECT_EQ(fileBytes(f.log()), recordsOf(before, {1, 2, 5}));
}

// Two teachers delete the same record at the same moment: one deletes it,
// the other is told the list has changed; no other record goes.
TEST(DeleteRecord, TwoTeachersAtOnceDeleteOnlyTheChosenRecord) {
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    LogFolder f;
    const QByteArray before = logOf(50);
    writeBytes(f.log(), before);
    DeleteOutcome a{}, b{};
    std::thread first([&] { a = deleteResultRecord(f.log(), 30, record(30, 2, 300)).outcome; });
    std::thread second([&] { b = deleteResultRecord(f.log(), 30, record(30, 2, 300)).outcome; });
    first.join();
    second.join();
    EXPECT_EQ(std::set<DeleteOutcome>({a, b}), std::set<DeleteOutcome>({DeleteOutcome::Deleted, DeleteOutcome::Changed}));
    QByteArray expected = before;
    expected.remove(29 * kResultRecordSize, kResultRecordSize);
    EXPECT_EQ(fileBytes(f.log()), expected);
    EXPECT_FALSE(QFile::exists(f.journal()));
  }
}

#ifndef _WIN32
// Whether another handle could take the log's lock right now (it is not kept).
bool lockIsFree(const QString &path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
  if (fd < 0) return false;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  const bool free = ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
  ::close(fd);
  return free;
}

TEST(DeleteRecord, HoldsTheLockFromTheJournalToItsRemoval) {
  LogFolder f;
  const QByteArray before = logOf(5);
  writeBytes(f.log(), before);
  std::vector<DeleteStep> seen;
  const DeleteResult result = deleteResultRecord(f.log(), 2, record(2, 2, 20), [&](DeleteStep step) {
    seen.push_back(step);
    EXPECT_FALSE(lockIsFree(f.log()));
    EXPECT_TRUE(QFile::exists(f.log()));  // never a moment without the log
    // The journal is whole and says the log may be half rewritten.
    const std::optional<Journal> j = decodeJournal(fileBytes(f.journal()));
    ASSERT_TRUE(j);
    EXPECT_EQ(j->content, before);
    EXPECT_EQ(j->deletedRecord, 2);
    EXPECT_EQ(j->state, JournalState::Hot);
    // Anything that counts whole records reads it as the old log.
    EXPECT_EQ(fileBytes(f.journal()).size() / kResultRecordSize, 5);
  });
  EXPECT_EQ(result.outcome, DeleteOutcome::Deleted);
  EXPECT_EQ(seen, (std::vector<DeleteStep>{DeleteStep::JournalWritten, DeleteStep::LogRewritten}));
  EXPECT_TRUE(lockIsFree(f.log()));
  EXPECT_FALSE(QFile::exists(f.journal()));
}
#endif

TEST(DeleteRecord, AnAppendDuringTheDeleteWaitsAndLands) {
  LogFolder f;
  const QByteArray before = logOf(5);
  writeBytes(f.log(), before);
  ProgramState other;  // another machine
  other.contentFolder = f.dir.path() + u'/';
  other.studentNumber = 77;
  other.currentLevel = 7;
  other.attemptResult = 77;
  SystemClock clock;
  std::thread appender;
  const DeleteResult result = deleteResultRecord(f.log(), 3, record(3, 2, 30), [&](DeleteStep step) {
    if (step != DeleteStep::JournalWritten) return;
    // The record number is chosen under the lock, so not before the log is cut.
    appender = std::thread([&] { appendResult(other, clock); });
  });
  appender.join();
  EXPECT_EQ(result.outcome, DeleteOutcome::Deleted);
  const QByteArray after = fileBytes(f.log());
  ASSERT_EQ(after.size(), 5 * kResultRecordSize);
  EXPECT_EQ(after.left(4 * kResultRecordSize), recordsOf(before, {1, 2, 4, 5}));
  EXPECT_EQ(decodeRecord(after.constData() + 4 * kResultRecordSize).studentNumber, 77);
}

// A failure part-way puts the log back as it was and says so.
TEST(DeleteRecord, AFailurePutsTheLogBack) {
  for (const DeleteStep at : {DeleteStep::JournalWritten, DeleteStep::LogRewritten}) {
    SCOPED_TRACE(static_cast<int>(at));
    LogFolder f;
    const QByteArray before = logOf(5);
    writeBytes(f.log(), before);
    const DeleteResult result = deleteResultRecord(f.log(), 3, record(3, 2, 30), [&](DeleteStep step) {
      if (step == at) throw RuntimeError(errc::DeviceIo, f.log());
    });
    EXPECT_EQ(result.outcome, DeleteOutcome::NotDeleted);
    EXPECT_EQ(fileBytes(f.log()), before);
    EXPECT_FALSE(QFile::exists(f.journal()));
    EXPECT_TRUE(deleteOutcomeMessage(result).contains(QStringLiteral("元のまま")));
    EXPECT_FALSE(result.errorText.isEmpty());
  }
}

// --- Recovery: a rewrite that stopped, found by the next access ----------------------

// What a delete of record 3 of five leaves when it stops, and what the next
// access must make of it. Record 6 is an append made after the delete.
TEST(Recovery, TheNextAccessFinishesOrUndoesAnInterruptedDelete) {
  const QByteArray before = logOf(5);
  const QByteArray deleted = recordsOf(before, {1, 2, 4, 5});
  const QByteArray appended = encodeRecord(record(66, 2, 66));
  const QByteArray journal = encodeJournal({before, 3, JournalState::Hot});
  auto withState = [&](JournalState s) { return encodeJournal({before, 3, s}); };
  struct Row {
    const char *what;
    QByteArray log, journal, expected;
  };
  const Row rows[] = {
      {"stopped before the log was touched", before, journal, before},
      {"stopped while moving records up", recordsOf(before, {1, 2, 4, 4, 5}), journal, before},
      {"stopped with the log cut but not marked", deleted, journal, before},
      {"stopped between the mark and the removal", deleted, withState(JournalState::Committed), deleted},
      {"a finished journal that came back, appends since", deleted + appended,
       withState(JournalState::Committed), deleted + appended},
      {"an undone journal that came back, appends since", before + appended,
       withState(JournalState::RolledBack), before + appended},
      {"a journal cut off while it was written", before, journal.left(100), before},
      {"a journal whose trailer was not written yet", before, before, before},
      {"an empty journal", before, QByteArray(), before},
      {"a journal with a wrong checksum", before, [&] {
         QByteArray j = journal;
         j[10] = 'X';
         return j;
       }(), before},
      {"a journal of another log", logOf(3), journal, logOf(3)},
      {"a journal shorter than the log it would restore", before + appended, journal, before + appended},
      {"the log emptied by hand, its journal whole", QByteArray(""), journal, before},
      {"the log removed by hand, its journal whole", QByteArray(), journal, before},
  };
  enum class Access { Read, Append, Delete };
  for (const Row &r : rows)
    for (const Access access : {Access::Read, Access::Append, Access::Delete}) {
      SCOPED_TRACE(testing::Message() << r.what << ", access " << static_cast<int>(access));
      LogFolder f;
      if (!r.log.isNull()) writeBytes(f.log(), r.log);
      writeBytes(f.journal(), r.journal);
      QByteArray expected = r.expected;
      if (access == Access::Read) {
        int total = 0;
        const auto records = readResultRecords(f.log(), 1, &total);
        EXPECT_EQ(total, expected.size() / kResultRecordSize);
      } else if (access == Access::Append) {
        ProgramState s;
        s.contentFolder = f.dir.path() + u'/';
        s.studentNumber = 88;
        s.currentLevel = 2;
        SystemClock clock;
        EXPECT_EQ(appendResult(s, clock), expected.size() / kResultRecordSize + 1);
        const QByteArray after = fileBytes(f.log());
        ASSERT_EQ(after.size(), expected.size() + kResultRecordSize);
        EXPECT_EQ(decodeRecord(after.constData() + expected.size()).studentNumber, 88);
        expected = after.left(expected.size()) == expected ? after : expected;
      } else {
        // A teacher's delete of record 1, as read from the recovered log.
        EXPECT_EQ(deleteResultRecord(f.log(), 1, decodeRecord(expected.constData())).outcome, DeleteOutcome::Deleted);
        expected = expected.mid(kResultRecordSize);
      }
      EXPECT_EQ(fileBytes(f.log()), expected);
      EXPECT_FALSE(QFile::exists(f.journal()));
    }
}

TEST(Recovery, JournalRoundTrip) {
  const QByteArray content = logOf(3);
  for (const JournalState state : {JournalState::Hot, JournalState::Committed, JournalState::RolledBack}) {
    const std::optional<Journal> j = decodeJournal(encodeJournal({content, 2, state}));
    ASSERT_TRUE(j);
    EXPECT_EQ(j->content, content);
    EXPECT_EQ(j->deletedRecord, 2);
    EXPECT_EQ(j->state, state);
  }
  // Content that is not whole records is no journal of a log.
  EXPECT_FALSE(decodeJournal(encodeJournal({content + "x", 2, JournalState::Hot})));
}
