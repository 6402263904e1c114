// The screen mode: its settings before start-up, the change at run time with its
// fallback ladder, and the display choice.
#include "media/base/log.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/fatal.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "media/system/window_state.h"

namespace ZaDod {
namespace {

struct ScreenMode {
    int width, height, bits, refresh;
};

ScreenMode currentMode() {
    const GraphicsSystemState& g = GraphicsSys;
    return ScreenMode{g.width ? g.width : 640, g.height ? g.height : 480, g.colorBits ? g.colorBits : 16,
                      g.refreshRate};
}

bool operator==(const ScreenMode& a, const ScreenMode& b) {
    return a.width == b.width && a.height == b.height && a.bits == b.bits && a.refresh == b.refresh;
}

void storeMode(const ScreenMode& m) {
    SetMainScreenSize(m.width, m.height);
    GraphicsSys.scalingMode = GraphicsSys.scalingModeSetting;
    GraphicsSys.refreshRate = m.refresh;
    GraphicsSys.colorBits = m.bits;
    SetMemImgDefaultColorType(m.bits == 32 ? kMemImgX8R8G8B8 : kMemImgR5G6B5);
}

int startWith(const ScreenMode& m) {
    storeMode(m);
    return InitializeGraphics();
}

// Starts graphics at the new mode, or falls back: the 320 x 240 emulation, the old
// mode, 640 x 480 at 16 bits, 640 x 480 at 32 bits, and otherwise the program ends.
void startOrFallBack(const ScreenMode& wanted, const ScreenMode& old) {
    if (startWith(wanted) == 0) return;
    if (wanted.width == 320 && wanted.height == 240) {
        SetMainScreenSize(640, 480);
        if (!GraphicsSys.started) GraphicsSys.emulate320x240 = 1;
        if (InitializeGraphics() == 0) return;
        GraphicsSys.emulate320x240 = 0;
    }
    if (startWith(old) == 0) return;
    if (startWith(ScreenMode{640, 480, 16, 0}) == 0) return;
    if (startWith(ScreenMode{640, 480, 32, 0}) == 0) return;
    FatalErrorExit(u"予期せぬ画面モード変更不能現象が起きました2\n");
}

}  // namespace

int SetScreenMode(int width, int height, int bits, int refresh) {
    if (bits == 0) bits = 16;
    if (GraphicsSys.emulate320x240) {
        width = 320;
        height = 240;
    } else if (width < 1 || height < 1) {
        return -1;
    }
    if (bits != 8 && bits != 16 && bits != 32) return -1;
    if (!GraphicsSys.started) {
        storeMode(ScreenMode{width, height, bits, refresh});
        return 0;
    }
    const ScreenMode old = currentMode();
    ChangeScreenMode(width, height, bits, 0, refresh);
    const ScreenMode now = currentMode();
    const bool fullScreen = !GetWindowModeFlag();
    if (now.width == width && now.height == height) {
        if (fullScreen || (now.bits == bits && now.refresh == refresh)) return 0;
    }
    if (now == old) return -1;
    if (now.width == 640 && now.height == 480) {
        if (fullScreen || (now.bits == 16 && now.refresh == 0)) return -2;
    }
    return -1;
}

int ChangeScreenMode(int width, int height, int bits, int force, int refresh) {
    GraphicsSystemState& g = GraphicsSys;
    g.modeChanging = 1;
    FlushDrawBatch();
    const ScreenMode old = currentMode();
    const ScreenMode wanted{width == -1 ? old.width : width, height == -1 ? old.height : height,
                            bits == -1 ? old.bits : bits, refresh == -1 ? old.refresh : refresh};
    if (wanted == old && !force) {
        g.modeChanging = 0;
        return 0;
    }
    LogAddTextUtf16(u"画面モード変更処理を開始します\n");
    LogIndentIncrease();
    // The restart ends and starts the font module: the default font's settings and
    // spacing are carried across.
    struct {
        char16_t name[128];
        int size, thickness, fontType, charSet, edgeSize, italic, space;
    } keptFont{};
    const bool fontKept = g.started && GetDefaultFontHandle() != -1 &&
                          GetFontParamToHandle(keptFont.name, &keptFont.size, &keptFont.thickness,
                                               GetDefaultFontHandle(), &keptFont.fontType, &keptFont.charSet,
                                               &keptFont.edgeSize, &keptFont.italic) == 0;
    if (fontKept) {
        keptFont.space = GetFontSpaceToHandle(GetDefaultFontHandle());
        // A defaulted set stays defaulted, and with it the narrow code page.
        if (GetFontSettingsRecord(GetDefaultFontHandle())->codePage == 65535) keptFont.charSet = -1;
    }
    if (!Library.Initialized && !Library.Initializing) {
        LogIndentDecrease();
        g.modeChanging = 0;
        return 0;
    }
    if (g.started) TerminateGraphics();
    startOrFallBack(wanted, old);

    if (fontKept) {
        SetDefaultFontParam(keptFont.name, keptFont.size, keptFont.thickness, keptFont.fontType, keptFont.charSet,
                            keptFont.edgeSize, keptFont.italic);
        SetFontSpace(keptFont.space);
    }
    if (GetWindowModeFlag()) ApplyWindowStyle(0);
    LogIndentDecrease();
    LogAddTextUtf16(u"画面モード変更処理は正常に終了しました\n");
    ProcessWindowMessagesCore();

    // The restarted draw settings name slot 0's target; bind it the way they hold it.
    const RenderTargetSlot slot = GraphicsDrawSettings.targets[0];
    if (slot.surfaceIndex == 0) {
        SetDrawTarget(slot.handle);
    } else if (g.hardware) {
        Graphics_Hardware_SetRenderTarget(0, slot.handle, slot.surfaceIndex);
        Graphics_Hardware_RefreshDrawTargetAlphaFlag();
    }
    if (g.hardware)
        for (int i = 1; i < kMaxRenderTargets; ++i) Graphics_Hardware_SetRenderTarget(i, -1, 0);
    UpdateDragAcceptFiles();
    g.modeChanging = 0;
    return 0;
}

int GetScreenRefreshRate() { return GraphicsSys.refreshRate; }
int IsScreenSizeDefault() { return GraphicsSys.requestedWidth == 0 ? 1 : 0; }
int IsScreenModeChanging() { return GraphicsSys.modeChanging; }
int GetFullScreenResolution(int* width, int* height) {
    const DisplayModeInfo& m = GraphicsSys.fullScreenMode;
    if (m.width > 0 && m.height > 0) {
        if (width) *width = m.width;
        if (height) *height = m.height;
        return 0;
    }
    return GetMainScreenSize(width, height);
}

int SetWaitVSyncFlag(int flag) {
    if (GraphicsSys.started) return -1;
    GraphicsSys.noVSync = flag ? 0 : 1;
    return 0;
}

int GetWaitVSyncFlag() { return GraphicsSys.noVSync ? 0 : 1; }

int SetUseDisplayIndex(int index) {
    if (GraphicsDisplay.displays == nullptr && SetupDisplayInfo() != 0) return -1;
    if (index < 0 || index >= GraphicsDisplay.displayCount) return -1;
    GraphicsDisplay.useDisplayIndex = index;
    GraphicsDisplay.useDisplayIndexSet = 1;
    return 0;
}

int GetUseDisplayIndex() { return GraphicsDisplay.useDisplayIndexSet ? GraphicsDisplay.useDisplayIndex : 0; }

int GetDisplayModeNum(int displayIndex) {
    if (GraphicsDisplay.displays == nullptr && SetupDisplayInfo() != 0) return -1;
    if (displayIndex < 0 || displayIndex >= GraphicsDisplay.displayCount) return -1;
    return GraphicsDisplay.displays[displayIndex].modeCount;
}

int GetDisplayMode(DISPLAYMODEDATA* out, int modeIndex, int displayIndex) {
    *out = DISPLAYMODEDATA{-1, -1, -1, -1};
    const int count = GetDisplayModeNum(displayIndex);
    if (count < 0 || modeIndex < 0 || modeIndex >= count) return -1;
    const DisplayModeInfo& m = GraphicsDisplay.displays[displayIndex].modes[modeIndex];
    *out = DISPLAYMODEDATA{m.width, m.height, m.colorBits, m.refreshRate};
    return 0;
}

}  // namespace ZaDod
