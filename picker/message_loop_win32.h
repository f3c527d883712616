// What the shell's message loops share: taking the next message of the
// thread and handing a WM_QUIT on to the caller's loop. The loops differ on
// purpose in how they wait (each says why); a WM_QUIT ends the loop that
// took it and is posted again, so that every loop further out ends as well.
#pragma once

#include <windows.h>

namespace tintra {

// Waits for the next message of the thread. False when the loop must end:
// a WM_QUIT (handed on; `msg` holds it) or a failed queue.
bool WaitForNextMessage(MSG& msg);

// Takes the next pending message of the thread without waiting; false when
// none is pending. A WM_QUIT taken is handed on and comes back in `msg`, for
// the caller to end its loop on.
bool TakePendingMessage(MSG& msg);

// Hands a message taken by one of the above to its window, key messages
// translated into characters first.
void DeliverMessage(const MSG& msg);

}  // namespace tintra
