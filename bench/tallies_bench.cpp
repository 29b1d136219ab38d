// computeTallies() on a log of 25000 records (students 1..5000, 35 levels),
// against the same aggregation in SQLite and against a plain read of the
// file's bytes.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "app/programstate.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/services.h"
#include "results/resultslog.h"
#include "results/tallies.h"

using namespace minatori;

namespace {

struct Fixture {
  QTemporaryDir dir;
  ProgramState state;
  SystemClock clock;
  Random random;
  std::vector<Seisekikiroku> records;
  Fixture() {
    state.contentFolder = dir.path() + u'/';
    for (int l = 1; l <= 35; ++l) {
      state.criteria[l].targetTime = 60;
      state.criteria[l].pointRate = 1.5f;
      state.criteria[l].passPeriodDays = LooseValue::fromNumber(14);
      state.criteria[l].banPeriodDays = LooseValue::fromNumber(1);
    }
    random.seed(1);
    const int today = dateSerial(QDate::currentDate());
    QByteArray bytes;
    for (int i = 0; i < 25000; ++i) {
      const Seisekikiroku r = makeRecord(today - random.pick(30) + 1, random.pick(86399), static_cast<qint16>(random.pick(5000)),
                                         static_cast<qint16>(random.pick(35)), random.pick(400), QStringLiteral("31415"));
      records.push_back(r);
      bytes += encodeRecord(r);
    }
    QFile f(resultsLogPath(state));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
  }
};

Fixture &fixture() {
  static Fixture f;
  return f;
}

void BM_ComputeTallies(benchmark::State &st) {
  Fixture &f = fixture();
  const Services services{&f.clock, &f.random, nullptr, nullptr};
  for (auto _ : st) {
    computeTallies(f.state, services);
    benchmark::DoNotOptimize(f.state.tallies.pointTotal(2, 2));
  }
}
BENCHMARK(BM_ComputeTallies)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State &st) {
  Fixture &f = fixture();
  for (auto _ : st) {
    QFile file(resultsLogPath(f.state));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    benchmark::DoNotOptimize(bytes.constData());
  }
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

// The same counts and sums as SQL over an in-memory table holding the rows.
void BM_SqliteGroupBy(benchmark::State &st) {
  Fixture &f = fixture();
  sqlite3 *db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_exec(db, "CREATE TABLE r(d REAL, s INT, l INT, t INT, p INT)", nullptr, nullptr, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt *ins = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO r VALUES(?,?,?,?,?)", -1, &ins, nullptr);
  for (const Seisekikiroku &r : f.records) {
    sqlite3_bind_double(ins, 1, r.recordDate);
    sqlite3_bind_int(ins, 2, r.studentNumber);
    sqlite3_bind_int(ins, 3, r.level);
    sqlite3_bind_int(ins, 4, r.resultTime);
    sqlite3_bind_int(ins, 5, attemptPoints(f.state.criteria[static_cast<size_t>(r.level)], r.resultTime, true));
    sqlite3_step(ins);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  const double now = dateTimeSerial(QDateTime::currentDateTime());
  const QByteArray sql = QStringLiteral(
                             "SELECT l, s, SUM(t < 6000), SUM(p), SUM(CASE WHEN d > %1 THEN t < 6000 END), "
                             "SUM(CASE WHEN d > %1 THEN p END), SUM(CASE WHEN d > %2 THEN t < 6000 END), "
                             "SUM(CASE WHEN d > %2 THEN p END), SUM(CASE WHEN CAST(d AS INT) = %3 THEN t < 6000 END), "
                             "MIN(t) FROM r GROUP BY l, s")
                             .arg(now - 14, 0, 'f', 6)
                             .arg(now - 1, 0, 'f', 6)
                             .arg(static_cast<int>(now))
                             .toUtf8();
  sqlite3_stmt *q = nullptr;
  sqlite3_prepare_v2(db, sql.constData(), -1, &q, nullptr);
  for (auto _ : st) {
    long long sum = 0;
    while (sqlite3_step(q) == SQLITE_ROW) sum += sqlite3_column_int(q, 3);
    sqlite3_reset(q);
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(q);
  sqlite3_close(db);
}
BENCHMARK(BM_SqliteGroupBy)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory: %ld KiB\n", usage.ru_maxrss);
  return 0;
}
