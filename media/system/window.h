// The main window of the media layer: its modes and state, the services the rest of
// the layer and the runtime call on it, and the wait while it is inactive.
#pragma once
#include "platform/win/win_window.h"

namespace ZaDod {

struct BaseImage;

// Window start-up and shut-down (library start-up and shut-down call them).
int InitializeWindow();
int TerminateWindow();

// Modes and styles.
int ChangeWindowMode(int windowed);
int SetWindowModeFlag(int windowed);
int ApplyWindowStyle(int centre);
// The windowed style and extended style of the window's style index, with the bits
// that follow the window's state (shown, layered).
plat::win::DWORD WindowedStyle();
plat::win::DWORD WindowedExStyle();
int UpdateWindowSize();

// Accessors.
int GetWindowActiveFlag();
int GetRunWhileInactiveFlag();
int GetWindowModeFlag();
plat::win::HWND GetMainWindowHandle();
plat::win::HWND GetDisplayWindowHandle();
int GetCloseRequestedFlag();
// 1 from the main window's destruction until the next start-up.
int GetWindowDestroyedFlag();
// 1 once the program is ending: shut-down has begun or the window was closed.
int GetWindowClosingFlag();
int GetMMXFlag();

// Services.
int GetMouseWheelRotation(int clearFlag);
int InitializeCom();
int TerminateCom();
int SetMainWindowText(const char* text);
int SetWindowPosition(int x, int y);
int SetWindowStretchRate(double xRate, double yRate);
double GetWindowStretchRate(double* xRate, double* yRate);
// The centred layout: the window keeps the size it is given and the scaled screen is shown
// in the middle of the client area, its borders painted by the flip.
int SetWindowCentreLayout(int flag);
// 1 while the centred layout is in force (a window, not full screen).
int GetWindowCentreLayoutFlag();
// The client area's size as the window part keeps it.
int GetWindowClientSize(int* width, int* height);
// 1 once after each change of the client area's size, then 0 until the next one.
int TakeWindowResizedFlag();
// 0 an ordinary window, 1 a layered window by colour key, 2 by per-pixel alpha.
int SetWindowLayeredMode(int mode);
int GetWindowLayeredMode();
int ApplyCursorVisibility(int wish);
int GetMousePointOnScreen(int* x, int* y);
int SetForegroundWindowForced(plat::win::HWND hwnd, int topmost);
int UpdateFullScreenMenu();
int IsMenuShown();
// Clipboard text in the wide form: with a null buffer, the text's size in bytes + 1.
int GetClipboardText(char16_t* buffer);
int SetClipboardText(const char16_t* text);
int SetDesktopCompositionEnable(int enable);
int SetWindowShapeFromBitmap(const char* fileName);
plat::win::HRGN CreateWindowRegionFromImage(int width, int height, const void* pixels, int pitch,
                                            int bytesPerPixel);
// Shows a software image in the window as its layered-window picture: transColor
// (0xRRGGBB) is the colour key, or with useAlpha the image's alpha is used.
int UpdateLayeredWindowFromImage(BaseImage* image, int useAlpha, unsigned int transColor);
int ReleaseLayeredWindowCache();
// Removes window shape, menu and toolbar (the window's end).
int RemoveWindowDecorations();
int UpdateDragAcceptFiles();
int AddMouseInputLog(int button);
int FreeDroppedFileList();
int GetTargetDisplayArea(int* width, int* height, int* workWidth, int* workHeight, int* left, int* top);
int GetWindowClientBaseSize(int* width, int* height);

// Window procedure and activation.
plat::win::LRESULT MainWindowProc(plat::win::HWND hwnd, plat::win::UINT message, plat::win::WPARAM wParam,
                                  plat::win::LPARAM lParam);
int HandleWindowActivation(unsigned int word, long long second, int fromActivateApp, int noRepaint);
int QueueWindowActivation(unsigned int word, long long second, int fromActivateApp, int noRepaint);
int CheckWaitWhileInactive();
int WaitWhileWindowInactive();
int PaintWindow(plat::win::HDC dc, const plat::win::RECT* rect, int force);
int ConvDesktopPosToScreenPos(int x, int y, int* screenX, int* screenY);

}  // namespace ZaDod
