// Direct3D 9 draw targets of several tiles: a drawable graph wider or higher than the
// largest texture is drawn tile by tile. Each draw and clear runs once per tile it touches,
// into that tile's surface, with the viewport and scissor clipped to the tile: screen
// positions are moved by the tile's offset, transformed ones through a projection moved
// onto the tile; pixel reads go to the tile that holds the pixel.
#include <algorithm>
#include <vector>

#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/d3d9/d3d9_tiled.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/render_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::RECT;

const GraphOrigData* tiledTarget = nullptr;

// The projection the device was last given, as the transform and as the vertex constants
// c2..c5 (its transpose) that the vertex shaders place positions with.
D3DMATRIX keptProjection{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
float projectionConstants[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
constexpr UINT kProjectionRegister = 2;

IDirect3DSurface9* tileSurface(const GraphTextureTile& tile) { return D3D9_TileDrawSurface(D3D9_TileTexture(&tile), 0); }

struct Area {
    int left, top, right, bottom;
    bool empty() const { return right <= left || bottom <= top; }
};

Area intersect(const Area& a, const Area& b) {
    return Area{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

Area tileArea(const GraphTextureTile& t) { return Area{t.x, t.y, t.x + t.usedWidth, t.y + t.usedHeight}; }

// The viewport the front set (the draw area), in graph coordinates.
Area drawArea() {
    const D3DVIEWPORT9& v = D3D9State.viewport;
    return Area{int(v.X), int(v.Y), int(v.X + v.Width), int(v.Y + v.Height)};
}

// Points the device at one tile for the duration of a draw and puts the cached binding,
// viewport and scissor back afterwards (the cache keeps describing the first tile).
template <class Fn>
HRESULT onTile(IDirect3DDevice9* device, const GraphTextureTile& tile, const Area& clip, Fn&& fn) {
    IDirect3DSurface9* surface = tileSurface(tile);
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    device->SetRenderTarget(0, surface);
    const D3DVIEWPORT9 view{DWORD(clip.left - tile.x), DWORD(clip.top - tile.y), DWORD(clip.right - clip.left),
                            DWORD(clip.bottom - clip.top), D3D9State.viewport.MinZ, D3D9State.viewport.MaxZ};
    device->SetViewport(&view);
    const RECT scissor{clip.left - tile.x, clip.top - tile.y, clip.right - tile.x, clip.bottom - tile.y};
    device->SetScissorRect(&scissor);
    const HRESULT hr = fn();
    device->SetRenderTarget(0, D3D9State.targets[0]);
    const D3DVIEWPORT9 first = D3D9_FirstTileViewport(D3D9State.viewport);
    device->SetViewport(&first);
    const RECT firstScissor = D3D9_FirstTileScissor(D3D9State.scissor);
    device->SetScissorRect(&firstScissor);
    return hr;
}

// Sends the projection moved so that the clip space of the whole viewport `whole` lands,
// through the viewport `part` of one tile, where it lands on the whole target: clip x
// becomes a x + b w and clip y c y + d w. Without `part` the kept projection goes back.
void sendTileProjection(IDirect3DDevice9* device, const Area& whole, const Area* part) {
    if (part == nullptr) {
        device->SetTransform(D3DTS_PROJECTION, &keptProjection);
        device->SetVertexShaderConstantF(kProjectionRegister, &projectionConstants[0][0], 4);
        return;
    }
    const float w = float(whole.right - whole.left), h = float(whole.bottom - whole.top);
    const float pw = float(part->right - part->left), ph = float(part->bottom - part->top);
    const float a = w / pw, b = (2.0f * float(whole.left - part->left) + w - pw) / pw;
    const float c = h / ph, d = (ph - h - 2.0f * float(whole.top - part->top)) / ph;
    D3DMATRIX moved = keptProjection;
    for (int i = 0; i < 4; ++i) {
        moved.m[i][0] = keptProjection.m[i][0] * a + keptProjection.m[i][3] * b;
        moved.m[i][1] = keptProjection.m[i][1] * c + keptProjection.m[i][3] * d;
    }
    float constants[4][4];
    std::copy(&projectionConstants[0][0], &projectionConstants[0][0] + 16, &constants[0][0]);
    for (int i = 0; i < 4; ++i) {
        constants[0][i] = projectionConstants[0][i] * a + projectionConstants[3][i] * b;
        constants[1][i] = projectionConstants[1][i] * c + projectionConstants[3][i] * d;
    }
    device->SetTransform(D3DTS_PROJECTION, &moved);
    device->SetVertexShaderConstantF(kProjectionRegister, &constants[0][0], 4);
}

// Positions the device transforms (3-D and vertex-shader draws) cannot be moved one by
// one: each tile the draw area reaches draws them through a projection moved onto it.
HRESULT drawTransformedTiled(IDirect3DDevice9* device, const std::function<HRESULT(const void*)>& draw,
                             const void* data) {
    const Area whole = drawArea();
    if (whole.empty()) return draw(data);
    HRESULT result = D3D_OK;
    for (int i = 0; i < tiledTarget->tileCount; ++i) {
        const GraphTextureTile& tile = tiledTarget->tiles[i];
        const Area clip = intersect(whole, tileArea(tile));
        if (clip.empty()) continue;
        const HRESULT hr = onTile(device, tile, clip, [&] {
            sendTileProjection(device, whole, &clip);
            return draw(data);
        });
        if (hr != D3D_OK) result = hr;
    }
    sendTileProjection(device, whole, nullptr);
    return result;
}

}  // namespace

void D3D9_NoteProjection(const D3DMATRIX& matrix) { keptProjection = matrix; }

void D3D9_NoteVertexConstants(UINT first, const float* data, UINT count) {
    for (UINT r = first; r < first + count; ++r)
        if (r >= kProjectionRegister && r < kProjectionRegister + 4)
            std::copy(data + size_t(r - first) * 4, data + size_t(r - first) * 4 + 4,
                      projectionConstants[r - kProjectionRegister]);
}

void D3D9_SetTiledTarget(const GraphOrigData* orig) {
    tiledTarget = orig != nullptr && orig->tileCount > 1 && !orig->request.cubeMap ? orig : nullptr;
}

const GraphOrigData* D3D9_TiledTarget() { return tiledTarget; }

void D3D9_ForgetTiledTarget(const GraphOrigData* orig) {
    if (tiledTarget == orig) tiledTarget = nullptr;
}

HRESULT D3D9_DrawTiled(IDirect3DDevice9* device, const void* data, UINT vertices, UINT stride,
                       const std::function<HRESULT(const void*)>& draw) {
    const GraphOrigData* orig = tiledTarget;
    const bool screenPositions = D3D9State.declaration == nullptr && D3D9State.vertexShader == nullptr &&
                                 (D3D9State.fvf & 0xE) == 0x4 && stride >= 8;
    if (data == nullptr) return draw(data);
    if (!screenPositions) return drawTransformedTiled(device, draw, data);
    // The rectangle the vertices cover, to skip the tiles they miss.
    const auto* bytes = static_cast<const uint8_t*>(data);
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    for (UINT i = 0; i < vertices; ++i) {
        const auto* p = reinterpret_cast<const float*>(bytes + size_t(i) * stride);
        minX = std::min(minX, p[0]), maxX = std::max(maxX, p[0]);
        minY = std::min(minY, p[1]), maxY = std::max(maxY, p[1]);
    }
    const Area covered{int(minX) - 1, int(minY) - 1, int(maxX) + 2, int(maxY) + 2};
    std::vector<uint8_t> moved(bytes, bytes + size_t(vertices) * stride);
    HRESULT result = D3D_OK;
    for (int i = 0; i < orig->tileCount; ++i) {
        const GraphTextureTile& tile = orig->tiles[i];
        const Area clip = intersect(intersect(drawArea(), tileArea(tile)), covered);
        if (clip.empty()) continue;
        for (UINT v = 0; v < vertices; ++v) {
            const auto* from = reinterpret_cast<const float*>(bytes + size_t(v) * stride);
            auto* to = reinterpret_cast<float*>(moved.data() + size_t(v) * stride);
            to[0] = from[0] - float(tile.x);
            to[1] = from[1] - float(tile.y);
        }
        const HRESULT hr = onTile(device, tile, clip, [&] { return draw(moved.data()); });
        if (hr != D3D_OK) result = hr;
    }
    return result;
}

D3DVIEWPORT9 D3D9_FirstTileViewport(const D3DVIEWPORT9& viewport) {
    if (tiledTarget == nullptr) return viewport;
    const Area a = intersect(Area{int(viewport.X), int(viewport.Y), int(viewport.X + viewport.Width),
                                  int(viewport.Y + viewport.Height)},
                             tileArea(tiledTarget->tiles[0]));
    if (a.empty()) return D3DVIEWPORT9{0, 0, 1, 1, viewport.MinZ, viewport.MaxZ};
    return D3DVIEWPORT9{DWORD(a.left), DWORD(a.top), DWORD(a.right - a.left), DWORD(a.bottom - a.top), viewport.MinZ,
                        viewport.MaxZ};
}

RECT D3D9_FirstTileScissor(const RECT& rect) {
    if (tiledTarget == nullptr) return rect;
    const Area a = intersect(Area{int(rect.left), int(rect.top), int(rect.right), int(rect.bottom)},
                             tileArea(tiledTarget->tiles[0]));
    return a.empty() ? RECT{0, 0, 1, 1} : RECT{a.left, a.top, a.right, a.bottom};
}

HRESULT D3D9_ClearTiled(IDirect3DDevice9* device, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour,
                        float z, DWORD stencil) {
    const GraphOrigData* orig = tiledTarget;
    HRESULT result = D3D_OK;
    for (int i = 0; i < orig->tileCount; ++i) {
        const GraphTextureTile& tile = orig->tiles[i];
        const Area clip = tileArea(tile);
        std::vector<D3DRECT> moved;
        for (DWORD r = 0; r < count && rects != nullptr; ++r) {
            const Area a = intersect(Area{int(rects[r].x1), int(rects[r].y1), int(rects[r].x2), int(rects[r].y2)},
                                     tileArea(tile));
            if (!a.empty()) moved.push_back(D3DRECT{a.left - tile.x, a.top - tile.y, a.right - tile.x, a.bottom - tile.y});
        }
        if (count != 0 && moved.empty()) continue;
        const HRESULT hr = onTile(device, tile, clip, [&] {
            return device->Clear(DWORD(moved.size()), moved.empty() ? nullptr : moved.data(), flags, colour, z, stencil);
        });
        if (hr != D3D_OK) result = hr;
    }
    return result;
}

IDirect3DSurface9* D3D9_TiledTargetSurfaceAt(int* x, int* y) {
    const GraphOrigData* orig = tiledTarget;
    if (orig == nullptr) return nullptr;
    for (int i = 0; i < orig->tileCount; ++i) {
        const GraphTextureTile& t = orig->tiles[i];
        if (*x >= t.x && *y >= t.y && *x < t.x + t.usedWidth && *y < t.y + t.usedHeight) {
            *x -= t.x;
            *y -= t.y;
            return tileSurface(t);
        }
    }
    return nullptr;
}

}  // namespace ZaDod
