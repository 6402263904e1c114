// Temporary: the graphics modules as the window and life-cycle code see them. Screen
// settings are kept; the device calls are recorded; flips present empty frames.
#include "media/system/graphics_seam.h"

#include "media/base/log.h"
#include "media/system/onscreen_log.h"
#include "media/system/seam_record.h"
#include "media/system/window.h"

namespace ZaDod {
namespace {

int drawTarget = -2;
int useMaskScreen = 0, restoreCallbackSet = 0;

}  // namespace

// The screen settings live in the graphics state; these accessors read and set them
// there until the screen module lands.
int GetScreenColorBitDepth() { return GraphicsSys.colorBits ? GraphicsSys.colorBits : 16; }

int GetMainScreenSize(int* width, int* height) {
  if (width) *width = GraphicsSys.width ? GraphicsSys.width : 640;
  if (height) *height = GraphicsSys.height ? GraphicsSys.height : 480;
  return 0;
}

int SetScreenMode(int width, int height, int colorBitDepth, int refreshRate) {
  RecordSeamCall("SetScreenMode");
  SetMainScreenSize(width, height);
  GraphicsSys.colorBits = colorBitDepth == 0 ? 16 : colorBitDepth;
  GraphicsSys.refreshRate = refreshRate;
  SetMemImgDefaultColorType(GraphicsSys.colorBits == 32 ? kMemImgX8R8G8B8 : kMemImgR5G6B5);
  return 0;
}

int GetScreenState(int* width, int* height, int* colorBitDepth) {
  GetMainScreenSize(width, height);
  if (colorBitDepth) *colorBitDepth = GetScreenColorBitDepth();
  return 0;
}

int GetScreenRefreshRate() { return GraphicsSys.refreshRate; }
int IsScreenSizeDefault() { return GraphicsSys.requestedWidth == 0 ? 1 : 0; }

// One display: the platform's primary display with its desktop mode.
int GetDisplayModeNum(int displayIndex) { return displayIndex == 0 ? 1 : -1; }

DISPLAYMODEDATA GetDisplayMode(int displayIndex, int modeIndex) {
  if (displayIndex != 0 || modeIndex != 0) return DISPLAYMODEDATA{0, 0, 0, 0};
  plat::win::HDC dc = plat::win::GetDC(nullptr);
  DISPLAYMODEDATA mode{plat::win::GetDeviceCaps(dc, plat::win::HORZRES),
                       plat::win::GetDeviceCaps(dc, plat::win::VERTRES),
                       plat::win::GetDeviceCaps(dc, plat::win::BITSPIXEL),
                       plat::win::GetDeviceCaps(dc, plat::win::VREFRESH)};
  plat::win::ReleaseDC(nullptr, dc);
  return mode;
}


int GetFullScreenResolution(int* width, int* height) { return GetMainScreenSize(width, height); }

int GetUseDisplayIndex() { return 0; }

int GetDisplayArea(int displayIndex, plat::win::RECT* area) {
  if (displayIndex != 0 || !area) return -1;
  *area = plat::win::RECT{0, 0, plat::win::GetSystemMetrics(plat::win::SM_CXSCREEN),
                          plat::win::GetSystemMetrics(plat::win::SM_CYSCREEN)};
  return 0;
}

int GetDisplayWorkArea(int displayIndex, plat::win::RECT* area) {
  if (displayIndex != 0 || !area) return -1;
  plat::win::SystemParametersInfoW(plat::win::SPI_GETWORKAREA, 0, area, 0);
  return 0;
}

int IsFullScreenMode() { return GetWindowModeFlag() ? 0 : 1; }

int ConvClientPosToScreenPos(int x, int y, int* screenX, int* screenY) {
  *screenX = x, *screenY = y;
  return 0;
}

int IsScreenModeChanging() { return 0; }




int ChangeScreenMode(int, int, int, int, int) {
  RecordSeamCall("ChangeScreenMode");
  return 0;
}

int SetGraphRestoreCallback(void (*)()) {
  RecordSeamCall("SetGraphRestoreCallback");
  restoreCallbackSet = 1;  // null installs the default reloader
  return 0;
}

int IsGraphRestoreCallbackSet() { return restoreCallbackSet; }
int RestoreGraphicsDevice() { RecordSeamCall("RestoreGraphicsDevice"); return 0; }

int SetDrawTarget(int target) {
  RecordSeamCall(target == -2 ? "SetDrawTarget(back)" : target == -4 ? "SetDrawTarget(front)" : "SetDrawTarget");
  drawTarget = target;
  GraphicsDrawSettings.targets[0] = RenderTargetSlot{target, 0};
  return 0;
}

int GetDrawTarget() { return drawTarget; }

int GetDrawArea(plat::win::RECT* area) {
  int w, h;
  GetMainScreenSize(&w, &h);
  *area = plat::win::RECT{0, 0, w, h};
  return 0;
}

int GetUseMaskScreenFlag() { return useMaskScreen; }
int SetUseMaskScreenFlag(int flag) { return useMaskScreen = flag, 0; }
int GetWaitVSyncFlag() { return GraphicsSys.noVSync ? 0 : 1; }
int SetWaitVSyncFlag(int flag) { return GraphicsSys.noVSync = flag ? 0 : 1, 0; }

// Both forward to the present until the screen module brings the full flip.
int RefreshScreenFlip() {
  RecordSeamCall("RefreshScreenFlip");
  return FlipScreen();
}

int FlipScreen() {
  if (!GraphicsSys.started) return -1;
  if (GetOnScreenLogFlag()) DrawOnScreenLog();
  return Graphics_Hardware_FlipScreen();
}

// No font module yet: creation fails, so the on-screen log's font becomes -2.
int CreateFontHandleW(const void*, const char16_t*, int, int, int, int, int, int, int, int) {
  RecordSeamCall("CreateFontHandleW");
  return -1;
}
int DeleteFontHandle(int) { return -1; }
int GetFontSizeToHandle(int) { return -1; }
int DrawStringToHandleW(int, int, const char16_t*, int, int, int, int) { return -1; }


}  // namespace ZaDod
