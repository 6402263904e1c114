// The system reference clock (COM class CLSID_SystemClock, missing name "dshow"): time in
// 100-ns units from the steady clock, and advise requests that set an event once or
// release a semaphore every period, fired by a timer thread. A manual clock for tests
// stands still until the test steps it and fires its advises in the stepping call.
#pragma once
#include "platform/dshow/interfaces.h"

namespace plat::dshow {

HRESULT CreateSystemClock(IReferenceClock** clock);
HRESULT CreateManualClock(IReferenceClock** clock);  // starts at time 0
// Moves a manual clock on; false for any other clock.
bool StepManualClock(IReferenceClock* clock, REFERENCE_TIME step);

}  // namespace plat::dshow
