// GDI device contexts and device-independent bitmaps: memory device contexts, DIB
// sections whose bits this stand-in owns, the painters that turn a packed DIB (any of
// the common header, compression and bit-count forms) into a section's pixels, and
// fonts: creation, metrics, glyph bitmaps, text painting and the family list.
#pragma once
#include <cstdint>

#include "platform/win/types.h"
#include "platform/win/win_window.h"

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
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;  // biHeight is negative for a top-down section
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
};

// For a section: fills a DIBSECTION when size is at least sizeof(DIBSECTION), else a
// BITMAP when size is at least sizeof(BITMAP); returns the bytes written, 0 for
// anything else.
int GetObject(HGDIOBJ object, int size, void* out);

// Paint the scan lines [startScan, startScan + lines) of a packed DIB into the section
// selected into dc. The source rectangle is in the DIB's own coordinates (y from the
// bottom for bottom-up DIBs). Returns the number of scan lines painted; 0 for
// unsupported input, which paints nothing.
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
// Nearest-neighbour scaling of a whole-DIB source rectangle. A negative destination
// width mirrors: column i of the rectangle lands at xDest - i. Returns the number of
// source scan lines used, 0 when nothing was painted.
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);

// DeleteObject of the window stand-in hands every object here first: true when it
// was a bitmap or memory device context of this stand-in (result in *result). A
// bitmap still selected into a device context is not deleted (FALSE).
bool deleteDibObject(HGDIOBJ object, BOOL* result);

// ---- Fonts ----

using HFONT = GdiTag*;
using LPCWSTR = const WCHAR*;

constexpr int LF_FACESIZE = 32;
constexpr DWORD GDI_ERROR = 0xFFFFFFFF;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr DWORD ANSI_CHARSET = 0;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD SHIFTJIS_CHARSET = 128;
constexpr DWORD HANGUL_CHARSET = 129;
constexpr DWORD GB2312_CHARSET = 134;
constexpr DWORD CHINESEBIG5_CHARSET = 136;
constexpr DWORD FIXED_PITCH = 1;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// tmPitchAndFamily bits; TMPF_FIXED_PITCH set means a variable pitch.
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

constexpr DWORD RASTER_FONTTYPE = 1;
constexpr DWORD TRUETYPE_FONTTYPE = 4;

constexpr UINT GGO_BITMAP = 1;
constexpr UINT GGO_GRAY4_BITMAP = 5;
constexpr UINT GGO_GRAY8_BITMAP = 6;
constexpr UINT GGO_GLYPH_INDEX = 0x80;
constexpr DWORD GCP_GLYPHSHAPE = 0x10;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

struct SIZE {
  LONG cx, cy;
};

struct FIXED {
  WORD fract;
  short value;
};

struct MAT2 {
  FIXED eM11, eM12, eM21, eM22;
};

struct GLYPHMETRICS {
  UINT gmBlackBoxX;
  UINT gmBlackBoxY;
  POINT gmptGlyphOrigin;  // left edge from the pen, top edge above the base line
  short gmCellIncX;
  short gmCellIncY;
};

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  BYTE tmItalic;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};

struct GCP_RESULTSW {
  DWORD lStructSize;
  WCHAR* lpOutString;
  UINT* lpOrder;
  int* lpDx;
  int* lpCaretPos;
  char* lpClass;
  WCHAR* lpGlyphs;
  UINT nGlyphs;
  int nMaxFit;
};

using FONTENUMPROCW = int (*)(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD fontType, LPARAM lParam);

// A font object (DeleteObject frees it; a font selected into a device context is not
// deleted). Height: positive = cell height, negative = character (em) height, 0 = a
// default. Weight, italic, charset and the face name choose the face; a fixed pitch is
// preferred when pitchAndFamily's low bits are FIXED_PITCH. Another face stands in when
// the named one is not installed; null only when no face is installed at all.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR face);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
// The glyph of a code (or a glyph index with GGO_GLYPH_INDEX) in the selected font as
// GGO_BITMAP, GGO_GRAY4_BITMAP or GGO_GRAY8_BITMAP, rows padded to 4 bytes. Returns the
// byte count (a null buffer or size 0 only asks), GDI_ERROR on failure; identity
// matrix only.
DWORD GetGlyphOutlineW(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                       const MAT2* matrix);
// With GCP_GLYPHSHAPE: the glyph indices of the text into lpGlyphs (a surrogate pair
// is one glyph). Returns the extent (width low word, height high word), 0 on failure.
DWORD GetCharacterPlacementW(HDC dc, LPCWSTR text, int count, int maxExtent, GCP_RESULTSW* results, DWORD flags);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
// Paints the text with the selected font into the selected 8-bit section, (x, y) being
// the top left of the first cell: ink in the text colour and, in OPAQUE mode, the
// cells in the background colour. Colours take the nearest palette entry.
BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF SetBkColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
// One callback per installed family name that covers the charset's language (every
// language for DEFAULT_CHARSET), each name once; a face name in the LOGFONTW keeps only
// that family. Stops when the callback returns 0; returns the last callback's result,
// 1 when there was none.
int EnumFontFamiliesExW(HDC dc, const LOGFONTW* font, FONTENUMPROCW proc, LPARAM lParam, DWORD flags);

}  // namespace plat::win
