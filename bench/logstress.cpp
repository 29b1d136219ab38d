// Stress and measurement of the shared results log with real processes:
//
//   logstress kills [rounds] [records]   deletes killed at random moments
//                                        while another process appends; every
//                                        log afterwards must be whole
//   logstress readers [seconds]          the longest wait of an append while
//                                        four processes read back to back
//   logstress appendcost [count] [folder]  what flushing each append costs
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
#include <cstdio>
#include <random>
#include <set>

#include "app/programstate.h"
#include "platform/clock.h"
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

int kills(int rounds, int records) {
  QTemporaryDir dir;
  const QString folder = dir.path();
  const QString log = logIn(folder);
  const QString journal = resultsJournalPath(log);
  std::mt19937 random(20261209);
  int hot = 0, finished = 0, torn = 0, failures = 0, deletes = 0;
  for (int round = 1; round <= rounds; ++round) {
    QFile::remove(log);
    QFile::remove(journal);
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
    // What the kill left, before anyone recovers it.
    if (QFile::exists(journal)) {
      QFile f(journal);
      f.open(QIODevice::ReadOnly);
      const std::optional<Journal> j = decodeJournal(f.readAll());
      if (!j) ++torn;
      else if (j->state == JournalState::Hot) ++hot;
      else ++finished;
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
  std::printf("%d rounds of %d records: %d deletes finished, kills left %d hot, %d finished and %d incomplete "
              "journals; %d faults\n",
              rounds, records, deletes, hot, finished, torn, failures);
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

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList a = app.arguments();
  const QString role = a.value(1);
  auto number = [&](int i, int otherwise) { return a.size() > i ? a[i].toInt() : otherwise; };
  if (role == QLatin1String("delete")) return deleter(a.value(2), static_cast<quint32>(a.value(3).toUInt()));
  if (role == QLatin1String("append")) return appender(a.value(2), number(3, 1), number(4, 0));
  if (role == QLatin1String("read")) return reader(a.value(2), number(3, 1));
  if (role == QLatin1String("kills")) return kills(number(2, 200), number(3, 20000));
  if (role == QLatin1String("readers")) return readers(number(2, 10));
  if (role == QLatin1String("appendcost")) return appendCost(number(2, 500), a.size() > 3 ? a[3] : QDir::currentPath());
  say("usage: logstress kills [rounds] [records] | readers [seconds] | appendcost [count] [folder]\n");
  return 2;
}
