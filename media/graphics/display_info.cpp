// The monitor table with each monitor's display modes and areas, and the display-mode
// change of a full-screen software screen.
#include <cstdlib>
#include <cstring>

#include "media/base/log.h"
#include "media/graphics/display.h"
#include "platform/win/win_display.h"

namespace ZaDod {
namespace win = plat::win;

namespace {

struct Fill {
    int next;
};

win::BOOL monitorProc(win::HMONITOR monitor, win::HDC, win::RECT*, win::LPARAM data) {
    auto* fill = reinterpret_cast<Fill*>(data);
    if (fill->next >= GraphicsDisplay.displayCount) return win::TRUE;
    DisplayInfo& info = GraphicsDisplay.displays[fill->next];
    win::MONITORINFOEXW monitorInfo{};
    monitorInfo.cbSize = sizeof monitorInfo;
    if (win::GetMonitorInfoW(monitor, &monitorInfo)) {
        info.desktop = ImageRect{monitorInfo.rcMonitor.left, monitorInfo.rcMonitor.top, monitorInfo.rcMonitor.right,
                                 monitorInfo.rcMonitor.bottom};
        std::memcpy(info.name, monitorInfo.szDevice, sizeof monitorInfo.szDevice);
        if (win::HDC dc = win::CreateDCW(u"DISPLAY", info.name, nullptr, nullptr)) {
            info.width = win::GetDeviceCaps(dc, win::HORZRES);
            info.height = win::GetDeviceCaps(dc, win::VERTRES);
            info.colorBits = win::GetDeviceCaps(dc, win::BITSPIXEL) * win::GetDeviceCaps(dc, win::PLANES);
            info.refreshRate = win::GetDeviceCaps(dc, win::VREFRESH);
        }
    }
    LogFormatUtf16(u"No.%d  モニター名：%s　%dx%d　%dbit　%dHz", fill->next, info.name, info.width, info.height,
                   info.colorBits, info.refreshRate);
    ++fill->next;
    return win::TRUE;
}

win::BOOL countProc(win::HMONITOR, win::HDC, win::RECT*, win::LPARAM data) {
    ++*reinterpret_cast<int*>(data);
    return win::TRUE;
}

bool sameName(const char16_t* a, const char16_t* b) {
    for (int i = 0; i < 128; ++i) {
        if (a[i] != b[i]) return false;
        if (a[i] == 0) return true;
    }
    return true;
}

// Lists the modes of 16 bits or more of one display.
int listModes(DisplayInfo& info) {
    int count = 0;
    win::DEVMODEW mode{};
    for (win::DWORD i = 0; win::EnumDisplaySettingsW(info.name, i, &mode); ++i)
        if (mode.dmBitsPerPel >= 16) ++count;
    info.modeCount = 0;
    if (count == 0) return 0;
    info.modes = static_cast<DisplayModeInfo*>(std::calloc(static_cast<size_t>(count), sizeof(DisplayModeInfo)));
    if (info.modes == nullptr) return -1;
    for (win::DWORD i = 0; info.modeCount < count && win::EnumDisplaySettingsW(info.name, i, &mode); ++i) {
        if (mode.dmBitsPerPel < 16) continue;
        info.modes[info.modeCount++] =
            DisplayModeInfo{static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight),
                            static_cast<int>(mode.dmBitsPerPel), static_cast<int>(mode.dmDisplayFrequency)};
    }
    return 0;
}

// The display-table record of an index, the table built first when missing.
const DisplayInfo* displayOf(int displayIndex) {
    if (GraphicsDisplay.displays == nullptr && SetupDisplayInfo() != 0) return nullptr;
    if (displayIndex < 0 || displayIndex >= GraphicsDisplay.displayCount) return nullptr;
    return &GraphicsDisplay.displays[displayIndex];
}

struct WorkSearch {
    const char16_t* name;
    win::RECT work;
    bool found;
};

win::BOOL workAreaProc(win::HMONITOR monitor, win::HDC, win::RECT*, win::LPARAM data) {
    auto* search = reinterpret_cast<WorkSearch*>(data);
    win::MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!win::GetMonitorInfoW(monitor, &info) || !sameName(info.szDevice, search->name)) return win::TRUE;
    search->work = info.rcWork;
    search->found = true;
    return win::FALSE;
}

}  // namespace

int GetDisplayArea(int displayIndex, win::RECT* area) {
    const DisplayInfo* info = displayOf(displayIndex);
    if (info == nullptr || area == nullptr) return -1;
    *area = win::RECT{info->desktop.left, info->desktop.top, info->desktop.right, info->desktop.bottom};
    return 0;
}

int GetDisplayWorkArea(int displayIndex, win::RECT* area) {
    const DisplayInfo* info = displayOf(displayIndex);
    if (info == nullptr || area == nullptr) return -1;
    // The table keeps no work area: the monitor of the record's name is asked for it.
    // A monitor that went away since the table was built leaves its whole rectangle.
    WorkSearch search{info->name, {}, false};
    win::EnumDisplayMonitors(nullptr, nullptr, &workAreaProc, reinterpret_cast<win::LPARAM>(&search));
    *area = search.found ? search.work
                         : win::RECT{info->desktop.left, info->desktop.top, info->desktop.right, info->desktop.bottom};
    return 0;
}

int SetupDisplayInfo() {
    ReleaseDisplayInfo();
    LogAddTextUtf16(u"ディスプレイ情報のセットアップ開始");
    LogIndentIncrease();
    int monitors = 0;
    win::EnumDisplayMonitors(nullptr, nullptr, &countProc, reinterpret_cast<win::LPARAM>(&monitors));
    int devices = 0;
    win::DISPLAY_DEVICEW device{};
    device.cb = sizeof device;
    while (win::EnumDisplayDevicesW(nullptr, static_cast<win::DWORD>(devices), &device, 0)) ++devices;
    LogFormatUtf16(u"モニターの数：%d  ディスプレイデバイスの数：%d", monitors, devices);

    GraphicsDisplay.displays =
        monitors > 0 ? static_cast<DisplayInfo*>(std::calloc(static_cast<size_t>(monitors), sizeof(DisplayInfo)))
                     : nullptr;
    if (GraphicsDisplay.displays == nullptr) {
        LogAddTextUtf16(u"[エラー]ディスプレイ情報保存用のメモリ確保に失敗しました");
        LogIndentDecrease();
        return -1;
    }
    GraphicsDisplay.displayCount = monitors;
    Fill fill{0};
    win::EnumDisplayMonitors(nullptr, nullptr, &monitorProc, reinterpret_cast<win::LPARAM>(&fill));

    for (int i = 0; i < devices; ++i) {
        device.cb = sizeof device;
        if (!win::EnumDisplayDevicesW(nullptr, static_cast<win::DWORD>(i), &device, 0)) break;
        for (int m = 0; m < monitors; ++m) {
            DisplayInfo& info = GraphicsDisplay.displays[m];
            if (!sameName(info.name, device.DeviceName)) continue;
            if (listModes(info) != 0) {
                LogIndentDecrease();
                return -1;
            }
        }
    }
    LogIndentDecrease();
    LogAddTextUtf16(u"ディスプレイ情報のセットアップ完了");
    return 0;
}

void ReleaseDisplayInfo() {
    DisplayState& d = GraphicsDisplay;
    for (int i = 0; d.displays != nullptr && i < d.displayCount; ++i) std::free(d.displays[i].modes);
    std::free(d.displays);
    d.displays = nullptr;
    d.displayCount = 0;
}

int ChangeScreenResolution() {
    GraphicsSystemState& g = GraphicsSys;
    LogFormatUtf16(u"画面モードの変更処理を開始します %u x %u  %u bit ", g.width, g.height, g.colorBits);
    LogIndentIncrease();
    SetupFullScreenDisplayMode();
    if (g.fullScreenMode.colorBits != 16 && g.fullScreenMode.colorBits != 32) {
        LogIndentDecrease();
        return -1;
    }
    LogAddTextUtf16(u"画面解像度を変更します... ");
    win::DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmBitsPerPel = static_cast<win::DWORD>(g.colorBits);
    mode.dmPelsWidth = static_cast<win::DWORD>(g.fullScreenMode.width);
    mode.dmPelsHeight = static_cast<win::DWORD>(g.fullScreenMode.height);
    mode.dmFields = win::DM_BITSPERPEL | win::DM_PELSWIDTH | win::DM_PELSHEIGHT;
    if (g.refreshRate != 0) {
        mode.dmFields |= win::DM_DISPLAYFREQUENCY;
        mode.dmDisplayFrequency = static_cast<win::DWORD>(g.refreshRate);
    }
    if (win::ChangeDisplaySettingsA(&mode, win::CDS_FULLSCREEN) != win::DISP_CHANGE_SUCCESSFUL) {
        mode.dmFields &= ~win::DM_DISPLAYFREQUENCY;
        g.refreshRate = 0;
        if (win::ChangeDisplaySettingsA(&mode, 0) != win::DISP_CHANGE_SUCCESSFUL) {
            LogAddTextUtf16(u"画面モードの変更に失敗しました\n");
            LogIndentDecrease();
            return -1;
        }
    }
    GraphicsDisplay.displayModeChanged = 1;
    LogAddTextUtf16(u"成功しました\n");
    LogIndentDecrease();
    GraphicsDisplay.blackFillCount = 10;
    return 0;
}

}  // namespace ZaDod
