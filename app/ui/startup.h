#pragma once

namespace minatori {

class Application;

// After the splash: reads the configuration and the criteria, then opens the
// first screen of the program.
void continueStartUp(Application &app);

}  // namespace minatori
