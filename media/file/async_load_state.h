// The loader's shared state, for its own files and for tests that watch it.
#pragma once
#include <cstdint>

#include "media/base/thread.h"
#include "media/file/async_load.h"

namespace ZaDod {

struct AsyncLoadWorker {
  ThreadRecord Thread;
  int ThreadEnded;
  int JobRunning;
  int WaitingMainThread;
  int Suspended;
  int SuspendTime;
  AsyncLoadJob* Job;
};

// A queued call: posted by worker `Worker`, or by another thread through plain slot `Plain`.
struct QueuedRequest {
  MainThreadRequest* Request;
  int Worker;
  int Plain;
};

constexpr int ASYNCLOAD_PLAIN_POSTER_MAX = 32;
constexpr int ASYNCLOAD_QUEUE_MAX = ASYNCLOAD_THREAD_MAX + ASYNCLOAD_PLAIN_POSTER_MAX;

struct AsyncLoadState {
  int Started;
  uint32_t MainThreadId;
  TrackedCriticalSection Lock;

  AsyncLoadJob* Jobs[ASYNCLOAD_JOB_MAX];
  int JobNum;
  int JobBound;  // highest used index + 1

  AsyncLoadWorker Workers[ASYNCLOAD_THREAD_MAX];
  int WorkerNum;   // workers made so far: one at set-up, more as jobs wait for them
  int PoolReady;   // set-up done and not yet ended
  int ThreadNumSetting;  // as set before set-up
  int ThreadNumSetFlag;
  int AllowedNum;
  int RunningNum;
  int EndFlag;

  QueuedRequest Queue[ASYNCLOAD_QUEUE_MAX];
  int QueueNum;
  int PlainBusy[ASYNCLOAD_PLAIN_POSTER_MAX];
  void* PlainEvent[ASYNCLOAD_PLAIN_POSTER_MAX];  // plat::win event handles
  int PlainDone[ASYNCLOAD_PLAIN_POSTER_MAX];

  int UseASyncLoadFlag;
  int EndRequestFlag;
};

extern AsyncLoadState ASyncLoad;

// Resumes at most one suspended worker while fewer than allowed + extra run; the lock
// is held. With jobHoldersOnly only a worker that holds a job is a candidate.
void resumeOneWorker(int extra, bool jobHoldersOnly);

}  // namespace ZaDod
