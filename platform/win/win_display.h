// Display stand-in: monitors, display devices, their mode lists and display-mode
// changes. Without a display system there is one 1920 x 1080 x 32 display at 60 Hz;
// tests can install any list. Mode changes are checked against the list and recorded,
// never applied to the real desktop.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/win/win_window.h"

namespace plat::win {

struct MonitorTag;
using HMONITOR = MonitorTag*;
using CHAR = char;

struct MONITORINFOEXW {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
  WCHAR szDevice[32];
};

struct MONITORINFOEXA {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
  CHAR szDevice[32];
};

struct DISPLAY_DEVICEW {
  DWORD cb;
  WCHAR DeviceName[32];
  WCHAR DeviceString[128];
  DWORD StateFlags;
  WCHAR DeviceID[128];
  WCHAR DeviceKey[128];
};

// The mode fields callers read from EnumDisplaySettingsW.
struct DEVMODEW {
  WORD dmSize;
  DWORD dmFields;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFrequency;
};

// The 156-byte narrow record of ChangeDisplaySettingsA, at its real offsets.
struct DEVMODEA {
  CHAR dmDeviceName[32];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  BYTE printerOrPosition[16];
  short dmColor, dmDuplex, dmYResolution, dmTTOption, dmCollate;
  CHAR dmFormName[32];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFlags;
  DWORD dmDisplayFrequency;
  BYTE icmAndPanning[32];
};
static_assert(sizeof(DEVMODEA) == 156);
static_assert(offsetof(DEVMODEA, dmFields) == 40 && offsetof(DEVMODEA, dmBitsPerPel) == 104 &&
              offsetof(DEVMODEA, dmDisplayFrequency) == 120);

constexpr DWORD DM_BITSPERPEL = 0x40000, DM_PELSWIDTH = 0x80000, DM_PELSHEIGHT = 0x100000,
                DM_DISPLAYFREQUENCY = 0x400000;
constexpr DWORD CDS_FULLSCREEN = 4;
constexpr LONG DISP_CHANGE_SUCCESSFUL = 0, DISP_CHANGE_FAILED = -1, DISP_CHANGE_BADMODE = -2;
constexpr DWORD ENUM_CURRENT_SETTINGS = 0xFFFFFFFF;
constexpr DWORD MONITORINFOF_PRIMARY = 1;
constexpr DWORD DISPLAY_DEVICE_ATTACHED_TO_DESKTOP = 1, DISPLAY_DEVICE_PRIMARY_DEVICE = 4;

using MONITORENUMPROC = BOOL (*)(HMONITOR monitor, HDC dc, RECT* rect, LPARAM data);

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data);
BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFOEXW* info);
// The narrow twin: the same record with the device name in ASCII.
BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFOEXA* info);
BOOL EnumDisplayDevicesW(const WCHAR* device, DWORD index, DISPLAY_DEVICEW* out, DWORD flags);
BOOL EnumDisplaySettingsW(const WCHAR* deviceName, DWORD modeIndex, DEVMODEW* out);
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);
// A device context on a display named by EnumDisplayDevicesW ("\\.\DISPLAY1", ...);
// GetDeviceCaps answers HORZRES, VERTRES, BITSPIXEL, PLANES and VREFRESH of its current
// mode. The context belongs to the display and needs no release. Null for another name.
HDC CreateDCW(const WCHAR* driver, const WCHAR* device, const WCHAR* output, const void* init);
int displayDeviceCaps(int display, int index);

// The size the primary display shows: the mode of the last accepted change, else its
// current mode. A full-screen window covers it.
bool GetPrimaryDisplaySize(int* width, int* height);

// Test facility.
struct DisplayMode {
  int width, height, bits, refresh;
};
struct DisplayDesc {
  RECT desktop;
  DisplayMode current;
  std::vector<DisplayMode> modes;
  RECT work{};  // the work area (the desktop less the task bars); empty: all of desktop
};
// Installs a display list; an empty list restores the default one.
void SetDisplaysForTest(std::vector<DisplayDesc> displays);
// Refuses ChangeDisplaySettingsA requests of this mode (refresh 0 matches any rate).
void RefuseDisplayModeForTest(DisplayMode mode);
// Refuses the requests for which the rule answers true (until the display list is set).
void SetDisplayModeRuleForTest(std::function<bool(const DisplayMode&)> refuse);
struct DisplayModeRequest {
  DisplayMode mode;  // refresh 0 when the request carried none
  DWORD flags;
  bool accepted;
};
std::vector<DisplayModeRequest> GetDisplayModeRequests();

}  // namespace plat::win
