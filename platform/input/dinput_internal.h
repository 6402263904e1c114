// The DirectInput stand-in's device base: reference count, data format, cooperative
// level, acquisition and the notification event, shared by the keyboard, the mouse and
// the game controllers. Internal to platform/input.
#pragma once
#include <atomic>
#include <mutex>

#include "platform/input/dinput.h"
#include "platform/win/sync.h"
#include "platform/win/win_window.h"

namespace plat::input::dinput {

class Device : public IDirectInputDevice8W {
 public:
  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override {
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
    if (!format || format->dwDataSize != stateSize()) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> guard(mutex_);
    if (acquired_) return win::E_INVALIDARG;  // a format is set while not acquired
    formatSet_ = true;
    return DI_OK;
  }

  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    const bool exclusive = flags & DISCL_EXCLUSIVE, shared = flags & DISCL_NONEXCLUSIVE;
    const bool foreground = flags & DISCL_FOREGROUND, background = flags & DISCL_BACKGROUND;
    if (exclusive == shared || foreground == background || !window) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> guard(mutex_);
    window_ = window;
    foreground_ = foreground;
    exclusive_ = exclusive;
    return DI_OK;
  }

  HRESULT SetEventNotification(win::HANDLE event) override {
    std::lock_guard<std::mutex> guard(mutex_);
    if (acquired_) return win::E_INVALIDARG;
    event_ = event;
    return DI_OK;
  }

  HRESULT Acquire() override {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!formatSet_) return win::E_INVALIDARG;
    if (foreground_ && !windowInFront()) return DIERR_OTHERAPPHASPRIO;
    if (acquired_) return win::S_FALSE;
    if (!attached()) return DIERR_INPUTLOST;
    acquired_ = true;
    onAcquire();
    return DI_OK;
  }

  HRESULT Unacquire() override {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!acquired_) return win::S_FALSE;
    acquired_ = false;
    return DI_OK;
  }

  HRESULT Poll() override {
    std::lock_guard<std::mutex> guard(mutex_);
    HRESULT hr = usable();
    return hr < 0 ? hr : (polled() ? DI_OK : win::S_FALSE);
  }

  HRESULT GetDeviceState(DWORD size, void* data) override {
    if (!data || size != stateSize()) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> guard(mutex_);
    HRESULT hr = usable();
    if (hr < 0) return hr;
    return readState(data) ? DI_OK : (acquired_ = false, DIERR_INPUTLOST);
  }

  HRESULT SetProperty(DWORD property, const DIPROPHEADER* header) override {
    if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> guard(mutex_);
    if (property == DIPROP_BUFFERSIZE) {
      if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return win::E_INVALIDARG;
      bufferSize_ = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
      return DI_OK;
    }
    return setAxisProperty(property, header);
  }

  HRESULT CreateEffect(const win::GUID&, const DIEFFECT*, IDirectInputEffect** out, void*) override {
    if (out) *out = nullptr;
    return DIERR_UNSUPPORTED;
  }

  // A reference for a device that may be on its way out: false once the count reached 0.
  bool tryAddRef() {
    DWORD n = refs_.load();
    while (n != 0)
      if (refs_.compare_exchange_weak(n, n + 1)) return true;
    return false;
  }

  // Sets the notification event, when there is one and the device is acquired.
  void signal() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (acquired_ && event_) win::SetEvent(event_);
  }

 protected:
  virtual ~Device() = default;
  virtual DWORD stateSize() const = 0;
  // Under the lock: fills the state; false when the device is gone.
  virtual bool readState(void* data) = 0;
  virtual bool attached() { return true; }
  virtual bool polled() const { return false; }
  virtual void onAcquire() {}
  virtual HRESULT setAxisProperty(DWORD, const DIPROPHEADER*) { return DIERR_UNSUPPORTED; }

  std::mutex mutex_;

 private:
  // A foreground device is lost while its window is not in front.
  bool windowInFront() const { return window_ && win::GetForegroundWindow() == window_; }

  HRESULT usable() {
    if (!acquired_) return DIERR_NOTACQUIRED;
    if ((foreground_ && !windowInFront()) || !attached()) {
      acquired_ = false;
      return DIERR_INPUTLOST;
    }
    return DI_OK;
  }

  std::atomic<DWORD> refs_{1};
  bool formatSet_ = false;
  bool acquired_ = false;
  bool foreground_ = false;
  bool exclusive_ = false;
  HWND window_ = nullptr;
  win::HANDLE event_ = nullptr;
  DWORD bufferSize_ = 0;
};

// The system keyboard and mouse; null when out of memory.
Device* NewKeyboard();
Device* NewMouse();
// The game controller whose instance guid this is, or null when no attached stick has it.
Device* NewController(const win::GUID& instance);
// One description per attached controller, in SDL's device order.
bool DescribeController(int index, DIDEVICEINSTANCEW* out);

}  // namespace plat::input::dinput
