// The media layer's life cycle: start-up, shut-down and the message pump that the
// runtime calls every frame and every 258 interpreter records.
#pragma once

namespace ZaDod {

// 0 on success (also when already started), -1 on failure.
int InitializeLibrary();
// 0; nothing happens before start-up.
int TerminateLibrary();
// 0 while the program may run on, -1 once the window is closed.
int ProcessWindowMessages();
// The same for a caller that pumps between short stretches of work (the interpreter,
// every 258 steps): the pass returns at once, with the last answer, unless something
// can be due. Timers, input devices, sound and posted calls are then looked at once
// per step of the coarse clock (a few milliseconds), queued messages at once.
int ProcessWindowMessagesWhenDue();

// The same steps without the library lock, for code that already holds it or must
// keep messages flowing while it waits.
int InitializeLibraryNoLock();
int TerminateLibraryNoLock();
int ProcessWindowMessagesCore();

}  // namespace ZaDod
