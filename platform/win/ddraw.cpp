// DirectDraw 7 stand-in for the software renderer.
#include "platform/win/ddraw.h"

#include <atomic>
#include <mutex>
#include <new>

#include "platform/win/win_clock.h"
#include "platform/win/win_thread.h"

namespace plat::win {

const CLSID CLSID_DirectDraw7 = {0x3C305196, 0x50DB, 0x11D3, {0x9C, 0xFE, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
const IID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

namespace {

constexpr long long kNanosecondsPerSecond = 1000000000LL;
constexpr long long kRefreshRate = 60;

struct Script {
  std::mutex mutex;
  std::vector<long long> blanks;  // microseconds
  size_t next = 0;
};
Script& script() {
  static Script s;
  return s;
}
std::atomic<int> waitCount{0};
std::atomic<DWORD> lastLevel{0};

// The first blank strictly after now (rounded up, so that it is never now itself).
long long nextBoundary(long long now) {
  const long long k = now * kRefreshRate / kNanosecondsPerSecond + 1;
  return (k * kNanosecondsPerSecond + kRefreshRate - 1) / kRefreshRate;
}

class DirectDraw final : public IDirectDraw7 {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!(iid == IID_IDirectDraw7)) {
      *object = nullptr;
      return static_cast<HRESULT>(0x80004002u);  // E_NOINTERFACE
    }
    AddRef();
    *object = static_cast<IDirectDraw7*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT Initialize(GUID* driver) override {
    if (driver != nullptr) return DDERR_INVALIDPARAMS;
    initialized_ = true;
    return S_OK;
  }
  HRESULT SetCooperativeLevel(HWND, DWORD flags) override {
    lastLevel = flags;
    return S_OK;
  }
  HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) override {
    if (flags != DDWAITVB_BLOCKBEGIN || event != nullptr || !initialized_) return DDERR_INVALIDPARAMS;
    ++waitCount;
    WaitForVerticalBlankTick();
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{1};
  bool initialized_ = false;
};

HRESULT createDirectDraw(void* outer, const IID& iid, void** object) {
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  auto* dd = new (std::nothrow) DirectDraw();
  if (dd == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = dd->QueryInterface(iid, object);
  dd->Release();
  return result;
}

// The class is known as soon as anything names its class id.
const bool ddrawRegistered = (RegisterComClass(CLSID_DirectDraw7, "ddraw", &createDirectDraw), true);

}  // namespace

void WaitForVerticalBlankTick() {
  const long long now = MonotonicNanoseconds();
  if (IsClockHeldForTest()) {
    long long target = nextBoundary(now);
    {
      Script& s = script();
      std::lock_guard<std::mutex> lock(s.mutex);
      while (s.next < s.blanks.size() && s.blanks[s.next] * 1000 < now) ++s.next;
      if (s.next < s.blanks.size()) target = s.blanks[s.next++] * 1000;
    }
    StepClockForTest(target - now);
    return;
  }
  // One sleep to the blank itself: nothing is spun, and a late wake-up is late only by
  // the kernel's timer slack.
  SleepUntilNanoseconds(nextBoundary(now));
}

void SetVerticalBlankScriptForTest(std::vector<long long> microseconds) {
  Script& s = script();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.blanks = std::move(microseconds);
  s.next = 0;
}

int GetVerticalBlankWaitCount() { return waitCount; }
DWORD GetLastCooperativeLevel() { return lastLevel; }

}  // namespace plat::win
