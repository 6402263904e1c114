// Direct3D 11 draw targets of several tiles. The state cache binds the first tile and the
// viewport of the whole graph's draw area; each draw runs once more for every further
// tile the viewport reaches, into that tile's view through the viewport moved by the
// tile's place, so that clip space lands on every tile where it lands on the whole graph.
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/d3d11/d3d11_tiled.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

const GraphOrigData* tiledTarget = nullptr;

// Whether the viewport reaches any pixel of the tile.
bool reaches(const D3D11_VIEWPORT& v, const GraphTextureTile& t) {
    return v.TopLeftX < float(t.x + t.usedWidth) && v.TopLeftX + v.Width > float(t.x) &&
           v.TopLeftY < float(t.y + t.usedHeight) && v.TopLeftY + v.Height > float(t.y);
}

}  // namespace

void D3D11_SetTiledTarget(const GraphOrigData* orig) {
    tiledTarget = orig != nullptr && orig->tileCount > 1 && !orig->request.cubeMap ? orig : nullptr;
}

const GraphOrigData* D3D11_TiledTarget() { return tiledTarget; }

void D3D11_ForgetTiledTarget(const GraphOrigData* orig) {
    if (tiledTarget == orig) tiledTarget = nullptr;
}

void D3D11_DrawOnTiles(const std::function<void()>& draw) {
    draw();
    const GraphOrigData* orig = tiledTarget;
    const D3D11DeviceStateCache& c = D3D11State;
    // Only while the first tile is what slot 0 draws into (not the mask screen, say).
    if (orig == nullptr || c.targetView[0] == nullptr ||
        c.targetView[0] != D3D11_TileTexture(&orig->tiles[0])->targetView)
        return;
    const D3D11GraphTexture* first = D3D11_TileTexture(&orig->tiles[0]);
    bool moved = false;
    for (int i = 1; i < orig->tileCount; ++i) {
        const GraphTextureTile& tile = orig->tiles[i];
        const D3D11GraphTexture* t = D3D11_TileTexture(&tile);
        if (t->targetView == nullptr || !reaches(c.viewport, tile)) continue;
        // Further slots hold targets of the first tile's size: a tile of another size
        // draws alone.
        ID3D11RenderTargetView* targets[8] = {t->targetView};
        // A graph's own depth buffer is one per tile.
        ID3D11DepthStencilView* depth = c.depthView;
        if (depth != nullptr && depth == first->depthView) depth = t->depthView;
        D3D11DeviceContext_OMSetRenderTargets(8, targets, depth);
        D3D11_VIEWPORT v = c.viewport;
        v.TopLeftX -= float(tile.x);
        v.TopLeftY -= float(tile.y);
        D3D11DeviceContext_RSSetViewports(1, &v);
        moved = true;
        draw();
    }
    if (!moved) return;
    Graphics_D3D11_DeviceState_ApplyRenderTargets();
    D3D11DeviceContext_RSSetViewports(1, &c.viewport);
}

}  // namespace ZaDod
