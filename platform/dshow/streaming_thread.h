// The streaming threads of the stand-in filters: a run's streaming loop goes to a thread
// that has waited idle since an earlier run, or to a new one when none waits. A thread
// made for each run starts behind every thread already queued for its core, while one
// woken from a wait is let on at once: on busy cores that is the difference between a
// decode that waits for a core and one that does not.
#pragma once
#include <functional>

namespace plat::dshow {

class StreamingThread {
 public:
  StreamingThread() = default;
  StreamingThread(const StreamingThread&) = delete;
  StreamingThread& operator=(const StreamingThread&) = delete;
  ~StreamingThread() { join(); }

  // Runs `work` on a streaming thread; the last start must have been joined.
  void start(std::function<void()> work);
  // True between a start and its join.
  bool joinable() const { return worker_ != nullptr; }
  // Waits until the work has returned; the thread then waits idle for the next start.
  void join();

  struct Worker;

 private:
  Worker* worker_ = nullptr;
};

// Test facility: how many streaming threads exist, busy or idle.
int StreamingThreadCountForTest();

}  // namespace plat::dshow
