// Queueing an asynchronous job that works on a handle: the parameter block is
// measured and written by one function, and the handle counts the job as one
// asynchronous step from before it is queued.
#pragma once
#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/file/async_load.h"

namespace ZaDod {

// Queues a job built by write(buffer, offset) for handle; false when it cannot be.
template <class Write>
bool QueueHandleASyncJob(int handle, AsyncLoadProcessFunction function, Write write) {
    int size = 0;
    if (!write(nullptr, &size)) return false;
    AsyncLoadJob* job = AllocASyncLoadData(size);
    if (job == nullptr) return false;
    int offset = 0;
    write(job->Data, &offset);
    job->ProcessFunction = function;
    // Counted and registered with the handle before a worker can take it, so that
    // deleting the handle first withdraws the job.
    if (AddHandleASyncLoadJob(handle, job) != 0) {
        MemFree(job);
        return false;
    }
    return true;
}

}  // namespace ZaDod
