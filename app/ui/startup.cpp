#include "app/ui/startup.h"

#include "app/configuration.h"
#include "app/ui/application.h"
#include "app/ui/basefrm.h"

namespace minatori {

void continueStartUp(Application &app) {
  loadConfiguration(app.state(), app.programFolder());
  // The name-selection screen takes over from here once it exists; until then
  // start-up ends on the wait window.
  app.windows().show<BASEFRM>();
}

}  // namespace minatori
