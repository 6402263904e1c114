// The number of threads the test process has now, read from the kernel's task list.
#pragma once
#include <chrono>
#include <filesystem>
#include <thread>

namespace halvorine_test {

inline int ProcessThreadCount() {
  int n = 0;
  for ([[maybe_unused]] auto& task : std::filesystem::directory_iterator("/proc/self/task")) ++n;
  return n;
}

// The count once it has come to `expected`, or the last count read after two
// seconds. A joined thread has finished its work, but the kernel takes it off
// the task list a moment later, so a count read at once may still hold it.
inline int ProcessThreadCountSettledAt(int expected) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int n = ProcessThreadCount();
  while (n != expected && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    n = ProcessThreadCount();
  }
  return n;
}

// The count once it has held for 20 ms (at most two seconds), so that threads
// just joined are off the task list before a test counts from it.
inline int SteadyProcessThreadCount() {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int n = ProcessThreadCount();
  auto since = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() < until &&
         std::chrono::steady_clock::now() - since < std::chrono::milliseconds(20)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const int now = ProcessThreadCount();
    if (now != n) {
      n = now;
      since = std::chrono::steady_clock::now();
    }
  }
  return n;
}

}  // namespace halvorine_test
