// The filters' streaming threads: runs one after another share a waiting thread, runs at
// the same time each get their own, the work and what it holds are gone when the join
// returns, and threads beyond the pool's keep end.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/dshow/streaming_thread.h"

namespace {

namespace ds = plat::dshow;

TEST(DshowStreamingThread, RunsInTurnShareAThreadAndRunsAtOnceGetTheirOwn) {
  for (int round = 0; round < 2; ++round) {
    // One after another: the thread that waits idle takes the next run (an idle one may
    // end between two runs, so at most two are seen).
    std::set<std::thread::id> seen;
    for (int run = 0; run < 20; ++run) {
      ds::StreamingThread thread;
      EXPECT_FALSE(thread.joinable());
      auto held = std::make_shared<int>(run);
      std::thread::id id;
      thread.start([&id, held] { id = std::this_thread::get_id(); });
      EXPECT_TRUE(thread.joinable());
      thread.join();
      EXPECT_FALSE(thread.joinable());
      EXPECT_EQ(held.use_count(), 1) << "the work's captures outlived the join";
      EXPECT_NE(id, std::this_thread::get_id());
      seen.insert(id);
    }
    EXPECT_LE(seen.size(), 2u);

    // At once: each run blocks until all have started, which only threads of their own allow.
    constexpr int kRuns = 7;
    std::mutex lock;
    std::condition_variable changed;
    int started = 0;
    std::vector<std::unique_ptr<ds::StreamingThread>> threads;
    std::set<std::thread::id> ids;
    for (int i = 0; i < kRuns; ++i) {
      threads.push_back(std::make_unique<ds::StreamingThread>());
      threads.back()->start([&] {
        std::unique_lock guard(lock);
        ids.insert(std::this_thread::get_id());
        ++started;
        changed.notify_all();
        changed.wait(guard, [&] { return started == kRuns; });
      });
    }
    EXPECT_GE(ds::StreamingThreadCountForTest(), kRuns);
    // The destructor joins too.
    threads.clear();
    EXPECT_EQ(started, kRuns);
    EXPECT_EQ(ids.size(), size_t(kRuns));
    // Beyond the few the pool keeps waiting, the threads end.
    for (int i = 0; i < 2000 && ds::StreamingThreadCountForTest() > 4; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_LE(ds::StreamingThreadCountForTest(), 4);
  }
}

}  // namespace
