// The call journal: counters and trace under one lock, shared by every thread that calls
// the software GPU.
#include "platform/gpu/journal.h"

#include <map>
#include <mutex>

#include "platform/gpu/profile.h"

namespace plat::gpu {

namespace {

struct Journal {
  std::mutex lock;
  std::map<std::string, int, std::less<>> counts;
  std::vector<std::string> trace;
  bool tracing = false;
};

Journal& journal() {
  static Journal j;
  return j;
}

}  // namespace

bool countCall(const char* method, bool* traced) {
  Journal& j = journal();
  int n;
  {
    std::lock_guard<std::mutex> hold(j.lock);
    n = ++j.counts[method];
    if (traced) *traced = j.tracing;
  }
  return failingCall(method) != n;
}

void traceArgs(const char* method, const std::string& args) {
  Journal& j = journal();
  std::lock_guard<std::mutex> hold(j.lock);
  if (j.tracing) j.trace.push_back(std::string(method) + "(" + args + ")");
}

int callCount(const std::string& method) {
  Journal& j = journal();
  std::lock_guard<std::mutex> hold(j.lock);
  const auto it = j.counts.find(method);
  return it == j.counts.end() ? 0 : it->second;
}

void setTracing(bool on) {
  Journal& j = journal();
  std::lock_guard<std::mutex> hold(j.lock);
  j.tracing = on;
}

std::vector<std::string> trace() {
  Journal& j = journal();
  std::lock_guard<std::mutex> hold(j.lock);
  return j.trace;
}

void resetJournal() {
  Journal& j = journal();
  std::lock_guard<std::mutex> hold(j.lock);
  j.counts.clear();
  j.trace.clear();
}

}  // namespace plat::gpu
