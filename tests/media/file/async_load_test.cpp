// Tests of media/file/async_load: asynchronous loading.
#include "media/file/async_load.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media/base/clock.h"
#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/file/async_load_state.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_thread.h"
#include "tests/media/log_capture.h"

namespace ZaDod {
namespace {

int taskCount() {
  int n = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(dir)) n += entry->d_name[0] != '.';
    closedir(dir);
  }
  return n;
}

// Waits for a condition that another thread brings about, running posted calls
// meanwhile as the main thread does; gives up after a generous bound so that a fault
// fails the test instead of hanging it.
template <class Done>
bool pumpUntil(Done done) {
  for (int i = 0; i < 20000; ++i) {
    if (done()) return true;
    ProcessASyncLoadRequestMainThread();
    Thread_Sleep(1);
  }
  return done();
}

std::mutex orderMutex;
std::vector<int> order;

int recordOrder(AsyncLoadJob* job) {
  int offset = 0;
  int id = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  std::lock_guard<std::mutex> lock(orderMutex);
  order.push_back(id);
  return 0;
}

AsyncLoadJob* makeJob(AsyncLoadProcessFunction function, intptr_t id) {
  int size = 0;
  AddASyncLoadParamInt(nullptr, &size, id);
  AsyncLoadJob* job = AllocASyncLoadData(size);
  int offset = 0;
  AddASyncLoadParamInt(job->Data, &offset, id);
  job->ProcessFunction = function;
  return job;
}

// The loader's own state, read under its lock as the workers write it.
int queuedCalls() {
  CriticalSection_Lock(&ASyncLoad.Lock, "async_load_test", __LINE__);
  const int n = ASyncLoad.QueueNum;
  CriticalSection_Unlock(&ASyncLoad.Lock);
  return n;
}

bool jobRunning(const AsyncLoadJob* job) {
  CriticalSection_Lock(&ASyncLoad.Lock, "async_load_test", __LINE__);
  const bool running = job->Running != 0;
  CriticalSection_Unlock(&ASyncLoad.Lock);
  return running;
}

// A sanitizer may start a thread of its own with the first thread a program makes.
void settleThreads() { std::thread([] {}).join(); }

size_t orderSize() {
  std::lock_guard<std::mutex> lock(orderMutex);
  return order.size();
}

class AsyncLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    order.clear();
    ASSERT_EQ(InitializeASyncLoad(plat::win::GetCurrentThreadId()), 0);
  }
  void TearDown() override {
    plat::win::ReleaseClockForTest();
    TerminateASyncLoad();
    ASyncLoad.ThreadNumSetFlag = 0;
  }
  void startWorkers(int allowed) {
    SetASyncLoadThreadNum(allowed);
    ASSERT_EQ(SetupASyncLoadThread(8), 0);
  }
};

TEST_F(AsyncLoadTest, OldestJobFirstAndLaterIndexOnEqualTimes) {
  plat::win::HoldClockForTest(5'000'000'000LL);
  ASSERT_EQ(AddASyncLoadData(makeJob(recordOrder, 0)), 0);
  plat::win::StepClockForTest(1'000'000);
  AddASyncLoadData(makeJob(recordOrder, 1));
  AddASyncLoadData(makeJob(recordOrder, 2));
  AsyncLoadJob* withdrawn = makeJob(recordOrder, 3);
  AddASyncLoadData(withdrawn);
  EXPECT_EQ(GetASyncLoadNum(), 4);
  EXPECT_EQ(DeleteASyncLoadData(withdrawn->Index, 1), 0);
  EXPECT_EQ(DeleteASyncLoadData(3, 1), -1);

  startWorkers(1);
  ASSERT_TRUE(pumpUntil([] { return orderSize() == 3 && GetASyncLoadNum() == 0; }));
  EXPECT_EQ(order, (std::vector<int>{0, 2, 1}));
}

std::atomic<int> gate{0};
std::atomic<int> started{0};

int blockUntilGate(AsyncLoadJob*) {
  started = 1;
  while (!gate) Thread_Sleep(1);
  return 0;
}

TEST_F(AsyncLoadTest, RunningJobIsNotWithdrawn) {
  gate = 0;
  started = 0;
  startWorkers(2);
  AsyncLoadJob* job = makeJob(blockUntilGate, 0);
  AddASyncLoadData(job);
  ASSERT_TRUE(pumpUntil([] { return started.load() == 1; }));
  EXPECT_EQ(DeleteASyncLoadData(job->Index, 1), -2);
  gate = 1;
  ASSERT_TRUE(pumpUntil([] { return GetASyncLoadNum() == 0; }));
}

TEST_F(AsyncLoadTest, ThreadNumIsClampedAfterSetUp) {
  SetASyncLoadThreadNum(0);
  ASSERT_EQ(SetupASyncLoadThread(8), 0);
  EXPECT_EQ(ASyncLoad.AllowedNum, 1);
  SetASyncLoadThreadNum(40);
  EXPECT_EQ(ASyncLoad.AllowedNum, 32);
  SetASyncLoadThreadNum(0);
  EXPECT_EQ(ASyncLoad.AllowedNum, 1);
}

TEST_F(AsyncLoadTest, DefaultAllowsOneLessThanTheProcessors) {
  ASSERT_EQ(SetupASyncLoadThread(8), 0);
  EXPECT_EQ(ASyncLoad.AllowedNum, 7);
}

std::atomic<int> secondRan{0};
std::atomic<uint32_t> requestThread{0};

int onMainThread(MainThreadRequest* request) {
  requestThread = plat::win::GetCurrentThreadId();
  return static_cast<int>(request->Param[0]) + 1;
}

std::atomic<int> posterResult{0};

int postRequest(AsyncLoadJob*) {
  MainThreadRequest request{};
  request.Function = onMainThread;
  request.Param[0] = 41;
  posterResult = AddASyncLoadRequestMainThread(&request);
  return 0;
}

int markSecond(AsyncLoadJob*) {
  secondRan = 1;
  return 0;
}

TEST_F(AsyncLoadTest, PostingWorkerLetsAnotherRunAndGetsItsResult) {
  secondRan = 0;
  posterResult = 0;
  requestThread = 0;
  startWorkers(1);
  AddASyncLoadData(makeJob(postRequest, 0));
  // Wait for the post without running it.
  for (int i = 0; i < 20000 && queuedCalls() == 0; ++i) Thread_Sleep(1);
  ASSERT_EQ(queuedCalls(), 1);
  AddASyncLoadData(makeJob(markSecond, 1));
  for (int i = 0; i < 20000 && !secondRan; ++i) Thread_Sleep(1);
  EXPECT_EQ(secondRan.load(), 1);
  EXPECT_EQ(posterResult.load(), 0);

  ASSERT_TRUE(pumpUntil([] { return posterResult.load() != 0; }));
  EXPECT_EQ(posterResult.load(), 42);
  EXPECT_EQ(requestThread.load(), plat::win::GetCurrentThreadId());
}

std::atomic<int> workerProcessResult{0};
std::atomic<int> ranOnWorker{0};

int countRun(MainThreadRequest*) {
  ++ranOnWorker;
  return 0;
}

int processOnWorker(AsyncLoadJob*) {
  workerProcessResult = ProcessASyncLoadRequestMainThread();
  return 0;
}

TEST_F(AsyncLoadTest, WorkersDoNotRunPostedCalls) {
  workerProcessResult = 0;
  ranOnWorker = 0;
  startWorkers(2);
  // A plain thread's request sits in the queue while a worker tries to run it.
  std::thread poster([] {
    MainThreadRequest request{};
    request.Function = countRun;
    AddASyncLoadRequestMainThread(&request);
  });
  for (int i = 0; i < 20000 && queuedCalls() == 0; ++i) Thread_Sleep(1);
  AddASyncLoadData(makeJob(processOnWorker, 0));
  for (int i = 0; i < 20000 && GetASyncLoadNum() != 0; ++i) Thread_Sleep(1);
  EXPECT_EQ(workerProcessResult.load(), -1);
  EXPECT_EQ(ranOnWorker.load(), 0);
  ASSERT_TRUE(pumpUntil([] { return ranOnWorker.load() == 1; }));
  poster.join();
}

TEST_F(AsyncLoadTest, PlainThreadRequestRunsOnTheMainThread) {
  requestThread = 0;
  std::atomic<int> result{0};
  std::thread poster([&] {
    MainThreadRequest request{};
    request.Function = onMainThread;
    request.Param[0] = 9;
    result = AddASyncLoadRequestMainThread(&request);
  });
  ASSERT_TRUE(pumpUntil([&] { return result.load() != 0; }));
  poster.join();
  EXPECT_EQ(result.load(), 10);
  EXPECT_EQ(requestThread.load(), plat::win::GetCurrentThreadId());

  MainThreadRequest request{};
  request.Function = onMainThread;
  request.Param[0] = 1;
  EXPECT_EQ(AddASyncLoadRequestMainThread(&request), 2);
  EXPECT_EQ(request.Result, 2);
}

TEST_F(AsyncLoadTest, TerminationRunsCallsThatThreadsStillWaitFor) {
  std::atomic<int> result{0};
  std::thread poster([&] {
    MainThreadRequest request{};
    request.Function = onMainThread;
    request.Param[0] = 4;
    result = AddASyncLoadRequestMainThread(&request);
  });
  for (int i = 0; i < 20000 && queuedCalls() == 0; ++i) Thread_Sleep(1);
  ASSERT_EQ(TerminateASyncLoad(), 0);
  poster.join();
  EXPECT_EQ(result.load(), 5);
  ASSERT_EQ(InitializeASyncLoad(plat::win::GetCurrentThreadId()), 0);
}

TEST_F(AsyncLoadTest, WorkersAreGoneAfterTermination) {
  settleThreads();
  int before = taskCount();
  ASSERT_EQ(SetupASyncLoadThread(4), 0);
  EXPECT_EQ(taskCount(), before + 1);
  AddASyncLoadData(makeJob(recordOrder, 5));
  EXPECT_EQ(TerminateASyncLoadThread(), 0);
  for (int i = 0; i < 20000 && taskCount() != before; ++i) Thread_Sleep(1);
  EXPECT_EQ(taskCount(), before);
}

std::atomic<int> inside{0};

// Holds its worker until three jobs run at once, so that three workers must exist.
int meetTwoOthers(AsyncLoadJob* job) {
  ++inside;
  for (int i = 0; i < 20000 && inside.load() < 3; ++i) Thread_Sleep(1);
  return recordOrder(job);
}

// Set-up makes one worker; the others come when jobs find none idle, however late
// and from whichever thread the jobs are added, and the made ones are used again.
TEST_F(AsyncLoadTest, WorkersAreMadeWhenJobsWaitForThem) {
  settleThreads();
  const int before = taskCount();
  startWorkers(3);
  EXPECT_EQ(taskCount(), before + 1);
  Thread_Sleep(5);  // jobs well after set-up
  size_t expected = 0;
  for (int round = 0; round < 4; ++round) {
    inside = 0;
    std::vector<std::thread> adders;
    for (int t = 0; t < 2; ++t) {
      adders.emplace_back([t, round] {
        for (int i = 0; i < 6; ++i) AddASyncLoadData(makeJob(i < 2 ? meetTwoOthers : recordOrder, round * 100 + t * 10 + i));
      });
    }
    for (std::thread& adder : adders) adder.join();
    expected += 12;
    ASSERT_TRUE(pumpUntil([&] { return orderSize() == expected && GetASyncLoadNum() == 0; })) << "round " << round;
    EXPECT_GE(inside.load(), 3);
    CriticalSection_Lock(&ASyncLoad.Lock, "async_load_test", __LINE__);
    const int made = ASyncLoad.WorkerNum;
    CriticalSection_Unlock(&ASyncLoad.Lock);
    // At most one beyond the allowed number runs at a time (a worker waiting on the
    // main thread lets another take its place), so no more are ever made.
    EXPECT_GE(made, 3);
    EXPECT_LE(made, 4);
  }
  EXPECT_EQ(TerminateASyncLoadThread(), 0);
  for (int i = 0; i < 20000 && taskCount() != before; ++i) Thread_Sleep(1);
  EXPECT_EQ(taskCount(), before);
  // A second set-up starts from one worker again.
  ASSERT_EQ(SetupASyncLoadThread(8), 0);
  EXPECT_EQ(taskCount(), before + 1);
}

int finishLoad(AsyncLoadJob* job) {
  int offset = 0;
  int handle = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  while (!gate) Thread_Sleep(1);
  DecHandleASyncLoadCount(handle);
  return 0;
}

TEST_F(AsyncLoadTest, DeletingALoadingHandleWithdrawsOrWaits) {
  ASSERT_EQ(InitializeHandleManage(24, sizeof(HandleEntryHeader), 8, nullptr, nullptr, u"Load"), 0);
  gate = 0;
  // Not yet taken by a worker: the job goes, the handle goes at once.
  int waiting = AddHandle(24, 1, -1);
  AsyncLoadJob* job = makeJob(finishLoad, waiting);
  AddASyncLoadData(job);
  IncHandleASyncLoadCount(waiting, job->Index);
  EXPECT_EQ(CheckHandleASyncLoad(waiting), 1);
  EXPECT_EQ(SubHandle(waiting), 0);
  EXPECT_EQ(GetASyncLoadNum(), 0);

  // Running: the deletion waits for the load to end.
  startWorkers(2);
  int loading = AddHandle(24, 0, -1);
  job = makeJob(finishLoad, loading);
  AddASyncLoadData(job);
  IncHandleASyncLoadCount(loading, job->Index);
  for (int i = 0; i < 20000 && !jobRunning(job); ++i) Thread_Sleep(1);
  std::thread opener([] {
    Thread_Sleep(20);
    gate = 1;
  });
  EXPECT_EQ(SubHandle(loading), 0);
  EXPECT_EQ(gate.load(), 1);
  EXPECT_EQ(GetHandleInfo(loading), nullptr);
  opener.join();
  TerminateHandleManage(24);
}

std::mutex ranMutex;
std::vector<int> ran;  // handles whose job ran

int endHandleStep(AsyncLoadJob* job) {
  int offset = 0;
  int handle = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  {
    std::lock_guard<std::mutex> lock(ranMutex);
    ran.push_back(handle);
  }
  DecHandleASyncLoadCount(handle);
  return 0;
}

// Jobs registered with their handle: while one worker is held by a gate, deleting
// every other handle withdraws its job, which then never runs; the rest run once,
// and each handle forgets its job when that job ends. Repeated, so that deletions,
// registrations and job ends interleave with the workers.
TEST_F(AsyncLoadTest, DeletingAHandleWithdrawsItsRegisteredJobThatHasNotStarted) {
  ASSERT_EQ(InitializeHandleManage(25, sizeof(HandleEntryHeader), 64, nullptr, nullptr, u"Job"), 0);
  startWorkers(1);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    gate = 0;
    started = 0;
    ran.clear();
    AddASyncLoadData(makeJob(blockUntilGate, 0));
    ASSERT_TRUE(pumpUntil([] { return started.load() == 1; }));
    std::vector<int> handles;
    for (int i = 0; i < 16; ++i) {
      int h = AddHandle(25, 0, -1);
      ASSERT_NE(h, -1);
      ASSERT_EQ(AddHandleASyncLoadJob(h, makeJob(endHandleStep, h)), 0);
      EXPECT_GE(GetHandleInfo(h)->ASyncLoadJobIndex, 0);
      handles.push_back(h);
    }
    EXPECT_EQ(GetASyncLoadNum(), 17);
    for (int i = round % 2; i < 16; i += 2) EXPECT_EQ(SubHandle(handles[i]), 0);
    EXPECT_EQ(GetASyncLoadNum(), 9);
    gate = 1;
    ASSERT_TRUE(pumpUntil([] { return GetASyncLoadNum() == 0; }));
    std::lock_guard<std::mutex> lock(ranMutex);
    EXPECT_EQ(ran.size(), 8u);
    for (int i = 0; i < 16; ++i) {
      const bool deleted = i % 2 == round % 2;
      EXPECT_EQ(std::count(ran.begin(), ran.end(), handles[i]), deleted ? 0 : 1) << i;
      HandleEntryHeader* record = GetHandleInfo(handles[i]);
      if (deleted) {
        EXPECT_EQ(record, nullptr);
        continue;
      }
      ASSERT_NE(record, nullptr);
      EXPECT_EQ(CheckHandleASyncLoad(handles[i]), 0);
      EXPECT_EQ(record->ASyncLoadJobIndex, -1);
      EXPECT_EQ(SubHandle(handles[i]), 0);
    }
  }
  // An invalid handle queues nothing.
  AsyncLoadJob* refused = makeJob(endHandleStep, 0);
  EXPECT_EQ(AddHandleASyncLoadJob(-1, refused), -1);
  EXPECT_EQ(GetASyncLoadNum(), 0);
  MemFree(refused);
  TerminateHandleManage(25);
}

// A record whose load decides whether a sweep keeps it: its field is set by the job.
struct KeptRecord {
  HandleEntryHeader header;
  int keep;
};

int setKeepOnceTheMainThreadRuns(AsyncLoadJob* job) {
  int offset = 0;
  const int handle = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  // Holds the load until the main thread runs posted calls.
  MainThreadRequest request{};
  request.Function = [](MainThreadRequest*) { return 0; };
  AddASyncLoadRequestMainThread(&request);
  reinterpret_cast<KeptRecord*>(GetHandleInfo(handle))->keep = 1;
  DecHandleASyncLoadCount(handle);
  return 0;
}

// A sweep with a filter asks about a loading record only once its load has ended, so
// the filter reads what the load made rather than a record being written.
TEST_F(AsyncLoadTest, SweepFilterWaitsForTheLoadOfARecord) {
  ASSERT_EQ(InitializeHandleManage(26, sizeof(KeptRecord), 8, nullptr, nullptr, u"Kept"), 0);
  startWorkers(2);
  const int loading = AddHandle(26, 1, -1);
  const int plain = AddHandle(26, 0, -1);
  ASSERT_EQ(AddHandleASyncLoadJob(loading, makeJob(setKeepOnceTheMainThreadRuns, loading)), 0);
  DecHandleASyncLoadCount(loading);  // the job took over the first step
  for (int i = 0; i < 20000 && queuedCalls() == 0; ++i) Thread_Sleep(1);
  ASSERT_EQ(queuedCalls(), 1);
  EXPECT_EQ(SubAllHandle(26, [](HandleEntryHeader* r) { return reinterpret_cast<KeptRecord*>(r)->keep; }), 0);
  ASSERT_NE(GetHandleInfo(loading), nullptr);
  EXPECT_EQ(reinterpret_cast<KeptRecord*>(GetHandleInfo(loading))->keep, 1);
  EXPECT_EQ(CheckHandleASyncLoad(loading), 0);
  EXPECT_EQ(GetHandleInfo(plain), nullptr);
  TerminateHandleManage(26);
}

TEST(AsyncParamTest, ParametersReadBackInOrder) {
  struct Pair {
    double x;
    int y;
  } pair{2.5, 3};
  int size = 0;
  EXPECT_EQ(AddASyncLoadParamInt(nullptr, &size, -7), 0);
  EXPECT_EQ(AddASyncLoadParamStruct(nullptr, &size, &pair, sizeof(pair)), 0);
  EXPECT_EQ(AddASyncLoadParamString(nullptr, &size, nullptr), 0);
  EXPECT_EQ(AddASyncLoadParamString(nullptr, &size, u""), 0);
  EXPECT_EQ(AddASyncLoadParamString(nullptr, &size, u"名前"), 0);
  EXPECT_EQ(AddASyncLoadParamInt(nullptr, &size, static_cast<intptr_t>(1) << 40), 0);

  std::vector<unsigned char> block(size);
  int offset = 0;
  AddASyncLoadParamInt(block.data(), &offset, -7);
  AddASyncLoadParamStruct(block.data(), &offset, &pair, sizeof(pair));
  AddASyncLoadParamString(block.data(), &offset, nullptr);
  AddASyncLoadParamString(block.data(), &offset, u"");
  AddASyncLoadParamString(block.data(), &offset, u"名前");
  AddASyncLoadParamInt(block.data(), &offset, static_cast<intptr_t>(1) << 40);
  EXPECT_EQ(offset, size);

  offset = 0;
  EXPECT_EQ(GetASyncLoadParamInt(block.data(), &offset), -7);
  auto* read = static_cast<Pair*>(GetASyncLoadParamStruct(block.data(), &offset));
  EXPECT_EQ(read->x, 2.5);
  EXPECT_EQ(read->y, 3);
  EXPECT_EQ(GetASyncLoadParamString(block.data(), &offset), nullptr);
  char16_t* empty = GetASyncLoadParamString(block.data(), &offset);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], u'\0');
  EXPECT_EQ(std::u16string(GetASyncLoadParamString(block.data(), &offset)), u"名前");
  EXPECT_EQ(GetASyncLoadParamInt(block.data(), &offset), static_cast<intptr_t>(1) << 40);
  EXPECT_EQ(offset, size);
}

TEST(AsyncParamTest, OverlongValuesAreRefusedWhenMeasured) {
  std::u16string longest(32765, u'a');
  std::u16string tooLong(32766, u'a');
  std::u16string huge(40000, u'a');
  int size = 0;
  EXPECT_EQ(AddASyncLoadParamString(nullptr, &size, longest.c_str()), 0);
  EXPECT_EQ(AddASyncLoadParamString(nullptr, &size, tooLong.c_str()), -1);
  EXPECT_EQ(AddASyncLoadParamString(nullptr, &size, huge.c_str()), -1);
  std::vector<unsigned char> data(65534);
  EXPECT_EQ(AddASyncLoadParamStruct(nullptr, &size, data.data(), 65533), 0);
  EXPECT_EQ(AddASyncLoadParamStruct(nullptr, &size, data.data(), 65534), -1);
}

TEST(AsyncLoadDeathTest, JobTableOverflowEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        halvorine_test::LogCapture::echoToStderr();
        InitializeASyncLoad(plat::win::GetCurrentThreadId());
        for (int i = 0; i <= ASYNCLOAD_JOB_MAX; ++i) AddASyncLoadData(makeJob(recordOrder, i));
      },
      ::testing::ExitedWithCode(1), "非同期読み込みデータの数が許容量を越えました終了します");
}

}  // namespace
}  // namespace ZaDod
