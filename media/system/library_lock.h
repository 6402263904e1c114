// The library-wide lock around start-up, shut-down and the message pump. It is
// re-entrant and fair: threads that find it taken queue in arrival order and are
// woken one at a time, each on an event of its own.
#pragma once

namespace ZaDod {

void LibraryLockAcquire();
void LibraryLockRelease();
// Releases the waiter events and the guard. A lock that a thread holds or waits for
// stays in place (the next destruction or the end of the process takes it); returns 1
// when it was destroyed, 0 otherwise.
int LibraryLockDestroy();

}  // namespace ZaDod

namespace ZaDod {

// Threads queued for the lock now; tests watch the queue with it.
int GetLibraryLockWaiterNum();

}  // namespace ZaDod
