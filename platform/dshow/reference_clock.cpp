// System, manual and sourced reference clocks with their advise lists.
#include "platform/dshow/reference_clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <map>
#include <mutex>
#include <thread>

#include "platform/dshow/filter_parts.h"
#include "platform/win/sync.h"

namespace plat::dshow {

const CLSID CLSID_SystemClock = {0xE436EBB1, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

namespace {

using win::E_INVALIDARG;
using win::E_POINTER;
using win::S_FALSE;
using win::S_OK;

struct Advise {
  REFERENCE_TIME due;
  REFERENCE_TIME period;  // 0 for a one-time advise
  HANDLE handle;
};

class Clock final : public IReferenceClock {
 public:
  explicit Clock(bool manual, ClockSource source = {})
      : manual_(manual), source_(std::move(source)), origin_(std::chrono::steady_clock::now()) {}

  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    return AnswerInterface<IReferenceClock>(this, iid, IID_IReferenceClock, out);
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetTime(REFERENCE_TIME* time) override {
    if (time == nullptr) return E_POINTER;
    std::lock_guard guard(lock_);
    // The clock never goes back, and two readings in a row differ only if time passed.
    const REFERENCE_TIME now = readLocked();
    const bool same = now == last_;
    last_ = now;
    *time = now;
    return same ? S_FALSE : S_OK;
  }

  HRESULT AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HANDLE event, DWORD_PTR* cookie) override {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (event == nullptr || baseTime < 0 || streamTime < 0 ||
        baseTime > std::numeric_limits<REFERENCE_TIME>::max() - streamTime)
      return E_INVALIDARG;
    return add(Advise{baseTime + streamTime, 0, event}, cookie);
  }

  HRESULT AdvisePeriodic(REFERENCE_TIME startTime, REFERENCE_TIME period, HANDLE semaphore,
                         DWORD_PTR* cookie) override {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (semaphore == nullptr || startTime < 0 || period <= 0) return E_INVALIDARG;
    return add(Advise{startTime, period, semaphore}, cookie);
  }

  HRESULT Unadvise(DWORD_PTR cookie) override {
    std::lock_guard guard(lock_);
    return advises_.erase(cookie) != 0 ? S_OK : S_FALSE;
  }

  bool manual() const { return manual_; }

  void step(REFERENCE_TIME by) {
    std::lock_guard guard(lock_);
    manualTime_ += by;
    fireDueLocked();
  }

 private:
  ~Clock() {
    {
      std::lock_guard guard(lock_);
      stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  REFERENCE_TIME readLocked() {
    if (manual_) return manualTime_;
    if (source_) {
      const REFERENCE_TIME now = source_();
      return now < last_ ? last_ : now;
    }
    const auto since = std::chrono::steady_clock::now() - origin_;
    REFERENCE_TIME now = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
    return now < last_ ? last_ : now;
  }

  HRESULT add(const Advise& advise, DWORD_PTR* cookie) {
    std::lock_guard guard(lock_);
    const DWORD_PTR id = nextCookie_++;
    advises_[id] = advise;
    *cookie = id;
    if (manual_) {
      fireDueLocked();
      return S_OK;
    }
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    changed_.notify_all();
    return S_OK;
  }

  // Fires what is due now; returns the earliest time still waited for.
  REFERENCE_TIME fireDueLocked() {
    const REFERENCE_TIME now = readLocked();
    REFERENCE_TIME next = std::numeric_limits<REFERENCE_TIME>::max();
    for (auto it = advises_.begin(); it != advises_.end();) {
      Advise& a = it->second;
      if (a.due <= now) {
        if (a.period == 0) {
          win::SetEvent(a.handle);
          it = advises_.erase(it);
          continue;
        }
        // One release per period passed.
        while (a.due <= now) {
          win::ReleaseSemaphore(a.handle, 1, nullptr);
          a.due += a.period;
        }
      }
      if (a.due < next) next = a.due;
      ++it;
    }
    return next;
  }

  void run() {
    std::unique_lock guard(lock_);
    while (!stopping_) {
      const REFERENCE_TIME next = fireDueLocked();
      if (next == std::numeric_limits<REFERENCE_TIME>::max()) {
        changed_.wait(guard);
      } else {
        auto wait = std::chrono::nanoseconds((next - readLocked()) * 100);
        // A sourced clock need not keep pace with the steady clock: look again often,
        // but never spin while it stands still.
        if (source_) wait = std::clamp<std::chrono::nanoseconds>(wait, kSourcedMinWait, kSourcedMaxWait);
        changed_.wait_for(guard, wait);
      }
    }
  }

  static constexpr std::chrono::nanoseconds kSourcedMinWait = std::chrono::milliseconds(1);
  static constexpr std::chrono::nanoseconds kSourcedMaxWait = std::chrono::milliseconds(5);

  const bool manual_;
  const ClockSource source_;
  const std::chrono::steady_clock::time_point origin_;
  std::atomic<ULONG> refs_{1};
  std::mutex lock_;
  std::condition_variable changed_;
  std::map<DWORD_PTR, Advise> advises_;
  DWORD_PTR nextCookie_ = 1;
  REFERENCE_TIME last_ = 0;
  REFERENCE_TIME manualTime_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

HRESULT createClock(void* outer, const IID& iid, void** object) {
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  Clock* clock = new Clock(false);
  const HRESULT hr = clock->QueryInterface(iid, object);
  clock->Release();
  return hr;
}

const bool systemClockRegistered = (win::RegisterComClass(CLSID_SystemClock, "dshow", &createClock), true);

}  // namespace

HRESULT CreateSystemClock(IReferenceClock** clock) {
  if (clock == nullptr) return E_POINTER;
  *clock = new Clock(false);
  return S_OK;
}

HRESULT CreateManualClock(IReferenceClock** clock) {
  if (clock == nullptr) return E_POINTER;
  *clock = new Clock(true);
  return S_OK;
}

HRESULT CreateSourcedClock(ClockSource source, IReferenceClock** clock) {
  if (clock == nullptr || !source) return E_POINTER;
  *clock = new Clock(false, std::move(source));
  return S_OK;
}

bool StepManualClock(IReferenceClock* clock, REFERENCE_TIME step) {
  // Only our own clocks come here in tests; a clock of ours answers with itself.
  auto* ours = dynamic_cast<Clock*>(clock);
  if (ours == nullptr || !ours->manual()) return false;
  ours->step(step);
  return true;
}

}  // namespace plat::dshow
