// Converting a back buffer to XRGB rows and handing them to the window stand-in.
#include "platform/gpu/window_present.h"

#include "platform/win/window_frame.h"

namespace plat::gpu {

void xrgbRows(const Texture& t, int sub, std::vector<uint32_t>& out) {
  const Subresource& s = t.sub(sub);
  const uint8_t* src = t.data(sub);
  out.resize(size_t(s.width) * size_t(s.height));
  uint32_t* dst = out.data();
  const Format f = readFormat(t.format());
  if (f == Format::R8G8B8A8 || f == Format::B8G8R8A8 || f == Format::B8G8R8X8) {
    const bool rgba = f == Format::R8G8B8A8;
    for (int y = 0; y < s.height; ++y, src += s.pitch) {
      const uint8_t* p = src;
      if (rgba) {
        for (int x = 0; x < s.width; ++x, p += 4)
          *dst++ = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
      } else {
        for (int x = 0; x < s.width; ++x, p += 4)
          *dst++ = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
      }
    }
    return;
  }
  std::vector<Float4> row(size_t(s.width));
  for (int y = 0; y < s.height; ++y) {
    loadTexels(f, src, s.pitch, 0, y, s.width, row.data());
    for (const Float4& c : row)
      *dst++ = 0xFF000000u | floatToUnorm(c[0], 8) << 16 | floatToUnorm(c[1], 8) << 8 | floatToUnorm(c[2], 8);
  }
}

bool presentWhole(plat::win::HWND window, const Texture& t, int sub, std::vector<uint32_t>& scratch) {
  xrgbRows(t, sub, scratch);
  const Subresource& s = t.sub(sub);
  return plat::win::PresentWindow(window, scratch.data(), s.width, s.height, s.width * 4) != 0;
}

bool presentInto(plat::win::HWND window, const Texture& t, int sub, const Box& source, const plat::win::RECT& dest,
                 std::vector<uint32_t>& scratch) {
  const Subresource& s = t.sub(sub);
  if (source.left < 0 || source.top < 0 || source.right > s.width || source.bottom > s.height ||
      source.left >= source.right || source.top >= source.bottom || dest.left >= dest.right || dest.top >= dest.bottom)
    return false;
  xrgbRows(t, sub, scratch);
  const plat::win::WindowDib dib{scratch.data(), s.width, -s.height, 32, 0xFF0000, 0xFF00, 0xFF};
  return plat::win::PaintDibOnWindow(plat::win::GetDC(window), dest.left, dest.top, dest.right - dest.left,
                                     dest.bottom - dest.top, source.left, source.top, source.right - source.left,
                                     source.bottom - source.top, dib) != 0;
}

}  // namespace plat::gpu
