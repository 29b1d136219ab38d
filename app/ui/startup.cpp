#include "app/ui/startup.h"

#include "app/configuration.h"
#include "app/ui/application.h"
#include "roster/ui/namesel.h"

namespace minatori {

void continueStartUp(Application &app) {
  loadConfiguration(app.state(), app.programFolder());
  app.windows().show<namesel>();
}

}  // namespace minatori
