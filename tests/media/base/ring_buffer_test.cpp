// Tests of media/base/ring_buffer: a growable byte queue.
#include "media/base/ring_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <vector>

#include "media/base/memory.h"
#include "media/network/network_record.h"

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

// Differential, at every edge of a ring of 1100 bytes: the held bytes start at the
// beginning, inside, one before the end and at the end (an offset equal to the size);
// writes of one byte, up to the end exactly, one past it, and of the whole ring; each
// compared with a plain queue through a peek across the wrap, a read of one byte more
// than is there (refused, nothing changed), growth while the bytes wrap, and a read of
// exactly what is there; written byte by byte and by the network's writer.
TEST_F(RingBufferTest, EveryEdgeOfTheRingAgreesWithAPlainQueue) {
  constexpr int kSize = 1100;
  for (int start : {0, 1, 550, kSize - 1, kSize}) {
    for (int fill : {1, kSize - start, kSize - start + 1, kSize}) {
      if (fill <= 0 || fill > kSize) continue;
      for (int grow : {0, 1, 5000}) {
        for (int writer : {0, 1}) {
          SCOPED_TRACE(testing::Message() << "start " << start << " fill " << fill << " grow " << grow
                                          << (writer ? " network writer" : " byte writer"));
          // The test's byte-by-byte writer, or the network's, which copies in two pieces.
          auto write = [&](const std::vector<unsigned char>& bytes) {
            if (!writer) return put(&ring, bytes);
            ASSERT_EQ(RingBufferReserve(&ring, static_cast<uint32_t>(bytes.size())), 0);
            NetworkRingPut(&ring, bytes.data(), static_cast<uint32_t>(bytes.size()));
          };
          RingBufferTerminate(&ring);
          ASSERT_EQ(RingBufferReserve(&ring, kSize - 1000), 0);
          ASSERT_EQ(ring.BufferSize, kSize);
          // Moves both offsets to `start` through a write and a read.
          put(&ring, std::vector<unsigned char>(static_cast<size_t>(start), 0xEE));
          take(&ring, start);
          ASSERT_EQ(ring.BufferSize, kSize);
          std::deque<unsigned char> model;
          std::vector<unsigned char> bytes(static_cast<size_t>(fill));
          for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 13 + start);
          write(bytes);
          model.insert(model.end(), bytes.begin(), bytes.end());
          EXPECT_EQ(ring.BufferSize, kSize);  // a write that fits takes no new block
          const std::vector<unsigned char> all(model.begin(), model.end());
          EXPECT_EQ(take(&ring, fill, 1), all);
          std::vector<unsigned char> over(static_cast<size_t>(fill) + 1, 0x77);
          EXPECT_EQ(RingBufferRead(&ring, over.data(), fill + 1, 1), -1);
          EXPECT_EQ(RingBufferRead(&ring, over.data(), fill + 1, 0), -1);
          EXPECT_EQ(over, std::vector<unsigned char>(static_cast<size_t>(fill) + 1, 0x77));
          EXPECT_EQ(ring.DataLength, fill);
          if (grow > 0) {
            ASSERT_EQ(RingBufferReserve(&ring, static_cast<uint32_t>(kSize - fill + grow)), 0);
            EXPECT_GE(ring.BufferSize, fill + kSize - fill + grow);
            EXPECT_EQ(ring.Start, 0);
            std::vector<unsigned char> more(static_cast<size_t>(grow), static_cast<unsigned char>(grow));
            write(more);
            model.insert(model.end(), more.begin(), more.end());
          }
          const std::vector<unsigned char> expected(model.begin(), model.end());
          EXPECT_EQ(take(&ring, static_cast<int>(expected.size())), expected);
          EXPECT_EQ(ring.DataLength, 0);
          unsigned char one;
          EXPECT_EQ(RingBufferRead(&ring, &one, 1, 0), -1);
        }
      }
    }
  }
}

}  // namespace
}  // namespace ZaDod
