// Multimedia joystick functions over SDL2 joysticks. Joystick ids 0-15 are SDL's device
// indices in order; the SDL joystick subsystem starts on first use without video, so a
// headless process sees joysticks too.
#pragma once
#include "platform/win/types.h"

namespace plat::input {

using win::DWORD;
using win::UINT;
using win::WORD;
using MMRESULT = UINT;

constexpr MMRESULT JOYERR_NOERROR = 0;
constexpr MMRESULT JOYERR_PARMS = 165;
constexpr MMRESULT JOYERR_UNPLUGGED = 167;

constexpr UINT JOYCAPS_HASZ = 0x1, JOYCAPS_HASR = 0x2, JOYCAPS_HASU = 0x4, JOYCAPS_HASV = 0x8;

constexpr DWORD JOY_RETURNX = 0x1, JOY_RETURNY = 0x2, JOY_RETURNZ = 0x4, JOY_RETURNR = 0x8,
                JOY_RETURNU = 0x10, JOY_RETURNV = 0x20, JOY_RETURNPOV = 0x40, JOY_RETURNBUTTONS = 0x80,
                JOY_RETURNALL = 0xFF;
constexpr DWORD JOY_POVCENTERED = 0xFFFF;

// Ids 0..kMaxJoysticks-1 can answer.
constexpr UINT kMaxJoysticks = 16;

struct JOYCAPSW {
  WORD wMid;
  WORD wPid;
  char16_t szPname[32];
  UINT wXmin, wXmax, wYmin, wYmax, wZmin, wZmax;
  UINT wNumButtons;
  UINT wPeriodMin, wPeriodMax;
  UINT wRmin, wRmax, wUmin, wUmax, wVmin, wVmax;
  UINT wCaps;
  UINT wMaxAxes, wNumAxes, wMaxButtons;
  char16_t szRegKey[32];
  char16_t szOEMVxD[260];
};

struct JOYINFOEX {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwXpos, dwYpos, dwZpos, dwRpos, dwUpos, dwVpos;
  DWORD dwButtons;
  DWORD dwButtonNumber;
  DWORD dwPOV;
  DWORD dwReserved1, dwReserved2;
};

// Capabilities of joystick `id`: axes X, Y, Z, R, U, V are SDL axes 0-5, each 0..65535;
// Z, R, U and V are flagged when the stick has that many axes; at most 32 buttons.
// JOYERR_PARMS for a bad id, pointer or size, JOYERR_UNPLUGGED when no stick has that id.
MMRESULT joyGetDevCapsW(UINT id, JOYCAPSW* caps, UINT size);
// Position of joystick `id`: the values dwFlags asks for, axes rescaled from
// -32768..32767 to 0..65535, buttons 0-31 as bits. dwSize must be sizeof(JOYINFOEX).
MMRESULT joyGetPosEx(UINT id, JOYINFOEX* info);

}  // namespace plat::input
