#include "platform/events.h"

#include <QCoreApplication>

#include "platform/runtimeerror.h"

namespace minatori {

namespace {
bool g_ending = false;
}

void setProgramEnding(bool ending) { g_ending = ending; }
bool programEnding() { return g_ending; }

void letPendingMessagesRun() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
  if (g_ending) throw ProgramEndRequest(1);
}

}  // namespace minatori
