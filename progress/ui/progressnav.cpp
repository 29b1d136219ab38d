#include "progress/ui/progressnav.h"

#include "app/ui/application.h"
#include "progress/ui/progressstandin.h"

namespace minatori {

void showProgressScreen(Application &app) { app.windows().show<ProgressStandIn>(); }

}  // namespace minatori
