// Window frame buffers: DIB painting, fills, and the frame dump.
#include "platform/win/window_frame.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win/mask_channel.h"
#include "platform/win/win_display.h"
#include "platform/win/window_internal.h"
#include "platform/win/window_test.h"

namespace plat::win {
namespace {

// Red, green, blue from the low byte up (the top byte dropped) as an XRGB word.
inline uint32_t rgbxToXrgb(uint32_t v) { return (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF); }

// Every 16-bit value of one mask set widened to XRGB, made once per mask set (frames
// of one screen share it).
const uint32_t* widenTable16(DWORD redMask, DWORD greenMask, DWORD blueMask) {
  struct Table {
    DWORD masks[3] = {0, 0, 0};
    std::vector<uint32_t> values;
  };
  static thread_local Table table;
  if (table.values.empty() || table.masks[0] != redMask || table.masks[1] != greenMask || table.masks[2] != blueMask) {
    const MaskChannel red(redMask), green(greenMask), blue(blueMask);
    table.values.resize(65536);
    for (uint32_t v = 0; v < 65536; ++v) table.values[v] = (red.widen(v) << 16) | (green.widen(v) << 8) | blue.widen(v);
    table.masks[0] = redMask, table.masks[1] = greenMask, table.masks[2] = blueMask;
  }
  return table.values.data();
}

// Resizes the frame to the client area (the display for a full-screen window), keeping
// nothing of an old size.
void fitFrame(Window& w) {
  RECT c;
  clientRectOnScreen(w, &c);
  int width = std::max<LONG>(0, c.right - c.left), height = std::max<LONG>(0, c.bottom - c.top);
  if (w.fullScreen) GetPrimaryDisplaySize(&width, &height);
  if (width != w.frameWidth || height != w.frameHeight) {
    w.frame.assign(static_cast<size_t>(width) * height, 0);
    w.frameWidth = width;
    w.frameHeight = height;
  }
}

Window* windowOfDc(HDC dc) {
  if (!dc || dc->kind != GdiTag::Kind::WindowDc) return nullptr;
  return findWindow(dc->window);
}

struct Dump {
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  bool registered = false;
};
Dump& dump() {
  static Dump d;
  return d;
}

void writeDump() {
  const char* path = std::getenv("HALVORINE_FRAME_DUMP");
  const Dump& d = dump();
  if (!path || !*path || d.width <= 0 || d.height <= 0) return;
  FILE* file = std::fopen(path, "wb");
  if (!file) return;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (png && info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(d.width), static_cast<png_uint_32>(d.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(d.width) * 3);
    for (int y = 0; y < d.height; ++y) {
      const uint32_t* src = &d.pixels[static_cast<size_t>(y) * d.width];
      for (int x = 0; x < d.width; ++x) {
        row[x * 3] = static_cast<png_byte>(src[x] >> 16);
        row[x * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
        row[x * 3 + 2] = static_cast<png_byte>(src[x]);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  std::fclose(file);
}

}  // namespace

void keepPresentedFrame(const Window& w, const void* pixels, int width, int height, int pitch, PixelOrder order) {
  const char* path = std::getenv("HALVORINE_FRAME_DUMP");
  if (!path || !*path) return;
  Dump& d = dump();
  if (!d.registered) {
    d.registered = true;
    std::atexit(&writeDump);
  }
  if (pixels == nullptr || width <= 0 || height <= 0) {
    d.width = std::max<LONG>(0, w.client.right - w.client.left);
    d.height = std::max<LONG>(0, w.client.bottom - w.client.top);
    d.pixels.assign(static_cast<size_t>(d.width) * d.height, 0);
    return;
  }
  d.width = width;
  d.height = height;
  d.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    uint32_t* out = &d.pixels[static_cast<size_t>(y) * width];
    std::memcpy(out, static_cast<const uint8_t*>(pixels) + static_cast<size_t>(y) * pitch,
                static_cast<size_t>(width) * 4);
    if (order == PixelOrder::rgbx)
      for (int x = 0; x < width; ++x) out[x] = rgbxToXrgb(out[x]);
  }
}

int PaintDibOnWindow(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                     int srcHeight, const WindowDib& dib) {
  if (!dib.bits || (dib.bitCount != 16 && dib.bitCount != 32) || dib.width <= 0 || dib.height == 0 || destWidth <= 0 ||
      destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0)
    return 0;
  const bool topDown = dib.height < 0;
  const int rows = topDown ? -dib.height : dib.height;
  if (xSrc < 0 || ySrc < 0 || xSrc + srcWidth > dib.width || ySrc + srcHeight > rows) return 0;
  HWND hwnd;
  std::vector<uint32_t>* frame;
  int frameWidth, frameHeight;
  {
    std::lock_guard lock(windowLock());
    Window* w = windowOfDc(dc);
    if (!w) return 0;
    fitFrame(*w);
    hwnd = toHandle(w);
    frame = &w->frame;
    frameWidth = w->frameWidth;
    frameHeight = w->frameHeight;

    const MaskChannel red(dib.redMask), green(dib.greenMask), blue(dib.blueMask);
    const size_t pitch = (static_cast<size_t>(dib.width) * (dib.bitCount / 8) + 3) & ~size_t{3};
    const int x0 = std::max(0, xDest), x1 = std::min(frameWidth, xDest + destWidth);
    const int y0 = std::max(0, yDest), y1 = std::min(frameHeight, yDest + destHeight);
    if (x0 >= x1 || y0 >= y1) return 0;
    // Unscaled paints (every present of a frame the window's size) read a contiguous run of
    // each source row, which the compiler turns into a vector copy; scaled ones go through
    // a column table made once.
    const bool unscaled = destWidth == srcWidth;
    std::vector<int> columns;
    if (!unscaled) {
      columns.resize(static_cast<size_t>(x1 - x0));
      for (int x = x0; x < x1; ++x)
        columns[x - x0] = xSrc + static_cast<int>(static_cast<long long>(x - xDest) * srcWidth / destWidth);
    }
    const int first = xSrc + (x0 - xDest);
    const size_t count = static_cast<size_t>(x1 - x0);
    const bool plain32 =
        dib.bitCount == 32 && dib.redMask == 0xFF0000 && dib.greenMask == 0xFF00 && dib.blueMask == 0xFF;
    // Red in the low byte: an R8G8B8A8 image's own rows, painted without converting them first.
    const bool swapped32 =
        dib.bitCount == 32 && dib.redMask == 0xFF && dib.greenMask == 0xFF00 && dib.blueMask == 0xFF0000;
    const uint32_t* lut = dib.bitCount == 16 ? widenTable16(dib.redMask, dib.greenMask, dib.blueMask) : nullptr;
    for (int y = y0; y < y1; ++y) {
      const int sy = ySrc + static_cast<int>(static_cast<long long>(y - yDest) * srcHeight / destHeight);
      const int row = topDown ? sy : rows - 1 - sy;
      const uint8_t* src = static_cast<const uint8_t*>(dib.bits) + static_cast<size_t>(row) * pitch;
      uint32_t* out = &(*frame)[static_cast<size_t>(y) * frameWidth + x0];
      const auto paintRow = [&](auto column) {
        if (plain32) {
          const auto* p = reinterpret_cast<const uint32_t*>(src);
          for (size_t i = 0; i < count; ++i) out[i] = p[column(i)] & 0xFFFFFF;
        } else if (swapped32) {
          const auto* p = reinterpret_cast<const uint32_t*>(src);
          for (size_t i = 0; i < count; ++i) out[i] = rgbxToXrgb(p[column(i)]);
        } else if (lut) {
          const auto* p = reinterpret_cast<const uint16_t*>(src);
          for (size_t i = 0; i < count; ++i) out[i] = lut[p[column(i)]];
        } else {
          const auto* p = reinterpret_cast<const uint32_t*>(src);
          for (size_t i = 0; i < count; ++i) {
            const uint32_t v = p[column(i)];
            out[i] = (red.widen(v) << 16) | (green.widen(v) << 8) | blue.widen(v);
          }
        }
      };
      if (unscaled) paintRow([first](size_t i) { return static_cast<size_t>(first) + i; });
      else paintRow([&columns](size_t i) { return static_cast<size_t>(columns[i]); });
    }
  }
  // Presenting takes the lock itself; the frame stays put on this thread.
  PresentWindow(hwnd, frame->data(), frameWidth, frameHeight, frameWidth * 4);
  return srcHeight;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  if (!dc || !rect || !brush) return 0;
  std::lock_guard lock(windowLock());
  Window* w = windowOfDc(dc);
  if (!w || brush == GetStockObject(NULL_BRUSH)) return 1;
  fitFrame(*w);
  const uint32_t colour = ((brush->color & 0xFF) << 16) | (brush->color & 0xFF00) | ((brush->color >> 16) & 0xFF);
  // The clipped span once, then each row filled whole (the window's first paint fills
  // the entire frame).
  const LONG left = std::max<LONG>(0, rect->left), right = std::min<LONG>(w->frameWidth, rect->right);
  if (left >= right) return 1;
  for (LONG y = std::max<LONG>(0, rect->top); y < std::min<LONG>(w->frameHeight, rect->bottom); ++y)
    std::fill_n(w->frame.begin() + static_cast<ptrdiff_t>(y) * w->frameWidth + left, right - left, colour);
  return 1;
}

bool GetWindowFrame(HWND hwnd, std::vector<uint32_t>* pixels, int* width, int* height) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w || w->frameWidth == 0) return false;
  *pixels = w->frame;
  *width = w->frameWidth;
  *height = w->frameHeight;
  return true;
}

std::vector<uint32_t> GetKeptFrameForTest(int* width, int* height) {
  const Dump& d = dump();
  *width = d.width;
  *height = d.height;
  return d.pixels;
}

}  // namespace plat::win
