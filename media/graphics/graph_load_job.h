// Packing a graph load into an asynchronous job: the request and copies of all it
// points to, so that the caller's buffers may go before the job runs.
#pragma once
#include "media/graphics/graph_load.h"

namespace ZaDod {

bool PackGraphLoadRequest(void* buffer, int* offset, const GraphLoadRequest* request);
// Points the request's pointers into the job's own copies.
void UnpackGraphLoadRequest(void* buffer, GraphLoadRequest* request);

// Shared by the single and divided loads.
int LoadImagesForGraph(GraphLoadRequest* request, BaseImage* color, BaseImage* alpha);
int FileExistsForGraph(const char16_t* fileName);
GraphReloadSource ReloadSourceOf(const GraphLoadRequest* request);

}  // namespace ZaDod
