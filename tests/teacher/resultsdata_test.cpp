// The results-data manager's logic: list lines, the time box and chooser
// rules, the roster reader, and the rewrite and delete of the results log,
// checked byte by byte in the file.
#include <gtest/gtest.h>

#include <QDir>
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
#include "tests/support/faultyfiles.h"
#include "tests/support/testinstallation.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>

#include "platform/filesystem.h"
#include "tests/support/holdingagent.h"

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

QByteArray fileBytes(const QString &path) { return test::TestInstallation::bytesOf(path); }

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

// Another program (an anti-virus scanner, a backup agent) takes the journal
// just as the delete would remove it, and holds it across the next read and
// append. The delete has deleted. Some scanners share reading and writing:
// the next accesses read the journal as finished and go on while it is
// held. With no sharing they cannot read it, and a journal they cannot read
// may be one that must be applied first, so they wait for the other program.
// Either way nothing is lost, and once it lets go the next access removes
// the finished journal.
TEST(DeleteRecord, AJournalHeldAtItsRemovalIsRemovedLaterAndLosesNothing) {
  if (!programsCanHoldFiles()) GTEST_SKIP() << "this system has no share modes: no program can hold a file against another";
  struct Row {
    QStringList sharing;
    bool goesOnWhileHeld;
  };
  const Row rows[] = {{{QStringLiteral("--share-read-write")}, true}, {{}, false}};
  for (const Row &r : rows) {
    SCOPED_TRACE(r.sharing.isEmpty() ? "no sharing" : "reading and writing shared");
    LogFolder f;
    const QByteArray before = logOf(5), deleted = recordsOf(before, {1, 2, 4, 5});
    writeBytes(f.log(), before);
    std::unique_ptr<test::HoldingAgent> agent;
    {
      faults::FaultyFiles files(f.dir.path());
      files.beforeRemove = [&](const QString &path) {
        if (agent || !path.endsWith(QString::fromUtf16(kResultsJournalFileName))) return;
        agent = std::make_unique<test::HoldingAgent>(path, test::HoldingAgent::untilStopped() + r.sharing);
        EXPECT_TRUE(agent->waitUntilHeld());
      };
      EXPECT_EQ(deleteResultRecord(f.log(), 3, record(3, 2, 30)).outcome, DeleteOutcome::JournalLeft);
    }
    ASSERT_TRUE(agent);
    EXPECT_EQ(fileBytes(f.log()), deleted);
    const Seisekikiroku attempt = record(66, 2, 66);
    std::atomic<bool> done = false;
    int total = 0, number = 0;
    QString error;
    std::thread next([&] {
      try {
        readResultRecords(f.log(), 1, &total);
        number = appendRecord(f.log(), attempt);
      } catch (const RuntimeError &e) {
        error = e.text();
      }
      done = true;
    });
    // Each access may try the removal for about 2 s.
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < (r.goesOnWhileHeld ? 30000 : 5000)) QThread::msleep(5);
    EXPECT_EQ(done.load(), r.goesOnWhileHeld);
    agent->stop();
    next.join();
    EXPECT_EQ(error, QString());
    EXPECT_EQ(total, 4);
    EXPECT_EQ(number, 5);
    EXPECT_FALSE(agent->finish().isEmpty());
    EXPECT_EQ(readResultRecords(f.log()).size(), 5u);
    EXPECT_EQ(fileBytes(f.log()), deleted + encodeRecord(attempt));
    EXPECT_FALSE(QFile::exists(f.journal()));
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

// --- Crashes and failures at every file call ---------------------------------------

namespace {

using minatori::faults::FaultyFiles;
using minatori::faults::SimulatedCrash;
using Fault = FaultyFiles::Fault;

// The journals kept aside in the folder.
QStringList keptAside(const LogFolder &f) {
  return QDir(f.dir.path()).entryList({QStringLiteral("成績累積データtemp-*.dat")}, QDir::Files);
}

// Runs `access` with the layer's fault in force; true when it crashed.
template <class Access>
bool crashes(FaultyFiles &files, Access access) {
  try {
    access();
  } catch (const SimulatedCrash &) {
    return true;
  } catch (const RuntimeError &) {
  }
  return files.crashed();
}

// Counted calls of `access` with no fault.
template <class Access>
int callsOf(const LogFolder &f, const QByteArray &log, const QByteArray &journal, Access access) {
  if (!log.isNull()) writeBytes(f.log(), log);
  if (!journal.isNull()) writeBytes(f.journal(), journal);
  FaultyFiles files(f.dir.path());
  access();
  return files.calls();
}

void readLog(const LogFolder &f) { readResultRecords(f.log()); }

// After a crash, whatever recovers next: the log is either of the two,
// whole, and a journal has gone only where the log holds it, or kept aside.
struct Outcome {
  QByteArray log;
  bool journal = false;
  QStringList aside;
};
Outcome outcomeIn(const LogFolder &f) { return {fileBytes(f.log()), QFile::exists(f.journal()), keptAside(f)}; }

// The log and the journal of `from` laid out in `to` (missing ones stay missing).
void copyFiles(const LogFolder &from, const LogFolder &to) {
  for (const auto &[a, b] : {std::pair{from.log(), to.log()}, std::pair{from.journal(), to.journal()}})
    if (QFile::exists(a)) writeBytes(b, fileBytes(a));
}

}  // namespace

// A delete stopped at each of its file calls, under each crash model, then
// the recovery by the next access stopped at each of its own calls, then a
// last access: the log is the old one or the new one, whole, every time, and
// no journal is removed while the log lacks a record it holds.
TEST(CrashPoints, ADeleteAndItsRecoveryStoppedAtEveryCall) {
  struct Row {
    int count, number, tail;
  };
  const Row rows[] = {{5, 3, 0}, {5, 1, 0}, {5, 5, 0}, {5, 3, 12}, {1, 1, 0}};
  int scenarios = 0;
  for (const Row &r : rows) {
    const QByteArray before = logOf(r.count), tail(r.tail, 'x');
    QByteArray after = before;
    after.remove((r.number - 1) * kResultRecordSize, kResultRecordSize);
    const Seisekikiroku asRead = record(r.number, 2, r.number * 10);
    auto remove = [&](const LogFolder &f) { deleteResultRecord(f.log(), r.number, asRead); };
    // Whole means the old log (its torn tail may stay) or the new one.
    auto whole = [&](const QByteArray &log) { return log == before || log == before + tail || log == after; };
    const int deleteCalls = [&] {
      LogFolder f;
      return callsOf(f, before + tail, QByteArray(), [&] { remove(f); });
    }();
    for (int n = 1; n <= deleteCalls; ++n)
      for (const Fault model : {Fault::Crash, Fault::TornCrash, Fault::PowerCut}) {
        // Under a power cut, each landing of the changes not yet flushed.
        for (int landing = 0;; ++landing) {
          LogFolder f;
          writeBytes(f.log(), before + tail);
          auto files = std::make_unique<FaultyFiles>(f.dir.path());
          files->failAt(n, model);
          if (!crashes(*files, [&] { remove(f); })) break;
          const auto landings = FaultyFiles::landings(files->pendingChanges());
          if (model == Fault::PowerCut) files->powerCut(landings[static_cast<size_t>(landing)]);
          files.reset();
          const Outcome stopped = outcomeIn(f);
          SCOPED_TRACE(testing::Message() << r.count << " records, delete " << r.number << ", tail " << r.tail
                                          << ", stopped at call " << n << " model " << static_cast<int>(model)
                                          << " landing " << landing);
          if (!stopped.journal) {
            EXPECT_TRUE(whole(stopped.log));
          }
          // The recovery stopped at each of its calls, then run again.
          for (int m = 1;; ++m) {
            LogFolder g;  // the stopped state, anew for each second stop
            copyFiles(f, g);
            FaultyFiles again(g.dir.path());
            again.failAt(m, m % 2 ? Fault::Crash : Fault::TornCrash);
            const bool stoppedAgain = crashes(again, [&] { readLog(g); });
            again.revive();
            if (stoppedAgain && !QFile::exists(g.journal())) {
              EXPECT_TRUE(whole(fileBytes(g.log()))) << "second stop " << m;
            }
            readLog(g);
            ++scenarios;
            const Outcome last = outcomeIn(g);
            EXPECT_TRUE(whole(last.log)) << "second stop " << m;
            EXPECT_FALSE(last.journal);
            EXPECT_TRUE(last.aside.isEmpty()) << "second stop " << m;
            if (!stoppedAgain) break;
          }
          if (model != Fault::PowerCut || landing + 1 >= static_cast<int>(landings.size())) break;
        }
      }
  }
  EXPECT_GT(scenarios, 500);
}

// Each shape a stopped delete or a stopped recovery leaves beside a Hot
// journal, recovered by a read that is itself stopped at each call under
// each model, then stopped again: the old log comes back whole every time.
TEST(CrashPoints, TheRecoveryOfEachShapeStoppedTwoLevelsDeep) {
  const QByteArray before = logOf(5), tail(12, 'x');
  const QByteArray journal = encodeJournal({before, 3, JournalState::Hot});
  QByteArray halfMoved = before;  // the move up cut off inside record 3's place
  halfMoved.replace(88, 20, before.mid(132, 20));
  QByteArray zeroFilled = before;  // a restore that set the length, then stopped writing
  zeroFilled.replace(100, 120, QByteArray(120, '\0'));
  struct Row {
    const char *what;
    QByteArray log;
  };
  const Row rows[] = {
      {"the old log with a torn tail", before + tail},
      {"records half moved up", halfMoved},
      {"records moved up", recordsOf(before, {1, 2, 4, 4, 5})},
      {"records moved up, torn tail", recordsOf(before, {1, 2, 4, 4, 5}) + tail},
      {"cut, not marked", recordsOf(before, {1, 2, 4, 5})},
      {"a restore zero-filled", zeroFilled},
      {"a restore cut off", before.left(150)},
      {"emptied by hand", QByteArray("")},
      {"removed by hand", QByteArray()},
  };
  for (const Row &r : rows)
    for (int n = 1;; ++n) {
      bool stopped = false;
      for (const Fault model : {Fault::Crash, Fault::TornCrash, Fault::PowerCut}) {
        for (int landing = 0;; ++landing) {
          SCOPED_TRACE(testing::Message() << r.what << ", stopped at call " << n << " model "
                                          << static_cast<int>(model) << " landing " << landing);
          LogFolder f;
          if (!r.log.isNull()) writeBytes(f.log(), r.log);
          writeBytes(f.journal(), journal);
          auto files = std::make_unique<FaultyFiles>(f.dir.path());
          files->failAt(n, model);
          const bool crashed = crashes(*files, [&] { readLog(f); });
          stopped = stopped || crashed;
          if (!crashed) break;
          const auto landings = FaultyFiles::landings(files->pendingChanges());
          if (model == Fault::PowerCut) files->powerCut(landings[static_cast<size_t>(landing)]);
          files.reset();
          if (!QFile::exists(f.journal())) {
            EXPECT_TRUE(fileBytes(f.log()).startsWith(before));
          }
          for (int m = 1;; ++m) {
            LogFolder g;
            copyFiles(f, g);
            FaultyFiles again(g.dir.path());
            again.failAt(m, Fault::TornCrash);
            const bool stoppedAgain = crashes(again, [&] { readLog(g); });
            again.revive();
            readLog(g);
            const Outcome last = outcomeIn(g);
            EXPECT_TRUE(last.log == before || last.log == before + tail) << "second stop " << m;
            EXPECT_FALSE(last.journal);
            EXPECT_TRUE(last.aside.isEmpty());
            if (!stoppedAgain) break;
          }
          if (model != Fault::PowerCut || landing + 1 >= static_cast<int>(landings.size())) break;
        }
      }
      if (!stopped) break;
    }
}

// A damaged, foreign or stale journal beside each shape of the log: the log
// is restored whole, or left exactly as it is with the journal kept aside and
// the teacher told; it is never changed otherwise.
TEST(Recovery, DamagedForeignAndStaleJournals) {
  const QByteArray before = logOf(5);
  const QByteArray after = recordsOf(before, {1, 2, 4, 5});
  const QByteArray journal = encodeJournal({before, 3, JournalState::Hot});
  const qsizetype trailer = journal.size() - kJournalTrailerSize;
  const QByteArray appended = encodeRecord(record(66, 2, 66));
  QByteArray corrected = after;
  corrected.replace(2 * kResultRecordSize, kResultRecordSize, encodeRecord(record(4, 2, 41)));
  enum Expect { Restored, KeptAside, Untouched };
  struct Row {
    QString what;
    QByteArray journal, log;
    Expect expect;
  };
  std::vector<Row> rows;
  const std::pair<const char *, QByteArray> shapes[] = {
      {"old", before}, {"moved up", recordsOf(before, {1, 2, 4, 4, 5})}, {"new", after}, {"emptied", QByteArray("")}};
  for (const auto &[shape, log] : shapes) {
    for (qsizetype length = 0; length < journal.size(); ++length)  // 0: emptied outside the program
      rows.push_back({QStringLiteral("cut to %1 bytes beside the %2 log").arg(length).arg(shape), journal.left(length),
                      log, KeptAside});
    // Every byte of the fields before the slots, and a byte in the body.
    for (const qsizetype at : {qsizetype(0), qsizetype(100), trailer - 1}) {
      QByteArray j = journal;
      j[at] = static_cast<char>(j[at] ^ 0x10);
      rows.push_back({QStringLiteral("body byte %1 flipped beside the %2 log").arg(at).arg(shape), j, log, KeptAside});
    }
    for (qsizetype at = trailer; at < trailer + 28; ++at) {
      QByteArray j = journal;
      j[at] = static_cast<char>(j[at] ^ 0x01);
      rows.push_back({QStringLiteral("trailer byte %1 flipped beside the %2 log").arg(at - trailer).arg(shape), j, log,
                      KeptAside});
    }
    // A damaged state slot: the other slot still says Hot.
    for (qsizetype at = trailer + 28; at < journal.size(); ++at) {
      QByteArray j = journal;
      j[at] = static_cast<char>(j[at] ^ 0x01);
      rows.push_back({QStringLiteral("slot byte %1 flipped beside the %2 log").arg(at - trailer - 28).arg(shape), j,
                      log, Restored});
    }
  }
  // A journal of the log when it had three records: the log has grown since.
  const QByteArray shorter = encodeJournal({logOf(3), 2, JournalState::Hot});
  rows.push_back({QStringLiteral("a journal of a shorter log, appends since"), shorter, before, Untouched});
  rows.push_back({QStringLiteral("a journal of a shorter log, beside another"), shorter, after, KeptAside});
  // Stale: the delete finished long ago and the journal came back.
  rows.push_back({QStringLiteral("stale, one append since"), journal, after + appended, KeptAside});
  rows.push_back({QStringLiteral("stale, a later record deleted since"), journal, recordsOf(before, {1, 2, 4}), KeptAside});
  rows.push_back({QStringLiteral("stale, the first record deleted since"), journal, recordsOf(before, {2, 4, 5}), KeptAside});
  rows.push_back({QStringLiteral("stale, a correction since"), journal, corrected, KeptAside});
  rows.push_back({QStringLiteral("stale, an append with a torn tail since"), journal, after + appended.left(20), KeptAside});

  for (const Row &r : rows) {
    SCOPED_TRACE(r.what.toStdString());
    LogFolder f;
    writeBytes(f.log(), r.log);
    writeBytes(f.journal(), r.journal);
    QStringList told;
    setRecoveryNotice([&](const QString &message) { told << message; });
    readLog(f);
    setRecoveryNotice({});
    const Outcome o = outcomeIn(f);
    EXPECT_FALSE(o.journal);
    switch (r.expect) {
      case Restored:
        EXPECT_EQ(o.log, before);
        EXPECT_TRUE(o.aside.isEmpty());
        EXPECT_TRUE(told.isEmpty());
        break;
      case Untouched:
        EXPECT_EQ(o.log, r.log);
        EXPECT_TRUE(o.aside.isEmpty());
        break;
      case KeptAside:
        EXPECT_EQ(o.log, r.log);
        ASSERT_EQ(o.aside.size(), 1);
        EXPECT_EQ(fileBytes(f.dir.path() + u'/' + o.aside[0]), r.journal);
        ASSERT_EQ(told.size(), 1);
        // Both files named, and what to check.
        EXPECT_TRUE(told[0].contains(f.log()));
        EXPECT_TRUE(told[0].contains(o.aside[0]));
        EXPECT_TRUE(told[0].contains(QStringLiteral("確かめてください")));
        // Told once: the next access finds nothing to recover.
        readLog(f);
        EXPECT_EQ(fileBytes(f.log()), r.log);
        break;
    }
  }
}

// A delete whose file calls fail from call n on, for a while or for good:
// what the teacher is told is what the log holds once the next access has
// recovered it.
TEST(DeleteRecord, TheMessageAfterAFailureSaysWhatTheLogHolds) {
  const QByteArray before = logOf(5);
  const QByteArray after = recordsOf(before, {1, 2, 4, 5});
  const int calls = [&] {
    LogFolder f;
    return callsOf(f, before, QByteArray(), [&] { deleteResultRecord(f.log(), 3, record(3, 2, 30)); });
  }();
  for (int n = 1; n <= calls; ++n)
    for (const int times : {1, 2, 3, 5, FaultyFiles::kAlways})
      for (const Fault fault : {Fault::IoError, Fault::DiskFull, Fault::ShortWrite}) {
        SCOPED_TRACE(testing::Message() << "calls " << n << " on fail " << times << " times, fault "
                                        << static_cast<int>(fault));
        LogFolder f;
        writeBytes(f.log(), before);
        DeleteResult result;
        {
          FaultyFiles files(f.dir.path());
          files.failAt(n, fault, times);
          result = deleteResultRecord(f.log(), 3, record(3, 2, 30));
        }
        ASSERT_NO_THROW(readLog(f));
        const QByteArray now = fileBytes(f.log());
        EXPECT_FALSE(QFile::exists(f.journal()));
        EXPECT_TRUE(keptAside(f).isEmpty());
        switch (result.outcome) {
          case DeleteOutcome::NotDeleted:
          case DeleteOutcome::Interrupted: EXPECT_EQ(now, before); break;
          case DeleteOutcome::Deleted:
          case DeleteOutcome::JournalLeft:
          case DeleteOutcome::DeletedWithError: EXPECT_EQ(now, after); break;
          case DeleteOutcome::Uncertain: EXPECT_TRUE(now == before || now == after); break;
          default: ADD_FAILURE() << "outcome " << static_cast<int>(result.outcome);
        }
        if (result.outcome == DeleteOutcome::Interrupted) {
          EXPECT_TRUE(deleteOutcomeMessage(result).contains(QStringLiteral("自動で戻ります")));
        }
      }
}

// An append whose write, flush or cut-back fails, tried again with the same
// record: the log holds it once, or not at all when no try reported it.
TEST(AppendRecord, AFailedAppendTriedAgainIsStoredOnce) {
  const QByteArray before = logOf(3) + QByteArray(10, 'x');
  const Seisekikiroku attempt = record(77, 2, 77);
  // Calls: 1 open, 2 write, 3 flush, 4 cut back or second flush, 5 ...
  struct Row {
    int call, times;
    Fault fault;
    bool recorded;  // the first try reports the attempt recorded
  };
  const Row rows[] = {
      {2, 1, Fault::IoError, false},                   // write fails, cut back
      {2, 1, Fault::ShortWrite, false},                // half written, cut back
      {2, FaultyFiles::kAlways, Fault::ShortWrite, false},  // half written, stays as a torn tail
      {3, 1, Fault::IoError, false},                   // flush fails, cut back
      {3, 2, Fault::IoError, true},                    // flush and cut fail, whole and flushed after all
      {3, FaultyFiles::kAlways, Fault::IoError, false},  // whole in the log, not shown on the disk
      {2, FaultyFiles::kAlways, Fault::DiskFull, false},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(testing::Message() << "call " << r.call << " × " << r.times << " fault " << static_cast<int>(r.fault));
    LogFolder f;
    writeBytes(f.log(), before);
    bool recorded = true;
    {
      FaultyFiles files(f.dir.path());
      files.failAt(r.call, r.fault, r.times);
      try {
        EXPECT_EQ(appendRecord(f.log(), attempt), 4);
      } catch (const RuntimeError &) {
        recorded = false;
      }
    }
    EXPECT_EQ(recorded, r.recorded);
    const QByteArray mine = encodeRecord(attempt);
    // Not recorded: tried again, the disk well again.
    if (!recorded) {
      EXPECT_EQ(appendRecord(f.log(), attempt, true), 4);
    }
    EXPECT_EQ(fileBytes(f.log()), logOf(3) + mine);
  }
}

// --- Files that another program holds (on Windows: a scanner, a backup agent) ------

// Every access meets the log or the journal held K times (the short retries'
// tries included), or held until the other program lets go while the access
// waits; or the journal's removal refused for ever. Nothing is lost or stored
// twice, the log changes only as the access means it to, the message tells
// what happened, and no student is asked about a finished journal.
TEST(HeldFiles, EveryAccessWaitsOrRefusesAndLosesNothing) {
  const QByteArray before = logOf(5);
  const QByteArray after = recordsOf(before, {1, 2, 4, 5});
  const QByteArray hot = encodeJournal({before, 3, JournalState::Hot});
  const QString logName = QString::fromUtf16(kResultsLogFileName);
  const QString journalName = QString::fromUtf16(kResultsJournalFileName);
  struct Shape {
    const char *what;
    QByteArray log, journal, recovered;  // on the disk, and the log once recovered
    bool keptAside;
  };
  const Shape shapes[] = {
      {"no journal", before, QByteArray(), before, false},
      {"a Hot journal, records half moved up", recordsOf(before, {1, 2, 4, 4, 5}), hot, before, false},
      {"a finished journal", after, encodeJournal({before, 3, JournalState::Committed}), after, false},
      {"a journal cut off", before, hot.left(100), before, true},
      {"an empty journal", before, QByteArray(""), before, true},
  };
  enum class Access { Append, Read, Delete, Rewrite };
  enum class Hold { Log, Journal, JournalRemoval };
  constexpr int kUntilLetGo = FaultyFiles::kAlways;
  for (const Shape &shape : shapes)
    for (const Hold hold : {Hold::Log, Hold::Journal, Hold::JournalRemoval})
      for (const int times : {1, 3, kUntilLetGo})
        for (const Access access : {Access::Append, Access::Read, Access::Delete, Access::Rewrite}) {
          if (hold != Hold::Log && shape.journal.isNull()) continue;
          if (hold == Hold::JournalRemoval && times != kUntilLetGo) continue;
          SCOPED_TRACE(testing::Message() << shape.what << ", hold " << static_cast<int>(hold) << " × " << times
                                          << ", access " << static_cast<int>(access));
          LogFolder f;
          writeBytes(f.log(), shape.log);
          if (!shape.journal.isNull()) writeBytes(f.journal(), shape.journal);
          QStringList told;
          setRecoveryNotice([&](const QString &message) { told << message; });
          FaultyFiles files(f.dir.path());
          const QString held = hold == Hold::Log ? logName : journalName;
          if (hold == Hold::JournalRemoval) {
            files.holdRemovals(held, times);
          } else {
            files.hold(held, times);
          }
          // The other program lets go after a few of the waits a person sees.
          int waits = 0;
          setLockWait([&](const QString &, LockPurpose, int) {
            if (++waits == 3 && hold != Hold::JournalRemoval) files.hold(held, 0);
            return true;
          });
          // Held for good at the start of a teacher's change: refused, nothing changed.
          const bool refused = times == kUntilLetGo && hold != Hold::JournalRemoval;
          QByteArray expected = shape.recovered;
          QString message;
          switch (access) {
            case Access::Append: {
              const Seisekikiroku attempt = record(88, 2, 88);
              EXPECT_EQ(appendRecord(f.log(), attempt), expected.size() / kResultRecordSize + 1);
              expected += encodeRecord(attempt);
              break;
            }
            case Access::Read: {
              int total = 0;
              readResultRecords(f.log(), 1, &total);
              EXPECT_EQ(total, expected.size() / kResultRecordSize);
              break;
            }
            case Access::Delete: {
              const DeleteResult result = deleteResultRecord(f.log(), 1, decodeRecord(expected.constData()));
              message = deleteOutcomeMessage(result);
              if (refused) {
                EXPECT_EQ(result.outcome, DeleteOutcome::Busy);
                EXPECT_TRUE(message.contains(QStringLiteral("何も消していません")));
                expected = shape.log;
              } else if (hold == Hold::JournalRemoval) {
                // The earlier journal stands, or (one kept aside) its own: the teacher hears where.
                const bool earlier = !shape.keptAside;
                EXPECT_EQ(result.outcome, earlier ? DeleteOutcome::JournalStands : DeleteOutcome::JournalLeft);
                EXPECT_TRUE(message.contains(f.journal()));
                if (!earlier) expected = expected.mid(kResultRecordSize);
              } else {
                EXPECT_EQ(result.outcome, DeleteOutcome::Deleted);
                expected = expected.mid(kResultRecordSize);
              }
              break;
            }
            case Access::Rewrite: {
              const RewriteOutcome outcome =
                  rewriteResultRecord(f.log(), 1, decodeRecord(expected.constData()), record(1, 2, 99));
              EXPECT_EQ(outcome, refused ? RewriteOutcome::Busy : RewriteOutcome::Written);
              if (refused) {
                expected = shape.log;
              } else {
                expected.replace(0, kResultRecordSize, encodeRecord(record(1, 2, 99)));
              }
              break;
            }
          }
          setLockWait({});
          setRecoveryNotice({});
          EXPECT_EQ(fileBytes(f.log()), expected);
          if (refused && (access == Access::Delete || access == Access::Rewrite)) {
            EXPECT_EQ(fileBytes(f.journal()), shape.journal);  // untouched, for the next access
            EXPECT_TRUE(told.isEmpty());
            EXPECT_EQ(files.heldWaitMs(), kHeldRetryBoundMs);  // the short retries, once
            continue;
          }
          // A held file is waited for only past the short retries.
          EXPECT_EQ(waits > 0, times == kUntilLetGo && hold != Hold::JournalRemoval);
          EXPECT_EQ(told.size(), shape.keptAside ? 1 : 0);
          // A finished journal whose removal is refused stands; once let go,
          // the next access removes it.
          const bool stands = hold == Hold::JournalRemoval && (!shape.keptAside || access == Access::Delete);
          EXPECT_EQ(QFile::exists(f.journal()), stands);
          files.holdRemovals(held, 0);
          readLog(f);
          EXPECT_FALSE(QFile::exists(f.journal()));
          EXPECT_EQ(fileBytes(f.log()), expected);
        }
}

// A network client may answer a look-up from its cache, either way: only an
// open of the journal decides, so a journal that has gone is no journal, and
// one that is there is recovered though the look-up says it is not.
TEST(HeldFiles, ACachedLookUpDecidesNothing) {
  const QByteArray before = logOf(5);
  const QByteArray hot = encodeJournal({before, 3, JournalState::Hot});
  for (const bool journalThere : {false, true})
    for (const bool cachedAnswer : {false, true}) {
      SCOPED_TRACE(testing::Message() << "journal there " << journalThere << ", cache says " << cachedAnswer);
      LogFolder f;
      writeBytes(f.log(), journalThere ? recordsOf(before, {1, 2, 4, 4, 5}) : before);
      if (journalThere) writeBytes(f.journal(), hot);
      FaultyFiles files(f.dir.path());
      files.cacheExists(QString::fromUtf16(kResultsJournalFileName), cachedAnswer);
      files.cacheExists(QString::fromUtf16(kResultsLogFileName), cachedAnswer);
      int total = 0;
      ASSERT_NO_THROW(readResultRecords(f.log(), 1, &total));
      EXPECT_EQ(total, 5);
      EXPECT_EQ(deleteResultRecord(f.log(), 5, record(5, 2, 50)).outcome, DeleteOutcome::Deleted);
      EXPECT_EQ(fileBytes(f.log()), logOf(4));
      EXPECT_FALSE(QFile::exists(f.journal()));
    }
}
