#pragma once

namespace minatori {

// Lets pending window messages run: paints, timer ticks and input queued so
// far are handled before the call returns. Handlers that call it must guard
// against being entered again meanwhile.
void letPendingMessagesRun();

}  // namespace minatori
