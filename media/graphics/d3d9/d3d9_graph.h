// The Direct3D 9 per-tile texture record of graphs and the helpers the graph, shape and
// single-operation files of the back end share.
#pragma once
#include <cstdint>

#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graph.h"

namespace ZaDod {

// Lives in the room the graph code reserves behind each tile. The texture comes first:
// it is what a draw binds.
struct D3D9GraphTexture {
    gpu::IDirect3DTexture9* texture;  // null for a cube map
    gpu::IDirect3DSurface9* surface;  // level 0 of a drawable graph's texture (its first face)
    int width, height;
    gpu::IDirect3DCubeTexture9* cube;    // a cube map's texture
    gpu::IDirect3DSurface9* faces[6];    // a drawable cube map's level-0 faces
    gpu::IDirect3DSurface9* depth;       // a drawable graph's own depth surface, or null
    int depthCleared;                    // the depth surface was cleared to the far plane
    // A multisampled drawable graph is drawn here; the texture gets its resolve.
    gpu::IDirect3DSurface9* multisample;
};
static_assert(sizeof(D3D9GraphTexture) <= kGraphTextureRecordSize);

inline D3D9GraphTexture* D3D9_TileTexture(const GraphTextureTile* tile) {
    return static_cast<D3D9GraphTexture*>(tile->texture);
}

// The surface draws into a drawable tile land on: its multisample surface when it has one,
// else its level-0 surface of `surfaceIndex` (a cube map's face); null for none.
gpu::IDirect3DSurface9* D3D9_TileDrawSurface(const D3D9GraphTexture* t, int surfaceIndex);
// Multisampled tiles: Resolve averages the samples into the texture, so that what was drawn
// can be read or sampled; Spread writes the texture back into every sample after the
// texture itself was written (uploads, filters, copies). -1 when a copy fails.
int D3D9_ResolveGraph(const GraphOrigData* orig);
int D3D9_SpreadGraph(const GraphOrigData* orig);

// Binds `surface` (a surface of tile t, or null t for the screen and for none) at a
// render-target slot, first resolving the multisample surface the slot held; a
// multisample surface bound here is resolved into t's texture when the slot next changes.
int D3D9_BindTargetSlot(int slot, const D3D9GraphTexture* t, gpu::IDirect3DSurface9* surface);
void D3D9_ResolveSlot(int slot);
// A multisample surface is going: no slot resolves it any more.
void D3D9_ForgetResolve(gpu::IDirect3DSurface9* multisample);

// A graph's depth surface is going: the device stops drawing into it if it is bound.
void D3D9_ForgetGraphDepth(gpu::IDirect3DSurface9* depth);

// The draw key of a graph draw (trans flag, whole-pixel flag, the graph's alpha bits).
int D3D9_GraphDrawKey(const GraphData* image, int transFlag, int wholePixel);

// Graph draws and shapes place pixel centres on whole coordinates.
constexpr float kD3D9PixelCentre = -0.5f;

// One corner of a textured quad: screen position, the graph's texture coordinates and,
// while a blend texture is bound, the blend graph's.
struct D3D9Corner {
    float x, y, u, v;
    float bu, bv;
};
// Six vertices of a quad (corners top-left, top-right, bottom-left, bottom-right) in the
// batch's current textured layout, in the order 0, 1, 2, 3, 2, 1.
int D3D9_PutTexturedQuad(const D3D9Corner corner[4], uint32_t color);
// An untextured rectangle [x1, x2) x [y1, y2) in screen pixels (the centre offset added here).
int D3D9_PutRect(float x1, float y1, float x2, float y2, uint32_t color);
// The draw preparation for `key`, run only when the state changed, the cache forces or
// the key differs from the last one prepared.
void D3D9_PrepareIfNeeded(int key);
// Untextured drawing set up with the draw key of shapes.
int D3D9_BeginUntextured();

// A grid of columns x rows textured 2D vertices (row by row), drawn at once outside the
// batch as indexed triangle strips of at most 1000 indices each.
int Graphics_D3D9_DrawVertexGrid(const Vertex2D* vertices, int columns, int rows);

// Binds a blend graph's piece as the blend texture, or clears the blend texture (null).
int D3D9_UseBlendPiece(const GraphDrawPiece* piece);

}  // namespace ZaDod
