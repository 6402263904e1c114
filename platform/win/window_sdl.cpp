// The display back end: each window is an SDL2 window whose client area sits where the
// frame model puts it, and SDL's events become window-system events. Chosen when SDL
// video starts and HALVORINE_HEADLESS is not 1; otherwise windows are headless.
#include <time.h>
#include "platform/dynload/sdl_api.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

class SdlBackend final : public Backend {
 public:
  explicit SdlBackend(DWORD thread) : thread_(thread) { SDL_EventState(SDL_DROPFILE, SDL_DISABLE); }

  bool createWindow(Window& w) override {
    RECT c;
    clientRectOnScreen(w, &c);
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (w.style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if ((w.style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* native = SDL_CreateWindow(toUtf8(w.title).c_str(), c.left, c.top, std::max<LONG>(1, c.right - c.left),
                                          std::max<LONG>(1, c.bottom - c.top), flags);
    if (!native) return false;
    w.native = native;
    SDL_SetWindowData(native, "hwnd", reinterpret_cast<void*>(w.id));
    return true;
  }

  void destroyWindow(Window& w) override {
    if (w.native) SDL_DestroyWindow(sdl(w));
    w.native = nullptr;
  }

  void place(Window& w) override {
    RECT c;
    clientRectOnScreen(w, &c);
    SDL_SetWindowBordered(sdl(w), (w.style & WS_CAPTION) == WS_CAPTION ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(sdl(w), (w.style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowSize(sdl(w), std::max<LONG>(1, c.right - c.left), std::max<LONG>(1, c.bottom - c.top));
    SDL_SetWindowPosition(sdl(w), c.left, c.top);
  }

  void setTitle(Window& w) override { SDL_SetWindowTitle(sdl(w), toUtf8(w.title).c_str()); }

  void setVisible(Window& w, bool visible) override {
    if (visible) SDL_ShowWindow(sdl(w));
    else SDL_HideWindow(sdl(w));
  }

  void setMinimized(Window& w, bool minimized) override {
    if (minimized) SDL_MinimizeWindow(sdl(w));
    else SDL_RestoreWindow(sdl(w));
  }

  void setFullScreen(Window& w, bool fullScreen) override {
    SDL_SetWindowFullscreen(sdl(w), fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  }

  void present(Window& w, const void* pixels, int width, int height, int pitch, PixelOrder order) override {
    SDL_Surface* target = SDL_GetWindowSurface(sdl(w));
    if (!target) return;
    if (pixels && width > 0 && height > 0) {
      // The blit into the window's surface reorders the bytes as it copies them.
      const Uint32 format = order == PixelOrder::rgbx ? SDL_PIXELFORMAT_XBGR8888 : SDL_PIXELFORMAT_XRGB8888;
      SDL_Surface* frame =
          SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(pixels), width, height, 32, pitch, format);
      if (frame) {
        SDL_BlitScaled(frame, nullptr, target, nullptr);
        SDL_FreeSurface(frame);
      }
    } else {
      SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    }
    SDL_UpdateWindowSurface(sdl(w));
  }

  // SDL's queue is read at most once a millisecond: the pump runs far more often
  // than that, and a pass with nothing new must stay cheap.
  void pumpEvents() override {
    if (currentThreadId() != thread_) return;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    long long now = ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
    if (now == lastPump_) return;
    lastPump_ = now;
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
  }

  bool pointer(POINT* desktop) override {
    int x, y;
    if (SDL_Window* focus = SDL_GetMouseFocus()) {
      int wx, wy;
      SDL_GetMouseState(&x, &y);
      SDL_GetWindowPosition(focus, &wx, &wy);
      *desktop = POINT{wx + x, wy + y};
      return true;
    }
    SDL_GetGlobalMouseState(&x, &y);
    *desktop = POINT{x, y};
    return true;
  }

  void showCursor(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

  void clipCursor(const RECT* rect) override {
    for (auto& [id, w] : windowTable()) {
      if (!w->native) continue;
      if (!rect) {
        SDL_SetWindowMouseRect(sdl(*w), nullptr);
        continue;
      }
      SDL_Rect r{rect->left - w->client.left, rect->top - w->client.top, rect->right - rect->left,
                 rect->bottom - rect->top};
      SDL_SetWindowMouseRect(sdl(*w), &r);
    }
  }

  void acceptDrops(bool accept) override { SDL_EventState(SDL_DROPFILE, accept ? SDL_ENABLE : SDL_DISABLE); }

  void screenSaver(bool enable) override {
    if (enable) SDL_EnableScreenSaver();
    else SDL_DisableScreenSaver();
  }

  void workArea(RECT* area) override {
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(0, &r) != 0) return displayBounds(area);
    *area = RECT{r.x, r.y, r.x + r.w, r.y + r.h};
  }

  void displayBounds(RECT* bounds) override {
    SDL_Rect r;
    if (SDL_GetDisplayBounds(0, &r) != 0) r = SDL_Rect{0, 0, 1920, 1080};
    *bounds = RECT{r.x, r.y, r.x + r.w, r.y + r.h};
  }

  std::string displayName() override {
    const char* d = std::getenv("DISPLAY");
    if (!d || !*d) d = std::getenv("WAYLAND_DISPLAY");
    if (!d || !*d) d = SDL_GetCurrentVideoDriver();
    return d ? d : "display";
  }

 private:
  static SDL_Window* sdl(Window& w) { return static_cast<SDL_Window*>(w.native); }

  static HWND handleOfWindow(SDL_Window* native) {
    return native ? static_cast<HWND>(SDL_GetWindowData(native, "hwnd")) : nullptr;
  }
  static HWND handleOf(Uint32 windowId) { return handleOfWindow(SDL_GetWindowFromID(windowId)); }

  // SDL names a finger by its device and a 64-bit number; windows get small numbers,
  // the same one from landing to lifting, the lowest one free.
  int fingerNumber(SDL_TouchID device, SDL_FingerID finger, bool lifting) {
    auto at = std::find_if(fingers_.begin(), fingers_.end(),
                           [&](const FingerName& f) { return f.device == device && f.finger == finger; });
    if (at == fingers_.end()) {
      int number = 0;
      while (std::any_of(fingers_.begin(), fingers_.end(), [&](const FingerName& f) { return f.number == number; }))
        ++number;
      fingers_.push_back(FingerName{device, finger, number});
      at = fingers_.end() - 1;
    }
    const int number = at->number;
    if (lifting) fingers_.erase(at);
    return number;
  }

  void translate(const SDL_Event& e) {
    using K = WindowEvent::Kind;
    WindowEvent ev;
    HWND hwnd = nullptr;
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        hwnd = handleOf(e.key.windowID);
        ev.kind = e.type == SDL_KEYDOWN ? K::KeyDown : K::KeyUp;
        ev.key = e.key.keysym.scancode;
        ev.repeat = e.key.repeat != 0;
        break;
      case SDL_TEXTINPUT:
        hwnd = handleOf(e.text.windowID);
        ev.kind = K::Text;
        ev.text = e.text.text;
        break;
      case SDL_TEXTEDITING:
        hwnd = handleOf(e.edit.windowID);
        ev.kind = K::Editing;
        ev.text = e.edit.text;
        ev.x = e.edit.start;
        break;
      case SDL_MOUSEMOTION:
        hwnd = handleOf(e.motion.windowID);
        ev.kind = K::MouseMove;
        ev.x = e.motion.x, ev.y = e.motion.y;
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        hwnd = handleOf(e.button.windowID);
        ev.kind = e.type == SDL_MOUSEBUTTONDOWN ? K::ButtonDown : K::ButtonUp;
        ev.key = e.button.button;
        ev.x = e.button.x, ev.y = e.button.y;
        break;
      case SDL_MOUSEWHEEL: {
        hwnd = handleOf(e.wheel.windowID);
        ev.kind = K::Wheel;
        float flip = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
        // SDL before 2.0.18 leaves the precise amounts 0; the whole notches are there.
        ev.wheelX =
            (e.wheel.preciseX != 0.0f || e.wheel.x == 0 ? e.wheel.preciseX : static_cast<float>(e.wheel.x)) * flip;
        ev.wheelY =
            (e.wheel.preciseY != 0.0f || e.wheel.y == 0 ? e.wheel.preciseY : static_cast<float>(e.wheel.y)) * flip;
        break;
      }
      case SDL_FINGERDOWN:
      case SDL_FINGERMOTION:
      case SDL_FINGERUP: {
        hwnd = handleOf(e.tfinger.windowID);
        if (!hwnd) hwnd = handleOfWindow(SDL_GetMouseFocus());
        ev.kind = e.type == SDL_FINGERDOWN ? K::FingerDown : e.type == SDL_FINGERUP ? K::FingerUp : K::FingerMove;
        ev.key = fingerNumber(e.tfinger.touchId, e.tfinger.fingerId, e.type == SDL_FINGERUP);
        ev.touchX = e.tfinger.x, ev.touchY = e.tfinger.y;
        break;
      }
      case SDL_DROPBEGIN: drops_.clear(); return;
      case SDL_DROPFILE:
        if (e.drop.file) drops_.push_back(e.drop.file), SDL_free(e.drop.file);
        return;
      case SDL_DROPCOMPLETE:
        hwnd = handleOf(e.drop.windowID);
        ev.kind = K::Drop;
        ev.files.swap(drops_);
        break;
      case SDL_WINDOWEVENT:
        hwnd = handleOf(e.window.windowID);
        ev.x = e.window.data1, ev.y = e.window.data2;
        switch (e.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED: ev.kind = K::FocusGained; break;
          case SDL_WINDOWEVENT_FOCUS_LOST: ev.kind = K::FocusLost; break;
          case SDL_WINDOWEVENT_MINIMIZED: ev.kind = K::Minimized; break;
          case SDL_WINDOWEVENT_RESTORED: ev.kind = K::Restored; break;
          case SDL_WINDOWEVENT_CLOSE: ev.kind = K::Close; break;
          case SDL_WINDOWEVENT_EXPOSED: ev.kind = K::Exposed; break;
          case SDL_WINDOWEVENT_MOVED: ev.kind = K::Moved; break;
          case SDL_WINDOWEVENT_SIZE_CHANGED: ev.kind = K::Resized; break;
          default: return;
        }
        break;
      default: return;
    }
    if (hwnd) deliverEvent(hwnd, ev);
  }

  DWORD thread_;
  long long lastPump_ = -1;
  std::vector<std::string> drops_;
  struct FingerName {
    SDL_TouchID device;
    SDL_FingerID finger;
    int number;
  };
  std::vector<FingerName> fingers_;
};

}  // namespace

Backend* makeSdlBackend() {
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  if (SDL_GetNumVideoDisplays() < 1) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  return new SdlBackend(currentThreadId());
}

Backend* backend() {
  static Backend* chosen = [] {
    const char* headless = std::getenv("HALVORINE_HEADLESS");
    if (headless && std::strcmp(headless, "1") == 0) return static_cast<Backend*>(nullptr);
    return makeSdlBackend();
  }();
  return chosen;
}

}  // namespace plat::win
