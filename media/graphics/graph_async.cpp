// Ending asynchronous graph jobs.
#include "media/graphics/graph_async.h"

namespace ZaDod {

void EndGraphJob(int handle, int result) {
    if (result != 0) {
        if (HandleEntryHeader* header = GetHandleInfo(handle)) header->DeleteRequestFlag = 1;
    }
    DecHandleASyncLoadCount(handle);
}

}  // namespace ZaDod
