// The system reference clock (COM class CLSID_SystemClock, missing name "dshow"): time in
// 100-ns units from the steady clock, and advise requests that set an event once or
// release a semaphore every period, fired by a timer thread. A manual clock for tests
// stands still until the test steps it and fires its advises in the stepping call. A
// sourced clock reads its time from a function (an audio renderer's samples played).
#pragma once
#include <functional>

#include "platform/dshow/interfaces.h"

namespace plat::dshow {

HRESULT CreateSystemClock(IReferenceClock** clock);
HRESULT CreateManualClock(IReferenceClock** clock);  // starts at time 0
// The source is called under the clock's lock, from the caller of GetTime and the
// advise thread; readings that go back are held at the last one.
using ClockSource = std::function<REFERENCE_TIME()>;
HRESULT CreateSourcedClock(ClockSource source, IReferenceClock** clock);
// Moves a manual clock on; false for any other clock.
bool StepManualClock(IReferenceClock* clock, REFERENCE_TIME step);

}  // namespace plat::dshow
