// Converting a back buffer to XRGB rows and handing them to the window stand-in.
#include "platform/gpu/window_present.h"

#include <bit>
#include <cstring>

#include "platform/win/window_frame.h"

namespace plat::gpu {

static_assert(std::endian::native == std::endian::little, "the XRGB rows read texels as little-endian words");

namespace {

using Words4 = uint32_t __attribute__((vector_size(16)));

template <bool Rgba, class W>
W toXrgb(W w) {
  if constexpr (Rgba) return 0xFF000000u | (w & 0xFFu) << 16 | (w & 0xFF00u) | (w >> 16 & 0xFFu);
  else return 0xFF000000u | w;
}

template <bool Rgba>
void xrgbFromWords(const uint8_t* src, uint32_t* dst, int width) {
  int x = 0;
  for (; x + 4 <= width; x += 4) {
    Words4 w;
    std::memcpy(&w, src + size_t(x) * 4, sizeof w);
    w = toXrgb<Rgba>(w);
    std::memcpy(dst + x, &w, sizeof w);
  }
  for (; x < width; ++x) {
    uint32_t w;
    std::memcpy(&w, src + size_t(x) * 4, 4);
    dst[x] = toXrgb<Rgba>(w);
  }
}

}  // namespace

void xrgbRows(const Texture& t, int sub, std::vector<uint32_t>& out) {
  const Subresource& s = t.sub(sub);
  const uint8_t* src = t.data(sub);
  out.resize(size_t(s.width) * size_t(s.height));
  uint32_t* dst = out.data();
  const Format f = readFormat(t.format());
  if (f == Format::R8G8B8A8 || f == Format::B8G8R8A8 || f == Format::B8G8R8X8) {
    // A word holds R G B A (or B G R A) from its low byte up; four at a time in one
    // 128-bit register, the row's rest one by one.
    const bool rgba = f == Format::R8G8B8A8;
    for (int y = 0; y < s.height; ++y, src += s.pitch, dst += s.width) {
      if (rgba) xrgbFromWords<true>(src, dst, s.width);
      else xrgbFromWords<false>(src, dst, s.width);
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

void refreshRows(const Texture& t, int sub, ShownRows& shown) {
  // Read the count before converting: a write that lands meanwhile moves it past this.
  const uint64_t writes = texelWrites();
  if (shown.texture == &t && shown.sub == sub && shown.writes == writes) return;
  xrgbRows(t, sub, shown.pixels);
  shown.texture = &t;
  shown.sub = sub;
  shown.writes = writes;
}

namespace {

// The order of an 8-bit four-channel format's texels as the window reads them, or false
// for a format the window cannot read as it stands.
bool windowOrder(Format f, plat::win::PixelOrder& order) {
  if (f == Format::R8G8B8A8) order = plat::win::PixelOrder::rgbx;
  else if (f == Format::B8G8R8A8 || f == Format::B8G8R8X8) order = plat::win::PixelOrder::xrgb;
  else return false;
  return true;
}

}  // namespace

bool presentWhole(plat::win::HWND window, const Texture& t, int sub, ShownRows& shown) {
  const Subresource& s = t.sub(sub);
  // The window reads the texture's own rows (its copy drops the fourth byte): no
  // separate converting pass over the frame.
  plat::win::PixelOrder order;
  if (windowOrder(readFormat(t.format()), order))
    return plat::win::PresentWindow(window, t.data(sub), s.width, s.height, int(s.pitch), order) != 0;
  refreshRows(t, sub, shown);
  return plat::win::PresentWindow(window, shown.pixels.data(), s.width, s.height, s.width * 4) != 0;
}

bool presentInto(plat::win::HWND window, const Texture& t, int sub, const Box& source, const plat::win::RECT& dest,
                 ShownRows& shown) {
  const Subresource& s = t.sub(sub);
  if (source.left < 0 || source.top < 0 || source.right > s.width || source.bottom > s.height ||
      source.left >= source.right || source.top >= source.bottom || dest.left >= dest.right || dest.top >= dest.bottom)
    return false;
  // A texture whose rows the window can read as a packed image is painted from directly.
  plat::win::PixelOrder order;
  if (windowOrder(readFormat(t.format()), order) && s.pitch == size_t(s.width) * 4) {
    const bool rgbx = order == plat::win::PixelOrder::rgbx;
    const plat::win::WindowDib dib{t.data(sub), s.width, -s.height, 32, rgbx ? 0xFFu : 0xFF0000u, 0xFF00,
                                   rgbx ? 0xFF0000u : 0xFFu};
    return plat::win::PaintDibOnWindow(plat::win::GetDC(window), dest.left, dest.top, dest.right - dest.left,
                                       dest.bottom - dest.top, source.left, source.top, source.right - source.left,
                                       source.bottom - source.top, dib) != 0;
  }
  refreshRows(t, sub, shown);
  const plat::win::WindowDib dib{shown.pixels.data(), s.width, -s.height, 32, 0xFF0000, 0xFF00, 0xFF};
  return plat::win::PaintDibOnWindow(plat::win::GetDC(window), dest.left, dest.top, dest.right - dest.left,
                                     dest.bottom - dest.top, source.left, source.top, source.right - source.left,
                                     source.bottom - source.top, dib) != 0;
}

}  // namespace plat::gpu
