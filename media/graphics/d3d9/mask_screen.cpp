// The Direct3D 9 mask screen: while masking, draws go to a screen-sized render-target
// texture; each draw's rectangle of the real target is copied in before it, and after it
// copied back through the mask image, whose alpha holds the front's mask bytes: the alpha
// test lets through only the pixels whose mask byte is 0.
#include <algorithm>
#include <cstring>

#include "media/graphics/d3d9/d3d9_filter.h"
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/graph.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/mask.h"
#include "media/system/fatal.h"

namespace ZaDod {

gpu::D3DFORMAT D3D9MaskImageFormatForTest = gpu::D3DFMT_UNKNOWN;

namespace {

using namespace plat::gpu;

struct MaskObjects {
    IDirect3DTexture9* image;
    IDirect3DTexture9* screen;
    IDirect3DSurface9* surface;
    IDirect3DTexture9* oldImage;
    IDirect3DTexture9* oldScreen;
    IDirect3DSurface9* oldSurface;
    D3DFORMAT imageFormat;
    int width, height;         // texture size
    IDirect3DSurface9* real;   // the target saved by the last draw begin
};
MaskObjects M{};

void release(auto*& object) {
    if (object != nullptr) Direct3D9Object_Release(object);
    object = nullptr;
}

bool usable(D3DFORMAT format, DWORD usage) {
    return Direct3D9_CheckDeviceFormat(D3D9DeviceSys.adapter, D3DDEVTYPE_HAL, D3D9DeviceSys.backBufferFormat, usage,
                                       D3DRTYPE_TEXTURE, format) == D3D_OK;
}

// The mask image takes the first usable of A8R8G8B8, A4R4G4B4 and A1R5G5B5.
D3DFORMAT imageFormat() {
    if (D3D9MaskImageFormatForTest != D3DFMT_UNKNOWN) return D3D9MaskImageFormatForTest;
    for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5})
        if (usable(f, D3DUSAGE_DYNAMIC)) return f;
    return D3DFMT_UNKNOWN;
}

// The mask screen takes the format the screen is drawn in.
D3DFORMAT screenFormat() {
    const D3DFORMAT back = D3D9DeviceSys.backBufferFormat;
    if (back != D3DFMT_UNKNOWN && usable(back, D3DUSAGE_RENDERTARGET)) return back;
    const D3DFORMAT drawable = D3D9TextureFormatTable[34];
    return drawable != D3DFMT_UNKNOWN && usable(drawable, D3DUSAGE_RENDERTARGET) ? drawable : D3DFMT_UNKNOWN;
}

// The mask bytes of a rectangle (clipped to the mask) go to the alpha of the mask image.
// A 16-bit texel's high byte takes 0xFF for any non-zero mask byte, so that it blocks as
// the software mask does whatever bits the format keeps of it.
int upload(int left, int top, int right, int bottom) {
    int pitch = 0, w = 0, h = 0;
    const uint8_t* buffer = GetMaskBuffer(&pitch, &w, &h);
    if (buffer == nullptr || M.image == nullptr) return 0;
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, w), bottom = std::min(bottom, h);
    if (right <= left || bottom <= top) return 0;
    const plat::win::RECT r{left, top, right, bottom};
    D3DLOCKED_RECT locked{};
    if (Direct3DTexture9_LockRect(M.image, 0, &locked, &r, 0) != D3D_OK) return -1;
    const bool wide = M.imageFormat == D3DFMT_A8R8G8B8;
    for (int y = 0; y < bottom - top; ++y) {
        const uint8_t* from = buffer + size_t(top + y) * size_t(pitch) + size_t(left);
        uint8_t* to = static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch);
        if (wide)
            for (int x = 0; x < right - left; ++x) to[x * 4 + 3] = from[x];
        else
            for (int x = 0; x < right - left; ++x) to[x * 2 + 1] = from[x] != 0 ? 0xFF : 0;
    }
    Direct3DTexture9_UnlockRect(M.image, 0);
    return 0;
}

// The surface front draws land on when no mask is in the way.
IDirect3DSurface9* realTarget() {
    const GraphData* g = GetGraphData(GraphicsDrawSettings.targets[0].handle);
    if (g != nullptr && g->orig != nullptr && g->pieceCount > 0 && g->pieces[0].tile != nullptr) {
        IDirect3DSurface9* s = D3D9_TileDrawSurface(D3D9_TileTexture(g->pieces[0].tile), 0);
        if (s != nullptr) return s;
    }
    return D3D9_ScreenSurface();
}

bool masking() { return IsDrawingThroughMask() && M.surface != nullptr; }

}  // namespace

int Graphics_D3D9_Mask_CreateScreen(int width, int height) {
    if (!Direct3DDevice9_IsValid()) return -1;
    const D3DFORMAT screen = screenFormat();
    if (screen == D3DFMT_UNKNOWN)
        FatalErrorExit(u"マスク描画用カラーバッファで使用できるテクスチャフォーマットがありませんでした");
    const D3DFORMAT image = imageFormat();
    if (image == D3DFMT_UNKNOWN)
        FatalErrorExit(u"マスク描画用アルファチャンネルバッファで使用できるテクスチャフォーマットがありませんでした");
    M.width = D3D9_NextPowerOfTwo(width), M.height = D3D9_NextPowerOfTwo(height);
    if (M.image == nullptr) {
        if (Direct3DDevice9_CreateTexture(UINT(M.width), UINT(M.height), 1, D3DUSAGE_DYNAMIC, image, D3DPOOL_DEFAULT,
                                          &M.image) != D3D_OK)
            FatalErrorExit(u"マスク用イメージテクスチャの作成に失敗しました");
        M.imageFormat = image;
        D3DLOCKED_RECT locked{};
        if (Direct3DTexture9_LockRect(M.image, 0, &locked, nullptr, 0) == D3D_OK) {
            const size_t row = size_t(M.width) * (image == D3DFMT_A8R8G8B8 ? 4 : 2);
            for (int y = 0; y < M.height; ++y)
                std::memset(static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch), 0, row);
            Direct3DTexture9_UnlockRect(M.image, 0);
        }
    }
    if (M.screen == nullptr && Direct3DDevice9_CreateTexture(UINT(M.width), UINT(M.height), 1,
                                                             D3DUSAGE_RENDERTARGET, screen, D3DPOOL_DEFAULT,
                                                             &M.screen) != D3D_OK)
        FatalErrorExit(u"マスク用スクリーンテクスチャの作成に失敗しました");
    if (M.surface == nullptr) Direct3DTexture9_GetSurfaceLevel(M.screen, 0, &M.surface);
    return 0;
}

int Graphics_D3D9_Mask_CreateScreen_KeepOld() {
    M.oldImage = M.image, M.oldScreen = M.screen, M.oldSurface = M.surface;
    M.image = nullptr, M.screen = nullptr, M.surface = nullptr;
    return 0;
}

int Graphics_D3D9_Mask_CreateScreen_CopyOld(int width, int height) {
    upload(0, 0, width, height);
    release(M.oldImage);
    if (M.oldSurface != nullptr && M.surface != nullptr) {
        const plat::win::RECT r{0, 0, width, height};
        Direct3DDevice9_StretchRect(M.oldSurface, &r, M.surface, &r, D3DTEXF_NONE);
        for (int slot = 0; slot < 8; ++slot)
            if (D3D9State.targets[slot] == M.oldSurface) Graphics_D3D9_DeviceState_SetRenderTarget(M.surface, slot);
    }
    release(M.oldSurface);
    release(M.oldScreen);
    return 0;
}

int Graphics_D3D9_Mask_DrawBegin(const ImageRect* rect) {
    if (!masking() || rect == nullptr) return 0;
    M.real = realTarget();
    if (M.real == nullptr) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    const plat::win::RECT r{rect->left, rect->top, rect->right, rect->bottom};
    Direct3DDevice9_StretchRect(M.real, &r, M.surface, &r, D3DTEXF_NONE);
    // The mask image follows the mask buffer where the draw lands.
    upload(rect->left, rect->top, rect->right, rect->bottom);
    return 0;
}

int Graphics_D3D9_Mask_DrawEnd(const ImageRect* rect) {
    if (!masking() || rect == nullptr || M.real == nullptr) return 0;
    int blendType = 0;
    const GraphData* graph = TakeMaskGraph(&blendType);
    const D3D9GraphTexture* graphTexture = graph != nullptr ? D3D9_TileTexture(graph->pieces[0].tile) : nullptr;
    if (graphTexture == nullptr || graphTexture->texture == nullptr) graph = nullptr;
    const bool reversed = GetMaskReverseFlag() != 0;
    // Stage 0 is the mask screen's colour and alpha. Without a mask graph, stage 1 keeps
    // that colour and takes the mask image's alpha, which the alpha test compares with 0
    // (reversed: lets through what is not 0). With one, stage 1 takes the graph's alpha (or
    // a channel, through the channel shader) and the drawn pixels are blended by it.
    D3D9UserBlendInfo info{};
    for (auto& v : info.values) v = kD3D9Leave;
    info.values[kBvSeparateAlphaBlendEnable] = 0;
    info.stageCount = 2;
    info.stages[0] = D3D9Stage{reinterpret_cast<IDirect3DBaseTexture9*>(M.screen), 0, 0, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                               D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1};
    const float tw = float(M.width), th = float(M.height);
    float su = tw, sv = th, ou = 0.0f, ov = 0.0f;  // the second texture's size and origin in texels
    IDirect3DBaseTexture9* second = reinterpret_cast<IDirect3DBaseTexture9*>(M.image);
    IDirect3DPixelShader9* shader = nullptr;
    if (graph == nullptr) {
        info.values[kBvAlphaTestEnable] = 1;
        info.values[kBvAlphaRef] = 0;
        info.values[kBvAlphaFunc] = reversed ? D3DCMP_NOTEQUAL : D3DCMP_EQUAL;
        info.values[kBvAlphaBlendEnable] = 0;
        info.stages[1] = D3D9Stage{second, 1, 0, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1,
                                   D3DTA_CURRENT, D3DTA_DIFFUSE, D3DTOP_SELECTARG1};
    } else {
        const GraphDrawPiece& piece = graph->pieces[0];
        second = reinterpret_cast<IDirect3DBaseTexture9*>(graphTexture->texture);
        su = float(piece.tile->textureWidth), sv = float(piece.tile->textureHeight);
        ou = piece.tileXf, ov = piece.tileYf;
        info.values[kBvAlphaTestEnable] = 0;
        info.values[kBvAlphaBlendEnable] = 1;
        info.values[kBvSrcBlend] = D3DBLEND_SRCALPHA;
        info.values[kBvDestBlend] = D3DBLEND_INVSRCALPHA;
        info.values[kBvBlendOp] = D3DBLENDOP_ADD;
        const int alphaArg = reversed ? D3DTA_TEXTURE | D3DTA_COMPLEMENT : D3DTA_TEXTURE;
        info.stages[1] = D3D9Stage{second, 1, 0, alphaArg, D3DTA_CURRENT, D3DTOP_SELECTARG1,
                                   D3DTA_CURRENT, D3DTA_DIFFUSE, D3DTOP_SELECTARG1};
        if (ProgrammableShaderFlag && blendType >= 0 && blendType < 4) {
            const D3D9Shaders& sh = D3D9ShaderSys;
            shader = reversed ? sh.maskChannelReverse[blendType] : sh.maskChannel[blendType];
        }
    }
    if (second == nullptr) return -1;
    struct MaskVertex {
        float x, y, z, rhw;
        float u0, v0, u1, v1;
    };
    const float l = float(rect->left), t = float(rect->top), r = float(rect->right), b = float(rect->bottom);
    const float xs[2] = {l, r}, ys[2] = {t, b};
    MaskVertex quad[4];
    for (int k = 0; k < 4; ++k) {
        const float x = xs[k & 1], y = ys[k >> 1];
        quad[k] = MaskVertex{x - 0.5f, y - 0.5f, 0.0f, 1.0f, x / tw, y / th, (ou + x) / su, (ov + y) / sv};
    }
    D3D9PassDraw pass{};
    pass.target = M.real;
    pass.first = reinterpret_cast<IDirect3DBaseTexture9*>(M.screen);
    pass.second = second;
    pass.shader = shader;
    pass.blend = &info;
    pass.fvf = 0x004 | 0x200;  // XYZRHW | TEX2
    pass.stride = sizeof(MaskVertex);
    pass.vertices = quad;
    return D3D9_DrawPass(pass) < 0 ? -1 : 0;
}

int Graphics_D3D9_Mask_ReleaseScreen() {
    if (M.surface != nullptr)
        for (int slot = 0; slot < 8; ++slot)
            if (D3D9State.targets[slot] == M.surface) Graphics_D3D9_DeviceState_SetRenderTarget(nullptr, slot);
    release(M.image);
    release(M.surface);
    release(M.screen);
    M.real = nullptr;
    return 0;
}

int Graphics_D3D9_Mask_SetUseMaskScreen() {
    if (!Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_DeviceState_SetRenderTarget(masking() ? M.surface : realTarget(), 0);
    Graphics_D3D9_BindDepthBufferForDrawTarget();
    const ImageRect& a = GraphicsDrawSettings.drawArea;
    Graphics_D3D9_DeviceState_SetViewportRect(a.left, a.top, a.right, a.bottom);
    return 0;
}

void D3D9_MaskTargets(IDirect3DSurface9** mask, IDirect3DSurface9** real) {
    const bool on = masking();
    *mask = on ? M.surface : nullptr;
    *real = on ? realTarget() : nullptr;
}

void D3D9_MaskTextures(IDirect3DTexture9** screen, IDirect3DTexture9** image, int* width, int* height) {
    *screen = M.screen, *image = M.image;
    *width = M.screen != nullptr ? M.width : 0;
    *height = M.screen != nullptr ? M.height : 0;
}

}  // namespace ZaDod
