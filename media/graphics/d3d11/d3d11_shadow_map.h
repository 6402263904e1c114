// The Direct3D 11 objects of a shadow map and where the maps' constants sit.
#pragma once
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {

struct D3D11ShadowMapTexture {
    gpu::ID3D11Texture2D* depthTexture;
    gpu::ID3D11DepthStencilView* depthView;
    gpu::ID3D11ShaderResourceView* depthResourceView;  // when the depth layout is readable
    gpu::ID3D11Texture2D* texture;                     // the colour target the shaders write depth into
    gpu::ID3D11RenderTargetView* targetView;
    gpu::ID3D11ShaderResourceView* view;
    int width, height;
};

// The format-table row of a map's colour target (one 32-bit float channel).
constexpr int kD3D11ShadowMapFormatRow = 42;
// The three maps' view-projection matrices (transposed, 64 bytes each) in the further
// vertex-stage buffer, and their depth bias, second bias and in-use flag (a float4 each)
// in the further pixel-stage buffer.
constexpr int kD3D11ShadowMapVSOffset = 0;
constexpr int kD3D11ShadowMapPSOffset = 0;

// The map's objects, or null before it was first drawn into.
const D3D11ShadowMapTexture* D3D11_ShadowMapTexture(const ShadowMapData* map);
int Graphics_D3D11_ShadowMap_CreateTexture(ShadowMapData* map, int async);
// Device release and re-creation.
int Graphics_D3D11_ReleaseShadowMaps();
int Graphics_D3D11_RestoreShadowMaps();

}  // namespace ZaDod
