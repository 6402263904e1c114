// The seam-call record: order, the bound on what is kept, and recording from threads.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "media/system/seam_record.h"

namespace ZaDod {
namespace {

const char* const kNames[] = {"A", "B", "C", "D", "E", "F", "G"};

TEST(SeamRecord, TakesWhatWasRecordedInOrderAndKeepsTheLast4096) {
  TakeSeamCalls();
  // Takes interleaved with records of every size around the ring's bound.
  for (int count : {0, 1, 7, 4095, 4096, 4097, 9000, 3}) {
    for (int i = 0; i < count; ++i) RecordSeamCall(kNames[i % 7]);
    std::vector<std::string> calls = TakeSeamCalls();
    int kept = count < 4096 ? count : 4096;
    ASSERT_EQ(static_cast<int>(calls.size()), kept) << count;
    for (int j = 0; j < kept; ++j) ASSERT_EQ(calls[j], kNames[(count - kept + j) % 7]) << count << " " << j;
  }
  EXPECT_TRUE(TakeSeamCalls().empty());
}

TEST(SeamRecord, ThreadsRecordWhileATakerDrains) {
  TakeSeamCalls();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 1000; ++i) RecordSeamCall(kNames[t]);
    });
  size_t seen = 0;
  for (int i = 0; i < 50; ++i) {
    for (const std::string& name : TakeSeamCalls()) {
      ASSERT_EQ(name.size(), 1u);
      ++seen;
    }
  }
  for (std::thread& th : threads) th.join();
  seen += TakeSeamCalls().size();
  EXPECT_LE(seen, 4000u);
  EXPECT_TRUE(TakeSeamCalls().empty());
}

}  // namespace
}  // namespace ZaDod
