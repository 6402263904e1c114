// Tests of media/base/handle: media handles.
#include "media/base/handle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/media/log_capture.h"

namespace ZaDod {
namespace {

struct TestRecord {
  HandleEntryHeader Header;
  int Value;
  int Keep;
};

int terminations = 0;

int initTest(HandleEntryHeader* record) {
  reinterpret_cast<TestRecord*>(record)->Value = 7;
  return 0;
}

int termTest(HandleEntryHeader* record) {
  ++terminations;
  return reinterpret_cast<TestRecord*>(record)->Keep;
}

// Each test registers its own type number, so that the check counters of one test do
// not depend on another.
class HandleTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int type : registered_) TerminateHandleManage(type);
  }
  // Starts the type as a fresh process would, check counter included.
  void registerType(int type, int maxNum, const char16_t* name = u"Test") {
    ASSERT_EQ(HandleManageArray[type].InitializeFlag, 0);
    std::memset(static_cast<void*>(&HandleManageArray[type]), 0, sizeof(HandleTypeManager));
    ASSERT_EQ(InitializeHandleManage(type, sizeof(TestRecord), maxNum, initTest, termTest, name), 0);
    registered_.push_back(type);
  }
  std::vector<int> registered_;
};

TEST_F(HandleTest, CheckNumbersRunThroughAndSurviveReregistration) {
  registerType(HANDLETYPE_FILE, 32768, u"File");
  EXPECT_EQ(InitializeHandleManage(HANDLETYPE_FILE, sizeof(TestRecord), 8, nullptr, nullptr, u"File"), -1);
  int handle = 0;
  for (int check = 1; check <= 1022; ++check) {
    handle = AddHandle(HANDLETYPE_FILE, 0, -1);
    ASSERT_EQ(handle, 0x44000000 | (check << 16));
    ASSERT_EQ(SubHandle(handle), 0);
  }
  EXPECT_EQ(handle, 0x47FE0000);
  handle = AddHandle(HANDLETYPE_FILE, 0, -1);
  EXPECT_EQ(handle, 0x44000000);
  SubHandle(handle);
  EXPECT_EQ(AddHandle(HANDLETYPE_FILE, 0, -1), 0x44010000);

  ASSERT_EQ(TerminateHandleManage(HANDLETYPE_FILE), 0);
  EXPECT_EQ(GetHandleInfo(0x44010000), nullptr);
  ASSERT_EQ(InitializeHandleManage(HANDLETYPE_FILE, sizeof(TestRecord), 32768, nullptr, nullptr, u"File"), 0);
  EXPECT_EQ(AddHandle(HANDLETYPE_FILE, 0, -1), 0x44020000);
}

TEST_F(HandleTest, SlotsAreChosenAndStaleHandlesRefused) {
  halvorine_test::LogCapture log;
  registerType(20, 4);
  EXPECT_EQ(AddHandle(20, 0, -1), 0x50010000);
  EXPECT_EQ(AddHandle(20, 0, -1), 0x50020001);
  EXPECT_EQ(AddHandle(20, 0, -1), 0x50030002);
  EXPECT_EQ(AddHandle(20, 0, -1), 0x50040003);
  EXPECT_EQ(SubHandle(0x50010000), 0);
  EXPECT_EQ(SubHandle(0x50020001), 0);
  EXPECT_EQ(AddHandle(20, 0, -1), 0x50050001);
  EXPECT_EQ(AddHandle(20, 0, -1), 0x50060000);

  const int stale = 0x50020001;
  EXPECT_EQ(GetHandleInfo(stale), nullptr);
  EXPECT_EQ(SubHandle(stale), -1);
  EXPECT_EQ(ReallocHandle(stale, 256), -1);
  EXPECT_EQ(SetDeleteHandleFlag(stale, nullptr), -1);
  EXPECT_EQ(IncHandleASyncLoadCount(stale, -1), -1);
  EXPECT_EQ(DecHandleASyncLoadCount(stale), -1);
  EXPECT_EQ(CheckHandleASyncLoad(stale), -1);
  EXPECT_EQ(WaitHandleASyncLoad(stale), -1);

  EXPECT_EQ(AddHandle(20, 0, -1), -1);
  EXPECT_TRUE(log.contains(u"Testハンドルの数が限界数( 4 )に達していて新たなハンドルを作成できません") ||
              log.contains(u"%sハンドルの数が限界数( %d )に達していて新たなハンドルを作成できません"));

  auto* record = reinterpret_cast<TestRecord*>(GetHandleInfo(0x50050001));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Value, 7);
  EXPECT_EQ(record->Header.Handle, 0x50050001);
}

TEST_F(HandleTest, ReuseKeepAndDeleteFlag) {
  registerType(21, 16);
  int first = AddHandle(21, 0, -1);
  int second = AddHandle(21, 0, -1);
  SubHandle(first);
  EXPECT_EQ(AddHandle(21, 0, first), first);

  int flag = 0;
  SetDeleteHandleFlag(second, &flag);
  reinterpret_cast<TestRecord*>(GetHandleInfo(second))->Keep = 1;
  EXPECT_EQ(SubHandle(second), 0);
  EXPECT_NE(GetHandleInfo(second), nullptr);
  EXPECT_EQ(flag, 0);
  reinterpret_cast<TestRecord*>(GetHandleInfo(second))->Keep = 0;
  EXPECT_EQ(SubHandle(second), 0);
  EXPECT_EQ(GetHandleInfo(second), nullptr);
  EXPECT_EQ(flag, -1);

  // With every handle gone the next one takes slot 0 again.
  SubHandle(first);
  EXPECT_EQ(AddHandle(21, 0, -1) & HANDLE_INDEX_MASK, 0);
}

int keepOdd(HandleEntryHeader* record) { return reinterpret_cast<TestRecord*>(record)->Value & 1; }

TEST_F(HandleTest, SubAllHandleDeletesTheSelectedAndEndsOnKeptOnes) {
  registerType(22, 64);
  std::vector<int> handles;
  for (int i = 0; i < 10; ++i) {
    handles.push_back(AddHandle(22, 0, -1));
    reinterpret_cast<TestRecord*>(GetHandleInfo(handles.back()))->Value = i;
  }
  EXPECT_EQ(SubAllHandle(22, keepOdd), 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(GetHandleInfo(handles[i]) != nullptr, (i & 1) == 1) << i;

  // Handles whose term callback keeps returning 1 are met once each, and the sweep ends.
  reinterpret_cast<TestRecord*>(GetHandleInfo(handles[1]))->Keep = 1;
  reinterpret_cast<TestRecord*>(GetHandleInfo(handles[5]))->Keep = 1;
  terminations = 0;
  EXPECT_EQ(SubAllHandle(22), 0);
  EXPECT_EQ(terminations, 5);
  EXPECT_NE(GetHandleInfo(handles[1]), nullptr);
  EXPECT_NE(GetHandleInfo(handles[5]), nullptr);
  EXPECT_EQ(GetHandleInfo(handles[3]), nullptr);
  EXPECT_EQ(SubAllHandle(31), -1);
}

TEST_F(HandleTest, ReallocKeepsTheLiveListWalkable) {
  registerType(23, 8);
  int a = AddHandle(23, 0, -1);
  int b = AddHandle(23, 0, -1);
  int c = AddHandle(23, 0, -1);
  EXPECT_EQ(ReallocHandle(b, sizeof(TestRecord)), 0);
  ASSERT_EQ(ReallocHandle(b, 1 << 20), 0);
  EXPECT_EQ(GetHandleInfo(b)->Size, 1 << 20);
  EXPECT_EQ(reinterpret_cast<TestRecord*>(GetHandleInfo(b))->Value, 7);

  std::vector<int> seen;
  const HandleTypeManager& m = HandleManageArray[23];
  for (HandleListNode* node = m.ListFirst.Next; node != &m.ListLast; node = node->Next) {
    ASSERT_EQ(node->Next->Prev, node);
    EXPECT_EQ(node->Data, GetHandleInfo(node->Handle));
    seen.push_back(node->Handle);
  }
  EXPECT_EQ(seen, (std::vector<int>{c, b, a}));
}

TEST_F(HandleTest, ListOperations) {
  HandleListNode first, last, x, y;
  InitializeHandleList(&first, &last);
  AddHandleList(&first, &x, 1, &x);
  AddHandleList(&first, &y, 2, &y);
  EXPECT_EQ(first.Next, &y);
  EXPECT_EQ(y.Next, &x);
  SubHandleList(&y);
  EXPECT_EQ(first.Next, &x);
  EXPECT_EQ(last.Prev, &x);
}

}  // namespace
}  // namespace ZaDod
