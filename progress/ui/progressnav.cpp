#include "progress/ui/progressnav.h"

#include "app/ui/application.h"
#include "progress/ui/seisekitime1.h"

namespace minatori {

void showProgressScreen(Application &app) { app.windows().show<seisekitime1>(); }

void closeProgressScreen(Application &app) { app.windows().close<seisekitime1>(); }

}  // namespace minatori
