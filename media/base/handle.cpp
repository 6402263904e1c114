// The handle manager: slots, check numbers, the type lock and asynchronous steps.
#include "media/base/handle.h"

#include <cstring>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/file/async_load.h"

namespace ZaDod {

HandleTypeManager HandleManageArray[HANDLETYPE_COUNT];

namespace {

constexpr const char* kSource = "handle.cpp";

HandleTypeManager* managerOf(int handle) {
  if (handle < 0) return nullptr;
  HandleTypeManager* manager = &HandleManageArray[(handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)];
  return manager->InitializeFlag ? manager : nullptr;
}

HandleTypeManager* managerOfType(int handleType) {
  if (handleType < 0 || handleType >= HANDLETYPE_COUNT) return nullptr;
  HandleTypeManager* manager = &HandleManageArray[handleType];
  return manager->InitializeFlag ? manager : nullptr;
}

struct TypeLock {
  explicit TypeLock(HandleTypeManager* manager, int line) : manager_(manager) {
    CriticalSection_Lock(&manager_->CriticalSection, kSource, line);
  }
  ~TypeLock() {
    if (held_) CriticalSection_Unlock(&manager_->CriticalSection);
  }
  void unlock() {
    CriticalSection_Unlock(&manager_->CriticalSection);
    held_ = false;
  }
  void relock(int line) {
    CriticalSection_Lock(&manager_->CriticalSection, kSource, line);
    held_ = true;
  }

 private:
  HandleTypeManager* manager_;
  bool held_ = true;
};

// Runs action(lock, record) under the type's lock of a valid handle; -1 otherwise.
template <class Action>
int withRecord(int handle, int line, Action action) {
  HandleTypeManager* m = managerOf(handle);
  if (m == nullptr) return -1;
  TypeLock lock(m, line);
  HandleEntryHeader* record = GetHandleInfo(handle);
  if (record == nullptr) return -1;
  return action(lock, *m, record);
}

// Slot and count changes, made under the type's lock, published for lock-free readers.
void setSlot(HandleTypeManager& m, int index, HandleEntryHeader* record) {
  std::atomic_ref<HandleEntryHeader*>(m.Handle[index]).store(record, std::memory_order_release);
}
void setCount(HandleEntryHeader* record, int count) {
  std::atomic_ref<int>(record->ASyncLoadCount).store(count, std::memory_order_release);
}

// Clears a manager; its check counter survives.
void resetManager(HandleTypeManager& m) {
  int checkNo = m.NextCheckNo;
  std::memset(static_cast<void*>(&m), 0, sizeof(m));
  m.NextCheckNo = checkNo;
}

// Waits until no asynchronous step is pending on the record. The record is looked at
// only under the type's lock, which is let go between looks: the worker that ends
// the step changes the count, or deletes the record, under that lock. The main
// thread runs posted calls meanwhile: the worker that finishes the load may be
// waiting for one. Entered and left with the lock held.
void waitASyncLoad(TypeLock& lock, int handle, int line) {
  for (;;) {
    HandleEntryHeader* record = GetHandleInfo(handle);
    if (record == nullptr || record->ASyncLoadCount == 0) return;
    lock.unlock();
    ProcessASyncLoadRequestMainThread();
    Thread_Sleep(0);
    lock.relock(line);
  }
}

int nextOccupied(const HandleTypeManager& m, int from, int step) {
  for (int i = from; i >= 0 && i < m.MaxNum; i += step) {
    if (m.Handle[i] != nullptr) return i;
  }
  return 0;
}

// Removes a record the caller has decided to delete; the type's lock is held.
void removeRecord(HandleTypeManager& m, HandleEntryHeader* record) {
  int index = record->Handle & HANDLE_INDEX_MASK;
  if (record->DeleteFlag != nullptr) *record->DeleteFlag = -1;
  SubHandleList(&record->List);
  setSlot(m, index, nullptr);
  MemFree(record);
  --m.Num;
  if (m.Num == 0) {
    m.AreaMin = 0;
    m.AreaMax = 0;
  } else if (index == m.AreaMax) {
    m.AreaMax = nextOccupied(m, index - 1, -1);
  } else if (index == m.AreaMin) {
    m.AreaMin = nextOccupied(m, index + 1, 1);
  }
}

// Deletes one handle. With skipASyncWait the caller is the step that ends the last
// asynchronous load itself, so there is nothing to wait for.
int subHandle(int handle, bool skipASyncWait) {
  return withRecord(handle, __LINE__, [&](TypeLock& lock, HandleTypeManager& m, HandleEntryHeader* record) {
    if (!skipASyncWait && record->ASyncLoadCount != 0) {
      // A job that no worker has taken yet is withdrawn (or was freed unrun: its
      // slot is empty, since a job that runs makes the handle forget it before its
      // slot is freed), and the handle goes at once; a running job, or steps not
      // known by their job, are waited for.
      const int job = record->ASyncLoadJobIndex;
      if (job >= 0 && DeleteASyncLoadData(job, 1) >= -1) {
        record->ASyncLoadJobIndex = -1;
      } else {
        waitASyncLoad(lock, handle, __LINE__);
        record = GetHandleInfo(handle);
        if (record == nullptr) return 0;  // the step's end or someone else deleted it meanwhile
      }
    }
    if (m.TerminateFunction != nullptr && m.TerminateFunction(record) == 1) return 0;
    removeRecord(m, record);
    return 0;
  });
}

}  // namespace

int InitializeHandleManage(int handleType, int oneSize, int maxNum, HandleInitializeFunction initializeFunction,
                           HandleTerminateFunction terminateFunction, const char16_t* name) {
  if (handleType <= 0 || handleType >= HANDLETYPE_COUNT || maxNum <= 0 || maxNum > HANDLE_INDEX_MASK + 1 ||
      oneSize < static_cast<int>(sizeof(HandleEntryHeader))) {
    return -1;
  }
  HandleTypeManager& m = HandleManageArray[handleType];
  if (m.InitializeFlag) return -1;

  resetManager(m);
  m.OneSize = oneSize;
  m.MaxNum = maxNum;
  m.InitializeFunction = initializeFunction;
  m.TerminateFunction = terminateFunction;
  m.Name = name;
  m.HandleTypeMask = handleType << HANDLE_TYPE_SHIFT;
  if (name != nullptr) {
    ConvertString(name, GetDefaultWideCodePage(), m.NameUtf16, sizeof(m.NameUtf16), CodePageUtf16LE);
  }

  m.Handle = static_cast<HandleEntryHeader**>(MemCalloc(sizeof(HandleEntryHeader*) * maxNum, kSource, __LINE__));
  if (m.Handle == nullptr) return -1;
  InitializeHandleList(&m.ListFirst, &m.ListLast);
  CriticalSection_Initialize(&m.CriticalSection);
  m.InitializeFlag = 1;
  return 0;
}

int TerminateHandleManage(int handleType) {
  HandleTypeManager* m = managerOfType(handleType);
  if (m == nullptr) return -1;
  SubAllHandle(handleType, nullptr);

  {
    // Records whose term callback kept them have no owner once the type goes away.
    TypeLock lock(m, __LINE__);
    while (m->ListFirst.Next != &m->ListLast) {
      removeRecord(*m, static_cast<HandleEntryHeader*>(m->ListFirst.Next->Data));
    }
    m->InitializeFlag = 0;
  }
  MemFree(m->Handle);
  CriticalSection_Delete(&m->CriticalSection);
  resetManager(*m);
  return 0;
}

int AddHandle(int handleType, int asyncFlag, int reuseHandle) {
  HandleTypeManager* m = managerOfType(handleType);
  if (m == nullptr) return -1;
  TypeLock lock(m, __LINE__);

  if (m->Num >= m->MaxNum) {
    lock.unlock();
    LogFormatUtf16(u"%sハンドルの数が限界数( %d )に達していて新たなハンドルを作成できません", m->NameUtf16, m->MaxNum);
    return -1;
  }

  int reuseIndex = reuseHandle != -1 ? (reuseHandle & HANDLE_INDEX_MASK) : -1;
  int index;
  if (reuseIndex >= 0 && reuseIndex < m->MaxNum && m->Handle[reuseIndex] == nullptr) {
    index = reuseIndex;
  } else if (m->Num == 0) {
    index = 0;
  } else if (m->AreaMax + 1 < m->MaxNum) {
    index = m->AreaMax + 1;
  } else if (m->AreaMin - 1 >= 1) {
    index = m->AreaMin - 1;
  } else {
    index = 0;
    while (m->Handle[index] != nullptr) ++index;
  }

  auto* record = static_cast<HandleEntryHeader*>(MemCalloc(m->OneSize, kSource, __LINE__));
  if (record == nullptr) {
    lock.unlock();
    LogFormatUtf16(u"%sハンドルのデータを格納するメモリ領域の確保に失敗しました", m->NameUtf16);
    return -1;
  }
  int checkNo;
  if (reuseHandle != -1) {
    checkNo = (reuseHandle & HANDLE_CHECK_MASK) >> HANDLE_CHECK_SHIFT;
  } else {
    checkNo = m->NextCheckNo + 1;
    if (checkNo >= HANDLE_CHECK_LIMIT) checkNo = 0;
    m->NextCheckNo = checkNo;
  }
  record->CheckNo = checkNo;
  record->Size = m->OneSize;
  record->DeleteRequestFlag = 0;
  if (asyncFlag) {
    record->ASyncLoadCount = 1;
    record->ASyncLoadJobIndex = -1;
  }
  int handle = (checkNo << HANDLE_CHECK_SHIFT) | m->HandleTypeMask | index;
  record->Handle = handle;
  setSlot(*m, index, record);

  ++m->Num;
  if (m->Num == 1) {
    m->AreaMin = m->AreaMax = index;
  } else if (index > m->AreaMax) {
    m->AreaMax = index;
  } else if (index < m->AreaMin) {
    m->AreaMin = index;
  }

  AddHandleList(&m->ListFirst, &record->List, handle, record);
  if (m->InitializeFunction != nullptr) m->InitializeFunction(record);
  return handle;
}

int SubHandle(int handle) { return subHandle(handle, false); }

int SubAllHandle(int handleType, HandleDeleteFilter filter) {
  HandleTypeManager* m = managerOfType(handleType);
  if (m == nullptr) return -1;

  // Handles whose term callback keeps them are remembered by slot and value and not
  // asked again, so that the sweep ends.
  int* kept = nullptr;
  TypeLock lock(m, __LINE__);
  for (;;) {
    int found = -1, loading = -1;
    if (m->Num > 0) {
      for (int i = m->AreaMin; i <= m->AreaMax; ++i) {
        HandleEntryHeader* record = m->Handle[i];
        if (record == nullptr || (kept != nullptr && kept[i] == record->Handle)) continue;
        // A filter reads what the load makes: a record still loading is asked only
        // once its load has ended.
        if (filter != nullptr && record->ASyncLoadCount != 0) {
          loading = record->Handle;
          break;
        }
        if (filter == nullptr || filter(record) == 0) {
          found = record->Handle;
          break;
        }
      }
    }
    if (loading != -1) {
      waitASyncLoad(lock, loading, __LINE__);
      continue;
    }
    if (found == -1) break;

    lock.unlock();
    subHandle(found, false);
    lock.relock(__LINE__);

    HandleEntryHeader* survivor = GetHandleInfo(found);
    if (survivor != nullptr) {
      if (kept == nullptr) {
        kept = static_cast<int*>(MemCalloc(sizeof(int) * m->MaxNum, kSource, __LINE__));
        if (kept == nullptr) break;  // cannot remember it: stop rather than sweep forever
      }
      kept[found & HANDLE_INDEX_MASK] = found;  // 0 is never a valid handle
    }
  }
  lock.unlock();
  MemFree(kept);
  return 0;
}

int ReallocHandle(int handle, int newSize) {
  HandleEntryHeader* record = GetHandleInfo(handle);
  if (record == nullptr || newSize < static_cast<int>(sizeof(HandleEntryHeader))) return -1;
  if (record->Size == newSize) return 0;
  HandleTypeManager* m = managerOf(handle);
  TypeLock lock(m, __LINE__);
  record = GetHandleInfo(handle);
  if (record == nullptr) return -1;

  auto* moved = static_cast<HandleEntryHeader*>(MemRealloc(record, newSize, kSource, __LINE__));
  if (moved == nullptr) return -1;
  if (moved != record) {
    setSlot(*m, handle & HANDLE_INDEX_MASK, moved);
    moved->List.Data = moved;
    moved->List.Prev->Next = &moved->List;
    moved->List.Next->Prev = &moved->List;
  }
  moved->Size = newSize;
  return 0;
}

int SetDeleteHandleFlag(int handle, int* deleteFlag) {
  HandleEntryHeader* record = GetHandleInfo(handle);
  if (record == nullptr) return -1;
  record->DeleteFlag = deleteFlag;
  return 0;
}

int IncHandleASyncLoadCount(int handle, int jobIndex) {
  return withRecord(handle, __LINE__, [&](TypeLock&, HandleTypeManager&, HandleEntryHeader* record) {
    setCount(record, record->ASyncLoadCount + 1);
    record->ASyncLoadJobIndex = jobIndex;
    return 0;
  });
}

int AddHandleASyncLoadJob(int handle, AsyncLoadJob* job) {
  return withRecord(handle, __LINE__, [&](TypeLock&, HandleTypeManager&, HandleEntryHeader* record) {
    // Counted and registered under the type's lock: a worker may take the job at
    // once, but its end (the count going down, the index being reset) waits for this.
    setCount(record, record->ASyncLoadCount + 1);
    job->Handle = handle;
    int index = -1;
    if (AddASyncLoadData(job, &index) != 0) {
      setCount(record, record->ASyncLoadCount - 1);
      job->Handle = -1;
      return -1;
    }
    record->ASyncLoadJobIndex = index;
    return 0;
  });
}

int EndHandleASyncLoadJob(int handle, int jobIndex) {
  return withRecord(handle, __LINE__, [&](TypeLock&, HandleTypeManager&, HandleEntryHeader* record) {
    if (record->ASyncLoadJobIndex == jobIndex) record->ASyncLoadJobIndex = -1;
    return 0;
  });
}

int DecHandleASyncLoadCount(int handle) { return EndHandleASyncLoadStep(handle, 0); }

int EndHandleASyncLoadStep(int handle, int failed) {
  return withRecord(handle, __LINE__, [&](TypeLock&, HandleTypeManager&, HandleEntryHeader* record) {
    if (failed) record->DeleteRequestFlag = 1;
    if (record->ASyncLoadCount > 0) setCount(record, record->ASyncLoadCount - 1);
    // A requested deletion happens when the last step ends; earlier steps leave the
    // record to the ones still running.
    if (record->DeleteRequestFlag && record->ASyncLoadCount == 0) subHandle(handle, true);
    return 0;
  });
}

int CheckHandleASyncLoad(int handle) {
  return withRecord(handle, __LINE__, [](TypeLock&, HandleTypeManager&, HandleEntryHeader* record) {
    return record->ASyncLoadCount != 0 ? 1 : 0;
  });
}

int WaitHandleASyncLoad(int handle) {
  return withRecord(handle, __LINE__, [&](TypeLock& lock, HandleTypeManager&, HandleEntryHeader* record) {
    if (record->ASyncLoadCount != 0) waitASyncLoad(lock, handle, __LINE__);
    return 0;
  });
}

int InitializeHandleList(HandleListNode* first, HandleListNode* last) {
  first->Handle = -1;
  first->Data = nullptr;
  first->Prev = nullptr;
  first->Next = last;
  last->Handle = -1;
  last->Data = nullptr;
  last->Prev = first;
  last->Next = nullptr;
  return 0;
}

int AddHandleList(HandleListNode* first, HandleListNode* node, int handle, void* data) {
  node->Handle = handle;
  node->Data = data;
  node->Prev = first;
  node->Next = first->Next;
  first->Next->Prev = node;
  first->Next = node;
  return 0;
}

int SubHandleList(HandleListNode* node) {
  node->Prev->Next = node->Next;
  node->Next->Prev = node->Prev;
  return 0;
}

}  // namespace ZaDod
