#pragma once
// Where the student goes between attempts: the end screen, the end of a
// practice and the confirmed name all come back here.

namespace minatori {

class Application;

// Shows the student's home screen between attempts.
void showProgressScreen(Application &app);
// Closes it if it is open: the drill takes over from it.
void closeProgressScreen(Application &app);

}  // namespace minatori
