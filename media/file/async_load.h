// Asynchronous loading: loaders pack their arguments into a job and return at once; a
// pool of 32 suspended workers runs the jobs, oldest first, with a limited number
// running at a time. Work that must run on the main thread is posted to it as a
// MainThreadRequest, which the main thread runs from its message pump and its waits.
#pragma once
#include <cstdint>

namespace ZaDod {

constexpr int ASYNCLOAD_THREAD_MAX = 32;
constexpr int ASYNCLOAD_JOB_MAX = 32768;

struct AsyncLoadJob;
using AsyncLoadProcessFunction = int (*)(AsyncLoadJob* job);  // the result is not used

struct AsyncLoadJob {
  int Index;                // slot in the job table, set by AddASyncLoadData
  int Handle;               // the handle whose step the job is, -1 when none is registered
  int Running;
  int Time;                 // registration time in milliseconds
  AsyncLoadProcessFunction ProcessFunction;
  unsigned char* Data;      // the parameter block, right behind the record
};

// A call posted to the main thread. The poster owns the record for the duration of
// the call; a call that needs more than the five words derives from it.
struct MainThreadRequest {
  int (*Function)(MainThreadRequest* request);
  int ThreadIndex;          // the posting worker, -1 for another thread
  int Result;
  uintptr_t Param[5];
};

int InitializeASyncLoad(uint32_t mainThreadId);
int TerminateASyncLoad();
int SetupASyncLoadThread(int processorNum);
int TerminateASyncLoadThread();
int SetASyncLoadThreadNum(int threadNum);

AsyncLoadJob* AllocASyncLoadData(int dataSize);
// 0 and the job's table index in *index (when given), or -1.
int AddASyncLoadData(AsyncLoadJob* job, int* index = nullptr);
// 0, -1 for an empty index, -2 when onlyIfNotRunning is set and the job runs.
int DeleteASyncLoadData(int jobIndex, int onlyIfNotRunning);
// The number of jobs registered and not yet ended, read under the loader's lock.
int GetASyncLoadNum();

// Parameter blocks: written and read in the same order; a null buffer only measures
// (the offset advances all the same). A value too long for its length field gives -1.
int AddASyncLoadParamInt(void* buffer, int* offset, intptr_t value);
int AddASyncLoadParamString(void* buffer, int* offset, const char16_t* string);
int AddASyncLoadParamStruct(void* buffer, int* offset, const void* data, int size);
intptr_t GetASyncLoadParamInt(void* buffer, int* offset);
char16_t* GetASyncLoadParamString(void* buffer, int* offset);
void* GetASyncLoadParamStruct(void* buffer, int* offset);

// Runs the request on the main thread and returns its result. The main thread (and any
// thread before the loader knows one) runs it at once.
int AddASyncLoadRequestMainThread(MainThreadRequest* request);
// Main thread only (-1 elsewhere): runs posted calls for about 2 ms and wakes workers.
int ProcessASyncLoadRequestMainThread();
int ResumeASyncLoadThread(int extra);
int CheckMainThread();

int GetUseASyncLoadFlag();
int SetUseASyncLoadFlag(int flag);

// Formats a message of up to 1024 characters and ends the program through the fatal exit.
[[noreturn]] void ASyncLoadErrorExit(const char16_t* format, ...);

int SetEndRequestFlag();
int GetEndRequestFlag();
int ClearEndRequestFlag();

}  // namespace ZaDod
