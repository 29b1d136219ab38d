#pragma once
// The program's icon, drawn by the program itself: a piece of the drill's
// timeline with three event boxes in the category colours.

#include <QPixmap>

namespace minatori {

QPixmap drawProgramIcon(int size);

}  // namespace minatori
