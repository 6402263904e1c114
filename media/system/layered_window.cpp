// The layered-window picture: a software image shown through the window system's
// layered-window update, by colour key or per-pixel alpha. Every renderer's flip shows
// the screen this way while a layered mode is set.
#include <cstring>

#include "media/graphics/base_image.h"
#include "media/graphics/pixel_format.h"
#include "media/system/window.h"
#include "media/system/window_state.h"
#include "media/system/winapi.h"
#include "platform/win/layered.h"

namespace ZaDod {

using namespace plat::win;

namespace {

struct LayeredCache {
  HBITMAP Bitmap = nullptr;
  HDC Dc = nullptr;
  HGDIOBJ Old = nullptr;
  void* Bits = nullptr;
  int Width = 0, Height = 0;
} cache;

void dropCache() {
  if (cache.Dc) SelectObject(cache.Dc, cache.Old), DeleteDC(cache.Dc);
  if (cache.Bitmap) DeleteObject(cache.Bitmap);
  cache = LayeredCache{};
}

bool makeCache(int width, int height) {
  if (cache.Bitmap && cache.Width == width && cache.Height == height) return true;
  dropCache();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  cache.Bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &cache.Bits, nullptr, 0);
  cache.Dc = cache.Bitmap ? CreateCompatibleDC(screen) : nullptr;
  ReleaseDC(nullptr, screen);
  if (!cache.Bitmap || !cache.Dc || !cache.Bits) {
    dropCache();
    return false;
  }
  cache.Old = SelectObject(cache.Dc, cache.Bitmap);
  cache.Width = width, cache.Height = height;
  return true;
}

}  // namespace

int UpdateLayeredWindowFromImage(BaseImage* image, int useAlpha, unsigned int transColor) {
  HWND hwnd = Win.Status.MainWindow;
  auto update = reinterpret_cast<decltype(&UpdateLayeredWindow)>(WinAPI.UpdateLayeredWindowFunc);
  if (!hwnd || !image || !image->pixels || !update) return -1;
  int width = 0, height = 0;
  GetWindowClientBaseSize(&width, &height);
  int top = 0;
  if ((static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & WS_CAPTION) == WS_CAPTION) top = Win.Status.CaptionHeight;
  if (!makeCache(width, height + top)) return -1;
  std::memset(cache.Bits, 0, static_cast<size_t>(width) * (height + top) * 4);
  BaseImage target{};
  CreateARGB8ColorData(&target.format);
  target.width = width;
  target.height = height;
  target.pitch = width * 4;
  target.pixels = static_cast<unsigned char*>(cache.Bits) + static_cast<size_t>(top) * width * 4;
  BltBaseImage(0, 0, image, &target);
  SIZE size{width, height + top};
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  COLORREF key = ((transColor >> 16) & 0xFF) | (transColor & 0xFF00) | ((transColor & 0xFF) << 16);
  return update(hwnd, nullptr, nullptr, &size, cache.Dc, &origin, key, &blend, useAlpha ? ULW_ALPHA : ULW_COLORKEY)
             ? 0
             : -1;
}

int ReleaseLayeredWindowCache() {
  dropCache();
  return 0;
}

}  // namespace ZaDod
