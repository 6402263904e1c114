// Display stand-in: monitors, devices, mode lists and recorded mode changes.
#include "platform/win/win_display.h"

#include "platform/dynload/sdl_api.h"

#include <mutex>
#include <string>

#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

struct Displays {
  std::mutex mutex;
  std::vector<DisplayDesc> list;
  std::vector<DisplayMode> refused;
  std::function<bool(const DisplayMode&)> refuseRule;
  std::vector<DisplayModeRequest> requests;
};

// The displays SDL reports, when its video system runs the windows.
std::vector<DisplayDesc> sdlList() {
  std::vector<DisplayDesc> list;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    SDL_Rect bounds;
    SDL_DisplayMode current;
    if (SDL_GetDisplayBounds(i, &bounds) != 0 || SDL_GetCurrentDisplayMode(i, &current) != 0) continue;
    DisplayDesc d;
    d.desktop = RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(i, &usable) == 0)
      d.work = RECT{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    d.current =
        DisplayMode{current.w, current.h, static_cast<int>(SDL_BITSPERPIXEL(current.format)), current.refresh_rate};
    const int modes = SDL_GetNumDisplayModes(i);
    for (int m = 0; m < modes; ++m) {
      SDL_DisplayMode mode;
      if (SDL_GetDisplayMode(i, m, &mode) == 0)
        d.modes.push_back(
            DisplayMode{mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format)), mode.refresh_rate});
    }
    list.push_back(std::move(d));
  }
  return list;
}

std::vector<DisplayDesc> defaultList() {
  // Asked once the window system is up: its back end decides whether SDL reports.
  if (backend() != nullptr) {
    std::vector<DisplayDesc> list = sdlList();
    if (!list.empty()) return list;
  }
  DisplayDesc d;
  d.desktop = RECT{0, 0, 1920, 1080};
  d.current = DisplayMode{1920, 1080, 32, 60};
  for (int bits : {8, 16, 32})
    for (DisplayMode m :
         {DisplayMode{640, 480, bits, 60}, DisplayMode{800, 600, bits, 60}, DisplayMode{1024, 768, bits, 60},
          DisplayMode{1280, 720, bits, 60}, DisplayMode{1280, 1024, bits, 60}, DisplayMode{1920, 1080, bits, 60}})
      d.modes.push_back(m);
  return {d};
}

Displays& displays() {
  static Displays d{{}, {}, {}, {}};
  static const bool filled = (d.list = defaultList(), true);
  (void)filled;
  return d;
}

void putName(WCHAR* out, size_t size, int index) {
  const std::string name = "\\\\.\\DISPLAY" + std::to_string(index + 1);
  size_t i = 0;
  for (; i + 1 < size && i < name.size(); ++i) out[i] = static_cast<WCHAR>(name[i]);
  out[i] = 0;
}

int indexOfName(const WCHAR* name, size_t count) {
  if (name == nullptr) return 0;
  for (size_t i = 0; i < count; ++i) {
    WCHAR expected[32];
    putName(expected, 32, static_cast<int>(i));
    size_t k = 0;
    while (expected[k] != 0 && expected[k] == name[k]) ++k;
    if (expected[k] == 0 && name[k] == 0) return static_cast<int>(i);
  }
  return -1;
}

bool sameMode(const DisplayMode& a, const DisplayMode& b) {
  return a.width == b.width && a.height == b.height && a.bits == b.bits &&
         (a.refresh == 0 || b.refresh == 0 || a.refresh == b.refresh);
}

}  // namespace

BOOL EnumDisplayMonitors(HDC dc, const RECT*, MONITORENUMPROC proc, LPARAM data) {
  std::vector<RECT> rects;
  {
    Displays& d = displays();
    std::lock_guard<std::mutex> lock(d.mutex);
    for (const DisplayDesc& desc : d.list) rects.push_back(desc.desktop);
  }
  for (size_t i = 0; i < rects.size(); ++i)
    if (!proc(reinterpret_cast<HMONITOR>(i + 1), dc, &rects[i], data)) break;
  return TRUE;
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFOEXW* info) {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  const size_t index = reinterpret_cast<uintptr_t>(monitor) - 1;
  if (info == nullptr || index >= d.list.size()) return FALSE;
  const DisplayDesc& desc = d.list[index];
  const bool hasWork = desc.work.right > desc.work.left && desc.work.bottom > desc.work.top;
  info->rcMonitor = desc.desktop;
  info->rcWork = hasWork ? desc.work : desc.desktop;
  info->dwFlags = index == 0 ? MONITORINFOF_PRIMARY : 0;
  if (info->cbSize >= sizeof(MONITORINFOEXW)) putName(info->szDevice, 32, static_cast<int>(index));
  return TRUE;
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFOEXA* info) {
  if (info == nullptr) return FALSE;
  MONITORINFOEXW wide{};
  wide.cbSize = sizeof wide;
  if (!GetMonitorInfoW(monitor, &wide)) return FALSE;
  info->rcMonitor = wide.rcMonitor;
  info->rcWork = wide.rcWork;
  info->dwFlags = wide.dwFlags;
  if (info->cbSize >= sizeof(MONITORINFOEXA))
    for (int i = 0; i < 32; ++i)
      info->szDevice[i] = static_cast<CHAR>(wide.szDevice[i] < 0x80 ? wide.szDevice[i] : '?');
  return TRUE;
}

BOOL EnumDisplayDevicesW(const WCHAR*, DWORD index, DISPLAY_DEVICEW* out, DWORD) {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (out == nullptr || index >= d.list.size()) return FALSE;
  putName(out->DeviceName, 32, static_cast<int>(index));
  out->DeviceString[0] = out->DeviceID[0] = out->DeviceKey[0] = 0;
  out->StateFlags = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | (index == 0 ? DISPLAY_DEVICE_PRIMARY_DEVICE : 0);
  return TRUE;
}

BOOL EnumDisplaySettingsW(const WCHAR* deviceName, DWORD modeIndex, DEVMODEW* out) {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  const int index = indexOfName(deviceName, d.list.size());
  if (out == nullptr || index < 0) return FALSE;
  const DisplayDesc& desc = d.list[static_cast<size_t>(index)];
  DisplayMode mode;
  if (modeIndex == ENUM_CURRENT_SETTINGS) {
    mode = desc.current;
  } else if (modeIndex < desc.modes.size()) {
    mode = desc.modes[modeIndex];
  } else {
    return FALSE;
  }
  out->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  out->dmBitsPerPel = static_cast<DWORD>(mode.bits);
  out->dmPelsWidth = static_cast<DWORD>(mode.width);
  out->dmPelsHeight = static_cast<DWORD>(mode.height);
  out->dmDisplayFrequency = static_cast<DWORD>(mode.refresh);
  return TRUE;
}

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (mode == nullptr) {  // back to the desktop's own mode
    if (!d.list.empty()) d.requests.push_back({d.list[0].current, flags, true});
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (mode->dmSize != 0 && mode->dmSize < offsetof(DEVMODEA, icmAndPanning)) return DISP_CHANGE_FAILED;
  DisplayMode asked{static_cast<int>(mode->dmPelsWidth), static_cast<int>(mode->dmPelsHeight),
                    static_cast<int>(mode->dmBitsPerPel),
                    (mode->dmFields & DM_DISPLAYFREQUENCY) ? static_cast<int>(mode->dmDisplayFrequency) : 0};
  bool listed = false;
  if (!d.list.empty())
    for (const DisplayMode& m : d.list[0].modes) listed = listed || sameMode(m, asked);
  bool refused = false;
  for (const DisplayMode& m : d.refused)
    refused = refused || (m.width == asked.width && m.height == asked.height && m.bits == asked.bits &&
                          (m.refresh == 0 || m.refresh == asked.refresh));
  refused = refused || (d.refuseRule && d.refuseRule(asked));
  const bool accepted = (flags == 0 || flags == CDS_FULLSCREEN) && listed && !refused;
  d.requests.push_back({asked, flags, accepted});
  return accepted ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
}

bool GetPrimaryDisplaySize(int* width, int* height) {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  for (auto it = d.requests.rbegin(); it != d.requests.rend(); ++it) {
    if (!it->accepted) continue;
    *width = it->mode.width;
    *height = it->mode.height;
    return true;
  }
  if (d.list.empty()) return false;
  *width = d.list[0].current.width;
  *height = d.list[0].current.height;
  return true;
}

HDC CreateDCW(const WCHAR*, const WCHAR* device, const WCHAR*, const void*) {
  // One context per display for the life of the process.
  static GdiTag contexts[16];
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  const int index = indexOfName(device, d.list.size());
  if (device == nullptr || index < 0 || index >= 16) return nullptr;
  contexts[index] = GdiTag{GdiTag::Kind::DisplayDc, 0, true, nullptr, index};
  return &contexts[index];
}

int displayDeviceCaps(int display, int index) {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (display < 0 || static_cast<size_t>(display) >= d.list.size()) return 0;
  const DisplayMode& m = d.list[static_cast<size_t>(display)].current;
  switch (index) {
    case HORZRES: return m.width;
    case VERTRES: return m.height;
    case BITSPIXEL: return m.bits;
    case PLANES: return 1;
    case VREFRESH: return m.refresh;
    default: return 0;
  }
}

void SetDisplaysForTest(std::vector<DisplayDesc> list) {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  d.list = list.empty() ? defaultList() : std::move(list);
  d.refused.clear();
  d.refuseRule = nullptr;
  d.requests.clear();
}

void RefuseDisplayModeForTest(DisplayMode mode) {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  d.refused.push_back(mode);
}

void SetDisplayModeRuleForTest(std::function<bool(const DisplayMode&)> refuse) {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  d.refuseRule = std::move(refuse);
}

std::vector<DisplayModeRequest> GetDisplayModeRequests() {
  Displays& d = displays();
  std::lock_guard<std::mutex> lock(d.mutex);
  return d.requests;
}

}  // namespace plat::win
