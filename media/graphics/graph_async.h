// Asynchronous graph jobs: ending them, and the movie side of graphs.
#pragma once
#include "media/file/async_job.h"
#include "media/graphics/graph_types.h"

namespace ZaDod {

// Ends the job's step on the handle; a failed job takes its handle with it.
void EndGraphJob(int handle, int result);

// A movie opened into the graph (sized to the movie's picture), which then shows its
// frames; 0, or -1 when the file is no movie or the graph cannot be set up.
int OpenGraphMovie(const SetupGraphParam* param, const char16_t* fileName, int graphHandle, int inTask);
// Deletes the movie handle of a graph that is being deleted.
int CloseGraphMovie(int movieHandle);

}  // namespace ZaDod
