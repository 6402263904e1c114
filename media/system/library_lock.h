// The library-wide lock around start-up, shut-down and the message pump. It is
// re-entrant and fair: threads that find it taken queue in arrival order and get it
// one at a time, in that order.
#pragma once

namespace ZaDod {

void LibraryLockAcquire();
void LibraryLockRelease();
// Takes the lock apart when nobody holds it or waits for it and returns 1; otherwise
// the lock stays in place and working (the next destruction or the end of the process
// takes it) and the answer is 0.
int LibraryLockDestroy();

}  // namespace ZaDod

namespace ZaDod {

// Threads queued for the lock now; tests watch the queue with it.
int GetLibraryLockWaiterNum();

}  // namespace ZaDod
