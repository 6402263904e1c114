// The one road from a software-GPU image to the window stand-in: both faces show their
// back buffer here, whole or from a rectangle into a rectangle. The window reads an 8-bit
// RGBA or BGRA buffer's own rows; other formats are turned into XRGB rows first.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gpu/copy.h"
#include "platform/win/win_window.h"

namespace plat::gpu {

// The subresource as XRGB words, row after row (alpha dropped, other formats converted).
void xrgbRows(const Texture& texture, int sub, std::vector<uint32_t>& out);

// The XRGB rows a presenter showed last and what they were made from. A present of the
// same subresource with no texel written anywhere since shows them again unconverted:
// the front-screen refresh presents every 32 ms whether or not anything was drawn.
struct ShownRows {
  std::vector<uint32_t> pixels;
  const Texture* texture = nullptr;
  int sub = -1;
  uint64_t writes = 0;
};
// The rows of the subresource in `shown.pixels`, converted only when they may differ.
void refreshRows(const Texture& texture, int sub, ShownRows& shown);

// Shows the whole subresource as the window's next frame (`shown` is used only for
// formats the window cannot read as they stand).
bool presentWhole(plat::win::HWND window, const Texture& texture, int sub, ShownRows& shown);
// Paints `source` of the subresource into `dest` of the window's frame buffer (nearest
// texel when the sizes differ; the rest of the frame keeps what was painted before) and
// presents that frame. False for an empty or out-of-range source or a window without a frame.
bool presentInto(plat::win::HWND window, const Texture& texture, int sub, const Box& source,
                 const plat::win::RECT& dest, ShownRows& shown);

}  // namespace plat::gpu
