#pragma once
// Where a teacher's tool hands the teacher back when it is left.

namespace minatori {

class Application;

// Shows the screen the teacher's tools return to; the tool then closes itself.
void returnFromTeacherTool(Application &app);

}  // namespace minatori
