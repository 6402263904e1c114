// Temporary: stands in for the run-time function table's "is winmm loaded?" test
// until the table itself exists.
#pragma once

namespace ZaDod {

// 1 when the multimedia timer functions are available. With loadWhenMissing set, a
// missing group is loaded first (the millisecond clock does that, the microsecond
// clock does not).
int WinmmFunctionsLoaded(int loadWhenMissing);

}  // namespace ZaDod
