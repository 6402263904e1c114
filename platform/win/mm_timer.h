// Multimedia timer events: one-shot and periodic callbacks run on one timer thread.
#pragma once
#include <cstdint>

#include "platform/win/win_clock.h"

namespace plat::win {

using DWORD_PTR = std::uintptr_t;
using LPTIMECALLBACK = void (*)(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);

constexpr UINT TIME_ONESHOT = 0x0000;
constexpr UINT TIME_PERIODIC = 0x0001;
constexpr UINT TIME_CALLBACK_FUNCTION = 0x0000;
constexpr UINT TIME_KILL_SYNCHRONOUS = 0x0100;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

// Calls the callback after delay milliseconds, once or every delay; the resolution is
// taken for the callers' sake. 0 for a null callback or a delay outside 1..1000000;
// otherwise the timer's id, never 0.
MMRESULT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);

// Cancels a timer. When its callback is running on the timer thread, the call waits for
// it to return (unless it comes from that callback). MMSYSERR_INVALPARAM for an id that
// is not live; a one-shot timer is no longer live once its callback has begun.
MMRESULT timeKillEvent(UINT timerId);

}  // namespace plat::win
