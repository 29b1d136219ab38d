// Appends records to a results log as one classroom machine would:
//   appender <content folder> <writer number> <count>
// Record k of writer w carries student w and result time k. At the end it
// prints "longest append wait N ms": the longest single append, waits for
// the lock or for a file another program held included.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "app/programstate.h"
#include "platform/clock.h"
#include "results/resultslog.h"

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 4) return 2;
  minatori::ProgramState state;
  state.contentFolder = args[1];
  state.studentNumber = static_cast<qint16>(args[2].toInt());
  state.currentLevel = 2;
  minatori::SystemClock clock;
  const int count = args[3].toInt();
  qint64 longest = 0;
  QElapsedTimer append;
  for (int k = 1; k <= count; ++k) {
    state.attemptResult = k;
    append.start();
    minatori::appendResult(state, clock);
    longest = std::max(longest, append.elapsed());
  }
  std::printf("longest append wait %lld ms\n", static_cast<long long>(longest));
  return 0;
}
