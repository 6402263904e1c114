// Tests of media/base/ring_buffer: a growable byte queue.
#include "media/base/ring_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/base/memory.h"

namespace ZaDod {
namespace {

// Writes bytes at the write offset the way the ring's users do.
void put(RingBuffer* ring, const std::vector<unsigned char>& bytes) {
  ASSERT_EQ(RingBufferReserve(ring, static_cast<uint32_t>(bytes.size())), 0);
  for (unsigned char b : bytes) {
    if (ring->End == ring->BufferSize) ring->End = 0;
    ring->DataBuffer[ring->End++] = b;
  }
  ring->DataLength += static_cast<int>(bytes.size());
}

std::vector<unsigned char> take(RingBuffer* ring, int size, int peek = 0) {
  std::vector<unsigned char> out(size);
  EXPECT_EQ(RingBufferRead(ring, out.data(), size, peek), 0);
  return out;
}

class RingBufferTest : public ::testing::Test {
 protected:
  void SetUp() override { RingBufferInitialize(&ring); }
  void TearDown() override { RingBufferTerminate(&ring); }
  RingBuffer ring;
};

TEST_F(RingBufferTest, GrowthSize) {
  ASSERT_EQ(RingBufferReserve(&ring, 100), 0);
  EXPECT_EQ(ring.BufferSize, 1100);
  // A ring of 100 holding nothing asked for 150 grows to 0 * 3 / 2 + 150 + 1000.
  RingBufferTerminate(&ring);
  ring.DataBuffer = static_cast<unsigned char*>(MemAlloc(100, "test", __LINE__));
  ring.BufferSize = 100;
  ring.Start = ring.End = 100;
  ASSERT_EQ(RingBufferReserve(&ring, 150), 0);
  EXPECT_EQ(ring.BufferSize, 1150);
  EXPECT_EQ(RingBufferReserve(&ring, 1150), 0);
  EXPECT_EQ(ring.BufferSize, 1150);
}

TEST_F(RingBufferTest, WrappedDataKeepsItsOrderThroughGrowth) {
  std::vector<unsigned char> first(1000), second(90);
  for (size_t i = 0; i < first.size(); ++i) first[i] = static_cast<unsigned char>(i);
  for (size_t i = 0; i < second.size(); ++i) second[i] = static_cast<unsigned char>(200 + i);
  put(&ring, first);
  ASSERT_EQ(ring.BufferSize, 2000);
  take(&ring, 950);
  put(&ring, std::vector<unsigned char>(1000, 1));
  take(&ring, 1050);
  // 0 bytes held at offset 0 after wrapping; now hold bytes that straddle the end.
  put(&ring, std::vector<unsigned char>(1500, 2));
  take(&ring, 1500);
  put(&ring, first);
  ASSERT_LT(ring.End, ring.Start);  // the held bytes wrap
  put(&ring, std::vector<unsigned char>(1500, 3));
  EXPECT_EQ(ring.Start, 0);
  EXPECT_EQ(take(&ring, 1000), first);
  put(&ring, second);
  take(&ring, 1500);
  EXPECT_EQ(take(&ring, 90), second);
}

TEST_F(RingBufferTest, ReadingTooMuchChangesNothingAndPeekRepeats) {
  put(&ring, {1, 2, 3});
  unsigned char out[4] = {9, 9, 9, 9};
  EXPECT_EQ(RingBufferRead(&ring, out, 4, 0), -1);
  EXPECT_EQ(out[0], 9);
  EXPECT_EQ(ring.DataLength, 3);
  EXPECT_EQ(take(&ring, 2, 1), (std::vector<unsigned char>{1, 2}));
  EXPECT_EQ(take(&ring, 2, 1), (std::vector<unsigned char>{1, 2}));
  EXPECT_EQ(take(&ring, 3), (std::vector<unsigned char>{1, 2, 3}));
  EXPECT_EQ(ring.DataLength, 0);
}

TEST_F(RingBufferTest, FailedGrowthKeepsTheData) {
  put(&ring, {4, 5, 6});
  unsigned char* block = ring.DataBuffer;
  // A received length prefix can ask for nearly 4 GB: the size does not fit the ring.
  EXPECT_EQ(RingBufferReserve(&ring, 0xFFFFFFFFu), -1);
  EXPECT_EQ(ring.DataBuffer, block);
  EXPECT_EQ(ring.BufferSize, 1003);
  EXPECT_EQ(take(&ring, 3), (std::vector<unsigned char>{4, 5, 6}));
}

}  // namespace
}  // namespace ZaDod
