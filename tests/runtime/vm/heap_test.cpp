// Tests of runtime/vm/heap: the collected heap.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/runtime_log.h"
#include "tests/runtime/vm/test_objects.h"

using namespace kv;
using kvtest::Roots;

namespace {

int32_t errorCodeOf(void (*fn)()) {
  try {
    fn();
  } catch (const RuntimeError& e) {
    return e.code;
  }
  return -1;
}

class Heap : public ::testing::Test {
 protected:
  void SetUp() override { kvtest::startOver(roots); }
  void expectSound() { EXPECT_EQ(verifyHeap(), ""); }
  Roots roots;
};

TEST_F(Heap, SizeClassesAndLimits) {
  void* p = gcAllocYoung(9);
  EXPECT_EQ(blockPayloadSize(p), 32u);
  EXPECT_EQ(headerOf(p)->marker, kBlockMarker);
  EXPECT_EQ(blockPayloadSize(gcAllocYoung(0)), 8u);
  EXPECT_EQ(blockPayloadSize(gcAllocYoung(8192)), 8192u);
  EXPECT_EQ(sizeClassOf(129), 512u);
  EXPECT_EQ(sizeClassOf(2049), 8192u);
  EXPECT_EQ(errorCodeOf([] { gcAllocYoung(8193); }), 8);
  EXPECT_EQ(errorCodeOf([] {
              for (;;) gcAllocStatic(4000);
            }),
            8);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(gHeap.base) % kHeapSize, 0u);
}

TEST_F(Heap, NurseryNeverRunsOut) {
  for (int i = 0; i < 5000; ++i) gcAllocYoung(2048);
  EXPECT_GT(gHeap.minorCount, 0u);
  EXPECT_LE(gHeap.nurseryCursor, gHeap.nurseryEnd);
}

TEST_F(Heap, RootedBlockAgesThenIsPromotedAt33) {
  char* text = stringToHeapText("survivor");
  roots.blocks.push_back(text);
  for (int i = 1; i <= 32; ++i) {
    minorCollect();
    ASSERT_TRUE(isYoung(roots.blocks[0])) << i;
    EXPECT_EQ(headerOf(roots.blocks[0])->age, i);
  }
  minorCollect();
  EXPECT_FALSE(isYoung(roots.blocks[0]));
  EXPECT_GE(roots.blocks[0], static_cast<void*>(gHeap.oldStart));
  EXPECT_STREQ(static_cast<char*>(roots.blocks[0]), "survivor");
  expectSound();
}

TEST_F(Heap, UnrootedBlocksVanish) {
  char* dead = stringToHeapText("gone");
  roots.blocks.push_back(stringToHeapText("kept"));
  minorCollect();
  EXPECT_EQ(gHeap.nurseryCursor, gHeap.nurseryStart);
  EXPECT_EQ(static_cast<size_t>(gHeap.fromCursor - gHeap.fromStart), sizeof(BlockHeader) + 8);
  EXPECT_STREQ(static_cast<char*>(roots.blocks[0]), "kept");
  EXPECT_EQ(stringToHeapText("next"), dead);  // the nursery starts over
  expectSound();
}

TEST_F(Heap, ClearedBlocksOverUsedNursery) {
  // The nursery is not cleared after a collection: blocks of the clearing
  // allocator must read as zero wherever earlier blocks left their bytes.
  setGcStress(false);
  for (int round = 0; round < 3000; ++round) {
    size_t bytes = 8 + (round * 40) % 400;
    char* junk = static_cast<char*>(gcAllocYoung(bytes));
    std::memset(junk, 0xA5, blockPayloadSize(junk));
    if (round % 100 == 99) minorCollect();
    char* fresh = static_cast<char*>(gcAllocYoungExact(bytes));
    for (size_t i = 0; i < roundUp8(bytes); ++i) ASSERT_EQ(fresh[i], 0) << round << " " << i;
    Value* cell = newValueCell();
    ASSERT_EQ(cell->tag, static_cast<uint32_t>(kUndefined));
    ASSERT_EQ(cell->bits, 0u);
  }
  minorCollect();
  expectSound();
}

TEST_F(Heap, FullSurvivorHalfEvacuatesIntoOldSpace) {
  // The survivor half must fill at one collection, not one block per collection.
  setGcStress(false);
  for (int i = 0; i < 200; ++i) {
    char* b = static_cast<char*>(gcAllocYoung(8000));
    std::memset(b, 'a' + i % 26, 8000);
    roots.blocks.push_back(b);
  }
  ::testing::internal::CaptureStdout();
  minorCollect();
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("warning: (Wr0027) F:0 L:0 emergent evac KV1"), std::string::npos);
  int old = 0;
  for (int i = 0; i < 200; ++i) {
    char* b = static_cast<char*>(roots.blocks[i]);
    ASSERT_EQ(b[0], 'a' + i % 26);
    ASSERT_EQ(b[7999], 'a' + i % 26);
    old += !isYoung(b);
  }
  EXPECT_GT(old, 0);
  expectSound();
}

TEST_F(Heap, FusedEvacuationWarningRaisesAfterTheCollection) {
  // The survivor half must fill at one collection, not one block per collection.
  setGcStress(false);
  setWarningLimit(0, kWarnEmergentEvac);
  setWarningFuse(1, kWarnEmergentEvac);
  for (int i = 0; i < 200; ++i) roots.blocks.push_back(gcAllocYoung(8000));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(errorCodeOf([] { minorCollect(); }), 21);
  ::testing::internal::GetCapturedStdout();
  EXPECT_FALSE(gHeap.collecting);
  expectSound();
}

TEST_F(Heap, AdjacentDeadOldBlocksJoinAndPromotionReusesTheRun) {
  char* a = static_cast<char*>(gcAllocOld(64));
  gcAllocOld(64);
  roots.blocks.push_back(gcAllocOld(64));
  minorCollect();
  fullCollect();
  auto runs = freeRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].first, 2 * (sizeof(BlockHeader) + 64));
  EXPECT_EQ(heapAt(runs[0].second), a - sizeof(BlockHeader));
  expectSound();

  char* young = stringToHeapText("promote me");
  headerOf(young)->age = kPromotionAge;
  roots.blocks.push_back(young);
  minorCollect();
  EXPECT_EQ(roots.blocks[1], a);
  EXPECT_STREQ(a, "promote me");
  // The rest of the run stays free, with a header of its own.
  runs = freeRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].first, 2 * (sizeof(BlockHeader) + 64) - (sizeof(BlockHeader) + 32));
  expectSound();
}

TEST_F(Heap, RunFreeAcrossTwoSweepsIsHandedOutOnce) {
  char* a = static_cast<char*>(gcAllocOld(200));
  roots.blocks.push_back(gcAllocOld(200));
  fullCollect();
  minorCollect();
  fullCollect();
  ASSERT_EQ(freeRuns().size(), 1u);
  expectSound();
  EXPECT_EQ(gcAllocFromFreeRuns(200), a);
  EXPECT_EQ(gcAllocFromFreeRuns(200), nullptr);
}

TEST_F(Heap, FullOldSpaceRaises8) {
  EXPECT_EQ(errorCodeOf([] {
              for (;;) gcAllocOld(1 << 20);
            }),
            8);
  // A young block that must be promoted now has nowhere to go.
  roots.blocks.push_back(stringToHeapText("x"));
  headerOf(roots.blocks[0])->age = kPromotionAge;
  gcAllocOld(gHeap.oldLimit - gHeap.oldCursor - sizeof(BlockHeader));
  EXPECT_EQ(errorCodeOf([] { minorCollect(); }), 8);
}

TEST_F(Heap, AppendText) {
  std::string big(8000, 'a'), tail(500, 'b');
  char* left = stringToHeapText(big.c_str());
  EXPECT_EQ(appendText(left, tail.c_str()), left);
  EXPECT_EQ(strlen(left), 8000u);

  char* room = stringToHeapText("abc");  // a 32-byte block
  EXPECT_EQ(appendText(room, "def"), room);
  EXPECT_STREQ(room, "abcdef");
  roots.blocks.push_back(room);  // kept, so the bigger copy cannot take its place
  char* moved = appendText(room, "0123456789012345678901234567890123456789");
  room = static_cast<char*>(roots.blocks.back());
  EXPECT_NE(moved, room);
  EXPECT_STREQ(moved, "abcdef0123456789012345678901234567890123456789");
  char constant[] = "const";
  char* copy = appendText(constant, "ant");
  EXPECT_NE(copy, constant);
  EXPECT_STREQ(copy, "constant");
  EXPECT_STREQ(constant, "const");
}

TEST_F(Heap, AppendTextStagesTextsAcrossACollection) {
  char* left = stringToHeapText("left ");
  while (gHeap.nurseryLimit - gHeap.nurseryCursor >= static_cast<ptrdiff_t>(nurseryNeed(128)))
    gcAllocYoung(8);
  uint32_t before = gHeap.minorCount;
  char* joined = appendText(left, "and a right part that does not fit in place");
  EXPECT_EQ(gHeap.minorCount, before + 1);
  EXPECT_STREQ(joined, "left and a right part that does not fit in place");
}

TEST_F(Heap, VerifierCatchesBadReferences) {
  char* text = stringToHeapText("some text here");
  roots.blocks.push_back(text);
  expectSound();

  roots.blocks.push_back(text + 8);
  EXPECT_NE(verifyHeap().find("middle of a block"), std::string::npos);
  roots.blocks.pop_back();

  char* dead = static_cast<char*>(gcAllocOld(64));
  roots.blocks.push_back(gcAllocOld(64));
  fullCollect();
  roots.blocks.push_back(dead);
  EXPECT_NE(verifyHeap().find("free run"), std::string::npos);
  roots.blocks.pop_back();

  roots.blocks.push_back(gHeap.toStart + sizeof(BlockHeader));
  EXPECT_NE(verifyHeap().find("emptied survivor half"), std::string::npos);
  roots.blocks.pop_back();
  expectSound();
}

}  // namespace
