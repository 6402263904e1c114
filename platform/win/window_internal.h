// Shared state of the window stand-in: the window table, the per-thread message queues
// and the display back end. Internal to platform/win.
#pragma once
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win/win_window.h"
#include "platform/win/window_test.h"

namespace plat::win {

// Stock and created GDI objects: brushes, icons, cursors and device contexts.
struct GdiTag {
  enum class Kind { Brush, Icon, Cursor, ScreenDc, WindowDc, DisplayDc, Region, Menu } kind;
  COLORREF color = 0;
  bool stock = false;
  HWND window = nullptr;  // a window's own device context
  int display = 0;        // a display's device context: its index
};

struct Window {
  uintptr_t id = 0;
  std::u16string className;
  std::u16string title;
  WNDPROC proc = nullptr;
  DWORD style = 0, exStyle = 0;
  RECT rect{};               // window rectangle in desktop co-ordinates
  RECT client{};             // client rectangle in desktop co-ordinates, as last reported
  HCURSOR cursor = nullptr;  // the class cursor
  DWORD threadId = 0;
  LONG_PTR userData = 0;
  bool visible = false, minimized = false, fullScreen = false, imeEnabled = true;
  bool needsPaint = false, destroying = false, acceptFiles = false;
  int presents = 0, presentLimit = 0;
  // Presents count toward the limit from the first frame flip on; what the window
  // shows before (the front screen's refresh during start-up) does not.
  bool flipping = false;
  int countedPresents = 0;
  long long lastPresentNs = 0;    // monotonic time of the last counted present, or of creation
  long long noFrameLimitNs = 0;   // how long the window may go without a counted present
  bool limitClosePosted = false;  // the frame limit has asked the window to close
  void* native = nullptr;         // the back end's window
  int lockFd = -1;                // double-start lock on a display
  std::unique_ptr<GdiTag> dc;     // the window's device context, made by the first GetDC
  std::vector<uint32_t> frame;    // the frame buffer: 32-bit XRGB of the client size
  int frameWidth = 0, frameHeight = 0;
  bool hasRegion = false;
  HMENU menu = nullptr;      // the menu bar: 20 more pixels of frame above the client
  std::vector<RECT> region;  // the window's shape, from SetWindowRgn
  RECT restoreRect{};        // the window rectangle before SW_MAXIMIZE
  bool touch = false;        // registered for WM_TOUCH
  struct Finger {
    int id;
    LONG x, y;  // desktop, hundredths of a pixel
  };
  std::vector<Finger> fingers;  // down on this window, in the order they landed
};

extern std::atomic<DWORD> queueChanges;

struct MessageQueue {
  std::deque<MSG> sent;  // from the window system: handed to the procedure by PeekMessageW
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  int paintCount = 0;           // windows of this thread waiting for WM_PAINT
  std::atomic<int> waiting{0};  // everything above, read without the lock
  void recount() {
    waiting.store(static_cast<int>(sent.size() + posted.size()) + (quit ? 1 : 0) + paintCount);
    queueChanges.fetch_add(1, std::memory_order_release);
  }
};

// The window table and the queues live under one lock; window procedures are always
// called with it released.
std::mutex& windowLock();
Window* findWindow(HWND hwnd);  // under windowLock; null for a handle that is not live
inline HWND toHandle(const Window* w) { return reinterpret_cast<HWND>(w->id); }
std::unordered_map<uintptr_t, std::unique_ptr<Window>>& windowTable();

DWORD currentThreadId();
MessageQueue& queueOf(DWORD threadId);
MessageQueue& currentQueue();
DWORD messageTime();

// Foreground bookkeeping for focus events (under windowLock).
void setForegroundFromEvent(HWND hwnd, bool active);

// Marks a window for painting (under windowLock).
void invalidate(Window& w);
void validate(Window& w);
// Drops every posted message of a window that is going away (under windowLock).
void purgeMessages(const Window& w);

// The frame model: border and caption sizes derived from the style bits.
void frameOf(DWORD style, DWORD exStyle, RECT* frame);  // left, top, right, bottom widths
void frameOf(const Window& w, RECT* frame);             // with the window's menu bar
void clientRectOnScreen(const Window& w, RECT* rect);

// Turns one window-system event into the messages the window receives.
void deliverEvent(HWND hwnd, const WindowEvent& event);
// The virtual key, and the set-1 scan code with 0x100 for extended keys, of a HID usage.
bool keyOfUsage(int usage, BYTE* vk, int* scan);

std::string toUtf8(const std::u16string& text);
std::u16string fromWide(const char16_t* text);  // null gives ""

// Double-start lock of a window class on a display: the descriptor held for the
// window's life, or -1; and whether another process holds it.
int takeClassLock(const std::u16string& className, const std::string& display);
bool classLockHeldElsewhere(const std::u16string& className, const std::string& display);
// Gives the lock up and removes its file.
void releaseClassLock(int fd, const std::u16string& className, const std::string& display);

// Window timers: posts WM_TIMER for the calling thread's due timers, drops a window's
// timers when it goes away (both under windowLock).
void postDueTimers();
void dropTimers(HWND hwnd);
void timerDispatched(HWND hwnd, UINT_PTR id);  // takes windowLock itself
extern std::atomic<int> liveTimerCount;

// Windows that carry a frame limit: while any exists, the message peek looks for one
// that has gone too long without a present.
extern std::atomic<int> frameLimitedWindowCount;
// Posts WM_CLOSE to the calling thread's frame-limited windows whose last present (or
// creation) lies max(60 s, N/30 s) back (under windowLock).
void postIdleCloses();
// Posts WM_CLOSE to the window's own thread, as a click on its close box would
// (under windowLock).
void postCloseMessage(Window& w);

// SIGINT and SIGTERM close the windows as the user would: the handlers, set when
// the first window is made, only count the signal; the next message peek posts
// WM_CLOSE to every top-level window. A second SIGINT ends the process at once.
void catchCloseSignals();
extern std::atomic<int> pendingCloseSignals;
void postSignalCloses();  // under windowLock

// The window's own device context (under windowLock).
HDC windowDcOf(Window& w);
// Keeps a copy of a presented frame when HALVORINE_FRAME_DUMP asks for it (under
// windowLock); null pixels stand for a black frame of the client size.
void keepPresentedFrame(const Window& w, const void* pixels, int width, int height, int pitch, PixelOrder order);

// Regions are the region stand-in's own objects; DeleteObject hands them there.
void deleteRegion(GdiTag* region);

// The inputs of one WM_TOUCH message as a handle that GetTouchInputInfo reads until
// CloseTouchInputHandle; a handle closed before, or never made, is refused.
HTOUCHINPUT makeTouchInput(std::vector<TOUCHINPUT> inputs);

// Frees what a message that is dropped unread owns (a dropped-file list, touch inputs).
void discardMessage(const MSG& msg);

// Last pointer position that events reported (desktop co-ordinates): the headless
// back end's cursor.
void setVirtualCursor(LONG x, LONG y);
bool virtualCursorPos(POINT* point);

// The display back end; null means headless.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual bool createWindow(Window& w) = 0;
  virtual void destroyWindow(Window& w) = 0;
  virtual void place(Window& w) = 0;  // moves the client area to where the frame model puts it
  virtual void setTitle(Window& w) = 0;
  virtual void setVisible(Window& w, bool visible) = 0;
  virtual void setMinimized(Window& w, bool minimized) = 0;
  virtual void setFullScreen(Window& w, bool fullScreen) = 0;
  virtual void present(Window& w, const void* pixels, int width, int height, int pitch, PixelOrder order) = 0;
  virtual void pumpEvents() = 0;  // on the thread that opened the display
  virtual bool pointer(POINT* desktop) = 0;
  virtual void showCursor(bool show) = 0;
  virtual void clipCursor(const RECT* rect) = 0;
  virtual void acceptDrops(bool accept) = 0;
  virtual void screenSaver(bool enable) = 0;
  virtual void workArea(RECT* area) = 0;
  virtual void displayBounds(RECT* bounds) = 0;
  virtual std::string displayName() = 0;
};
Backend* backend();
Backend* makeSdlBackend();  // null when no display can be opened

}  // namespace plat::win
