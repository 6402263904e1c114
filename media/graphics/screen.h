// The screen mode (size, colour depth, refresh rate) and its change at run time, the
// frame flip, the device restore, window-to-screen co-ordinates and the lock of a
// draw target's pixels.
#pragma once
#include "media/graphics/base_image.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {

struct DISPLAYMODEDATA {
    int Width;
    int Height;
    int ColorBitDepth;
    int RefreshRate;
};

// 0; -1 for unusable arguments or a change that kept the old mode; -2 when the change
// fell back to 640 x 480.
int SetScreenMode(int width, int height, int colorBitDepth, int refreshRate);
// 0, or the program ends through the fatal exit when no mode at all can be started.
int ChangeScreenMode(int width, int height, int colorBitDepth, int force, int refreshRate);
int GetScreenRefreshRate();
int IsScreenSizeDefault();  // 1 while the screen keeps its 640 x 480 default
int IsScreenModeChanging();
int GetFullScreenResolution(int* width, int* height);
int SetWaitVSyncFlag(int flag);  // before start-up only
int GetWaitVSyncFlag();

int FlipScreen();
int RefreshScreenFlip();
int RestoreGraphicsDevice();
int RunGraphRestore();
// Null installs ReloadAllGraphs.
int SetGraphRestoreCallback(void (*callback)());
int IsGraphRestoreCallbackSet();

int ConvClientPosToScreenPos(int x, int y, int* screenX, int* screenY);
// A null rectangle locks the whole target.
int LockDrawTargetBuffer(const ImageRect* rect, BaseImage* out, int handle = -1, int surfaceIndex = 0,
                         int readOnly = 0);
int UnlockDrawTargetBuffer();

int SetUseDisplayIndex(int index);
int GetUseDisplayIndex();
int GetDisplayModeNum(int displayIndex);
// Bad indices give all four fields -1.
int GetDisplayMode(DISPLAYMODEDATA* out, int modeIndex, int displayIndex);

}  // namespace ZaDod
