// Appends records to a results log as one classroom machine would:
//   appender <content folder> <writer number> <count>
// Record k of writer w carries student w and result time k.
#include <QCoreApplication>

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
  for (int k = 1; k <= count; ++k) {
    state.attemptResult = k;
    minatori::appendResult(state, clock);
  }
  return 0;
}
