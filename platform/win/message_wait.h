// Waits that also wake for the thread's messages, posting to a thread's own queue,
// the queue's status bits and registered window-message numbers.
#pragma once
#include "platform/win/sync.h"
#include "platform/win/win_window.h"

namespace plat::win {

// Queue-status bits: which kinds of message a wait wakes for or GetQueueStatus reports.
inline constexpr UINT QS_KEY = 0x0001, QS_MOUSEMOVE = 0x0002, QS_MOUSEBUTTON = 0x0004, QS_POSTMESSAGE = 0x0008,
                      QS_TIMER = 0x0010, QS_PAINT = 0x0020, QS_SENDMESSAGE = 0x0040, QS_HOTKEY = 0x0080,
                      QS_ALLPOSTMESSAGE = 0x0100, QS_ALLINPUT = 0x04FF;

// As WaitForMultipleObjects with waitAll FALSE, and WAIT_OBJECT_0 + count when a message
// of a kind in wakeMask is waiting in the calling thread's queue.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask);

// Posts a message without a window to the queue of the thread with that id; FALSE for id 0.
BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

// High word: the kinds of message in the calling thread's queue; low word: the kinds
// added since the last call. Both masked with flags.
DWORD GetQueueStatus(UINT flags);

// The same number, from 0xC000 up, for every call with the same name (compared without
// regard to case); 0 for a null or empty name or when the range is used up.
UINT RegisterWindowMessageA(const char* name);

}  // namespace plat::win
