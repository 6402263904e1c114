// Direct3D 9 draw targets of several tiles: the drawable graph being drawn into when it is
// wider or higher than the largest texture, and the per-tile draw, clear and pixel lookup
// the device wrappers use for it.
#pragma once
#include <functional>

#include "media/graphics/d3d9/d3d9_graph.h"

namespace ZaDod {

// The draw target's graph when it has several tiles (null otherwise); set with each draw
// target, forgotten when the graph's textures go.
void D3D9_SetTiledTarget(const GraphOrigData* orig);
const GraphOrigData* D3D9_TiledTarget();
void D3D9_ForgetTiledTarget(const GraphOrigData* orig);

// One draw of `vertices` vertices of `stride` bytes at `data`, once per tile it touches,
// viewport and scissor clipped to the tile: screen-pixel positions moved by the tile's
// offset; positions the device transforms drawn on every tile of the draw area through
// the projection (transform and vertex constants c2..c5) moved onto the tile.
gpu::HRESULT D3D9_DrawTiled(gpu::IDirect3DDevice9* device, const void* data, UINT vertices, UINT stride,
                            const std::function<gpu::HRESULT(const void*)>& draw);
// What the projection transform and the vertex constants c2..c5 last were, kept as they
// reach the device.
void D3D9_NoteProjection(const gpu::D3DMATRIX& matrix);
void D3D9_NoteVertexConstants(UINT first, const float* data, UINT count);
// A clear of the rectangles (graph coordinates; none: all), tile by tile.
gpu::HRESULT D3D9_ClearTiled(gpu::IDirect3DDevice9* device, DWORD count, const gpu::D3DRECT* rects, DWORD flags,
                             gpu::D3DCOLOR colour, float z, DWORD stencil);
// A viewport or scissor rectangle in graph coordinates as the first tile's surface takes it.
gpu::D3DVIEWPORT9 D3D9_FirstTileViewport(const gpu::D3DVIEWPORT9& viewport);
plat::win::RECT D3D9_FirstTileScissor(const plat::win::RECT& rect);
// A graph's textures are going: an open lock spanning its tiles writes nothing back.
void D3D9_ForgetSpanningLock(const GraphOrigData* orig);
// The surface of the tile holding pixel (x, y) of the target, with (x, y) moved into it;
// null outside every tile.
gpu::IDirect3DSurface9* D3D9_TiledTargetSurfaceAt(int* x, int* y);

}  // namespace ZaDod
