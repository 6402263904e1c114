// The job table and the worker pool.
#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/clock.h"
#include "media/base/format.h"
#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/file/async_load_state.h"
#include "media/system/fatal.h"
#include "platform/win/sync.h"

namespace ZaDod {

AsyncLoadState ASyncLoad;

namespace {

constexpr const char* kSource = "async_load.cpp";

void lock(int line) { CriticalSection_Lock(&ASyncLoad.Lock, kSource, line); }
void unlock() { CriticalSection_Unlock(&ASyncLoad.Lock); }

int clampThreadNum(int n) { return std::clamp(n, 1, ASYNCLOAD_THREAD_MAX); }

// Among the registered jobs no worker has taken, the oldest; of equal times the later one.
AsyncLoadJob* pickJob() {
  AsyncLoadJob* best = nullptr;
  for (int i = 0; i < ASyncLoad.JobBound; ++i) {
    AsyncLoadJob* job = ASyncLoad.Jobs[i];
    if (job == nullptr || job->Running) continue;
    if (best == nullptr || job->Time <= best->Time) best = job;
  }
  return best;
}

void markSuspended(AsyncLoadWorker& worker) {
  worker.Suspended = 1;
  worker.SuspendTime = GetMillisecondCount();
  --ASyncLoad.RunningNum;
}

void workerBody(ThreadRecord*, void* parameter) {
  AsyncLoadWorker& worker = ASyncLoad.Workers[reinterpret_cast<intptr_t>(parameter)];
  for (;;) {
    lock(__LINE__);
    if (ASyncLoad.EndFlag) break;
    if (ASyncLoad.JobBound != 0) {
      AsyncLoadJob* job = pickJob();
      if (job != nullptr) {
        job->Running = 1;
        worker.JobRunning = 1;
        worker.Job = job;
        const int handle = job->Handle, index = job->Index;
        unlock();
        job->ProcessFunction(job);
        // The handle forgets the job before its table slot can be used again.
        if (handle != -1) EndHandleASyncLoadJob(handle, index);
        lock(__LINE__);
        DeleteASyncLoadData(job->Index, 0);
        worker.JobRunning = 0;
        worker.Job = nullptr;
        unlock();
        continue;
      }
      // Every job is taken. Going to sleep leaves room for a worker that holds a job
      // and was held back; waking idle workers instead would only make them pass the
      // turn back and forth while the jobs run.
      resumeOneWorker(1, true);
    }
    markSuspended(worker);
    unlock();
    Thread_SuspendSelf();
  }
  worker.ThreadEnded = 1;
  --ASyncLoad.RunningNum;
  unlock();
}

// The lock is held. The worker was flagged suspended under this lock before it
// suspended itself, so it is about to; a resume that comes too early is repeated until
// it takes effect.
void wakeWorker(AsyncLoadWorker& worker) {
  while (Thread_Resume(&worker.Thread) == 0) Thread_Sleep(0);
  worker.Suspended = 0;
  ++ASyncLoad.RunningNum;
}

void freeRemainingJobs() {
  for (int i = 0; i < ASyncLoad.JobBound; ++i) {
    MemFree(ASyncLoad.Jobs[i]);
    ASyncLoad.Jobs[i] = nullptr;
  }
  ASyncLoad.JobNum = 0;
  ASyncLoad.JobBound = 0;
}

// The lock is held. Makes the next worker, suspended like an idle one; null when all
// are made or the system refuses a thread (the workers already made carry on).
AsyncLoadWorker* addWorker() {
  if (ASyncLoad.WorkerNum >= ASYNCLOAD_THREAD_MAX) return nullptr;
  const int i = ASyncLoad.WorkerNum;
  AsyncLoadWorker& w = ASyncLoad.Workers[i];
  std::memset(static_cast<void*>(&w), 0, sizeof(w));
  w.Suspended = 1;
  w.SuspendTime = GetMillisecondCount();
  if (Thread_Create(&w.Thread, workerBody, reinterpret_cast<void*>(static_cast<intptr_t>(i))) == -1) {
    LogFormatUtf16(u"非同期読み込みスレッドの作成に失敗しました");
    std::memset(static_cast<void*>(&w), 0, sizeof(w));
    return nullptr;
  }
  Thread_SetPriority(&w.Thread, 0);
  ASyncLoad.WorkerNum = i + 1;
  return &w;
}

}  // namespace

void resumeOneWorker(int extra, bool jobHoldersOnly) {
  if (ASyncLoad.RunningNum >= ASyncLoad.AllowedNum + extra) return;
  AsyncLoadWorker* chosen = nullptr;
  for (int i = 0; i < ASyncLoad.WorkerNum; ++i) {
    AsyncLoadWorker& w = ASyncLoad.Workers[i];
    if (w.ThreadEnded || !w.Suspended || w.WaitingMainThread || w.Job == nullptr) continue;
    if (chosen == nullptr || w.Job->Time < chosen->Job->Time) chosen = &w;
  }
  if (chosen == nullptr && !jobHoldersOnly) {
    for (int i = 0; i < ASyncLoad.WorkerNum; ++i) {
      AsyncLoadWorker& w = ASyncLoad.Workers[i];
      if (w.ThreadEnded || !w.Suspended || w.WaitingMainThread) continue;
      if (chosen == nullptr || w.SuspendTime < chosen->SuspendTime) chosen = &w;
    }
  }
  // A job that no idle worker can take gets a new one.
  if (chosen == nullptr && !jobHoldersOnly && ASyncLoad.PoolReady && !ASyncLoad.EndFlag && pickJob() != nullptr)
    chosen = addWorker();
  if (chosen == nullptr || !Thread_IsValid(&chosen->Thread)) return;
  wakeWorker(*chosen);
}

int InitializeASyncLoad(uint32_t mainThreadId) {
  if (ASyncLoad.Started) return -1;
  ASyncLoad.MainThreadId = mainThreadId;
  CriticalSection_Initialize(&ASyncLoad.Lock);
  for (int i = 0; i < ASYNCLOAD_PLAIN_POSTER_MAX; ++i) {
    ASyncLoad.PlainEvent[i] = plat::win::CreateEventA(nullptr, plat::win::TRUE, plat::win::FALSE, nullptr);
    ASyncLoad.PlainBusy[i] = 0;
  }
  ASyncLoad.QueueNum = 0;
  ASyncLoad.Started = 1;
  return 0;
}

int TerminateASyncLoad() {
  if (!ASyncLoad.Started) return -1;
  TerminateASyncLoadThread();
  // From here on a posted call runs on its caller. Threads that posted before still
  // wait for theirs; those run now.
  lock(__LINE__);
  ASyncLoad.MainThreadId = 0;
  unlock();
  for (;;) {
    lock(__LINE__);
    bool waiting = std::find(ASyncLoad.PlainBusy, ASyncLoad.PlainBusy + ASYNCLOAD_PLAIN_POSTER_MAX, 1) !=
                   ASyncLoad.PlainBusy + ASYNCLOAD_PLAIN_POSTER_MAX;
    unlock();
    if (!waiting) break;
    ProcessASyncLoadRequestMainThread();
    Thread_Sleep(1);
  }
  lock(__LINE__);
  freeRemainingJobs();
  ASyncLoad.Started = 0;
  unlock();
  for (int i = 0; i < ASYNCLOAD_PLAIN_POSTER_MAX; ++i) {
    plat::win::CloseHandle(ASyncLoad.PlainEvent[i]);
    ASyncLoad.PlainEvent[i] = nullptr;
  }
  CriticalSection_Delete(&ASyncLoad.Lock);
  return 0;
}

int SetupASyncLoadThread(int processorNum) {
  if (!ASyncLoad.Started || ASyncLoad.PoolReady) return -1;
  lock(__LINE__);
  ASyncLoad.AllowedNum =
      ASyncLoad.ThreadNumSetFlag ? clampThreadNum(ASyncLoad.ThreadNumSetting) : std::max(processorNum - 1, 1);
  ASyncLoad.RunningNum = 0;
  ASyncLoad.EndFlag = 0;
  ASyncLoad.WorkerNum = 0;
  // One worker now, so that a system that cannot make threads fails here; the others
  // are made when a job finds no idle worker, as making a thread costs a stack and its
  // thread-local block whether or not it ever loads anything.
  const bool made = addWorker() != nullptr;
  ASyncLoad.PoolReady = made ? 1 : 0;
  unlock();
  return made ? 0 : -1;
}

int TerminateASyncLoadThread() {
  if (!ASyncLoad.Started || !ASyncLoad.PoolReady) return 0;
  lock(__LINE__);
  ASyncLoad.EndFlag = 1;
  // A worker without a job has nothing left to do but end: all of those are woken at
  // once, so that they end together rather than one after another.
  for (int i = 0; i < ASyncLoad.WorkerNum; ++i) {
    AsyncLoadWorker& w = ASyncLoad.Workers[i];
    if (w.ThreadEnded || !w.Suspended || w.WaitingMainThread || w.Job != nullptr || !Thread_IsValid(&w.Thread))
      continue;
    wakeWorker(w);
  }
  unlock();
  for (int i = 0; i < ASyncLoad.WorkerNum; ++i) {
    AsyncLoadWorker& w = ASyncLoad.Workers[i];
    if (!Thread_IsValid(&w.Thread)) continue;
    for (;;) {
      lock(__LINE__);
      bool ended = w.ThreadEnded != 0;
      if (!ended && ASyncLoad.RunningNum == 0) resumeOneWorker(0, false);
      unlock();
      if (ended) break;
      ProcessASyncLoadRequestMainThread();
      plat::win::WaitForSingleObject(w.Thread.ThreadHandle, 1);
    }
    // The flag is set just before the worker's function returns: its thread is gone
    // only once the handle says so.
    plat::win::WaitForSingleObject(w.Thread.ThreadHandle, plat::win::INFINITE);
    Thread_Close(&w.Thread);
  }
  lock(__LINE__);
  ASyncLoad.WorkerNum = 0;
  ASyncLoad.PoolReady = 0;
  ASyncLoad.RunningNum = 0;
  ASyncLoad.EndFlag = 0;
  // No worker is left to run what is still registered.
  freeRemainingJobs();
  unlock();
  return 0;
}

int SetASyncLoadThreadNum(int threadNum) {
  if (!ASyncLoad.Started || !ASyncLoad.PoolReady) {
    ASyncLoad.ThreadNumSetting = threadNum;
    ASyncLoad.ThreadNumSetFlag = 1;
    return 0;
  }
  lock(__LINE__);
  ASyncLoad.AllowedNum = clampThreadNum(threadNum);
  unlock();
  return 0;
}

AsyncLoadJob* AllocASyncLoadData(int dataSize) {
  size_t size = sizeof(AsyncLoadJob) + static_cast<size_t>(std::max(dataSize, 0));
  auto* job = static_cast<AsyncLoadJob*>(MemAlloc(size, kSource, __LINE__));
  if (job == nullptr) {
    LogFormatUtf16(u"非同期読み込みデータを格納するメモリ領域 %dByte の確保に失敗しました", static_cast<int>(size));
    return nullptr;
  }
  std::memset(static_cast<void*>(job), 0, sizeof(AsyncLoadJob));
  job->Index = -1;
  job->Handle = -1;
  job->Data = reinterpret_cast<unsigned char*>(job + 1);
  return job;
}

int AddASyncLoadData(AsyncLoadJob* job, int* indexOut) {
  if (!ASyncLoad.Started || job == nullptr) return -1;
  lock(__LINE__);
  if (ASyncLoad.JobNum >= ASYNCLOAD_JOB_MAX) {
    unlock();
    ASyncLoadErrorExit(u"非同期読み込みデータの数が許容量を越えました終了します");
  }
  int index = ASyncLoad.JobBound;
  if (index >= ASYNCLOAD_JOB_MAX) {
    index = 0;
    while (ASyncLoad.Jobs[index] != nullptr) ++index;
  }
  job->Index = index;
  job->Running = 0;
  job->Time = GetMillisecondCount();
  if (index == ASyncLoad.JobBound) ++ASyncLoad.JobBound;
  ASyncLoad.Jobs[index] = job;
  ++ASyncLoad.JobNum;
  if (indexOut != nullptr) *indexOut = index;
  resumeOneWorker(0, false);
  unlock();
  return 0;
}

int DeleteASyncLoadData(int jobIndex, int onlyIfNotRunning) {
  if (!ASyncLoad.Started || jobIndex < 0 || jobIndex >= ASYNCLOAD_JOB_MAX) return -1;
  lock(__LINE__);
  AsyncLoadJob* job = ASyncLoad.Jobs[jobIndex];
  if (job == nullptr) {
    unlock();
    return -1;
  }
  if (onlyIfNotRunning && job->Running) {
    unlock();
    return -2;
  }
  --ASyncLoad.JobNum;
  ASyncLoad.Jobs[jobIndex] = nullptr;
  if (jobIndex == ASyncLoad.JobBound - 1) {
    while (ASyncLoad.JobBound > 0 && ASyncLoad.Jobs[ASyncLoad.JobBound - 1] == nullptr) --ASyncLoad.JobBound;
  }
  MemFree(job);
  unlock();
  return 0;
}

int GetASyncLoadNum() {
  // Read under the lock: a caller that sees the count fall also sees what the
  // ended jobs wrote.
  if (!ASyncLoad.Started) return 0;
  lock(__LINE__);
  const int n = ASyncLoad.JobNum;
  unlock();
  return n;
}

int GetUseASyncLoadFlag() { return ASyncLoad.UseASyncLoadFlag; }

int SetUseASyncLoadFlag(int flag) {
  ASyncLoad.UseASyncLoadFlag = flag != 0 ? 1 : 0;
  return 0;
}

void ASyncLoadErrorExit(const char16_t* format, ...) {
  char16_t text[1024 + 1];
  va_list args;
  va_start(args, format);
  CharCode_VSNPrintf(CodePageUtf16LE, 1, GetDefaultNarrowCodePage(), CodePageUtf16LE, text, 1024, format, args);
  va_end(args);
  FatalErrorExit(text);
}

int SetEndRequestFlag() {
  ASyncLoad.EndRequestFlag = 1;
  return 0;
}

int GetEndRequestFlag() { return ASyncLoad.EndRequestFlag; }

int ClearEndRequestFlag() {
  ASyncLoad.EndRequestFlag = 0;
  return 0;
}

}  // namespace ZaDod
