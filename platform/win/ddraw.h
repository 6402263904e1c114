// DirectDraw 7 stand-in: the object the software renderer creates through COM to wait
// for the vertical blank. The blank runs at a fixed 60 Hz of the monotonic clock; on a
// held clock the wait steps the clock to the next scripted blank (or 60 Hz boundary).
// Its short name for HALVORINE_MISSING is "ddraw".
#pragma once
#include <vector>

#include "platform/win/com.h"

namespace plat::win {

struct WindowTag;
using HWND = WindowTag*;

constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSCL_FPUPRESERVE = 0x1000;
constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x1;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;

extern const CLSID CLSID_DirectDraw7;
extern const IID IID_IDirectDraw7;

struct IDirectDraw7 : IUnknown {
  virtual HRESULT Initialize(GUID* driver) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;

 protected:
  ~IDirectDraw7() = default;
};

// Waits for the next vertical blank of the 60 Hz clock (on a held clock, steps it there).
// Every face that waits for the blank shares this one clock.
void WaitForVerticalBlankTick();

// Test facility: blank times in microseconds of the monotonic clock, used in order by
// waits on a held clock; an empty list means the 60 Hz boundaries.
void SetVerticalBlankScriptForTest(std::vector<long long> microseconds);
// Calls of SetCooperativeLevel and WaitForVerticalBlank made so far.
int GetVerticalBlankWaitCount();
DWORD GetLastCooperativeLevel();

}  // namespace plat::win
