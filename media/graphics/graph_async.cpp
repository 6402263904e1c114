// Ending asynchronous graph jobs.
#include "media/graphics/graph_async.h"

namespace ZaDod {

void EndGraphJob(int handle, int result) {
    EndHandleASyncLoadStep(handle, result != 0 ? 1 : 0);
}

}  // namespace ZaDod
