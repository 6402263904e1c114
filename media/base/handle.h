// Media handles: every resource of the media layer (graph, sound, font, file, ...) is
// owned by the manager of its type and named everywhere by a 32-bit handle that
// encodes the type, a check number and a slot index. A handle can exist while a
// loading worker still makes its content; its async-load count says so.
#pragma once
#include <atomic>
#include <cstdint>

#include "media/base/thread.h"

namespace ZaDod {

struct AsyncLoadJob;

enum HandleType : int {
  HANDLETYPE_NONE = 0,
  HANDLETYPE_GRAPH = 1,
  HANDLETYPE_SOFTIMAGE = 2,
  HANDLETYPE_SOUND = 3,
  HANDLETYPE_SOFTSOUND = 4,
  HANDLETYPE_MUSIC = 5,
  HANDLETYPE_MOVIE = 6,
  HANDLETYPE_MASK = 7,
  HANDLETYPE_FONT = 8,
  HANDLETYPE_KEYINPUT = 9,
  HANDLETYPE_NETWORK = 10,
  HANDLETYPE_LIGHT = 11,
  HANDLETYPE_SHADER = 12,
  HANDLETYPE_VERTEX_BUFFER = 15,
  HANDLETYPE_INDEX_BUFFER = 16,
  HANDLETYPE_FILE = 17,
  HANDLETYPE_SHADOWMAP = 18,
  HANDLETYPE_SHADER_CONSTANT_BUFFER = 19,
  HANDLETYPE_COUNT = 32,
};

constexpr int HANDLE_TYPE_SHIFT = 26;
constexpr int HANDLE_CHECK_SHIFT = 16;
constexpr int HANDLE_TYPE_MASK = 0x7C000000;
constexpr int HANDLE_CHECK_MASK = 0x03FF0000;
constexpr int HANDLE_INDEX_MASK = 0x0000FFFF;
constexpr int HANDLE_CHECK_LIMIT = 1023;  // check numbers run 1 .. 1022, then 0

struct HandleListNode {
  int Handle;
  void* Data;
  HandleListNode* Prev;
  HandleListNode* Next;
};

// The start of every handle's record.
struct HandleEntryHeader {
  int CheckNo;
  int Handle;
  int Size;               // the size the record was allocated with
  int* DeleteFlag;        // receives -1 when the handle is deleted
  int ASyncLoadCount;     // asynchronous steps still pending
  int ASyncResult;        // byte count of an asynchronous file read
  int ASyncLoadJobIndex;  // pending job in the loader's table, -1 when none is known
  int DeleteRequestFlag;  // the end of the last asynchronous step deletes the handle
  HandleListNode List;
};

using HandleInitializeFunction = int (*)(HandleEntryHeader* record);
// Returns 1 to keep the handle.
using HandleTerminateFunction = int (*)(HandleEntryHeader* record);
// Returns 0 for records to delete.
using HandleDeleteFilter = int (*)(HandleEntryHeader* record);

struct HandleTypeManager {
  int InitializeFlag;
  HandleEntryHeader** Handle;  // one record pointer per slot
  HandleListNode ListFirst;
  HandleListNode ListLast;
  int HandleTypeMask;  // type << 26
  int OneSize;
  int MaxNum;
  int Num;
  int AreaMin;
  int AreaMax;
  int NextCheckNo;  // last check number handed out; survives termination
  TrackedCriticalSection CriticalSection;
  HandleInitializeFunction InitializeFunction;
  HandleTerminateFunction TerminateFunction;
  const char16_t* Name;
  char16_t NameUtf16[64];
};

extern HandleTypeManager HandleManageArray[HANDLETYPE_COUNT];

int InitializeHandleManage(int handleType, int oneSize, int maxNum, HandleInitializeFunction initializeFunction,
                           HandleTerminateFunction terminateFunction, const char16_t* name);
int TerminateHandleManage(int handleType);
int AddHandle(int handleType, int asyncFlag, int reuseHandle);
int SubHandle(int handle);
int SubAllHandle(int handleType, HandleDeleteFilter filter = nullptr);
int ReallocHandle(int handle, int newSize);
int SetDeleteHandleFlag(int handle, int* deleteFlag);
int IncHandleASyncLoadCount(int handle, int jobIndex);
// Counts the job as one asynchronous step of the handle and queues it, registered
// with the handle so that deleting the handle before a worker takes the job withdraws
// it. 0, or -1 (nothing counted or queued) for an invalid handle or a refused job.
int AddHandleASyncLoadJob(int handle, AsyncLoadJob* job);
// The worker's note that the handle's job at jobIndex has ended: the handle forgets
// the index unless a later job replaced it.
int EndHandleASyncLoadJob(int handle, int jobIndex);
int DecHandleASyncLoadCount(int handle);
// Ends a worker's step: as DecHandleASyncLoadCount, and when the step failed the handle
// is deleted once its last step ends, under the same lock, so that whoever waits for
// the load finds the handle gone rather than ready and empty.
int EndHandleASyncLoadStep(int handle, int failed);
int CheckHandleASyncLoad(int handle);
int WaitHandleASyncLoad(int handle);

// The validity rule every user applies: type registered, type bits, slot in range and
// occupied, check number equal. Constant time and lock-free.
inline HandleEntryHeader* GetHandleInfo(int handle) {
  if (handle < 0) return nullptr;
  const HandleTypeManager& manager = HandleManageArray[(handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)];
  if (!manager.InitializeFlag || (handle & HANDLE_TYPE_MASK) != manager.HandleTypeMask) return nullptr;
  int index = handle & HANDLE_INDEX_MASK;
  if (index >= manager.MaxNum) return nullptr;
  // Slots change under the type's lock; a record is filled in before its slot names it.
  HandleEntryHeader* record =
      std::atomic_ref<HandleEntryHeader*>(manager.Handle[index]).load(std::memory_order_acquire);
  if (record == nullptr || (record->CheckNo << HANDLE_CHECK_SHIFT) != (handle & HANDLE_CHECK_MASK)) return nullptr;
  return record;
}

// The pending-step count of a record, for readers without the type's lock: one that
// reads 0 also sees everything the ended steps made (the count changes under the lock,
// each change published for such readers).
inline int HandleASyncLoadCount(const HandleEntryHeader* record) {
  return std::atomic_ref<int>(const_cast<int&>(record->ASyncLoadCount)).load(std::memory_order_acquire);
}

int InitializeHandleList(HandleListNode* first, HandleListNode* last);
int AddHandleList(HandleListNode* first, HandleListNode* node, int handle, void* data);
int SubHandleList(HandleListNode* node);

}  // namespace ZaDod
