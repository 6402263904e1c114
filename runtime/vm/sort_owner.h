// Which sort call owns an array's sort buffer. A comparator may throw, wait,
// or sort the same array again; only the call that made the buffer writes
// it back and frees it, and a buffer whose call is gone is dropped unread.
#pragma once

#include "runtime/vm/context.h"
#include "runtime/vm/kvarray.h"

namespace kv {

// The prepare step of a sort running in ctx's current frame: true when a
// sort is to run, with the buffer made and owned by this call. A buffer
// left by a call that ended (by a throw, or its thread went away) is
// dropped first, without writing back; one whose call still runs makes
// this nested sort do nothing.
bool beginOwnedSort(KVContext* ctx, KVArray* array);
// The finish step: writes the buffer back and frees it when ctx's current
// frame owns it; anything else leaves it alone.
void endOwnedSort(KVContext* ctx, KVArray* array);

}  // namespace kv
