// The Direct3D 9 system-memory staging pools and what the upload, lock and buffer files of
// the back end share with each other.
#pragma once
#include <cstdint>

#include "media/graphics/d3d9/d3d9_graph.h"

namespace ZaDod {

// One staging object of a pool, kept after use for the next transfer of the same shape.
struct D3D9PoolEntry {
    uint8_t used;
    uint8_t lent;  // in use by a transfer
    uint8_t cube;
    uint8_t levels;
    uint16_t width, height;
    gpu::D3DFORMAT format;
    uint32_t useCount;
    uint32_t returnTime;  // ms of the clock when last given back
    plat::win::IUnknown* object;
};
constexpr int kD3D9PoolEntries = 2048;
constexpr int kD3D9PoolDuplicates = 16;  // lent entries of one shape at most
constexpr int kD3D9PoolKeepMs = 2000;
struct D3D9Pool {
    int count;
    int reported;  // the first creation failure listed the entries
    D3D9PoolEntry entries[kD3D9PoolEntries];
};
extern D3D9Pool D3D9SurfacePool;
extern D3D9Pool D3D9TexturePool;

// Texels of plain 8-bit ARGB (alpha in the top byte), which a conversion writes whole.
inline bool D3D9_IsPlainARGB8(const PixelFormatDesc* desc) {
    return desc != nullptr && desc->formatCode == 0 && desc->channelCount == 0 && desc->floatFlag == 0 &&
           desc->bytesPerPixel == 4 && desc->redMask == 0x00FF0000u && desc->greenMask == 0x0000FF00u &&
           desc->blueMask == 0x000000FFu && desc->alphaMask == 0xFF000000u;
}

int Graphics_D3D9_SysMemSurface_Get(int width, int height, gpu::D3DFORMAT format, int async);
int Graphics_D3D9_SysMemSurface_Release(int index, int async);
int Graphics_D3D9_SysMemSurface_ReleaseAll(int keepLent);
int Graphics_D3D9_SysMemTexture_Get(int cube, int width, int height, int levels, gpu::D3DFORMAT format, int async);
int Graphics_D3D9_SysMemTexture_GetForGraph(const GraphOrigData* orig, const GraphTextureTile* tile, int async);
int Graphics_D3D9_SysMemTexture_Release(int index, int async);
int Graphics_D3D9_SysMemTexture_ReleaseAll(int keepLent);
inline gpu::IDirect3DSurface9* D3D9_PoolSurface(int index) {
    return static_cast<gpu::IDirect3DSurface9*>(D3D9SurfacePool.entries[index].object);
}
inline plat::win::IUnknown* D3D9_PoolTexture(int index) { return D3D9TexturePool.entries[index].object; }

// One pause of a wait for a busy pool: the message pump (main thread) and 1 ms; -1 when
// the pump reports that the window is gone.
int D3D9_PoolWaitStep();
// Asks `get` until it gives an entry. Only a busy pool (-1) is waited for: an object that
// cannot be made (-2) fails at once instead of being asked for again for ever.
template <class Get>
int D3D9_WaitForPoolEntry(Get&& get) {
    for (;;) {
        const int index = get();
        if (index >= 0) return index;
        if (index != -1 || D3D9_PoolWaitStep() < 0) return -1;
    }
}

// The pixel layout of a texture or surface format; null for a format without one (DXT).
const PixelFormatDesc* Graphics_D3D9_GetFormatPixelDesc(gpu::D3DFORMAT format);

// The texture format a graph's textures are made in (kept in its format record when they
// are made); the choice from the survey's table or the user texture-format number
// (UNKNOWN: the device has none); the format of user number 1..22 (UNKNOWN for others).
gpu::D3DFORMAT D3D9_GraphFormat(const GraphOrigData* orig);
gpu::D3DFORMAT D3D9_ChooseGraphFormat(const GraphOrigData* orig);
gpu::D3DFORMAT D3D9_UserTextureFormat(int number);
inline int D3D9_GraphLevels(const GraphOrigData* orig) { return orig->mipCount > 1 ? int(orig->mipCount) : 1; }
inline int D3D9_GraphFaces(const GraphOrigData* orig) { return orig->request.cubeMap ? 6 : 1; }
// The DXT kind (1..5) a format holds, 0 for any other.
int D3D9_DXTKind(gpu::D3DFORMAT format);
// A graph is managed (locked directly) when asked for, not drawable and not on the Ex object.
int D3D9_GraphManaged(const GraphOrigData* orig);

// Vertex and index buffers of handles: released with the device, made again and refilled
// from their kept copies.
int Graphics_D3D9_RestoreUserBuffers();
// Shadow-map textures: made with the handle's size when first drawn into; made again after
// a device re-creation.
struct D3D9ShadowMapTexture {
    gpu::IDirect3DTexture9* texture;  // R32F render target
    gpu::IDirect3DSurface9* surface;  // its level 0
    gpu::IDirect3DSurface9* depth;    // the depth surface drawn with it
    int width, height;
};
const D3D9ShadowMapTexture* D3D9_ShadowMapTexture(const ShadowMapData* shadowMap);  // null before creation
int Graphics_D3D9_ShadowMap_CreateTexture(ShadowMapData* shadowMap, int async);
int Graphics_D3D9_RestoreShadowMaps();
// The maps of the three slots on the samplers the face's lit fixed function reads them
// from (none for other draws), and a texture taken off them before it is released.
void D3D9_BindShadowMapSamplers(bool lit);
void D3D9_UnbindShadowMapTexture(const gpu::IDirect3DTexture9* texture);
// The first shader-constant registers (usage set 0) of the three shadow-map slots: four
// vertex-shader float registers each, one pixel-shader float register each.
// The Direct3D 9 face's fixed function reads the same registers for its shadow maps.
constexpr int kD3D9ShadowMapVSRegister = int(gpu::kFixedShadowVSRegister);
constexpr int kD3D9ShadowMapPSRegister = int(gpu::kFixedShadowPSRegister);

}  // namespace ZaDod
