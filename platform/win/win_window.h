// Window and message stand-in: window classes, top-level windows, per-thread message
// queues, keyboard state, cursor, dropped files, the screen device context and the
// paint bookkeeping. Windows are real SDL2 windows when a display is usable and
// headless records otherwise; either way they deliver the same messages.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/win/types.h"

namespace plat::win {

using ATOM = uint16_t;
using DWORDLONG = uint64_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LONG_PTR = intptr_t;
using COLORREF = DWORD;
using UINT_PTR = uintptr_t;

struct WindowTag;
struct GdiTag;
struct DropTag;
struct TouchTag;
struct Module;
using HWND = WindowTag*;
using HGDIOBJ = GdiTag*;
using HBRUSH = GdiTag*;
using HDC = GdiTag*;
using HICON = GdiTag*;
using HCURSOR = GdiTag*;
using HMENU = GdiTag*;
using HACCEL = GdiTag*;
using HRGN = GdiTag*;
using HDROP = DropTag*;
using HTOUCHINPUT = TouchTag*;
using HINSTANCE = Module*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

struct POINT {
  LONG x, y;
};
struct RECT {
  LONG left, top, right, bottom;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

struct WNDCLASSEXW {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const char16_t* lpszMenuName;
  const char16_t* lpszClassName;
  HICON hIconSm;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

struct MEMORYSTATUSEX {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  DWORDLONG ullTotalPhys;
  DWORDLONG ullAvailPhys;
  DWORDLONG ullTotalPageFile;
  DWORDLONG ullAvailPageFile;
  DWORDLONG ullTotalVirtual;
  DWORDLONG ullAvailVirtual;
  DWORDLONG ullAvailExtendedVirtual;
};

struct MEMORYSTATUS {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  size_t dwTotalPhys;
  size_t dwAvailPhys;
  size_t dwTotalPageFile;
  size_t dwAvailPageFile;
  size_t dwTotalVirtual;
  size_t dwAvailVirtual;
};

// Messages.
inline constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005,
                      WM_ACTIVATE = 0x0006, WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012,
                      WM_ACTIVATEAPP = 0x001C, WM_SETCURSOR = 0x0020, WM_DISPLAYCHANGE = 0x007E, WM_NCHITTEST = 0x0084,
                      WM_NCRBUTTONDOWN = 0x00A4, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
                      WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106,
                      WM_IME_STARTCOMPOSITION = 0x010D, WM_IME_ENDCOMPOSITION = 0x010E, WM_IME_COMPOSITION = 0x010F,
                      WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113, WM_MOUSEMOVE = 0x0200,
                      WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205,
                      WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MOUSEWHEEL = 0x020A, WM_MOUSEHWHEEL = 0x020E,
                      WM_ENTERMENULOOP = 0x0211, WM_EXITMENULOOP = 0x0212, WM_SIZING = 0x0214, WM_MOVING = 0x0216,
                      WM_ENTERSIZEMOVE = 0x0231, WM_EXITSIZEMOVE = 0x0232, WM_DROPFILES = 0x0233, WM_TOUCH = 0x0240,
                      WM_IME_SETCONTEXT = 0x0281, WM_IME_NOTIFY = 0x0282, WM_IME_REQUEST = 0x0288,
                      MM_MCINOTIFY = 0x03B9, WM_USER = 0x0400;

inline constexpr WPARAM WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;
inline constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;
inline constexpr WPARAM SC_MOVE = 0xF010, SC_SCREENSAVE = 0xF140, SC_MONITORPOWER = 0xF170;
inline constexpr WPARAM MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10;
inline constexpr int WHEEL_DELTA = 120;

// PeekMessageW.
inline constexpr UINT PM_NOREMOVE = 0, PM_REMOVE = 1;

// Window styles.
inline constexpr DWORD WS_POPUP = 0x80000000, WS_VISIBLE = 0x10000000, WS_MINIMIZE = 0x20000000,
                       WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_DLGFRAME = 0x00400000,
                       WS_SYSMENU = 0x00080000, WS_THICKFRAME = 0x00040000, WS_MINIMIZEBOX = 0x00020000,
                       WS_MAXIMIZEBOX = 0x00010000, WS_CHILD = 0x40000000, WS_MAXIMIZE = 0x01000000;
inline constexpr DWORD WS_EX_TOPMOST = 0x8, WS_EX_ACCEPTFILES = 0x10, WS_EX_WINDOWEDGE = 0x100,
                       WS_EX_CLIENTEDGE = 0x200, WS_EX_LAYERED = 0x80000;
inline constexpr UINT CS_VREDRAW = 0x1, CS_HREDRAW = 0x2;
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// GetWindowLongW / SetWindowLongW.
inline constexpr int GWL_WNDPROC = -4, GWL_USERDATA = -21, GWL_STYLE = -16, GWL_EXSTYLE = -20;

// ShowWindow.
inline constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_MAXIMIZE = 3, SW_SHOW = 5,
                     SW_MINIMIZE = 6, SW_RESTORE = 9;

// SetWindowPos.
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
inline constexpr UINT SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOZORDER = 0x4, SWP_NOREDRAW = 0x8, SWP_NOACTIVATE = 0x10,
                      SWP_FRAMECHANGED = 0x20, SWP_SHOWWINDOW = 0x40, SWP_HIDEWINDOW = 0x80;

// Resources and stock objects.
inline constexpr uintptr_t IDI_APPLICATION = 32512, IDC_ARROW = 32512;
inline constexpr int BLACK_BRUSH = 4, NULL_BRUSH = 5;

// GetDeviceCaps.
inline constexpr int HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14, VREFRESH = 116;

// SystemParametersInfoW.
inline constexpr UINT SPI_GETSCREENSAVEACTIVE = 0x10, SPI_SETSCREENSAVEACTIVE = 0x11, SPI_GETWORKAREA = 0x30,
                      SPI_GETFOREGROUNDLOCKTIMEOUT = 0x2000, SPI_SETFOREGROUNDLOCKTIMEOUT = 0x2001;
inline constexpr UINT SPIF_UPDATEINIFILE = 0x1, SPIF_SENDCHANGE = 0x2;

// GetSystemMetrics.
inline constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1;

// Virtual keys the callers name.
inline constexpr BYTE VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_MBUTTON = 0x04, VK_BACK = 0x08, VK_TAB = 0x09,
                      VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_ESCAPE = 0x1B,
                      VK_F10 = 0x79, VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3,
                      VK_LMENU = 0xA4, VK_RMENU = 0xA5;

inline WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
inline short GET_WHEEL_DELTA_WPARAM(WPARAM w) { return static_cast<short>(HIWORD(w)); }
inline LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>(static_cast<DWORD>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
inline WPARAM MAKEWPARAM(int lo, int hi) {
  return static_cast<WPARAM>(static_cast<DWORD>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}

// Classes.
ATOM RegisterClassExW(const WNDCLASSEXW* cls);
BOOL UnregisterClassW(const char16_t* className, HINSTANCE instance);
HICON LoadIconW(HINSTANCE instance, uintptr_t id);
HCURSOR LoadCursorW(HINSTANCE instance, uintptr_t id);
HGDIOBJ GetStockObject(int which);

// Windows.
HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int cmd);
BOOL UpdateWindow(HWND hwnd);
BOOL BringWindowToTop(HWND hwnd);
HWND SetActiveWindow(HWND hwnd);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
LONG_PTR GetWindowLongW(HWND hwnd, int index);
LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL SetWindowTextW(HWND hwnd, const char16_t* text);
int GetWindowTextW(HWND hwnd, char16_t* buffer, int size);
HWND FindWindowW(const char16_t* className, const char16_t* title);
BOOL WINNLSEnableIME(HWND hwnd, BOOL enable);
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
// A fixed handle that names the desktop; no window function treats it as a live window.
HWND GetDesktopWindow();
BOOL AttachThreadInput(DWORD attach, DWORD attachTo, BOOL doAttach);
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
BOOL SystemParametersInfoW(UINT action, UINT uiParam, void* pvParam, UINT winIni);
int GetSystemMetrics(int index);

// Messages.
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
int TranslateAcceleratorW(HWND hwnd, HACCEL table, MSG* msg);
// Counts every change to any thread's queue (a post, a take, a paint, a quit): a pump
// that sees the count it saw after its last look knows nothing new was queued since.
DWORD GetQueueChangeCount();
BOOL IsDialogMessageW(HWND dialog, MSG* msg);

// Sibling stand-ins whose events become messages (the socket stand-in) register a step
// here; PeekMessageW runs every registered step first, on the calling thread. At most
// eight steps; adding one twice keeps one.
using MessageSource = void (*)();
void AddMessageSource(MessageSource source);
void RemoveMessageSource(MessageSource source);

// Cursor and keys.
int ShowCursor(BOOL show);
HCURSOR SetCursor(HCURSOR cursor);
BOOL GetCursorPos(POINT* point);
BOOL ClipCursor(const RECT* rect);
BOOL GetKeyboardState(BYTE* state);
void DragAcceptFiles(HWND hwnd, BOOL accept);
UINT DragQueryFileW(HDROP drop, UINT index, char16_t* buffer, UINT size);
void DragFinish(HDROP drop);

// Touch: a window registered for it receives WM_TOUCH (LOWORD(wParam) inputs, lParam the
// handle) for every finger that lands, moves or lifts, listing every finger down on it.
// Positions are desktop co-ordinates in hundredths of a pixel; dwTime is milliseconds.
struct TOUCHINPUT {
  LONG x, y;
  void* hSource;
  DWORD dwID, dwFlags, dwMask, dwTime;
  uintptr_t dwExtraInfo;
  DWORD cxContact, cyContact;
};
constexpr DWORD TOUCHEVENTF_MOVE = 0x1, TOUCHEVENTF_DOWN = 0x2, TOUCHEVENTF_UP = 0x4, TOUCHEVENTF_INRANGE = 0x8,
                TOUCHEVENTF_PRIMARY = 0x10;
BOOL RegisterTouchWindow(HWND hwnd, DWORD flags);
BOOL UnregisterTouchWindow(HWND hwnd);
BOOL IsTouchWindow(HWND hwnd, DWORD* flags);
// Copies min(count, the message's inputs) inputs; size must be sizeof(TOUCHINPUT).
BOOL GetTouchInputInfo(HTOUCHINPUT input, UINT count, TOUCHINPUT* inputs, int size);
BOOL CloseTouchInputHandle(HTOUCHINPUT input);

// Screen device context and painting.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
int GetDeviceCaps(HDC dc, int index);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
HBRUSH CreateSolidBrush(COLORREF color);
BOOL DeleteObject(HGDIOBJ object);

// Window timers: a due timer is posted as WM_TIMER by the message pump of the window's
// thread, at most one at a time, and re-armed for the next period; with a procedure,
// DispatchMessageW calls it instead of the window procedure. Timers run on the
// monotonic clock (a held test clock included).
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
// Memory report.
BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status);
void GlobalMemoryStatus(MEMORYSTATUS* status);

// The byte order of a presented frame's 32-bit pixels: XRGB words (blue in the low
// byte), or red, green, blue from the low byte up as an R8G8B8A8 image holds them. The
// top byte is never shown.
enum class PixelOrder : uint8_t { xrgb, rgbx };
// Shows one frame in the window: 32-bit pixels in the given order, or null for an empty
// (black) frame. Once the window's thread has flipped a frame (NoteFrameFlip), every
// present counts toward the HALVORINE_FRAMES limit.
BOOL PresentWindow(HWND hwnd, const void* pixels, int width, int height, int pitch,
                   PixelOrder order = PixelOrder::xrgb);
// Said by the frame flip of a game's loop before it presents: the calling thread's
// windows count their presents from now on.
void NoteFrameFlip();

}  // namespace plat::win
