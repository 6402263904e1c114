// Painting packed DIBs into DIB sections: source rows are decoded once into 0x00RRGGBB
// colours (and palette indices), then written in the section's own layout.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win/gdi_internal.h"
#include "platform/win/mask_channel.h"
#include "platform/win/window_frame.h"
#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

constexpr int kMaxSide = 1 << 16;

struct Source {
  int width = 0, height = 0;
  bool topDown = false;
  int bitCount = 0;
  DWORD compression = BI_RGB;
  int tableCount = 0;
  uint32_t table[256] = {};  // 0x00RRGGBB
  MaskChannel red, green, blue;
  const uint8_t* bits = nullptr;
  size_t pitch = 0;
  int firstScan = 0, scanCount = 0;  // storage rows present in bits
  std::vector<int16_t> rle;          // decoded RLE indices, -1 where nothing was written

  bool indexed() const { return bitCount <= 8; }
  bool hasScan(int s) const { return s >= firstScan && s < firstScan + scanCount; }
  int storageRow(int displayRow) const { return topDown ? displayRow : height - 1 - displayRow; }
};

uint32_t rgbOf(const RGBQUAD& q) { return uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue; }

// Decodes an RLE8 or RLE4 stream of `size` bytes; writes are clipped to the image.
void decodeRle(Source& src, const uint8_t* data, size_t size) {
  const int w = src.width, h = src.height;
  src.rle.assign(size_t(w) * h, -1);
  const bool four = src.compression == BI_RLE4;
  int64_t x = 0, y = 0;
  size_t at = 0;
  auto put = [&](int value) {
    if (x < w && y < h) src.rle[size_t(y) * w + size_t(x)] = int16_t(value);
    ++x;
  };
  while (at + 2 <= size && y < h) {
    const int n = data[at], v = data[at + 1];
    at += 2;
    if (n > 0) {
      for (int i = 0; i < n && x < w; ++i) put(four ? (i & 1 ? v & 15 : v >> 4) : v);
      continue;
    }
    if (v == 0) {
      x = 0, ++y;
    } else if (v == 1) {
      break;
    } else if (v == 2) {
      if (at + 2 > size) break;
      x += data[at], y += data[at + 1];
      at += 2;
    } else {
      const size_t bytes = four ? (size_t(v) + 1) / 2 : size_t(v);
      if (at + bytes > size) break;
      for (int i = 0; i < v; ++i) {
        const int b = data[at + (four ? i / 2 : i)];
        put(four ? (i & 1 ? b & 15 : b >> 4) : b);
      }
      at += bytes + (bytes & 1);
    }
  }
}

bool parseSource(const BITMAPINFO* info, UINT usage, const void* bits, UINT startScan, UINT lines, Source& src) {
  if (!info || !bits) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize != 40 && h.biSize != 108 && h.biSize != 124) return false;
  if (h.biWidth <= 0 || h.biWidth > kMaxSide || h.biHeight == 0 || h.biHeight < -kMaxSide || h.biHeight > kMaxSide)
    return false;
  src.width = h.biWidth;
  src.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  src.topDown = h.biHeight < 0;
  src.bitCount = h.biBitCount;
  src.compression = h.biCompression;
  const int n = src.bitCount;
  switch (src.compression) {
    case BI_RGB:
      if (n != 1 && n != 4 && n != 8 && n != 16 && n != 24 && n != 32) return false;
      break;
    case BI_RLE8:
    case BI_RLE4:
      if (n != (src.compression == BI_RLE8 ? 8 : 4) || src.topDown) return false;
      break;
    case BI_BITFIELDS:
      if (n != 16 && n != 32) return false;
      break;
    default: return false;
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(info);
  if (src.indexed()) {
    if (usage != DIB_RGB_COLORS) return false;
    const uint32_t full = 1u << n;
    src.tableCount = int(h.biClrUsed && h.biClrUsed < full ? h.biClrUsed : full);
    const auto* quads = reinterpret_cast<const RGBQUAD*>(bytes + h.biSize);
    for (int i = 0; i < src.tableCount; ++i) src.table[i] = rgbOf(quads[i]);
  } else {
    uint32_t m[3] = {0xFF0000, 0xFF00, 0xFF};
    if (src.compression == BI_BITFIELDS) std::memcpy(m, bytes + 40, sizeof m);
    else if (n == 16) m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F;
    src.red = MaskChannel(m[0]), src.green = MaskChannel(m[1]), src.blue = MaskChannel(m[2]);
  }
  src.bits = static_cast<const uint8_t*>(bits);
  src.pitch = ((size_t(src.width) * n + 31) / 32) * 4;
  if (src.compression == BI_RLE8 || src.compression == BI_RLE4) {
    // The header's image size is all that may be read of a compressed stream.
    decodeRle(src, src.bits, h.biSizeImage);
    src.firstScan = 0, src.scanCount = src.height;
  } else {
    src.firstScan = int(std::min<UINT>(startScan, UINT(src.height)));
    src.scanCount = int(std::min<UINT>(lines, UINT(src.height - src.firstScan)));
  }
  return true;
}

// Decodes storage row s into colours and (for palette sources) indices; a -1 index
// marks an RLE pixel that leaves the destination alone.
void decodeRow(const Source& src, int s, uint32_t* colors, int* indices) {
  const int w = src.width;
  if (!src.rle.empty()) {
    const int16_t* row = src.rle.data() + size_t(s) * w;
    for (int x = 0; x < w; ++x) {
      indices[x] = row[x];
      colors[x] = row[x] >= 0 && row[x] < src.tableCount ? src.table[row[x]] : 0;
    }
    return;
  }
  const uint8_t* p = src.bits + size_t(s - src.firstScan) * src.pitch;
  switch (src.bitCount) {
    case 1:
    case 4:
    case 8: {
      const int n = src.bitCount, perByte = 8 / n, mask = (1 << n) - 1;
      for (int x = 0; x < w; ++x) {
        const int i = (p[x / perByte] >> (8 - n - (x % perByte) * n)) & mask;
        indices[x] = i;
        colors[x] = i < src.tableCount ? src.table[i] : 0;
      }
      break;
    }
    case 16:
      for (int x = 0; x < w; ++x) {
        const uint32_t v = uint32_t(p[2 * x]) | uint32_t(p[2 * x + 1]) << 8;
        colors[x] = src.red.widen(v) << 16 | src.green.widen(v) << 8 | src.blue.widen(v);
      }
      break;
    case 24:
      for (int x = 0; x < w; ++x, p += 3) colors[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
      break;
    case 32:
      for (int x = 0; x < w; ++x, p += 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        colors[x] = src.red.widen(v) << 16 | src.green.widen(v) << 8 | src.blue.widen(v);
      }
      break;
  }
}

// Writes pixels into one section row in the section's layout.
class RowWriter {
 public:
  RowWriter(DibSection& dib, const Source& src) : dib_(dib) {
    if (dib.bitCount == 16 || dib.bitCount == 32)
      red_ = MaskChannel(dib.masks[0]), green_ = MaskChannel(dib.masks[1]), blue_ = MaskChannel(dib.masks[2]);
    if (dib.bitCount == 8 && src.indexed()) {
      copyIndices_ = src.tableCount <= dib.colorCount;
      for (int i = 0; i < src.tableCount && copyIndices_; ++i) copyIndices_ = src.table[i] == rgbOf(dib.colors[i]);
    }
  }

  void put(uint8_t* row, int x, uint32_t color, int index) {
    switch (dib_.bitCount) {
      case 24:
        row[3 * x] = uint8_t(color), row[3 * x + 1] = uint8_t(color >> 8), row[3 * x + 2] = uint8_t(color >> 16);
        break;
      case 16:
      case 32: {
        const uint32_t v = red_.pack(color >> 16 & 255) | green_.pack(color >> 8 & 255) | blue_.pack(color & 255);
        if (dib_.bitCount == 16) row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(v >> 8);
        else std::memcpy(row + 4 * x, &v, 4);
        break;
      }
      case 8: row[x] = uint8_t(copyIndices_ ? index : nearest(color)); break;
      default: {
        const int n = dib_.bitCount, perByte = 8 / n, shift = 8 - n - (x % perByte) * n;
        uint8_t& b = row[x / perByte];
        b = uint8_t((b & ~(((1 << n) - 1) << shift)) | nearest(color) << shift);
      }
    }
  }

 private:
  int nearest(uint32_t color) {
    if (color == lastColor_) return lastIndex_;
    lastColor_ = color, lastIndex_ = nearestColorIndex(dib_, color);
    return lastIndex_;
  }

  DibSection& dib_;
  MaskChannel red_, green_, blue_;
  bool copyIndices_ = false;
  uint32_t lastColor_ = 0xFFFFFFFF;
  int lastIndex_ = 0;
};

// Paints the display-space source rectangle (sx, sy, sw, sh) onto the destination
// rectangle; dw < 0 mirrors. Returns the destination rows painted.
int paint(HDC dc, const Source& src, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
  MemoryDc* memory = findMemoryDc(dc);
  if (!memory || !memory->selected || dw == 0 || dh <= 0 || sw <= 0 || sh <= 0) return 0;
  DibSection& dib = *memory->selected;
  const int cols = dw < 0 ? -dw : dw, step = dw < 0 ? -1 : 1;
  std::vector<uint32_t> colors(size_t(src.width));
  std::vector<int> indices(size_t(src.width));
  RowWriter writer(dib, src);
  int painted = 0, decoded = -1;
  for (int j = 0; j < dh; ++j) {
    const int ty = dy + j;
    const int64_t ry = sy + int64_t(j) * sh / dh;
    if (ty < 0 || ty >= dib.height || ry < 0 || ry >= src.height) continue;
    const int s = src.storageRow(int(ry));
    if (!src.hasScan(s)) continue;
    if (s != decoded) decodeRow(src, s, colors.data(), indices.data()), decoded = s;
    uint8_t* row = dib.row(ty);
    for (int i = 0; i < cols; ++i) {
      const int64_t tx = dx + int64_t(i) * step, rx = sx + int64_t(i) * sw / cols;
      if (tx < 0 || tx >= dib.width || rx < 0 || rx >= src.width || (indices[rx] < 0 && !src.rle.empty())) continue;
      writer.put(row, int(tx), colors[rx], indices[rx]);
    }
    ++painted;
  }
  return painted;
}

}  // namespace

int nearestColorIndex(const DibSection& dib, uint32_t color) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < dib.colorCount; ++i) {
    const RGBQUAD& q = dib.colors[i];
    const long dr = long(color >> 16 & 255) - q.rgbRed, dg = long(color >> 8 & 255) - q.rgbGreen,
               db = long(color & 255) - q.rgbBlue;
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) best = i, bestDistance = d;
  }
  return best;
}

namespace {

// A window's device context takes 16- and 32-bit DIBs into its frame buffer.
bool windowDib(HDC dc, const BITMAPINFO* info, const void* bits, WindowDib* out) {
  if (!dc || dc->kind != GdiTag::Kind::WindowDc || !info || !bits) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  *out = WindowDib{bits, h.biWidth, h.biHeight, h.biBitCount, 0, 0, 0};
  if (h.biCompression == BI_BITFIELDS) {
    DWORD masks[3];
    std::memcpy(masks, reinterpret_cast<const uint8_t*>(info) + 40, sizeof masks);
    out->redMask = masks[0], out->greenMask = masks[1], out->blueMask = masks[2];
  } else if (h.biBitCount == 16) {
    out->redMask = 0x7C00, out->greenMask = 0x03E0, out->blueMask = 0x001F;
  } else {
    out->redMask = 0xFF0000, out->greenMask = 0xFF00, out->blueMask = 0xFF;
  }
  return true;
}

}  // namespace

int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  WindowDib window;
  if (windowDib(dc, info, bits, &window)) {
    const int rows = window.height < 0 ? -window.height : window.height;
    if (startScan != 0 || lines < UINT(rows) || width > DWORD(kMaxSide) || height > DWORD(kMaxSide)) return 0;
    const int h = int(height);
    const int top = window.height < 0 ? ySrc : rows - ySrc - h;
    return PaintDibOnWindow(dc, xDest, yDest, int(width), h, xSrc, top, int(width), h, window);
  }
  Source src;
  if (width > DWORD(kMaxSide) || height > DWORD(kMaxSide) || !parseSource(info, usage, bits, startScan, lines, src))
    return 0;
  const int h = int(height);
  const int top = src.topDown ? ySrc : src.height - ySrc - h;
  return paint(dc, src, xDest, yDest, int(width), h, xSrc, top, int(width), h);
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD) {
  WindowDib window;
  if (windowDib(dc, info, bits, &window)) {
    const int rows = window.height < 0 ? -window.height : window.height;
    const int top = window.height < 0 ? ySrc : rows - ySrc - srcHeight;
    return PaintDibOnWindow(dc, xDest, yDest, destWidth, destHeight, xSrc, top, srcWidth, srcHeight, window);
  }
  Source src;
  if (destWidth < -kMaxSide || destWidth > kMaxSide || destHeight > kMaxSide || srcHeight > kMaxSide ||
      !parseSource(info, usage, bits, 0, UINT(kMaxSide), src))
    return 0;
  const int top = src.topDown ? ySrc : src.height - ySrc - srcHeight;
  return paint(dc, src, xDest, yDest, destWidth, destHeight, xSrc, top, srcWidth, srcHeight);
}

}  // namespace plat::win
