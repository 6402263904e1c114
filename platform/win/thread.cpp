// Threads over pthreads.
#include "platform/win/win_thread.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <memory>

namespace plat::win {
namespace {

constexpr DWORD failed = 0xFFFFFFFFu;

struct ThreadState {
  std::mutex mutex;
  std::condition_variable cv;
  LPTHREAD_START_ROUTINE start = nullptr;
  void* parameter = nullptr;
  DWORD id = 0;
  bool exited = false;
  DWORD exitCode = STILL_ACTIVE;
  DWORD suspendCount = 0;
  int priority = THREAD_PRIORITY_NORMAL;
  // Joined by the first wait that sees it end, detached when its handle closes first.
  pthread_t thread{};
  bool joinable = false;
};

class ThreadObject final : public WaitableObject {
 public:
  explicit ThreadObject(std::shared_ptr<ThreadState> s) : state(std::move(s)) {}
  ~ThreadObject() override {
    std::lock_guard<std::mutex> hold(state->mutex);
    if (state->joinable) pthread_detach(state->thread);
    state->joinable = false;
  }
  // Returns once the thread is gone, not only marked ended, so that a caller may count
  // the process's threads next. Once marked ended the thread never takes the lock again.
  DWORD wait(DWORD milliseconds) override {
    std::shared_ptr<ThreadState> s = state;
    std::unique_lock<std::mutex> lock(s->mutex);
    if (!waitUntilReady(s->cv, lock, milliseconds, [&s] { return s->exited; })) return WAIT_TIMEOUT;
    if (s->joinable) pthread_join(s->thread, nullptr);
    s->joinable = false;
    return WAIT_OBJECT_0;
  }
  // Waits on several objects look while holding the lock that an ending thread takes
  // last (to wake them), so joining here could wait for ever on that thread: ended is
  // enough, and the join is left to a later wait or to the handle's close (a detach).
  bool tryTake() override {
    std::lock_guard<std::mutex> lock(state->mutex);
    return state->exited;
  }
  std::shared_ptr<ThreadState> state;
};

// The calling thread's state. Threads we did not start get one on first use, so that
// they too can read and set their priority.
thread_local std::shared_ptr<ThreadState> current;

// A thread we start gets its id from its creator, so that creating one never waits
// for the new thread to be scheduled (which can take milliseconds on a busy machine).
// These ids lie above every kernel thread id (at most 2^22), which the threads we did
// not start keep as theirs.
std::atomic<DWORD> nextThreadId{0x01000000u};
thread_local DWORD currentId = 0;

ThreadState* currentState() {
  if (!current) {
    current = std::make_shared<ThreadState>();
    current->id = GetCurrentThreadId();
  }
  return current.get();
}

ThreadState* resolve(HANDLE thread) {
  if (thread == CURRENT_THREAD_HANDLE) return currentState();
  auto* object = findObjectAs<ThreadObject>(thread);
  return object ? object->state.get() : nullptr;
}

// Marks the thread ended whether it returned or called ExitThread (which unwinds
// through here).
struct Finish {
  ThreadState* state;
  ~Finish() {
    {
      std::lock_guard<std::mutex> hold(state->mutex);
      state->exited = true;
    }
    state->cv.notify_all();
    NotifyMultipleWaiters();
  }
};

void* threadMain(void* argument) {
  auto* handover = static_cast<std::shared_ptr<ThreadState>*>(argument);
  std::shared_ptr<ThreadState> state = std::move(*handover);
  delete handover;
  current = state;
  currentId = state->id;
  {
    // Started suspended: nothing runs before the first resume.
    std::unique_lock<std::mutex> lock(state->mutex);
    state->cv.wait(lock, [&state] { return state->suspendCount == 0; });
  }
  Finish finish{state.get()};
  DWORD code = state->start(state->parameter);
  std::lock_guard<std::mutex> hold(state->mutex);
  state->exitCode = code;
  return nullptr;
}

}  // namespace

HANDLE CreateThread(void*, SIZE_T, LPTHREAD_START_ROUTINE start, void* parameter, DWORD flags, DWORD* threadId) {
  if (!start) return nullptr;
  auto state = std::make_shared<ThreadState>();
  state->start = start;
  state->parameter = parameter;
  state->id = nextThreadId.fetch_add(1, std::memory_order_relaxed);
  state->suspendCount = (flags & CREATE_SUSPENDED) ? 1 : 0;
  auto* handover = new std::shared_ptr<ThreadState>(state);  // the running thread's share

  pthread_t pthread;
  if (pthread_create(&pthread, nullptr, threadMain, handover) != 0) {
    delete handover;
    return nullptr;
  }
  {
    std::lock_guard<std::mutex> hold(state->mutex);
    state->thread = pthread;
    state->joinable = true;
  }
  if (threadId) *threadId = state->id;
  return registerObject(new ThreadObject(std::move(state)));
}

void ExitThread(DWORD exitCode) {
  if (current) {
    std::lock_guard<std::mutex> hold(current->mutex);
    current->exitCode = exitCode;
  }
  pthread_exit(nullptr);
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  ThreadState* state = resolve(thread);
  if (!state || !exitCode) return FALSE;
  std::lock_guard<std::mutex> hold(state->mutex);
  *exitCode = state->exited ? state->exitCode : STILL_ACTIVE;
  return TRUE;
}

HANDLE GetCurrentThread() { return CURRENT_THREAD_HANDLE; }

// Every tracked lock asks for the caller's id, so a thread we did not start reads it
// from the kernel once and keeps it.
DWORD GetCurrentThreadId() {
  if (currentId == 0) currentId = static_cast<DWORD>(gettid());
  return currentId;
}

DWORD SuspendThread(HANDLE thread) {
  ThreadState* state = resolve(thread);
  if (!state || state != currentState()) return failed;
  std::unique_lock<std::mutex> lock(state->mutex);
  DWORD previous = state->suspendCount++;
  state->cv.wait(lock, [state] { return state->suspendCount == 0; });
  return previous;
}

DWORD ResumeThread(HANDLE thread) {
  ThreadState* state = resolve(thread);
  if (!state) return failed;
  DWORD previous;
  {
    std::lock_guard<std::mutex> hold(state->mutex);
    previous = state->suspendCount;
    if (previous > 0) --state->suspendCount;
  }
  if (previous == 1) state->cv.notify_all();
  return previous;
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
  ThreadState* state = resolve(thread);
  if (!state) return FALSE;
  std::lock_guard<std::mutex> hold(state->mutex);
  state->priority = priority;
  return TRUE;
}

int GetThreadPriority(HANDLE thread) {
  ThreadState* state = resolve(thread);
  if (!state) return 0x7FFFFFFF;
  std::lock_guard<std::mutex> hold(state->mutex);
  return state->priority;
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

void SleepUntilNanoseconds(long long deadline) {
  if (deadline <= 0) return;
  // An absolute deadline: a wake-up after a signal sleeps only what is left, and the
  // kernel's timer slack is the only lateness (no rounding to whole milliseconds).
  const timespec at{static_cast<time_t>(deadline / 1000000000LL), static_cast<long>(deadline % 1000000000LL)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
  }
}

}  // namespace plat::win
