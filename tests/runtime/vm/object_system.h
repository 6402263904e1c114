// A fresh object system without a log file, for benchmarks and fuzz targets
// that run scripts: heap, warning limiter, thread table, the core classes and
// natives, bootstrap and the type names.
#pragma once

#include "runtime/library/library_hooks.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/scheduler.h"

namespace kvtest {

inline void freshObjectSystem() {
  kv::initGcHeap();
  kv::closeLogFile();
  kv::resetWarningLimiter();
  kv::resetThreadRegistry();
  kv::installRuntimeLibrary();
  kv::bootstrapObjectSystem();
  kv::initRuntimeConstants();
}

// Ends what a run left: queued threads and every object that owns storage
// outside the heap, which a leak checker cannot see through the heap.
inline void releaseObjectSystem() {
  kv::Scheduler::reset();
  kv::initGcHeap();
}

}  // namespace kvtest
