// Direct3D 11 draw targets of several tiles: a drawable graph wider or higher than the
// largest texture is drawn tile by tile.
#pragma once
#include <functional>

#include "media/graphics/d3d11/d3d11_graph.h"

namespace ZaDod {

// The graph of several tiles now the draw target (its first tile is what the state cache
// binds), or null; forgotten when the graph's textures go.
void D3D11_SetTiledTarget(const GraphOrigData* orig);
const GraphOrigData* D3D11_TiledTarget();
void D3D11_ForgetTiledTarget(const GraphOrigData* orig);

// Runs a draw of the cached state, and again on every further tile of the draw target the
// viewport reaches, with that tile's target view bound and the viewport moved by the
// tile's place: each pixel lands where it lands on the whole graph.
void D3D11_DrawOnTiles(const std::function<void()>& draw);

}  // namespace ZaDod
