// Asynchronous graph jobs: ending them, and the movie side of graphs.
#pragma once
#include "media/file/async_job.h"

namespace ZaDod {

// Ends the job's step on the handle; a failed job takes its handle with it.
void EndGraphJob(int handle, int result);

// Temporary: graphs show no movies until movie handles exist.
int OpenGraphMovie(const char16_t* fileName, int graphHandle);
int CloseGraphMovie(int movieHandle);

}  // namespace ZaDod
