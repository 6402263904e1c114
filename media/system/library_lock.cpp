#include "media/system/library_lock.h"

#include <atomic>
#include <cstdint>
#include <mutex>

#include "media/base/thread.h"
#include "platform/win/sync.h"
#include "platform/win/thread.h"

namespace ZaDod {

namespace {

constexpr const char* kSource = "library_lock.cpp";
constexpr int kWaiterMax = 4096;
constexpr uint32_t kNoOwner = 0xFFFFFFFFu;

struct Waiter {
  uint32_t ThreadId;  // 0 when the entry is free
  plat::win::HANDLE Event;
};

struct LibraryThreadLock {
  int CreateFlag;
  TrackedCriticalSection Guard;
  int RecursionCount;
  int LockFlag;
  uint32_t OwnerThreadId;
  Waiter Waiters[kWaiterMax];
  int WaiterNum;
};

LibraryThreadLock Lock;

// Threads inside an acquire or release; -1 while the lock is being destroyed. A lock
// is taken apart only when nobody is inside, holds it or waits for it.
std::atomic<int> Users{0};
std::mutex CreateMutex;

void enterGate() {
  for (;;) {
    int users = Users.load();
    if (users >= 0 && Users.compare_exchange_weak(users, users + 1)) return;
    plat::win::Sleep(0);
  }
}

void leaveGate() { Users.fetch_sub(1); }

void createIfNeeded() {
  std::lock_guard<std::mutex> guard(CreateMutex);
  if (Lock.CreateFlag) return;
  for (Waiter& waiter : Lock.Waiters) {
    waiter.ThreadId = 0;
    waiter.Event = plat::win::CreateEventA(nullptr, plat::win::TRUE, plat::win::FALSE, nullptr);
  }
  Lock.WaiterNum = 0;
  Lock.RecursionCount = 0;
  Lock.LockFlag = 0;
  Lock.OwnerThreadId = kNoOwner;
  CriticalSection_Initialize(&Lock.Guard);
  Lock.CreateFlag = 1;
}

void take(uint32_t threadId) {
  ++Lock.RecursionCount;
  Lock.LockFlag = 1;
  Lock.OwnerThreadId = threadId;
  CriticalSection_Unlock(&Lock.Guard);
}

}  // namespace

void LibraryLockAcquire() {
  enterGate();
  createIfNeeded();
  uint32_t self = plat::win::GetCurrentThreadId();
  for (;;) {
    CriticalSection_Lock(&Lock.Guard, kSource, __LINE__);
    int n = Lock.WaiterNum;
    if (!Lock.LockFlag) {
      if (n == 0 || Lock.OwnerThreadId == self) {
        take(self);
        break;
      }
      if (Lock.Waiters[0].ThreadId == self) {
        // The head of the queue leaves it; its event goes to the free end.
        plat::win::HANDLE event = Lock.Waiters[0].Event;
        for (int i = 1; i < n; ++i) Lock.Waiters[i - 1] = Lock.Waiters[i];
        Lock.Waiters[n - 1] = {0, event};
        Lock.WaiterNum = n - 1;
        take(self);
        break;
      }
    } else if (Lock.OwnerThreadId == self) {
      take(self);
      break;
    }

    if (n < kWaiterMax) {
      Lock.Waiters[n].ThreadId = self;
      Lock.WaiterNum = n + 1;
      plat::win::HANDLE event = Lock.Waiters[n].Event;
      CriticalSection_Unlock(&Lock.Guard);
      plat::win::WaitForSingleObject(event, plat::win::INFINITE);
      plat::win::ResetEvent(event);
    } else {
      CriticalSection_Unlock(&Lock.Guard);
      plat::win::Sleep(1);
    }
  }
  leaveGate();
}

void LibraryLockRelease() {
  enterGate();
  if (!Lock.CreateFlag) {
    leaveGate();
    return;
  }
  CriticalSection_Lock(&Lock.Guard, kSource, __LINE__);
  if (Lock.RecursionCount <= 0 || Lock.OwnerThreadId != plat::win::GetCurrentThreadId()) {
    // Not the owner: nothing to give up.
    CriticalSection_Unlock(&Lock.Guard);
    leaveGate();
    return;
  }
  bool wake = false;
  if (Lock.RecursionCount == 1) {
    Lock.LockFlag = 0;
    Lock.OwnerThreadId = kNoOwner;
    wake = Lock.WaiterNum >= 1;
  }
  --Lock.RecursionCount;
  plat::win::HANDLE head = wake ? Lock.Waiters[0].Event : nullptr;
  CriticalSection_Unlock(&Lock.Guard);
  if (wake) {
    plat::win::SetEvent(head);
    plat::win::Sleep(0);
  }
  leaveGate();
}

int LibraryLockDestroy() {
  int expected = 0;
  if (!Users.compare_exchange_strong(expected, -1)) return 0;
  int destroyed = 0;
  if (Lock.CreateFlag && !Lock.LockFlag && Lock.WaiterNum == 0) {
    Lock.CreateFlag = 0;
    for (Waiter& waiter : Lock.Waiters) {
      if (waiter.Event != nullptr) plat::win::CloseHandle(waiter.Event);
      waiter = {0, nullptr};
    }
    CriticalSection_Delete(&Lock.Guard);
    destroyed = 1;
  }
  Users.store(0);
  return destroyed;
}

int GetLibraryLockWaiterNum() {
  enterGate();
  int n = 0;
  if (Lock.CreateFlag) {
    CriticalSection_Lock(&Lock.Guard, kSource, __LINE__);
    n = Lock.WaiterNum;
    CriticalSection_Unlock(&Lock.Guard);
  }
  leaveGate();
  return n;
}

}  // namespace ZaDod
