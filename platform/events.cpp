#include "platform/events.h"

#include <QCoreApplication>

namespace minatori {

void letPendingMessagesRun() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace minatori
