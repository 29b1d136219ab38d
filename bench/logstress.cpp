// Stress and measurement of the shared results log with real processes:
//
//   logstress kills [rounds] [records]   deletes killed at random moments
//                                        while another process appends; every
//                                        log afterwards must be whole
//   logstress readers [seconds]          the longest wait of an append while
//                                        four processes read back to back
//   logstress appendcost [count] [folder]  what flushing each append costs
//   logstress recoverykills [rounds] [records]  recoveries of a log emptied
//                                        by hand (or a delete stopped half-way)
//                                        killed at random moments; the next
//                                        access must give back every record
//   logstress writefailures [rounds] [records] [tmpfs folder]  deletes,
//                                        appends and recoveries under a
//                                        file-size limit and on a full small
//                                        tmpfs: no log damaged, nothing lost
//
// The child roles (delete, append, read) are this program started again.
// A log of the "kills" run holds originals (level 1, result time = their
// place 1..records) and appends (level 2, result time = their sequence).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <cstdio>
#include <random>
#include <set>

#include "app/programstate.h"
#include "platform/clock.h"
#include "platform/runtimeerror.h"
#include "platform/lockedfile.h"
#include "results/logjournal.h"
#include "results/resultslog.h"
#include "teacher/resultsdata.h"

using namespace minatori;

namespace {

QString logIn(const QString &folder) { return QDir(folder).filePath(QString::fromUtf16(kResultsLogFileName)); }

QByteArray originals(int count) {
  QByteArray out;
  out.reserve(count * kResultRecordSize);
  for (int k = 1; k <= count; ++k) out += encodeRecord(makeRecord(46000, 36000, 1, 1, k, QStringLiteral("31415")));
  return out;
}

void say(const char *text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

// --- The child roles ---

// Deletes original records, one after another, until it is killed; says
// "D <place>" for each delete that has finished.
int deleter(const QString &folder, quint32 seed) {
  const QString log = logIn(folder);
  std::mt19937 random(seed);
  for (;;) {
    const auto records = readResultRecords(log);
    std::vector<int> places;
    for (size_t i = 0; i < records.size(); ++i)
      if (records[i].level == 1) places.push_back(static_cast<int>(i) + 1);
    if (places.empty()) return 0;
    const int number = places[random() % places.size()];
    const Seisekikiroku asRead = records[static_cast<size_t>(number - 1)];
    const DeleteResult r = deleteResultRecord(log, number, asRead);
    if (r.outcome == DeleteOutcome::Deleted || r.outcome == DeleteOutcome::JournalLeft)
      std::printf("D %d\n", asRead.resultTime);
    std::fflush(stdout);
  }
}

// Appends `count` records, `gapMs` apart; says "A <sequence> <waited µs>"
// once each is on the disk.
int appender(const QString &folder, int count, int gapMs) {
  ProgramState s;
  s.contentFolder = folder + u'/';
  s.studentNumber = 2;
  s.currentLevel = 2;
  SystemClock clock;
  for (int k = 1; k <= count; ++k) {
    s.attemptResult = k;
    QElapsedTimer t;
    t.start();
    appendResult(s, clock);
    std::printf("A %d %lld\n", k, static_cast<long long>(t.nsecsElapsed() / 1000));
    std::fflush(stdout);
    if (gapMs > 0) QThread::msleep(static_cast<unsigned long>(gapMs));
  }
  return 0;
}

// Reads the whole log back to back for `seconds`; says how many times.
int reader(const QString &folder, int seconds) {
  QElapsedTimer t;
  t.start();
  int reads = 0;
  while (t.elapsed() < seconds * 1000LL) {
    readResultRecords(logIn(folder));
    ++reads;
  }
  std::printf("R %d\n", reads);
  return 0;
}

QProcess *child(const QStringList &args) {
  auto *p = new QProcess;
  p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p->start(QCoreApplication::applicationFilePath(), args);
  p->waitForStarted();
  return p;
}

QList<QByteArray> linesOf(QProcess &p) { return p.readAllStandardOutput().split('\n'); }

// --- The runs ---

QStringList keptAsideIn(const QString &folder) {
  return QDir(folder).entryList({QStringLiteral("成績累積データtemp-*.dat")}, QDir::Files);
}


int kills(int rounds, int records) {
  QTemporaryDir dir;
  const QString folder = dir.path();
  const QString log = logIn(folder);
  const QString journal = resultsJournalPath(log);
  std::mt19937 random(20261209);
  int hot = 0, finished = 0, torn = 0, parts = 0, failures = 0, deletes = 0;
  for (int round = 1; round <= rounds; ++round) {
    QFile::remove(log);
    QFile::remove(journal);
    QFile::remove(partJournalPath(journal));
    {
      QFile f(log);
      f.open(QIODevice::WriteOnly);
      f.write(originals(records));
    }
    constexpr int kAppends = 30;
    std::unique_ptr<QProcess> appending(child({QStringLiteral("append"), folder, QString::number(kAppends),
                                               QStringLiteral("2")}));
    std::unique_ptr<QProcess> deleting(child({QStringLiteral("delete"), folder, QString::number(random())}));
    QThread::msleep(5 + random() % 120);
    deleting->kill();
    deleting->waitForFinished();
    // What the kill left, as far as the appender has not recovered it yet.
    if (QFile f(journal); f.open(QIODevice::ReadOnly)) {
      const std::optional<Journal> j = decodeJournal(f.readAll());
      if (!j) ++torn;
      else if (j->state == JournalState::Hot) ++hot;
      else ++finished;
    } else if (QFile::exists(partJournalPath(journal))) {
      ++parts;
    }
    appending->waitForFinished(120000);

    std::set<int> deleted;
    for (const QByteArray &line : linesOf(*deleting))
      if (line.startsWith("D ")) deleted.insert(line.mid(2).toInt());
    deletes += static_cast<int>(deleted.size());
    int acked = 0;
    for (const QByteArray &line : linesOf(*appending))
      if (line.startsWith("A ")) ++acked;

    // The next access recovers; then the log must be whole.
    const auto after = readResultRecords(log);
    QString fault;
    if (QFile::exists(journal)) fault = QStringLiteral("the journal is still there");
    if (!keptAsideIn(folder).isEmpty()) fault = QStringLiteral("a journal was kept aside");
    int expectOriginal = 0, expectAppend = 1, inFlight = 0;
    bool inAppends = false;
    for (const Seisekikiroku &r : after) {
      if (!fault.isEmpty()) break;
      if (r.level == 1 && !inAppends) {
        // The next original still there; those skipped were deleted (one of
        // them at most by the delete the kill stopped, finished or not).
        for (++expectOriginal; expectOriginal < r.resultTime; ++expectOriginal)
          if (!deleted.count(expectOriginal)) ++inFlight;
        if (r.resultTime != expectOriginal) fault = QStringLiteral("original %1 out of order").arg(r.resultTime);
        if (deleted.count(r.resultTime)) fault = QStringLiteral("original %1 was deleted, and is back").arg(r.resultTime);
      } else if (r.level == 2 && r.resultTime == expectAppend) {
        inAppends = true;
        ++expectAppend;
      } else {
        fault = QStringLiteral("record %1/%2 out of place or torn").arg(r.level).arg(r.resultTime);
      }
    }
    for (++expectOriginal; expectOriginal <= records && fault.isEmpty(); ++expectOriginal)
      if (!deleted.count(expectOriginal)) ++inFlight;
    if (fault.isEmpty() && inFlight > 1) fault = QStringLiteral("%1 originals missing").arg(inFlight);
    if (fault.isEmpty() && expectAppend - 1 != acked)
      fault = QStringLiteral("%1 appends acknowledged, %2 in the log").arg(acked).arg(expectAppend - 1);
    if (fault.isEmpty() && acked != kAppends) fault = QStringLiteral("only %1 appends made").arg(acked);
    if (!fault.isEmpty()) {
      ++failures;
      std::printf("round %d: %s\n", round, qPrintable(fault));
    }
  }
  std::printf("%d rounds of %d records: %d deletes finished, kills left %d hot, %d finished and %d undecodable "
              "journals, and %d journals cut off before they took their name; %d faults\n",
              rounds, records, deletes, hot, finished, torn, parts, failures);
  return failures == 0 ? 0 : 1;
}

int readers(int seconds) {
  QTemporaryDir dir;
  {
    QFile f(logIn(dir.path()));
    f.open(QIODevice::WriteOnly);
    f.write(originals(20000));
  }
  std::vector<std::unique_ptr<QProcess>> reading;
  for (int i = 0; i < 4; ++i)
    reading.emplace_back(child({QStringLiteral("read"), dir.path(), QString::number(seconds)}));
  QThread::msleep(200);
  std::unique_ptr<QProcess> appends(child({QStringLiteral("append"), dir.path(),
                                           QString::number(seconds * 1000 / 60), QStringLiteral("50")}));
  appends->waitForFinished(seconds * 4000 + 60000);
  std::vector<long long> waits;
  for (const QByteArray &line : linesOf(*appends))
    if (line.startsWith("A ")) waits.push_back(line.split(' ').value(2).toLongLong());
  long long reads = 0;
  for (auto &p : reading) {
    p->waitForFinished(seconds * 4000 + 60000);
    for (const QByteArray &line : linesOf(*p))
      if (line.startsWith("R ")) reads += line.mid(2).toLongLong();
  }
  std::sort(waits.begin(), waits.end());
  if (waits.empty()) return 1;
  long long sum = 0;
  for (long long w : waits) sum += w;
  std::printf("4 readers, %lld whole reads of a 20000-record log; %zu appends: wait mean %.2f ms, "
              "99th %.2f ms, longest %.2f ms\n",
              reads, waits.size(), sum / 1000.0 / static_cast<double>(waits.size()),
              waits[waits.size() * 99 / 100] / 1000.0, waits.back() / 1000.0);
  return 0;
}

int appendCost(int count, const QString &folder) {
  QTemporaryDir dir(QDir(folder).filePath(QStringLiteral("logstress-XXXXXX")));
  ProgramState s;
  s.contentFolder = dir.path() + u'/';
  s.studentNumber = 2;
  s.currentLevel = 2;
  SystemClock clock;
  QElapsedTimer t;
  t.start();
  for (int k = 1; k <= count; ++k) {
    s.attemptResult = k;
    appendResult(s, clock);
  }
  const double flushed = t.nsecsElapsed() / 1000.0 / count;
  // The same appends without the flush, for the difference.
  const QString plain = dir.filePath(QStringLiteral("plain.dat"));
  t.restart();
  for (int k = 1; k <= count; ++k) {
    LockedFile f(plain, LockedFile::Access::ReadWrite, LockPurpose::Append);
    f.writeAt(f.size() / kResultRecordSize * kResultRecordSize,
              encodeRecord(makeRecord(46000, 36000, 2, 2, k, QString())));
  }
  const double unflushed = t.nsecsElapsed() / 1000.0 / count;
  std::printf("%d appends in %s: %.1f µs each flushed, %.1f µs without the flush\n", count, qPrintable(folder),
              flushed, unflushed);
  return 0;
}

// --- Recovery and write failures ---

// The next access: reads the log, recovering what it finds.
int recoverer(const QString &folder, qint64 sizeLimit) {
  if (sizeLimit > 0) {
    // Writes past the limit fail with EFBIG instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {static_cast<rlim_t>(sizeLimit), static_cast<rlim_t>(sizeLimit)};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  try {
    readResultRecords(logIn(folder));
  } catch (const RuntimeError &e) {
    std::printf("E %d\n", e.number());
    return 3;
  }
  return 0;
}

QByteArray bytesOf(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(bytes);
}


// What a stopped delete of record `number` leaves, as one of three shapes:
// the log emptied by hand, the records half moved up, the log cut.
QByteArray stoppedShape(const QByteArray &old, int number, int shape, std::mt19937 &random) {
  if (shape == 0) return QByteArray("");
  const qint64 cut = static_cast<qint64>(number - 1) * kResultRecordSize;
  QByteArray log = old;
  const qint64 moved = shape == 1 ? static_cast<qint64>(random() % static_cast<quint32>(old.size() - cut)) : old.size();
  const QByteArray later = old.mid(cut + kResultRecordSize, moved);
  log.replace(cut, later.size(), later);
  if (shape == 2) log.truncate(old.size() - kResultRecordSize);
  return log;
}

// The log after the final access must be the old content, whole; anything
// else counts its missing records and whether it was changed wrongly.
struct Damage {
  int damaged = 0, lost = 0, aside = 0, journals = 0;
};
void judge(const QString &folder, const QByteArray &old, Damage &d, int round, const char *what) {
  const QByteArray now = bytesOf(logIn(folder));
  if (QFile::exists(resultsJournalPath(logIn(folder)))) ++d.journals;
  d.aside += static_cast<int>(keptAsideIn(folder).size());
  if (now == old) return;
  ++d.damaged;
  int missing = 0;
  for (qint64 r = 0; r < old.size() / kResultRecordSize; ++r)
    if (now.mid(r * kResultRecordSize, kResultRecordSize) != old.mid(r * kResultRecordSize, kResultRecordSize)) ++missing;
  d.lost += missing;
  std::printf("round %d (%s): log of %lld bytes, %d records not in place\n", round, what,
              static_cast<long long>(now.size()), missing);
}

int recoveryKills(int rounds, int records) {
  QTemporaryDir dir;
  const QString folder = dir.path(), log = logIn(folder), journal = resultsJournalPath(log);
  const QByteArray old = originals(records);
  std::mt19937 random(20261210);
  // How long a whole recovery of an emptied log takes, process start included.
  qint64 whole = 0;
  for (int i = 0; i < 5; ++i) {
    put(log, QByteArray(""));
    put(journal, encodeJournal({old, 1, JournalState::Hot}));
    QElapsedTimer t;
    t.start();
    std::unique_ptr<QProcess> p(child({QStringLiteral("recover"), folder, QStringLiteral("0")}));
    p->waitForFinished();
    whole = std::max(whole, t.elapsed());
  }
  Damage d;
  int stopped = 0, stoppedTwice = 0;
  for (int round = 1; round <= rounds; ++round) {
    const int number = 1 + static_cast<int>(random() % static_cast<quint32>(records));
    const int shape = round % 3;
    put(log, stoppedShape(old, number, shape, random));
    put(journal, encodeJournal({old, number, JournalState::Hot}));
    // Killed once, and every fourth round killed again during the next recovery.
    for (int kill = 0; kill < (round % 4 == 0 ? 2 : 1); ++kill) {
      std::unique_ptr<QProcess> p(child({QStringLiteral("recover"), folder, QStringLiteral("0")}));
      QThread::msleep(static_cast<unsigned long>(random() % static_cast<quint32>(whole + 1)));
      p->kill();
      p->waitForFinished();
      if (QFile::exists(journal)) (kill == 0 ? stopped : stoppedTwice) += 1;
    }
    readResultRecords(log);
    judge(folder, old, d, round, shape == 0 ? "emptied" : shape == 1 ? "half moved" : "cut");
    for (const QString &name : keptAsideIn(folder)) QFile::remove(QDir(folder).filePath(name));
  }
  std::printf("%d recoveries of a %d-record log (a whole one takes %lld ms with its process start): %d killed "
              "while the journal was still there, %d of them killed again; damaged logs %d, records lost %d, "
              "journals kept aside %d, journals left %d\n",
              rounds, records, static_cast<long long>(whole), stopped, stoppedTwice, d.damaged, d.lost, d.aside,
              d.journals);
  return d.damaged == 0 && d.lost == 0 && d.aside == 0 && d.journals == 0 ? 0 : 1;
}

// One round of failures in `folder`: a recovery, a delete and appends that
// run out of room, then the next access with room again.
void failureRound(const QString &folder, const QByteArray &old, qint64 limit, int round, std::mt19937 &random,
                  Damage &d, int &failed, const char *what, const std::function<void()> &makeRoom = {}) {
  const QString log = logIn(folder), journal = resultsJournalPath(log);
  const int number = 1 + static_cast<int>(random() % static_cast<quint32>(old.size() / kResultRecordSize));
  QFile::remove(log);
  QFile::remove(journal);
  put(log, stoppedShape(old, number, round % 3, random));
  put(journal, encodeJournal({old, number, JournalState::Hot}));
  // The recovery without room: it fails, and the journal stays for the next one.
  std::unique_ptr<QProcess> p(child({QStringLiteral("recover"), folder, QString::number(limit)}));
  p->waitForFinished();
  if (p->exitCode() != 0) ++failed;
  if (makeRoom) makeRoom();
  readResultRecords(log);
  judge(folder, old, d, round, what);
}

int writeFailures(int rounds, int records, const QString &tmpfsFolder) {
  const QByteArray old = originals(records);
  std::mt19937 random(20261211);
  Damage limitDamage;
  int limitFailed = 0;
  {
    QTemporaryDir dir;
    for (int round = 1; round <= rounds; ++round) {
      // A limit somewhere inside the old content: the restore runs out of room.
      const qint64 limit = 1 + static_cast<qint64>(random() % static_cast<quint32>(old.size()));
      failureRound(dir.path(), old, limit, round, random, limitDamage, limitFailed, "file-size limit");
    }
  }
  std::printf("file-size limit: %d rounds of a %d-record log, %d recoveries failed for want of room; damaged logs "
              "%d, records lost %d, journals kept aside %d, journals left %d\n",
              rounds, records, limitFailed, limitDamage.damaged, limitDamage.lost, limitDamage.aside,
              limitDamage.journals);
  int status = limitDamage.damaged + limitDamage.lost + limitDamage.aside + limitDamage.journals == 0 ? 0 : 1;

  // A small tmpfs, filled up by other files, at three moments: a recovery
  // of an emptied log, a delete (its journal), appends.
  if (tmpfsFolder.isEmpty()) return status;
  QDir().mkpath(tmpfsFolder);
  const QByteArray where = QFile::encodeName(tmpfsFolder);
  const QByteArray options = "size=" + QByteArray::number(old.size() * 3 + 65536);
  if (::mount("minatori-full", where.constData(), "tmpfs", 0, options.constData()) != 0) {
    std::printf("full tmpfs: skipped (cannot mount a tmpfs here: %s)\n", std::strerror(errno));
    return status;
  }
  const QString folder = tmpfsFolder, log = logIn(folder), journal = resultsJournalPath(log);
  const QString filler = QDir(folder).filePath(QStringLiteral("filler"));
  // Leaves about `room` bytes free.
  const auto fillTo = [&](qint64 room) {
    QFile::remove(filler);
    struct statvfs st {};
    statvfs(where.constData(), &st);
    const qint64 free = static_cast<qint64>(st.f_bavail) * static_cast<qint64>(st.f_frsize);
    put(filler, QByteArray(static_cast<qsizetype>(std::max<qint64>(0, free - room)), 'f'));
  };
  Damage fullDamage;
  int recoveriesFailed = 0, appendsFailed = 0, deletesFailed = 0, appendsChanged = 0, deletesChanged = 0;
  for (int round = 1; round <= rounds; ++round) {
    QFile::remove(filler);
    QFile::remove(journal);
    put(log, QByteArray(""));
    put(journal, encodeJournal({old, 1 + static_cast<int>(random() % static_cast<quint32>(records)), JournalState::Hot}));
    fillTo(static_cast<qint64>(random() % static_cast<quint32>(old.size() / 2)));
    std::unique_ptr<QProcess> p(child({QStringLiteral("recover"), folder, QStringLiteral("0")}));
    p->waitForFinished();
    if (p->exitCode() != 0) ++recoveriesFailed;
    QFile::remove(filler);
    readResultRecords(log);
    judge(folder, old, fullDamage, round, "full tmpfs");

    // A delete whose journal does not fit.
    fillTo(static_cast<qint64>(random() % static_cast<quint32>(2 * old.size())));
    const QByteArray beforeDelete = bytesOf(log);
    const DeleteResult r = deleteResultRecord(log, 1, decodeRecord(beforeDelete.constData()));
    QFile::remove(filler);
    QByteArray expected = beforeDelete;
    if (r.outcome == DeleteOutcome::Deleted) expected.remove(0, kResultRecordSize);
    else ++deletesFailed;
    readResultRecords(log);
    if (bytesOf(log) != expected) {
      ++deletesChanged;
      std::printf("round %d: the log after a delete (outcome %d) is not what the teacher was told\n", round,
                  static_cast<int>(r.outcome));
    }

    // Appends until the disk is full: the failed one leaves the log as it was.
    fillTo(static_cast<qint64>(random() % 8192));
    ProgramState s;
    s.contentFolder = folder + u'/';
    s.studentNumber = 3;
    s.currentLevel = 2;
    SystemClock clock;
    for (int k = 0; k < 4000; ++k) {
      s.attemptResult = k;
      const QByteArray beforeAppend = bytesOf(log);
      try {
        appendResult(s, clock);
      } catch (const RuntimeError &) {
        ++appendsFailed;
        if (bytesOf(log) != beforeAppend) ++appendsChanged;
        break;
      }
    }
  }
  QFile::remove(filler);
  ::umount(where.constData());
  std::printf("full tmpfs: %d rounds of a %d-record log; %d recoveries, %d deletes and %d appends failed for want "
              "of room; damaged logs %d, records lost %d, journals kept aside %d, journals left %d, logs changed "
              "wrongly by a failed delete %d, by a failed append %d\n",
              rounds, records, recoveriesFailed, deletesFailed, appendsFailed, fullDamage.damaged, fullDamage.lost,
              fullDamage.aside, fullDamage.journals, deletesChanged, appendsChanged);
  return status + (fullDamage.damaged + fullDamage.lost + fullDamage.aside + fullDamage.journals + deletesChanged +
                               appendsChanged ==
                           0
                       ? 0
                       : 1);
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const QStringList a = app.arguments();
  const QString role = a.value(1);
  auto number = [&](int i, int otherwise) { return a.size() > i ? a[i].toInt() : otherwise; };
  if (role == QLatin1String("delete")) return deleter(a.value(2), static_cast<quint32>(a.value(3).toUInt()));
  if (role == QLatin1String("append")) return appender(a.value(2), number(3, 1), number(4, 0));
  if (role == QLatin1String("read")) return reader(a.value(2), number(3, 1));
  if (role == QLatin1String("kills")) return kills(number(2, 200), number(3, 20000));
  if (role == QLatin1String("readers")) return readers(number(2, 10));
  if (role == QLatin1String("recover")) return recoverer(a.value(2), a.value(3).toLongLong());
  if (role == QLatin1String("recoverykills")) return recoveryKills(number(2, 60), number(3, 20000));
  if (role == QLatin1String("writefailures")) return writeFailures(number(2, 30), number(3, 20000), a.value(4));
  if (role == QLatin1String("appendcost")) return appendCost(number(2, 500), a.size() > 3 ? a[3] : QDir::currentPath());
  say("usage: logstress kills [rounds] [records] | readers [seconds] | appendcost [count] [folder]\n"
      "       logstress recoverykills [rounds] [records] | writefailures [rounds] [records] [tmpfs folder]\n");
  return 2;
}
