// The window's frame buffer: 32-bit XRGB pixels of the client size that device-
// independent bitmaps are painted into and that each paint presents. The headless
// back end keeps only this buffer; HALVORINE_FRAME_DUMP writes the last presented
// frame as PNG at exit.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/win/win_window.h"

namespace plat::win {

// A packed top-down (height < 0) or bottom-up DIB of 16 or 32 bits with channel
// masks; width is the row length in pixels.
struct WindowDib {
  const void* bits;
  LONG width;
  LONG height;
  WORD bitCount;
  DWORD redMask, greenMask, blueMask;
};

// The window-DC side of SetDIBitsToDevice and StretchDIBits: paints the source
// rectangle of the DIB into the destination rectangle of a window's device context
// (nearest neighbour when the sizes differ; narrow channels are widened by repeating
// their top bits), then presents the frame. Returns the number of source rows used, 0
// when nothing was painted.
int PaintDibOnWindow(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                     int srcHeight, const WindowDib& dib);

// A copy of a window's frame buffer; false for a window without one.
bool GetWindowFrame(HWND hwnd, std::vector<uint32_t>* pixels, int* width, int* height);

}  // namespace plat::win
