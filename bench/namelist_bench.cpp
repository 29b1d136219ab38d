// The screens that read the whole roster and the log, offscreen, on a log of
// 25000 records: the name list (tallies, a 5000-line roster, its rows in the
// real list) and the progress screen's activation (12 levels, a 2000-line
// roster, the points rankings of every level).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <memory>

#include "app/configuration.h"
#include "app/levelcatalogue.h"
#include "app/ui/application.h"
#include "platform/clock.h"
#include "platform/messageboxes.h"
#include "platform/textfile.h"
#include "platform/random.h"
#include "results/resultslog.h"
#include "roster/roster.h"
#include "roster/ui/namesel.h"
#include "progress/ui/seisekitime1.h"
#include "tools/installation.h"

using namespace minatori;

namespace {

class NoBoxes final : public MessageBoxes {
 protected:
  MessageAnswer ask(const QString &, const QString &, MessageButtons, MessageIcon) override { return MessageAnswer::Ok; }
};

struct Fixture {
  QTemporaryDir dir;
  installation::Layout layout;
  SystemClock clock;
  Random random;
  NoBoxes boxes;
  std::unique_ptr<Application> app;

  explicit Fixture(int students) {
    layout.root = dir.path();
    layout.dataSource = QStringLiteral(MINATORI_SOURCE_DIR "/demo/data");
    layout.contentSource = QStringLiteral(MINATORI_SOURCE_DIR "/demo/content");
    layout.soundSources << QStringLiteral(MINATORI_SOURCE_DIR "/demo/sound");
    installation::layOut(layout);
    QString roster;
    for (int n = 1; n <= students; ++n)
      roster += QStringLiteral("%1,%2,0,0,\"生徒%1\",%3,,\r\n").arg(n).arg(2008 + n % 12).arg(n % 50 == 0 ? 1 : 0);
    const QString rosterPath = installation::dataFolder(layout) + QStringLiteral("新名簿.txt");
    writeFileAtomically(rosterPath, encodeCp932(roster, rosterPath));
    app = std::make_unique<Application>(Services{&clock, &random, &boxes, nullptr}, installation::programFolder(layout));
    loadConfiguration(app->state(), installation::programFolder(layout));
    ProgramState &s = app->state();
    random.seed(1);
    const int today = dateSerial(QDate::currentDate());
    QByteArray bytes;
    for (int i = 0; i < 25000; ++i)
      bytes += encodeRecord(makeRecord(today - random.pick(30) + 1, random.pick(86399),
                                       static_cast<qint16>(random.pick(5000)), static_cast<qint16>(random.pick(12)),
                                       random.pick(400), QStringLiteral("31415")));
    QFile log(resultsLogPath(s));
    log.open(QIODevice::WriteOnly);
    log.write(bytes);
  }
};

// The fixtures hold windows, so they must go before the application object
// does: main() drops them before it returns.
std::unique_ptr<Fixture> g_names, g_progress;

Fixture &fixture() {
  if (!g_names) g_names = std::make_unique<Fixture>(5000);
  return *g_names;
}

void BM_RosterRowsWithTallies(benchmark::State &st) {
  Fixture &f = fixture();
  for (auto _ : st) {
    computeTallies(f.app->state(), f.app->services());
    const auto lines = readRosterForNameList(f.app->state(), QDate::currentDate(), 1);
    benchmark::DoNotOptimize(lines.size());
  }
}
BENCHMARK(BM_RosterRowsWithTallies)->Unit(benchmark::kMillisecond);

void BM_NameListOnScreen(benchmark::State &st) {
  Fixture &f = fixture();
  namesel &screen = f.app->windows().show<namesel>();
  for (auto _ : st) screen.名簿表示();
  st.counters["rows"] = screen.findChild<QListWidget *>(QStringLiteral("List1"))->count();
}
BENCHMARK(BM_NameListOnScreen)->Unit(benchmark::kMillisecond);

void BM_ProgressScreenActivation(benchmark::State &st) {
  if (!g_progress) g_progress = std::make_unique<Fixture>(2000);
  Fixture &f = *g_progress;
  ProgramState &s = f.app->state();
  readRosterForNameList(s, QDate::currentDate(), 0);
  s.studentNumber = 7;
  s.studentName = s.roster.nameByNumber[7];
  buildLevelCatalogue(s);
  seisekitime1 &screen = f.app->windows().show<seisekitime1>();
  for (auto _ : st) screen.activate();
  st.counters["rows_level2"] = screen.findChild<QListWidget *>(QStringLiteral("List5_2"))->count();
}
BENCHMARK(BM_ProgressScreenActivation)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_progress.reset();
  g_names.reset();
  return 0;
}
