// Temporary: what the window and life-cycle code uses of the graphics modules, until
// they land. graphics_seam.cpp keeps the screen settings with their defaults (640 x 480
// at 16 bits until set), reports one display (the platform's primary display) and
// records every start-up, shut-down and device call.
#pragma once
#include "media/graphics/display.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "platform/win/window.h"

namespace ZaDod {

struct DISPLAYMODEDATA {
  int Width;
  int Height;
  int ColorBitDepth;
  int RefreshRate;
};

// Screen settings and state.
int GetScreenColorBitDepth();
int GetMainScreenSize(int* width, int* height);
int SetScreenMode(int width, int height, int colorBitDepth, int refreshRate);
int GetScreenState(int* width, int* height, int* colorBitDepth);
int GetScreenRefreshRate();
int IsScreenSizeDefault();  // 1 while the screen keeps its fixed 640 x 480 default
int GetDisplayModeNum(int displayIndex);
DISPLAYMODEDATA GetDisplayMode(int displayIndex, int modeIndex);
int GetFullScreenResolution(int* width, int* height);
int GetUseDisplayIndex();
int GetDisplayArea(int displayIndex, plat::win::RECT* area);  // desktop rectangle
int GetDisplayWorkArea(int displayIndex, plat::win::RECT* area);
int IsFullScreenMode();
int ConvClientPosToScreenPos(int x, int y, int* screenX, int* screenY);
int IsScreenModeChanging();

// Start-up, shut-down and device life.
int ChangeScreenMode(int width, int height, int colorBitDepth, int force, int refreshRate);
int SetGraphRestoreCallback(void (*callback)());
int IsGraphRestoreCallbackSet();
int RestoreGraphicsDevice();

// Drawing state and presentation.
int SetDrawTarget(int target);
int GetDrawTarget();
int GetDrawArea(plat::win::RECT* area);
int GetUseMaskScreenFlag();
int SetUseMaskScreenFlag(int flag);
int GetWaitVSyncFlag();
int SetWaitVSyncFlag(int flag);
int RefreshScreenFlip();
int FlipScreen();

// Fonts of the on-screen log.
int CreateFontHandleW(const void* createParam, const char16_t* name, int size, int thickness, int fontType,
                      int charSet, int edgeSize, int italic, int wantedHandle, int async);
int DeleteFontHandle(int font);
int GetFontSizeToHandle(int font);
int DrawStringToHandleW(int x, int y, const char16_t* text, int color, int font, int edgeColor, int vertical);


}  // namespace ZaDod
