// The platform's own memory allocator (COM class CLSID_MemoryAllocator, registered under
// the missing name "dshow"): a free list of samples over one heap block, commit and
// decommit, and a GetBuffer that blocks until a sample comes back.
#pragma once
#include "platform/dshow/interfaces.h"

namespace plat::dshow {

// Test facility: how many platform allocators are alive.
int LiveMemoryAllocatorCount();

}  // namespace plat::dshow
