// Displays and presentation of the graphics system: the API choice, the monitor table
// and its display modes, the full-screen display mode and the place of the screen in
// it, DirectDraw's vertical blank, and the software present into the window.
#pragma once
#include <cstdint>

#include "media/graphics/graphics_state.h"

namespace plat::win {
struct RECT;
}

namespace ZaDod {

struct DisplayInfo {
    ImageRect desktop;  // the monitor in desktop co-ordinates
    int width, height;  // current mode
    int colorBits;
    int refreshRate;
    char16_t name[128];
    int modeCount;
    DisplayModeInfo* modes;
};

struct DisplayState {
    DisplayInfo* displays;  // null until built
    int displayCount;
    int useDisplayIndex;
    int useDisplayIndexSet;
    void* directDraw;             // the DirectDraw object, or null
    long long vsyncPeriod;        // measured frame period in microseconds, -1 when unknown
    long long lastVSyncTime;      // microseconds
    int displayModeChanged;
    int blackFillCount;           // coming software presents that first paint the display black
};
extern DisplayState GraphicsDisplay;

int Graphics_Hardware_Initialize();
int Graphics_Hardware_RecreateDevice(int modeFlag, int width, int height, int bits, int refreshRate);
int Graphics_Hardware_FlipScreen();

int SetupDisplayInfo();
void ReleaseDisplayInfo();
// A display's rectangle, and its work area (without the task bars), in desktop
// co-ordinates, for any index of the display table (built first when missing);
// -1 for an index not in it.
int GetDisplayArea(int displayIndex, plat::win::RECT* area);
int GetDisplayWorkArea(int displayIndex, plat::win::RECT* area);
int SetupFullScreenDisplayMode();
int CalcScreenDestRect();
int ChangeScreenResolution();

int InitializeDirectDraw();
int TerminateDirectDraw();
void* GetDirectDrawObject();
void WaitVSyncByDirectDraw();
void MeasureVSyncPeriod();
// Re-presents the front screen while it is the draw target (window timer 32767).
void FrontScreenRefreshTimerProc();
// Starts that timer when `handle` is the front screen (-4); 0.
int StartFrontScreenRefreshTimer(int handle);

}  // namespace ZaDod
