#pragma once
// Emptying the calling thread's message queue while it waits, so that the
// windows it owns stay responsive: the one pump of the program's workers.

namespace velkor {

// Peek, translate, dispatch until the queue is empty. A quit request met on
// the way is put back for the thread's own loop.
void PumpPendingMessages();

// Pumps, pauses for the given time, pumps again.
void PauseWhilePumping(unsigned milliseconds);

}  // namespace velkor
