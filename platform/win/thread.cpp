#include "platform/win/thread.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/win/sync.h"

namespace plat::win {
namespace {

constexpr DWORD failed = 0xFFFFFFFFu;

class ThreadBlock final : public KernelObject {
 public:
  std::mutex mutex;
  std::condition_variable cv;
  LPTHREAD_START_ROUTINE start = nullptr;
  void* parameter = nullptr;
  DWORD id = 0;
  bool idKnown = false;
  bool exited = false;
  DWORD exitCode = STILL_ACTIVE;
  DWORD suspendCount = 0;
  int priority = THREAD_PRIORITY_NORMAL;

  DWORD wait(DWORD milliseconds) override {
    std::unique_lock<std::mutex> lock(mutex);
    return waitUntilReady(cv, lock, milliseconds, [this] { return exited; }) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }
};

// The calling thread's block. Threads we did not start get one on first use, so that
// they too can read and set their priority.
struct CurrentBlock {
  ThreadBlock* block = nullptr;
  bool ownsReference = false;
  ~CurrentBlock() {
    if (ownsReference) block->release();
  }
};
thread_local CurrentBlock current;

ThreadBlock* currentBlock() {
  if (!current.block) {
    auto* block = new ThreadBlock;
    block->id = GetCurrentThreadId();
    block->idKnown = true;
    current.block = block;
    current.ownsReference = true;
  }
  return current.block;
}

ThreadBlock* resolve(HANDLE thread) {
  if (thread == nullptr) return nullptr;
  if (thread == CURRENT_THREAD_HANDLE) return currentBlock();
  return dynamic_cast<ThreadBlock*>(fromHandle(thread));
}

// Marks the thread ended whether it returned or called ExitThread (which unwinds
// through here), then drops the running thread's reference.
struct Finish {
  ThreadBlock* block;
  ~Finish() {
    {
      std::lock_guard<std::mutex> hold(block->mutex);
      block->exited = true;
    }
    block->cv.notify_all();
    current.block = nullptr;
    block->release();
  }
};

void* threadMain(void* argument) {
  auto* block = static_cast<ThreadBlock*>(argument);
  current.block = block;
  {
    std::lock_guard<std::mutex> hold(block->mutex);
    block->id = GetCurrentThreadId();
    block->idKnown = true;
  }
  block->cv.notify_all();
  Finish finish{block};
  DWORD code = block->start(block->parameter);
  std::lock_guard<std::mutex> hold(block->mutex);
  block->exitCode = code;
  return nullptr;
}

}  // namespace

HANDLE CreateThread(void*, SIZE_T, LPTHREAD_START_ROUTINE start, void* parameter, DWORD, DWORD* threadId) {
  if (!start) return nullptr;
  auto* block = new ThreadBlock;
  block->start = start;
  block->parameter = parameter;
  block->addRef();  // the running thread's reference

  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  pthread_t pthread;
  int error = pthread_create(&pthread, &attr, threadMain, block);
  pthread_attr_destroy(&attr);
  if (error != 0) {
    block->release();
    block->release();
    return nullptr;
  }
  // The id is the kernel's, which only the new thread can read.
  std::unique_lock<std::mutex> lock(block->mutex);
  block->cv.wait(lock, [block] { return block->idKnown; });
  if (threadId) *threadId = block->id;
  return toHandle(block);
}

void ExitThread(DWORD exitCode) {
  if (ThreadBlock* block = current.block) {
    std::lock_guard<std::mutex> hold(block->mutex);
    block->exitCode = exitCode;
  }
  pthread_exit(nullptr);
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  ThreadBlock* block = resolve(thread);
  if (!block || !exitCode) return FALSE;
  std::lock_guard<std::mutex> hold(block->mutex);
  *exitCode = block->exited ? block->exitCode : STILL_ACTIVE;
  return TRUE;
}

HANDLE GetCurrentThread() { return CURRENT_THREAD_HANDLE; }

// Every tracked lock asks for the caller's id, so it is read from the kernel once per
// thread and cached.
DWORD GetCurrentThreadId() {
  thread_local const DWORD id = static_cast<DWORD>(gettid());
  return id;
}

DWORD SuspendThread(HANDLE thread) {
  ThreadBlock* block = resolve(thread);
  if (!block || block != currentBlock()) return failed;
  std::unique_lock<std::mutex> lock(block->mutex);
  DWORD previous = block->suspendCount++;
  block->cv.wait(lock, [block] { return block->suspendCount == 0; });
  return previous;
}

DWORD ResumeThread(HANDLE thread) {
  ThreadBlock* block = resolve(thread);
  if (!block) return failed;
  DWORD previous;
  {
    std::lock_guard<std::mutex> hold(block->mutex);
    previous = block->suspendCount;
    if (previous > 0) --block->suspendCount;
  }
  if (previous == 1) block->cv.notify_all();
  return previous;
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
  ThreadBlock* block = resolve(thread);
  if (!block) return FALSE;
  std::lock_guard<std::mutex> hold(block->mutex);
  block->priority = priority;
  return TRUE;
}

int GetThreadPriority(HANDLE thread) {
  ThreadBlock* block = resolve(thread);
  if (!block) return 0x7FFFFFFF;
  std::lock_guard<std::mutex> hold(block->mutex);
  return block->priority;
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace plat::win
