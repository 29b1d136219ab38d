#pragma once

namespace minatori {

// Lets pending window messages run: paints, timer ticks and input queued so
// far are handled before the call returns. Handlers that call it must guard
// against being entered again meanwhile. When one of those handlers ended
// the program, it throws ProgramEndRequest, so the handler that called it
// stops too instead of carrying on with its windows closed.
void letPendingMessagesRun();

// How many letPendingMessagesRun calls are on the stack right now. A window
// closed inside one of them is destroyed only once this is back to 0.
int pendingMessagesDepth();

// Set once the program is ending; cleared for a new run (tests start several).
void setProgramEnding(bool ending);
bool programEnding();

}  // namespace minatori
