#include "platform/events.h"

#include <QCoreApplication>

#include "platform/runtimeerror.h"

namespace minatori {

namespace {
bool g_ending = false;
int g_depth = 0;
}

void setProgramEnding(bool ending) { g_ending = ending; }
bool programEnding() { return g_ending; }
int pendingMessagesDepth() { return g_depth; }

void letPendingMessagesRun() {
  if (QCoreApplication::instance()) {
    ++g_depth;
    struct Leave {
      ~Leave() { --g_depth; }
    } leave;
    QCoreApplication::processEvents();
  }
  if (g_ending) throw ProgramEndRequest(1);
}

}  // namespace minatori
