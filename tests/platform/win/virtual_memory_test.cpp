// Tests of platform/win/virtual_memory: page memory over mmap.
#include "platform/win/virtual_memory.h"

#include <gtest/gtest.h>

namespace win = plat::win;

TEST(WinVirtualMemory, AllocQueryFreeRoundTrip) {
  win::SIZE_T regions = win::VirtualRegionCountForTest();
  auto* memory = static_cast<unsigned char*>(
      win::VirtualAlloc(nullptr, 100000, win::MEM_COMMIT | win::MEM_RESERVE, win::PAGE_READWRITE));
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(memory[0], 0);
  memory[99999] = 7;
  EXPECT_EQ(win::VirtualRegionCountForTest(), regions + 1);

  win::MEMORY_BASIC_INFORMATION info;
  ASSERT_EQ(win::VirtualQuery(memory + 50000, &info, sizeof info), sizeof info);
  EXPECT_EQ(info.BaseAddress, memory);
  EXPECT_GE(info.RegionSize, 100000u);
  EXPECT_EQ(info.RegionSize % 4096, 0u);
  EXPECT_EQ(win::VirtualQuery(memory + info.RegionSize, &info, sizeof info), 0u);

  EXPECT_FALSE(win::VirtualFree(memory + 4096, 0, win::MEM_RELEASE));  // not a base
  EXPECT_TRUE(win::VirtualFree(memory, 0, win::MEM_RELEASE));
  EXPECT_FALSE(win::VirtualFree(memory, 0, win::MEM_RELEASE));
  EXPECT_EQ(win::VirtualRegionCountForTest(), regions);
  EXPECT_EQ(win::VirtualAlloc(nullptr, 0, win::MEM_COMMIT, win::PAGE_READWRITE), nullptr);
}
