// Objects behind the GDI handles of the DIB stand-in.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/font/font_faces.h"
#include "platform/win/gdi.h"

namespace plat::win {

struct MemoryDc;

struct GdiObject {
  virtual ~GdiObject() = default;
};

// A section's pixel layout as the painters write it.
struct DibSection : GdiObject {
  int width = 0;
  int height = 0;        // rows, always positive
  bool topDown = false;  // row 0 of the bits is the top row
  int bitCount = 0;
  int pitch = 0;
  uint32_t masks[3] = {};  // red, green, blue for 16 and 32 bits
  int colorCount = 0;
  RGBQUAD colors[256] = {};
  std::vector<uint8_t> bits;
  MemoryDc* selectedInto = nullptr;

  // Start of display row y (0 = top).
  uint8_t* row(int y) { return bits.data() + static_cast<size_t>(topDown ? y : height - 1 - y) * pitch; }
};

// A font object: its own sized face (over the face file the cache shares) and the
// charset it was asked with.
struct GdiFont : GdiObject {
  plat::font::FaceRef face;  // null only for the default font
  DWORD charSet = DEFAULT_CHARSET;
  int selections = 0;  // device contexts it is selected into
};

struct MemoryDc : GdiObject {
  DibSection* selected = nullptr;  // null: the default 1 x 1 bitmap
  GdiFont* font = nullptr;         // null: the default font, which has no face
  COLORREF textColor = 0x000000;
  COLORREF backColor = 0xFFFFFF;
  int backMode = OPAQUE;
};

// Live objects; null when the handle is not one of ours or of another kind.
DibSection* findSection(HGDIOBJ object);
MemoryDc* findMemoryDc(HDC dc);

// The palette entry of an 8-bit (or smaller) section nearest to a 0xRRGGBB colour.
int nearestColorIndex(const DibSection& dib, uint32_t color);

// Adds an object to the live set and gives its handle.
HGDIOBJ registerGdiObject(GdiObject* object);

}  // namespace plat::win
