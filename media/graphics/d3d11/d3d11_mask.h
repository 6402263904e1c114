// The Direct3D 11 mask screen's objects as tests and other back-end files see them.
#pragma once
#include "media/graphics/d3d11/d3d11_backend.h"

namespace ZaDod {

// The mask screen and mask image textures (null when absent) and their size.
// While draws go to the mask screen: true, with the real target it stands in for.
bool D3D11_MaskedRealTarget(gpu::ID3D11Texture2D** texture, gpu::ID3D11RenderTargetView** target);
void D3D11_MaskTextures(gpu::ID3D11Texture2D** screen, gpu::ID3D11Texture2D** image, int* width, int* height);

}  // namespace ZaDod
