// GDI device contexts and device-independent bitmaps: memory device contexts, DIB
// sections whose bits this stand-in owns, and the painters that turn a packed DIB
// (any of the common header, compression and bit-count forms) into a section's pixels.
#pragma once
#include <cstdint>

#include "platform/win/types.h"
#include "platform/win/window.h"

namespace plat::win {

// The screen device context (GetDC, ReleaseDC) and DeleteObject are the window
// stand-in's.
using HBITMAP = GdiTag*;

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr DWORD SRCCOPY = 0x00CC0020;

struct RGBQUAD {
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // negative: rows stored top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// The header followed by the colour table (or, for BI_BITFIELDS with a 40-byte
// header, the three masks). Larger headers (108 and 124 bytes) hold their masks at
// the same offset 40 and put the colour table after themselves.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;  // pitch, rounded up to 4 bytes
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Returns the object previously selected, or null when either handle is not live.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

// A section from a 40-byte (or larger) header: 1, 4 or 8 bits with a colour table,
// 16, 24 or 32 bits, BI_RGB or BI_BITFIELDS, either row order. The bits start zeroed.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
// For a section: fills a BITMAP when size is at least sizeof(BITMAP); returns the
// bytes written, 0 for anything else.
int GetObject(HGDIOBJ object, int size, void* out);

// Paint the scan lines [startScan, startScan + lines) of a packed DIB into the section
// selected into dc. The source rectangle is in the DIB's own coordinates (y from the
// bottom for bottom-up DIBs). Returns the number of scan lines painted; 0 for
// unsupported input, which paints nothing.
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
// Nearest-neighbour scaling of a whole-DIB source rectangle. A negative destination
// width mirrors: column i of the rectangle lands at xDest - i. Returns the number of
// source scan lines used, 0 when nothing was painted.
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop);

// DeleteObject of the window stand-in hands every object here first: true when it
// was a bitmap or memory device context of this stand-in (result in *result). A
// bitmap still selected into a device context is not deleted (FALSE).
bool deleteDibObject(HGDIOBJ object, BOOL* result);

}  // namespace plat::win
