#include "app/ui/startup.h"

#include "app/configuration.h"
#include "app/ui/application.h"
#include "app/levelcatalogue.h"
#include "progress/ui/progressnav.h"

namespace minatori {

void continueStartUp(Application &app) {
  loadConfiguration(app.state(), app.programFolder());
  // Until students are chosen by name, start-up goes straight to the level
  // choice.
  buildLevelCatalogue(app.state());
  showProgressScreen(app);
}

}  // namespace minatori
