// GDI text painting: text and background colours, background mode, text extents and
// TextOutW into a memory device context's 8-bit section.
#include <algorithm>
#include <utility>

#include "platform/win/gdi_font_internal.h"

namespace plat::win {
namespace {

// COLORREF is 0x00BBGGRR; the palette search takes 0xRRGGBB.
uint32_t rgbOfColorRef(COLORREF c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

}  // namespace

COLORREF SetTextColor(HDC dc, COLORREF color) {
  MemoryDc* memory = findMemoryDc(dc);
  if (!memory) return CLR_INVALID;
  return std::exchange(memory->textColor, color);
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  MemoryDc* memory = findMemoryDc(dc);
  if (!memory) return CLR_INVALID;
  return std::exchange(memory->backColor, color);
}

int SetBkMode(HDC dc, int mode) {
  MemoryDc* memory = findMemoryDc(dc);
  if (!memory || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(memory->backMode, mode);
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size) {
  plat::font::Face* face = selectedFace(dc, nullptr);
  if (!face || !size || count < 0 || (count > 0 && !text)) return FALSE;
  const std::vector<uint32_t> codes = codePoints(text, count);
  size->cx = LONG(plat::font::textAdvance(*face, codes.data(), codes.size()));
  size->cy = plat::font::faceMetrics(*face).height;
  return TRUE;
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count) {
  MemoryDc* memory = nullptr;
  plat::font::Face* face = selectedFace(dc, &memory);
  if (!face || !memory->selected || count < 0 || (count > 0 && !text)) return FALSE;
  DibSection& dib = *memory->selected;
  if (dib.bitCount != 8) return FALSE;
  const std::vector<uint32_t> codes = codePoints(text, count);
  const plat::font::FaceMetrics& m = plat::font::faceMetrics(*face);
  const uint8_t ink = uint8_t(nearestColorIndex(dib, rgbOfColorRef(memory->textColor)));

  if (memory->backMode == OPAQUE) {
    const uint8_t back = uint8_t(nearestColorIndex(dib, rgbOfColorRef(memory->backColor)));
    const long width = plat::font::textAdvance(*face, codes.data(), codes.size());
    const long left = std::max<long>(0, x), right = std::min<long>(dib.width, long(x) + width);
    const long top = std::max<long>(0, y), bottom = std::min<long>(dib.height, long(y) + m.height);
    for (long row = top; row < bottom && left < right; ++row)
      std::fill(dib.row(int(row)) + left, dib.row(int(row)) + right, back);
  }

  long pen = x;
  const long baseLine = long(y) + m.ascent;
  return plat::font::forEachInk(*face, codes.data(), codes.size(),
                                [&](const plat::font::GlyphInk& g) {
                                  for (int r = 0; r < g.height; ++r) {
                                    const long dy = baseLine - g.top + r;
                                    if (dy < 0 || dy >= dib.height) continue;
                                    const uint8_t* bits = g.bits + size_t(r) * g.pitch;
                                    uint8_t* out = dib.row(int(dy));
                                    for (int c = 0; c < g.width; ++c) {
                                      const long dx = pen + g.left + c;
                                      if (dx >= 0 && dx < dib.width && (bits[c >> 3] & (0x80 >> (c & 7))))
                                        out[dx] = ink;
                                    }
                                  }
                                  pen += g.advance;
                                })
             ? TRUE
             : FALSE;
}

}  // namespace plat::win
