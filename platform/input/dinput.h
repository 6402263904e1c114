// DirectInput as the media layer knows it: the class and interfaces it asks the COM
// registry for, the device, property and effect shapes it passes, and the state
// layouts the input tables are read into. The stand-in behind it serves the system
// keyboard and mouse from the window system's raw input and game controllers from
// SDL joysticks; HALVORINE_MISSING=dinput removes the class.
#pragma once
#include <cstdint>

#include "platform/win/com.h"
#include "platform/win/module.h"
#include "platform/win/types.h"
#include "platform/win/win_window.h"

namespace plat::input {

using win::BYTE;
using win::DWORD;
using win::HRESULT;
using win::HWND;

// The joystick state: axes, sliders, four point-of-view hats (hundredths of a degree
// clockwise from up, -1 centred) and 32 button bytes (0x80 = down). 80 bytes.
struct DIJOYSTATE {
  std::int32_t lX, lY, lZ;
  std::int32_t lRx, lRy, lRz;
  std::int32_t rglSlider[2];
  win::DWORD rgdwPOV[4];
  win::BYTE rgbButtons[32];
};
static_assert(sizeof(DIJOYSTATE) == 80);

// The extended mouse state: motion since the last read, the wheel in 120 units a step,
// and eight button bytes. 20 bytes.
struct DIMOUSESTATE2 {
  std::int32_t lX, lY, lZ;
  win::BYTE rgbButtons[8];
};
static_assert(sizeof(DIMOUSESTATE2) == 20);

// Byte offsets of the joystick axes, by which properties name them.
constexpr DWORD DIJOFS_X = 0, DIJOFS_Y = 4, DIJOFS_Z = 8, DIJOFS_RX = 12, DIJOFS_RY = 16, DIJOFS_RZ = 20;

// Results besides the COM ones.
constexpr HRESULT DI_OK = 0;
constexpr HRESULT DI_POLLEDDEVICE = 2;
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);

// Cooperative levels.
constexpr DWORD DISCL_EXCLUSIVE = 0x1, DISCL_NONEXCLUSIVE = 0x2, DISCL_FOREGROUND = 0x4, DISCL_BACKGROUND = 0x8;

// Enumeration.
constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x1;
constexpr win::BOOL DIENUM_STOP = 0, DIENUM_CONTINUE = 1;

// Properties, and how a property header names its object.
constexpr DWORD DIPROP_BUFFERSIZE = 1, DIPROP_RANGE = 4, DIPROP_DEADZONE = 5;
constexpr DWORD DIPH_DEVICE = 0, DIPH_BYOFFSET = 1;

struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
};
struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};
struct DIPROPRANGE {
  DIPROPHEADER diph;
  std::int32_t lMin;
  std::int32_t lMax;
};

// A data format names the state layout a device hands out.
struct DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwDataSize;
};
extern const DIDATAFORMAT c_dfDIKeyboard;  // 256 key bytes
extern const DIDATAFORMAT c_dfDIMouse2;    // DIMOUSESTATE2
extern const DIDATAFORMAT c_dfDIJoystick;  // DIJOYSTATE

// Class and interface ids, and the system devices and effect kinds by id.
extern const win::CLSID CLSID_DirectInput8;
extern const win::IID IID_IDirectInput8W;
extern const win::GUID GUID_SysKeyboard;
extern const win::GUID GUID_SysMouse;
extern const win::GUID GUID_ConstantForce;
extern const win::GUID GUID_Sine;

struct DIDEVICEINSTANCEW {
  DWORD dwSize;
  win::GUID guidInstance;
  win::GUID guidProduct;
  DWORD dwDevType;
  char16_t tszInstanceName[260];
  char16_t tszProductName[260];
};

// Effects.
constexpr DWORD DIEFF_CARTESIAN = 0x10, DIEFF_POLAR = 0x20, DIEFF_OBJECTOFFSETS = 0x2;
constexpr DWORD DIEP_TYPESPECIFICPARAMS = 0x100, DIEP_START = 0x20000000;
constexpr DWORD INFINITE_DURATION = 0xFFFFFFFFu;
constexpr DWORD DIEB_NOTRIGGER = 0xFFFFFFFFu;

struct DIENVELOPE {
  DWORD dwSize;
  DWORD dwAttackLevel;
  DWORD dwAttackTime;
  DWORD dwFadeLevel;
  DWORD dwFadeTime;
};
struct DICONSTANTFORCE {
  std::int32_t lMagnitude;
};
struct DIPERIODIC {
  DWORD dwMagnitude;
  std::int32_t lOffset;
  DWORD dwPhase;
  DWORD dwPeriod;
};
struct DIEFFECT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDuration;
  DWORD dwSamplePeriod;
  DWORD dwGain;
  DWORD dwTriggerButton;
  DWORD dwTriggerRepeatInterval;
  DWORD cAxes;
  DWORD* rgdwAxes;
  std::int32_t* rglDirection;
  DIENVELOPE* lpEnvelope;
  DWORD cbTypeSpecificParams;
  void* lpvTypeSpecificParams;
  DWORD dwStartDelay;
};

struct IDirectInputEffect {
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;
  // Only the magnitude of the type-specific parameters is taken; DIEP_START starts too.
  virtual HRESULT SetParameters(const DIEFFECT* effect, DWORD flags) = 0;
  virtual HRESULT Start(DWORD iterations, DWORD flags) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT Unload() = 0;

 protected:
  ~IDirectInputEffect() = default;
};

struct IDirectInputDevice8W {
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;
  virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT SetProperty(DWORD property, const DIPROPHEADER* header) = 0;
  virtual HRESULT SetEventNotification(win::HANDLE event) = 0;
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;
  virtual HRESULT Poll() = 0;
  virtual HRESULT GetDeviceState(DWORD size, void* data) = 0;
  virtual HRESULT GetDeviceInfo(DIDEVICEINSTANCEW* info) = 0;
  virtual HRESULT CreateEffect(const win::GUID& kind, const DIEFFECT* effect, IDirectInputEffect** out,
                               void* outer) = 0;

 protected:
  ~IDirectInputDevice8W() = default;
};

using LPDIENUMDEVICESCALLBACKW = win::BOOL (*)(const DIDEVICEINSTANCEW* instance, void* context);

// The calls the media layer makes on the object itself.
struct IDirectInput8W : win::IUnknown {
  virtual HRESULT Initialize(win::HMODULE instance, win::DWORD version) = 0;
  virtual HRESULT CreateDevice(const win::GUID& device, IDirectInputDevice8W** out, void* outer) = 0;
  // Calls back once per attached game controller, in SDL's device order, until the
  // callback answers DIENUM_STOP.
  virtual HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, void* context, DWORD flags) = 0;

 protected:
  ~IDirectInput8W() = default;
};

}  // namespace plat::input
