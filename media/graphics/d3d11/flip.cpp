// The Direct3D 11 flip: the sub back buffer copied into the swap chain's back buffer
// (scaled, clipped to it) and presented, or shown through a layered window; the clear of
// the draw target; the front-screen refresh timer.
#include <algorithm>
#include <vector>

#include "media/graphics/d3d11/d3d11_mask.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/d3d11/d3d11_tiled.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/window_dest.h"
#include "media/graphics/mem_img.h"
#include "media/graphics/display.h"
#include "media/system/window.h"
#include "media/system/window_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::RECT;
using plat::win::S_OK;

void backgroundColour(float out[4]) {
    const DrawSettings& s = GraphicsDrawSettings;
    out[0] = float(s.backgroundRed) / 255.0f;
    out[1] = float(s.backgroundGreen) / 255.0f;
    out[2] = float(s.backgroundBlue) / 255.0f;
    out[3] = 0.0f;
}

// The window's destination of the whole screen in window mode: another window's swap
// chain takes the scaled screen at its top left.
RECT windowDest(int chainIndex) {
    const GraphicsSystemState& g = GraphicsSys;
    if (chainIndex == 0 && g.emulate320x240) return RECT{0, 0, 640, 480};
    if (chainIndex == 0) return ComputeWindowDest(g.width, g.height).dest;
    double rx = 1.0, ry = 1.0;
    GetWindowStretchRate(&rx, &ry);
    return RECT{0, 0, int(g.width * rx), int(g.height * ry)};
}

}  // namespace

void D3D11_ClipFlipRects(RECT* src, RECT* dest, int bufferWidth, int bufferHeight) {
    // The part of the destination past the buffer is cut off, and the source loses the same
    // share of its own size: the share is taken of the destination's width, not its right
    // edge, so an offset destination keeps its proportions.
    const long long destWidth = dest->right - dest->left, destHeight = dest->bottom - dest->top;
    if (dest->right > bufferWidth && destWidth > 0) {
        src->right -= int((dest->right - bufferWidth) * (long long)(src->right - src->left) / destWidth);
        dest->right = bufferWidth;
    }
    if (dest->bottom > bufferHeight && destHeight > 0) {
        src->bottom -= int((dest->bottom - bufferHeight) * (long long)(src->bottom - src->top) / destHeight);
        dest->bottom = bufferHeight;
    }
}

int Graphics_D3D11_FlipScreen() {
    D3D11Backend& b = D3D11BackendSys;
    D3D11SwapChains& sc = D3D11SwapChainSys;
    GraphicsSystemState& g = GraphicsSys;
    if (!D3D11Device_IsValid()) return -1;
    if (!GetWindowActiveFlag() && !GetRunWhileInactiveFlag() && Win.Status.Minimized) return 0;
    const bool windowed = GetWindowModeFlag() != 0;
    if (!windowed && !(g.scalingMode == 1 && !g.userScreenRectSet)) Graphics_D3D11_SubBackBuffer_Setup();

    const int index = sc.target;
    D3D11SwapChain& chain = sc.slots[index];
    if (!chain.used) return -1;
    int clientWidth = 0, clientHeight = 0;
    if (index == 0) {
        clientWidth = Win.Status.ClientRect.right - Win.Status.ClientRect.left;
        clientHeight = Win.Status.ClientRect.bottom - Win.Status.ClientRect.top;
    } else {
        RECT client{};
        plat::win::GetClientRect(chain.desc.OutputWindow, &client);
        clientWidth = client.right - client.left;
        clientHeight = client.bottom - client.top;
    }
    if (clientWidth > 0 && clientHeight > 0 &&
        (clientWidth != int(chain.backBufferDesc.Width) || clientHeight != int(chain.backBufferDesc.Height))) {
        Graphics_D3D11_SubBackBuffer_Setup();
        if (Graphics_D3D11_SwapChain_ResizeBuffers(index, clientWidth, clientHeight) < 0) return -1;
    }

    if (b.subBackBuffer != nullptr) {
        RECT src{0, 0, g.width, g.height};
        if (g.userScreenRectSet) {
            ImageRect r = g.userScreenRect;
            const ImageRect bounds{0, 0, g.width, g.height};
            ClipRect(&r, &bounds);
            if (r.right <= r.left || r.bottom <= r.top) return -1;
            src = RECT{r.left, r.top, r.right, r.bottom};
        }
        RECT dest{};
        if (windowed) {
            dest = windowDest(index);
            if (index == 0 && g.emulate320x240) src = RECT{0, 0, 320, 240};
        } else if (g.scalingMode == 1) {
            dest = RECT{0, 0, g.width, g.height};
        } else if (CalcScreenDestRect() == 0) {
            dest = RECT{g.destRect.left, g.destRect.top, g.destRect.right, g.destRect.bottom};
        } else {
            dest = RECT{0, 0, g.width, g.height};
        }
        const int bw = int(chain.backBufferDesc.Width), bh = int(chain.backBufferDesc.Height);
        D3D11_ClipFlipRects(&src, &dest, bw, bh);
        if (bw != b.subBackBufferWidth || bh != b.subBackBufferHeight) {
            float clear[4];
            backgroundColour(clear);
            D3D11DeviceContext_ClearRenderTargetView(chain.rtv, clear);
        }
        Graphics_D3D11_StretchRect(D3D11_ReadableSubBackBuffer(), b.subBackBufferSrv, &src, chain.backBuffer, chain.rtv, &dest,
                                   GraphicsDrawSettings.samplingMode == 0 && g.scalingMode == 2 ? 0 : 1);
    }
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    if (GetWindowLayeredMode() != 0) {
        const int result = PresentLayeredWindow();
        Graphics_D3D11_RefreshDeviceState();
        return result;
    }
    if (chain.chain != nullptr) {
        // A minimised window (reachable only when the program runs while inactive) shows
        // nothing: the frame is made and the vertical blank kept, but nothing is presented.
        if (Win.Status.Minimized) {
            if (!g.noVSync) WaitVSyncByDirectDraw();
        } else if (DXGISwapChain_Present(chain.chain, g.noVSync ? 0 : 1, 0) != S_OK) {
            return -1;
        }
    }
    Graphics_D3D11_RefreshDeviceState();
    return 0;
}

int Graphics_D3D11_ClearDrawTarget(const ImageRect* rect) {
    if (!D3D11Device_IsValid()) return 0;
    D3D11DeviceStateCache& c = D3D11State;
    float colour[4];
    backgroundColour(colour);
    // A clear is not masked: while draws go to the mask screen, slot 0's clear goes to
    // the real target.
    ID3D11Texture2D* realTexture = nullptr;
    ID3D11RenderTargetView* realView = nullptr;
    const bool masked = D3D11_MaskedRealTarget(&realTexture, &realView);
    // What each slot clears; a draw target of several tiles clears every tile, each its
    // part of the rectangle.
    struct Part {
        ID3D11RenderTargetView* view;
        ID3D11Texture2D* texture;
        ImageRect rect;
    };
    std::vector<Part> parts;
    const ImageRect whole = rect != nullptr ? *rect : ImageRect{};
    for (int slot = 0; slot < 8; ++slot) {
        if (c.targetView[slot] == nullptr) continue;
        const GraphOrigData* tiled = slot == 0 && !masked ? D3D11_TiledTarget() : nullptr;
        if (tiled == nullptr) {
            parts.push_back(Part{slot == 0 && masked ? realView : c.targetView[slot],
                                 slot == 0 && masked ? realTexture : c.targetTexture[slot], whole});
            continue;
        }
        for (int i = 0; i < tiled->tileCount; ++i) {
            const GraphTextureTile& tile = tiled->tiles[i];
            const D3D11GraphTexture* t = D3D11_TileTexture(&tile);
            const ImageRect moved{std::max(whole.left - tile.x, 0), std::max(whole.top - tile.y, 0),
                                  std::min(whole.right - tile.x, tile.usedWidth),
                                  std::min(whole.bottom - tile.y, tile.usedHeight)};
            if (rect == nullptr || (moved.right > moved.left && moved.bottom > moved.top))
                parts.push_back(Part{t->targetView, D3D11_TileDrawTexture(t), moved});
        }
    }
    for (const Part& part : parts) {
        ID3D11RenderTargetView* view = part.view;
        ID3D11Texture2D* texture = part.texture;
        Graphics_D3D11_FlushVertexBatch(-1, 0);
        if (rect == nullptr) {
            D3D11DeviceContext_ClearRenderTargetView(view, colour);
            continue;
        }
        // Only the rectangle: a quad of the background colour, blending off.
        ID3D11Texture2D* white = nullptr;
        ID3D11ShaderResourceView* whiteView = nullptr;
        const uint8_t texel[4] = {uint8_t(colour[0] * 255.0f + 0.5f), uint8_t(colour[1] * 255.0f + 0.5f),
                                  uint8_t(colour[2] * 255.0f + 0.5f), 0};
        const D3D11_TEXTURE2D_DESC desc{1, 1, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                                        D3D11_BIND_SHADER_RESOURCE, 0, 0};
        const D3D11_SUBRESOURCE_DATA data{texel, 4, 0};
        if (D3D11Device_CreateTexture2D(&desc, &data, &white) != S_OK) return -1;
        if (D3D11Device_CreateShaderResourceView(white, nullptr, &whiteView) != S_OK) {
            D3D11Texture2D_Release(white);
            return -1;
        }
        const RECT dest{part.rect.left, part.rect.top, part.rect.right, part.rect.bottom};
        const RECT src{0, 0, 1, 1};
        Graphics_D3D11_StretchRect(white, whiteView, &src, texture, view, &dest);
        D3D11ShaderResourceView_Release(whiteView);
        D3D11Texture2D_Release(white);
    }
    if (c.depthView != nullptr) D3D11DeviceContext_ClearDepthStencilView(c.depthView, D3D11_CLEAR_DEPTH, 1.0f, 0);
    return 0;
}

// While the front screen is the draw target, a window timer presents it every 32 ms.
int Graphics_D3D11_SetFrontScreenTimer(int handle) {
    if (!D3D11Device_IsValid()) return -1;
    return StartFrontScreenRefreshTimer(handle);
}

}  // namespace ZaDod
