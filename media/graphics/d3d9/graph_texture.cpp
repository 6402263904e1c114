// Direct3D 9 graph textures: one texture (or cube texture) per tile of an original image in
// the surveyed format of the graph's pixel-format row (or of its user texture-format
// number), with its levels (a render-target texture and its level-0 surfaces for drawable
// graphs); made and released.
#include <cstring>
#include <iterator>

#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/color_blit.h"
#include "media/graphics/d3d9/d3d9_tiled.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/graph_tiles.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/hwdraw/upload_levels.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

void releaseTile(D3D9GraphTexture* t) {
    // A texture still bound would be sent again by the next state resend.
    if (t->texture != nullptr && D3D9State.texture == t->texture) Graphics_D3D9_DeviceState_SetTexture(nullptr);
    if (t->texture != nullptr && D3D9State.blendTexture == t->texture)
        Graphics_D3D9_DeviceState_SetBlendTexture(nullptr, 0, 0);
    // A face that is a bound target goes with the cube; the first face doubles as surface.
    for (auto*& face : t->faces) {
        if (face == nullptr) continue;
        for (auto& target : D3D9State.targets)
            if (target == face) target = nullptr;
        if (face != t->surface) Direct3D9Object_Release(face);
        face = nullptr;
    }
    if (t->surface != nullptr) {
        for (auto& target : D3D9State.targets)
            if (target == t->surface) target = nullptr;
        Direct3D9Object_Release(t->surface);
        t->surface = nullptr;
    }
    if (t->multisample != nullptr) {
        D3D9_ForgetResolve(t->multisample);
        for (auto& target : D3D9State.targets)
            if (target == t->multisample) target = nullptr;
        Direct3D9Object_Release(t->multisample);
        t->multisample = nullptr;
    }
    if (t->depth != nullptr) {
        D3D9_ForgetGraphDepth(t->depth);
        Direct3D9Object_Release(t->depth);
        t->depth = nullptr;
    }
    if (t->texture != nullptr) {
        Direct3D9Object_Release(t->texture);
        t->texture = nullptr;
    }
    if (t->cube != nullptr) {
        Direct3D9Object_Release(t->cube);
        t->cube = nullptr;
    }
}

// The tile's objects; false (logged) when one cannot be made.
bool createTile(const GraphOrigData* orig, const GraphTextureTile& tile, D3D9GraphTexture* t, int async) {
    const int drawable = orig->request.drawable;
    const D3DFORMAT format = D3D9_GraphFormat(orig);
    const UINT levels = UINT(D3D9_GraphLevels(orig));
    const DWORD usage = drawable ? D3DUSAGE_RENDERTARGET : 0;
    const D3DPOOL pool = D3D9_GraphManaged(orig) ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
    if (orig->request.cubeMap) {
        if (Direct3DDevice9_CreateCubeTexture(UINT(tile.textureWidth), levels, usage, format, pool, &t->cube, async) !=
            D3D_OK) {
            LogAddTextUtf16(u"キューブマップテクスチャの作成に失敗しました\n");
            return false;
        }
        for (int f = 0; f < 6 && drawable; ++f)
            if (Direct3DCubeTexture9_GetCubeMapSurface(t->cube, D3DCUBEMAP_FACES(f), 0, &t->faces[f], async) !=
                D3D_OK) {
                LogAddTextUtf16(u"キューブテクスチャのサーフェスアドレスの取得に失敗しました\n");
                return false;
            }
        t->surface = t->faces[0];
    } else {
        if (Direct3DDevice9_CreateTexture(UINT(tile.textureWidth), UINT(tile.textureHeight), levels, usage, format,
                                          pool, &t->texture, async) != D3D_OK) {
            LogAddTextUtf16(u"テクスチャの作成に失敗しました\n");
            return false;
        }
        if (drawable && Direct3DTexture9_GetSurfaceLevel(t->texture, 0, &t->surface, async) != D3D_OK) {
            LogAddTextUtf16(u"テクスチャのサーフェスアドレスの取得に失敗しました\n");
            return false;
        }
    }
    // A multisampled drawable graph draws into a render target of the count and quality the
    // device takes for its format (none left: it draws single-sampled into its texture).
    int count = 0, quality = 0;
    if (drawable && !orig->request.cubeMap && orig->request.multiSampleCount != 0) {
        count = orig->request.multiSampleCount;
        quality = orig->request.multiSampleQuality;
        Direct3D9_CheckMultiSampleParam(format, &count, &quality, 0, async);
        if (count != 0 &&
            Direct3DDevice9_CreateRenderTarget(UINT(tile.textureWidth), UINT(tile.textureHeight), format,
                                               D3DMULTISAMPLE_TYPE(count), DWORD(quality), plat::win::FALSE,
                                               &t->multisample, async) != D3D_OK) {
            LogAddTextUtf16(u"書き込み専用サーフェスの作成に失敗しました\n");
            return false;
        }
    }
    // A drawable graph asked for with a depth buffer, or whose multisampling differs from the
    // screen's (the screen's depth buffer cannot serve it), gets a depth surface of the
    // tile's size and of its own sample count, in the depth format of its bit depth; it is
    // cleared to the far plane when first bound.
    const bool differs = (count != 0) != (GraphicsSys.screenMultiSampleCount != 0);
    if (drawable && (orig->depthBuffer || differs)) {
        const int index = orig->depthBufferKind >= 0 && orig->depthBufferKind <= 2 ? orig->depthBufferKind : 0;
        if (Direct3DDevice9_CreateDepthStencilSurface(UINT(tile.textureWidth), UINT(tile.textureHeight),
                                                      D3D9DeviceSys.depthFormat[index], D3DMULTISAMPLE_TYPE(count),
                                                      DWORD(quality), plat::win::FALSE, &t->depth, async) != D3D_OK) {
            LogAddTextUtf16(count != 0 ? u"書き込み専用マルチサンプル深度サーフェスの作成に失敗しました\n"
                                       : u"深度バッファ用サーフェスの作成に失敗しました\n");
            return false;
        }
    }
    // New graphs start transparent black, as new software graphs do.
    if (drawable) {
        for (IDirect3DSurface9* surface : t->faces)
            if (surface != nullptr) Direct3DDevice9_ColorFill(surface, nullptr, 0, async);
        if (t->texture != nullptr) Direct3DDevice9_ColorFill(t->surface, nullptr, 0, async);
        if (t->multisample != nullptr) Direct3DDevice9_ColorFill(t->multisample, nullptr, 0, async);
    } else if (t->texture != nullptr && pool == D3DPOOL_MANAGED && orig->textureFormat.desc != nullptr) {
        D3DLOCKED_RECT locked{};
        if (Direct3DTexture9_LockRect(t->texture, 0, &locked, nullptr, 0, async) == D3D_OK) {
            for (int y = 0; y < tile.textureHeight; ++y)
                std::memset(static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch), 0,
                            size_t(tile.textureWidth) * orig->textureFormat.desc->bytesPerPixel);
            Direct3DTexture9_UnlockRect(t->texture, 0, async);
        }
    }
    return true;
}

// Copies every multisampled tile of a graph one way or the other, whole.
int copyMultisample(const GraphOrigData* orig, bool resolve) {
    if (orig == nullptr || orig->tiles == nullptr || !Direct3DDevice9_IsValid()) return 0;
    int result = 0;
    for (int i = 0; i < orig->tileCount; ++i) {
        const D3D9GraphTexture* t = D3D9_TileTexture(&orig->tiles[i]);
        if (t->multisample == nullptr || t->surface == nullptr) continue;
        IDirect3DSurface9* from = resolve ? t->multisample : t->surface;
        IDirect3DSurface9* to = resolve ? t->surface : t->multisample;
        if (Direct3DDevice9_StretchRect(from, nullptr, to, nullptr, D3DTEXF_NONE) != D3D_OK) result = -1;
    }
    return result;
}

}  // namespace

IDirect3DSurface9* D3D9_TileDrawSurface(const D3D9GraphTexture* t, int surfaceIndex) {
    if (t->cube != nullptr) return surfaceIndex >= 0 && surfaceIndex < 6 ? t->faces[surfaceIndex] : nullptr;
    if (surfaceIndex != 0) return nullptr;
    return t->multisample != nullptr ? t->multisample : t->surface;
}

int D3D9_ResolveGraph(const GraphOrigData* orig) {
    if (orig != nullptr && orig->tiles != nullptr && Direct3DDevice9_IsValid()) {
        Graphics_D3D9_FlushVertexBatch(0);
        Graphics_D3D9_EndScene();
    }
    return copyMultisample(orig, true);
}

int D3D9_SpreadGraph(const GraphOrigData* orig) { return copyMultisample(orig, false); }

int D3D9_DXTKind(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_DXT1: return 1;
        case D3DFMT_DXT2: return 2;
        case D3DFMT_DXT3: return 3;
        case D3DFMT_DXT4: return 4;
        case D3DFMT_DXT5: return 5;
        default: return 0;
    }
}

namespace {

// The fixed formats of the user texture-format numbers 1..22.
constexpr D3DFORMAT kUserTextureFormats[] = {
    D3DFMT_R8G8B8,      D3DFMT_A8R8G8B8,      D3DFMT_X8R8G8B8,      D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5,
    D3DFMT_A1R5G5B5,    D3DFMT_A4R4G4B4,      D3DFMT_R3G3B2,        D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4,
    D3DFMT_A2B10G10R10, D3DFMT_G16R16,        D3DFMT_A8B8G8R8,      D3DFMT_X8B8G8R8, D3DFMT_A2R10G10B10,
    D3DFMT_A16B16G16R16, D3DFMT_R16F,         D3DFMT_G16R16F,       D3DFMT_A16B16G16R16F, D3DFMT_R32F,
    D3DFMT_G32R32F,     D3DFMT_A32B32G32R32F,
};

}  // namespace

D3DFORMAT D3D9_UserTextureFormat(int number) {
    return number >= 1 && number <= int(std::size(kUserTextureFormats)) ? kUserTextureFormats[number - 1]
                                                                        : D3DFMT_UNKNOWN;
}

// The format row of a graph's pixel-format index, or the user table's format.
D3DFORMAT D3D9_ChooseGraphFormat(const GraphOrigData* orig) {
    if (orig->request.paramWord10 != 0) return D3D9_UserTextureFormat(orig->request.paramWord10);
    const int row = GraphFormatRow(orig);
    return row >= 0 ? D3D9TextureFormatTable[row] : D3DFMT_UNKNOWN;
}

D3DFORMAT D3D9_GraphFormat(const GraphOrigData* orig) { return D3DFORMAT(orig->textureFormat.apiFormat); }

int D3D9_GraphManaged(const GraphOrigData* orig) {
    return orig->request.paramWord9 && !orig->request.drawable && !Direct3D9_IsEx() ? 1 : 0;
}

// Plain pixels go into any texture; a block-compressed picture is kept only by a texture of
// its own DXT kind. A software record decodes every kind.
int Graphics_D3D9_GetDXTDecodeFlags(const GraphTextureFormat* format, int colorKind, int* colorDecode,
                                    int alphaKind, int* alphaDecode) {
    const int kept = format != nullptr && format->hardware ? D3D9_DXTKind(D3DFORMAT(format->apiFormat)) : 0;
    return DXTDecodeFlags(kept, colorKind, colorDecode, alphaKind, alphaDecode);
}

int Graphics_D3D9_CreateGraphTexture(GraphOrigData* orig, int asyncThread) {
    if (orig == nullptr || orig->tiles == nullptr || !Direct3DDevice9_IsValid()) return -1;
    const D3DFORMAT format = D3D9_ChooseGraphFormat(orig);
    if (format == D3DFMT_UNKNOWN) {
        LogAddTextUtf16(u"指定のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
        return -1;
    }
    orig->textureFormat =
        GraphTextureFormat{1, uint32_t(format), orig->pixelFormatIndex, Graphics_D3D9_GetFormatPixelDesc(format)};
    for (int i = 0; i < orig->tileCount; ++i) {
        GraphTextureTile& tile = orig->tiles[i];
        D3D9GraphTexture* t = D3D9_TileTexture(&tile);
        std::memset(t, 0, sizeof *t);
        if (!createTile(orig, tile, t, asyncThread)) {
            LogFormatUtf16(u"グラフィック用テクスチャの作成に失敗しました  SizeX:%d  SizeY:%d\n", tile.textureWidth,
                           tile.textureHeight);
            for (int j = 0; j <= i; ++j) releaseTile(D3D9_TileTexture(&orig->tiles[j]));
            return -1;
        }
        t->width = tile.textureWidth;
        t->height = tile.textureHeight;
    }
    return 0;
}

int Graphics_D3D9_ReleaseGraphTexture(GraphOrigData* orig) {
    if (orig == nullptr || orig->tiles == nullptr) return -1;
    if (Direct3DDevice9_IsValid()) Graphics_D3D9_FlushVertexBatch(0);
    D3D9_ForgetTiledTarget(orig);
    D3D9_ForgetSpanningLock(orig);
    for (int i = 0; i < orig->tileCount; ++i) releaseTile(D3D9_TileTexture(&orig->tiles[i]));
    return 0;
}

}  // namespace ZaDod
