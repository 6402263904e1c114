// Calls posted to the main thread by loading workers and by other threads.
#include <algorithm>

#include "media/base/clock.h"
#include "media/file/async_load_state.h"
#include "media/system/fatal.h"
#include "platform/win/sync.h"
#include "platform/win/win_thread.h"

namespace ZaDod {

namespace {

constexpr const char* kSource = "async_request.cpp";
constexpr int kRequestBudgetMs = 2;

void lock(int line) { CriticalSection_Lock(&ASyncLoad.Lock, kSource, line); }
void unlock() { CriticalSection_Unlock(&ASyncLoad.Lock); }

int findWorker(uint32_t threadId) {
  for (int i = 0; i < ASyncLoad.WorkerNum; ++i) {
    if (Thread_IsValid(&ASyncLoad.Workers[i].Thread) && Thread_GetId(&ASyncLoad.Workers[i].Thread) == threadId) {
      return i;
    }
  }
  return -1;
}

int runAtOnce(MainThreadRequest* request) {
  request->ThreadIndex = -1;
  request->Result = request->Function(request);
  return request->Result;
}

// A worker posts and sleeps; the main thread wakes it once the call has run.
int postFromWorker(MainThreadRequest* request, int workerIndex) {
  if (ASyncLoad.QueueNum >= ASYNCLOAD_QUEUE_MAX) {
    unlock();
    ASyncLoadErrorExit(u"非同期読み込みスレッドからメインスレッドへの処理依頼数が許容量を越えました終了します");
  }
  AsyncLoadWorker& worker = ASyncLoad.Workers[workerIndex];
  request->Result = 0;
  request->ThreadIndex = workerIndex;
  worker.WaitingMainThread = 1;
  ASyncLoad.Queue[ASyncLoad.QueueNum++] = {request, workerIndex, -1};
  // This worker stops running for now: another one may take its place.
  resumeOneWorker(1, false);
  worker.Suspended = 1;
  worker.SuspendTime = GetMillisecondCount();
  --ASyncLoad.RunningNum;
  unlock();
  Thread_SuspendSelf();
  return request->Result;
}

// Any other thread takes one of the plain slots (waiting for one to come free) and
// waits on that slot's event until the main thread has run the call.
int postFromPlainThread(MainThreadRequest* request) {
  int slot = -1;
  for (;;) {
    for (int i = 0; i < ASYNCLOAD_PLAIN_POSTER_MAX && slot == -1; ++i) {
      if (!ASyncLoad.PlainBusy[i]) slot = i;
    }
    if (slot != -1) break;
    unlock();
    Thread_Sleep(1);
    lock(__LINE__);
    if (ASyncLoad.MainThreadId == 0) {  // the loader ended meanwhile
      unlock();
      return runAtOnce(request);
    }
  }
  ASyncLoad.PlainBusy[slot] = 1;
  ASyncLoad.PlainDone[slot] = 0;
  plat::win::ResetEvent(ASyncLoad.PlainEvent[slot]);
  request->Result = 0;
  request->ThreadIndex = -1;
  ASyncLoad.Queue[ASyncLoad.QueueNum++] = {request, -1, slot};
  for (;;) {
    unlock();
    plat::win::WaitForSingleObject(ASyncLoad.PlainEvent[slot], plat::win::INFINITE);
    lock(__LINE__);
    if (ASyncLoad.PlainDone[slot]) break;
  }
  ASyncLoad.PlainBusy[slot] = 0;
  int result = request->Result;
  unlock();
  return result;
}

}  // namespace

int CheckMainThread() {
  return ASyncLoad.MainThreadId == 0 || plat::win::GetCurrentThreadId() == ASyncLoad.MainThreadId ? 1 : 0;
}

int AddASyncLoadRequestMainThread(MainThreadRequest* request) {
  if (!ASyncLoad.Started || CheckMainThread()) return runAtOnce(request);
  lock(__LINE__);
  if (ASyncLoad.MainThreadId == 0) {  // the loader ended meanwhile
    unlock();
    return runAtOnce(request);
  }
  int worker = findWorker(plat::win::GetCurrentThreadId());
  if (worker != -1) return postFromWorker(request, worker);
  return postFromPlainThread(request);
}

int ProcessASyncLoadRequestMainThread() {
  if (!CheckMainThread()) return -1;
  if (!ASyncLoad.Started) return 0;
  // Each call leaves the queue before it runs, and runs without the loader's lock: a
  // posted call may wait on a handle, and so come back here, or wait for a worker
  // that needs the lock to post.
  // The budget's clock is read only once there is a request: the pump calls this every
  // pass, nearly always with the queue empty.
  int start = 0;
  for (int done = 0;; ++done) {
    lock(__LINE__);
    if (ASyncLoad.QueueNum == 0 || (done > 0 && GetMillisecondCount() - start > kRequestBudgetMs)) {
      unlock();
      break;
    }
    if (done == 0) start = GetMillisecondCount();
    QueuedRequest queued = ASyncLoad.Queue[0];
    std::copy(ASyncLoad.Queue + 1, ASyncLoad.Queue + ASyncLoad.QueueNum, ASyncLoad.Queue);
    --ASyncLoad.QueueNum;
    unlock();

    queued.Request->Result = queued.Request->Function(queued.Request);

    lock(__LINE__);
    if (queued.Worker >= 0) {
      ASyncLoad.Workers[queued.Worker].WaitingMainThread = 0;
      resumeOneWorker(0, false);
    } else {
      ASyncLoad.PlainDone[queued.Plain] = 1;
      plat::win::SetEvent(ASyncLoad.PlainEvent[queued.Plain]);
    }
    unlock();
  }

  lock(__LINE__);
  int target = ASyncLoad.AllowedNum == 1 ? 1 : ASyncLoad.AllowedNum - 1;
  target = std::min(target, ASyncLoad.JobNum);
  while (ASyncLoad.JobNum > 0 && ASyncLoad.RunningNum < target) {
    int before = ASyncLoad.RunningNum;
    resumeOneWorker(0, false);
    if (ASyncLoad.RunningNum == before) break;
  }
  unlock();
  return 0;
}

int ResumeASyncLoadThread(int extra) {
  if (!ASyncLoad.Started) return 0;
  lock(__LINE__);
  resumeOneWorker(extra, false);
  unlock();
  return 0;
}

}  // namespace ZaDod
