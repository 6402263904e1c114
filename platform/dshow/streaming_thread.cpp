// The streaming threads: a pool of idle threads under one lock, each with its own wake
// signal. A thread idle for a while, or one more than the pool keeps, ends.
#include "platform/dshow/streaming_thread.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace plat::dshow {

struct StreamingThread::Worker {
  std::condition_variable wake;  // work given, the work done, or the end
  std::function<void()> work;
  bool busy = false;  // from the start until the work has returned
  bool quit = false;
  void loop();
};

namespace {

constexpr auto kIdleLife = std::chrono::seconds(2);
constexpr std::size_t kIdleMost = 4;

struct Pool {
  std::mutex lock;
  std::vector<StreamingThread::Worker*> idle;
  int count = 0;
};

// Never destroyed: idle threads may still wait on it while the process ends.
Pool& pool() {
  static Pool* made = new Pool;
  return *made;
}

}  // namespace

void StreamingThread::Worker::loop() {
  Pool& p = pool();
  std::unique_lock guard(p.lock);
  while (!quit) {
    if (work) {
      std::function<void()> run = std::move(work);
      work = nullptr;
      guard.unlock();
      run();
      run = nullptr;  // what the work holds goes on this thread, before the join returns
      guard.lock();
      busy = false;
      wake.notify_all();
      continue;
    }
    if (wake.wait_for(guard, kIdleLife, [this] { return work != nullptr || quit; })) continue;
    // Idle too long: ends unless a start has just taken it.
    const auto at = std::find(p.idle.begin(), p.idle.end(), this);
    if (at != p.idle.end()) {
      p.idle.erase(at);
      break;
    }
  }
  --p.count;
  guard.unlock();
  delete this;
}

void StreamingThread::start(std::function<void()> work) {
  Pool& p = pool();
  std::lock_guard guard(p.lock);
  if (!p.idle.empty()) {
    worker_ = p.idle.back();
    p.idle.pop_back();
    worker_->work = std::move(work);
    worker_->busy = true;
    worker_->wake.notify_all();
    return;
  }
  auto* made = new Worker;
  made->work = std::move(work);
  made->busy = true;
  std::thread([made] { made->loop(); }).detach();
  ++p.count;
  worker_ = made;
}

void StreamingThread::join() {
  if (worker_ == nullptr) return;
  Pool& p = pool();
  std::unique_lock guard(p.lock);
  Worker* w = worker_;
  w->wake.wait(guard, [w] { return !w->busy; });
  worker_ = nullptr;
  if (p.idle.size() < kIdleMost) {
    p.idle.push_back(w);
  } else {
    w->quit = true;
    w->wake.notify_all();
  }
}

int StreamingThreadCountForTest() {
  std::lock_guard guard(pool().lock);
  return pool().count;
}

}  // namespace plat::dshow
