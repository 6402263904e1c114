// The one road from a software-GPU image to the window stand-in: both faces turn their
// back buffer into XRGB rows here and show it, whole or from a rectangle into a rectangle.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gpu/copy.h"
#include "platform/win/win_window.h"

namespace plat::gpu {

// The subresource as XRGB words, row after row (alpha dropped, other formats converted).
void xrgbRows(const Texture& texture, int sub, std::vector<uint32_t>& out);
// Shows the whole subresource as the window's next frame.
bool presentWhole(plat::win::HWND window, const Texture& texture, int sub, std::vector<uint32_t>& scratch);
// Paints `source` of the subresource into `dest` of the window's frame buffer (nearest
// texel when the sizes differ; the rest of the frame keeps what was painted before) and
// presents that frame. False for an empty or out-of-range source or a window without a frame.
bool presentInto(plat::win::HWND window, const Texture& texture, int sub, const Box& source,
                 const plat::win::RECT& dest, std::vector<uint32_t>& scratch);

}  // namespace plat::gpu
