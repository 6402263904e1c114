// The Direct3D 11 per-tile texture record of graphs and the helpers the graph, shape and
// single-operation files of the back end share.
#pragma once
#include <cstdint>

#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/graph.h"

namespace ZaDod {

// Lives in the room the graph code reserves behind each tile.
struct D3D11GraphTexture {
    gpu::ID3D11Texture2D* texture;
    gpu::ID3D11ShaderResourceView* view;
    gpu::ID3D11RenderTargetView* targetView;  // drawable graphs only; a cube map's face 0
    gpu::ID3D11RenderTargetView* faceViews[5];  // drawable cube maps: faces 1..5
    gpu::ID3D11Texture2D* depthTexture;         // drawable graphs with their own depth buffer
    gpu::ID3D11DepthStencilView* depthView;
    int width, height;
    // A multisampled drawable graph's texture: the target views are its views, and
    // `texture` takes its resolve.
    gpu::ID3D11Texture2D* msTexture;
    // A picture that is not drawable, of one level and 8-bit RGBA or BGRA texels: the view
    // the filter passes draw into it through, so that a pass needs no work screen and copy.
    gpu::ID3D11RenderTargetView* passView;
};
static_assert(sizeof(D3D11GraphTexture) <= kGraphTextureRecordSize);

inline D3D11GraphTexture* D3D11_TileTexture(const GraphTextureTile* tile) {
    return static_cast<D3D11GraphTexture*>(tile->texture);
}
// The target view of one surface (a cube map's face, else 0 only); null for none.
inline gpu::ID3D11RenderTargetView* D3D11_SurfaceTargetView(const D3D11GraphTexture* t, int surface) {
    if (surface == 0) return t->targetView;
    return surface >= 1 && surface <= 5 ? t->faceViews[surface - 1] : nullptr;
}

// The texture draws into a tile land on: the multisampled one when there is one.
inline gpu::ID3D11Texture2D* D3D11_TileDrawTexture(const D3D11GraphTexture* t) {
    return t->msTexture != nullptr ? t->msTexture : t->texture;
}
// Multisampled tiles: Resolve averages the samples into the texture, so that what was
// drawn can be read or sampled; Spread draws the texture back into every sample after the
// texture itself was written (uploads, fills). -1 when a copy fails.
int D3D11_ResolveGraph(const GraphOrigData* orig);
int D3D11_SpreadGraph(const GraphOrigData* orig);
// Binds a target view at a slot, first resolving the multisampled texture the slot held;
// a multisampled texture of tile t bound here is resolved when the slot next changes.
int D3D11_BindTargetSlot(int slot, const D3D11GraphTexture* t, gpu::ID3D11Texture2D* texture,
                         gpu::ID3D11RenderTargetView* view);
// A multisampled texture is going: no slot resolves it any more.
void D3D11_ForgetResolve(gpu::ID3D11Texture2D* msTexture);

// Device loss and re-creation: every graph's textures go with the device and are made
// again (empty) with the new one.
int Graphics_D3D11_ReleaseAllGraphTextures();
int Graphics_D3D11_RecreateAllGraphTextures();

// A graph's texture format, kept in its format record when its textures are made; and
// the choice: the survey's row of its pixel-format index, a block format only for a DXT1,
// DXT3 or DXT5 picture that fills its one tile in whole blocks and is not drawn into
// (UNKNOWN: the device has none).
gpu::DXGI_FORMAT D3D11_GraphFormat(const GraphOrigData* orig);
gpu::DXGI_FORMAT D3D11_ChooseGraphFormat(const GraphOrigData* orig);
// The DXT kind (1, 3 or 5) a block format holds, 0 for any other format.
int D3D11_DXTKind(gpu::DXGI_FORMAT format);
// The pixel layout of a texture format, or null for a format no graph or image uses.
const PixelFormatDesc* Graphics_D3D11_GetFormatPixelDesc(gpu::DXGI_FORMAT format);
// Grows the upload buffer shared by uploads to at least `size` bytes; -1 (logged) when
// it cannot be had. The caller holds no lock: each thread has its own buffer.
int Graphics_D3D11_Texture_SetupCommonBuffer(size_t size);
// Frees it (device shut-down).
void Graphics_D3D11_Texture_ReleaseCommonBuffer();

// Mip levels (at least 1) and faces (6 for a cube map, else 1) of a graph's textures;
// face f, level l is subresource f x levels + l.
inline int D3D11_GraphMipLevels(const GraphOrigData* orig) { return orig->mipCount > 1 ? int(orig->mipCount) : 1; }
inline int D3D11_GraphFaces(const GraphOrigData* orig) { return orig->request.cubeMap ? 6 : 1; }

// The draw key of a graph draw (trans flag, whole-pixel flag, the graph's alpha bits).
int D3D11_GraphDrawKey(const GraphData* image, int transFlag, int wholePixel);

// The vertex colour of draws: the draw bright times (red, green, blue), and the blend
// parameter as alpha in the blend modes that read it.
uint32_t D3D11_DrawColor(int red, int green, int blue);

// An untextured 2D vertex as the batch's first layout holds it.
struct D3D11ColorVertex {
    float x, y, z, rhw;
    uint32_t color;
};

// Writes a quad (two triangles) of textured 2D vertices into the batch; while a blend
// texture is bound, as blend-textured vertices with the blend coordinates (bu, bv).
struct D3D11Corner {
    float x, y, u, v;
    float bu, bv;
};
int D3D11_PutTexturedQuad(const D3D11Corner corner[4], uint32_t color);
// Writes an untextured axis-aligned rectangle [x1, x2) x [y1, y2) into the batch.
int D3D11_PutRect(float x1, float y1, float x2, float y2, uint32_t color);
// Untextured drawing set up with the draw key of shapes.
int D3D11_BeginUntextured();

// Direct draws outside the vertex batch through the common vertex (and index) buffer:
// `format` is a standard vertex format (0..6); with `shaderFlag` its standard vertex
// shader is bound, else the caller's stays. -1 on a bad argument or a failed buffer.
int Graphics_D3D11_DrawCommonVertexBuffer(int format, gpu::D3D11_PRIMITIVE_TOPOLOGY topology, const void* vertices,
                                          int count, int shaderFlag);
int Graphics_D3D11_DrawCommonIndexed(int format, gpu::D3D11_PRIMITIVE_TOPOLOGY topology, const void* vertices,
                                     int vertexCount, const void* indices, int indexCount,
                                     gpu::DXGI_FORMAT indexFormat, int shaderFlag);
// A grid of columns x rows textured 2D vertices (row by row) as indexed triangle strips.
int Graphics_D3D11_DrawVertexGrid(const Vertex2D* vertices, int columns, int rows);

// Binds a blend graph's piece as the blend texture, or clears the blend texture (null).
int D3D11_UseBlendPiece(const GraphDrawPiece* piece);

}  // namespace ZaDod
