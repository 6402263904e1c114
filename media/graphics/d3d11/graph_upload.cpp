// Direct3D 11 image uploads into graph textures: the pixel layouts of texture formats,
// the one upload buffer every upload converts into, the one-level (edge-padded) and
// mip-mapped paths over every face of a cube map, and raw DXT blocks.
#include <cstring>
#include <new>
#include <vector>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/hwdraw/graph_tiles.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/hwdraw/upload_levels.h"
#include "media/system/window_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

// The buffer uploads convert into, grown only. Loading workers upload too (their device
// calls wait for the main thread), so each thread keeps its own: the main thread's is the
// one shared by every synchronous upload.
thread_local std::vector<uint8_t> uploadStore;
thread_local uint8_t* uploadBuffer = nullptr;

PixelFormatDesc packed(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    PixelFormatDesc d{};
    CreateColorData(&d, bits, r, g, b, a);
    return d;
}

// The channel formats share the pixel-format table's rows of the same layout.
const struct {
    DXGI_FORMAT format;
    int row;
} kChannelRows[] = {
    {DXGI_FORMAT_R16G16B16A16_UNORM, 36}, {DXGI_FORMAT_R16G16B16A16_FLOAT, 37}, {DXGI_FORMAT_R32G32B32A32_FLOAT, 38},
    {DXGI_FORMAT_R8_UNORM, 39},           {DXGI_FORMAT_R16_UNORM, 40},          {DXGI_FORMAT_R16_FLOAT, 41},
    {DXGI_FORMAT_R32_FLOAT, 42},          {DXGI_FORMAT_R8G8_UNORM, 43},         {DXGI_FORMAT_R16G16_UNORM, 44},
    {DXGI_FORMAT_R16G16_FLOAT, 45},       {DXGI_FORMAT_R32G32_FLOAT, 46},
};

struct Upload {
    const GraphOrigData* orig;
    const BaseImage* color;
    const BaseImage* alpha;
    int trans;
    const PixelFormatDesc* desc;  // the texture's texels
};

// Converts rectangle `part` of face `face` (level 0) into `dest` (pitch in bytes).
int convert(const Upload& u, int face, int level, const ImageRect& part, void* dest, int pitch) {
    return ConvertUploadLevel(u.desc, u.color, u.alpha, u.trans, u.orig->transColor, face, level, part, dest, pitch);
}

// One level: the rectangle at (x, y) of the tile with its edge padding.
int uploadOneLevel(const Upload& u, const GraphTextureTile& tile, int face, const ImageRect& part, int x, int y) {
    const int w = part.right - part.left, h = part.bottom - part.top;
    // Where the upload reaches the tile's used edge inside a larger texture, the edge
    // pixels are repeated once beyond it so bilinear sampling never reads garbage.
    const int padRight = x + w == tile.usedWidth && tile.usedWidth < tile.textureWidth ? 1 : 0;
    const int padBottom = y + h == tile.usedHeight && tile.usedHeight < tile.textureHeight ? 1 : 0;
    const int bw = w + padRight, bh = h + padBottom;
    const int bpp = u.desc->bytesPerPixel;
    if (Graphics_D3D11_Texture_SetupCommonBuffer(size_t(bw) * size_t(bh) * size_t(bpp)) < 0) return -1;
    uint8_t* buffer = uploadBuffer;
    std::memset(buffer, 0, size_t(bw) * size_t(bh) * size_t(bpp));
    if (convert(u, face, 0, part, buffer, bw * bpp) < 0) return -1;
    PadUploadEdge(buffer, bw * bpp, bpp, w, h, padRight, padBottom);
    const D3D11_BOX box{UINT(x), UINT(y), 0, UINT(x + bw), UINT(y + bh), 1};
    D3D11DeviceContext_UpdateSubresource(D3D11_TileTexture(&tile)->texture, UINT(face), &box, buffer, UINT(bw * bpp),
                                         0);
    return 0;
}

// Every level of the rectangle at (x, y): the image's own levels when it carries them for the
// whole tile, else each level halved from the one before.
int uploadMipMapped(const Upload& u, const GraphTextureTile& tile, int face, const ImageRect& part, int x, int y) {
    const int levels = D3D11_GraphMipLevels(u.orig);
    const int subresource0 = face * levels;
    ID3D11Texture2D* texture = D3D11_TileTexture(&tile)->texture;
    const int w = part.right - part.left, h = part.bottom - part.top;
    const bool wholeTile = x == 0 && y == 0 && w == tile.textureWidth && h == tile.textureHeight &&
                           part.left == 0 && part.top == 0 && w == u.color->width && h == u.color->height;
    const bool own = wholeTile && u.color->mipCount >= levels && (u.alpha == nullptr || u.alpha->mipCount >= levels);
    return ForEachUploadLevel(
        u.desc, levels, own, part, x, y,
        [&](int level, const ImageRect& r, void* dest, int pitch) { return convert(u, face, level, r, dest, pitch); },
        [](size_t bytes) -> uint8_t* {
            if (Graphics_D3D11_Texture_SetupCommonBuffer(bytes) < 0) return nullptr;
            std::memset(uploadBuffer, 0, bytes);
            return uploadBuffer;
        },
        [&](int level, const uint8_t* data, int pitch, int left, int top, int right, int bottom) {
            const D3D11_BOX box{UINT(left), UINT(top), 0, UINT(right), UINT(bottom), 1};
            D3D11DeviceContext_UpdateSubresource(texture, UINT(subresource0 + level), &box, data, UINT(pitch), 0);
            return 0;
        });
}

constexpr const char16_t* kDXTRefused = u"DXTフォーマットのテクスチャに標準形式のイメージを転送することはできません\n";

// Raw blocks into a DXT texture: only the whole tile from a picture of the texture's own
// kind, level by level as far as the picture carries levels; anything else is refused
// (logged) and changes nothing.
int uploadBlocks(const Upload& u, const GraphTextureTile& tile, int dxt, bool wholeTile) {
    if (!wholeTile || u.color->format.formatCode != dxt || u.alpha != nullptr) {
        LogAddTextUtf16(kDXTRefused);
        return 0;
    }
    const int levels = D3D11_GraphMipLevels(u.orig), faces = D3D11_GraphFaces(u.orig);
    const int stored = u.color->mipCount > 1 ? u.color->mipCount : 1;
    ID3D11Texture2D* texture = D3D11_TileTexture(&tile)->texture;
    for (int face = 0; face < faces; ++face)
        for (int l = 0; l < levels && l < stored; ++l) {
            const BaseImage level = BaseImageLevelView(u.color, face, l);
            D3D11DeviceContext_UpdateSubresource(texture, UINT(face * levels + l), nullptr, level.pixels,
                                                 UINT(level.pitch), 0);
        }
    return 0;
}

}  // namespace

const PixelFormatDesc* Graphics_D3D11_GetFormatPixelDesc(DXGI_FORMAT format) {
    static const PixelFormatDesc rgb565 = packed(16, 0xF800u, 0x07E0u, 0x001Fu, 0);
    static const PixelFormatDesc rgba8 = packed(32, 0x000000FFu, 0x0000FF00u, 0x00FF0000u, 0xFF000000u);
    static const PixelFormatDesc bgrx8 = packed(32, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0);
    switch (format) {
        case DXGI_FORMAT_B5G6R5_UNORM: return &rgb565;
        case DXGI_FORMAT_R8G8B8A8_UNORM: return &rgba8;
        case DXGI_FORMAT_B8G8R8X8_UNORM: return &bgrx8;
        default: break;
    }
    for (const auto& row : kChannelRows)
        if (row.format == format) return GetPixelFormatDesc(row.row);
    return nullptr;
}

int Graphics_D3D11_Texture_SetupCommonBuffer(size_t size) {
    if (uploadStore.size() < size) {
        try {
            std::vector<uint8_t>().swap(uploadStore);
            uploadStore.resize(size);
        } catch (const std::bad_alloc&) {
            uploadBuffer = nullptr;
            LogAddTextUtf16(
                u"テクスチャに画像を転送するためのメモリの確保に失敗しました[Graphics_D3D11_Texture_SetupCommonBuffer]\n");
            return -1;
        }
    }
    uploadBuffer = uploadStore.data();
    return 0;
}

void Graphics_D3D11_Texture_ReleaseCommonBuffer() {
    std::vector<uint8_t>().swap(uploadStore);
    uploadBuffer = nullptr;
}

int Graphics_D3D11_BltBmpOrBaseImageToGraph3(const ImageRect* srcRect, int destX, int destY, int graph,
                                             const BaseImage* colorImage, const BaseImage* alphaImage, int redrawFlag,
                                             int useTransColor, int /*textureOnly*/) {
    GraphData* g = GetGraphData(graph, 1);
    if (g == nullptr || g->orig == nullptr || colorImage == nullptr || !D3D11Device_IsValid()) return -1;
    GraphOrigData* orig = g->orig;
    ImageRect src;
    int x, y;
    if (!ClipGraphUpload(g, srcRect, destX, destY, colorImage, alphaImage, redrawFlag, &src, &x, &y)) return 0;
    // The front decodes the block-compressed pictures a texture of plain texels cannot
    // take (the DXT test); a DXT texture keeps the blocks of its own kind.
    const DXGI_FORMAT format = D3D11_GraphFormat(orig);
    const int dxt = D3D11_DXTKind(format);
    const BaseImage* color = colorImage;
    const BaseImage* alpha = alphaImage;
    // Pixels of the transparent colour become alpha 0 (the blitter ignores the colour when
    // the image brings its own alpha).
    const Upload u{orig, color, alpha, useTransColor ? 1 : 0, Graphics_D3D11_GetFormatPixelDesc(format)};
    const int faces = D3D11_GraphFaces(orig), mipMapped = D3D11_GraphMipLevels(orig) > 1;
    // The vertex batch belongs to the main thread: a loading worker leaves it alone.
    if (IsMainThread()) Graphics_D3D11_FlushVertexBatch(-1, 0);
    const int w = src.right - src.left, h = src.bottom - src.top;
    const int result = ForEachUploadTile(orig, x, y, w, h, [&](const UploadTilePart& p) {
        const GraphTextureTile& tile = *p.tile;
        const ImageRect part{src.left + (p.left - x), src.top + (p.top - y), src.left + (p.right - x),
                             src.top + (p.bottom - y)};
        if (dxt != 0) {
            // The whole tile from the whole of an image of the tile's size.
            const bool wholeTile = p.left == tile.x && p.top == tile.y && p.right - p.left == tile.textureWidth &&
                                   p.bottom - p.top == tile.textureHeight && part.left == 0 && part.top == 0 &&
                                   part.right == color->width && part.bottom == color->height;
            return uploadBlocks(u, tile, dxt, wholeTile);
        }
        // Blocks reach a texture of plain texels only decoded (the front decodes what the DXT
        // test names).
        if (color->format.formatCode != kPixelPlain || u.desc == nullptr ||
            (alpha != nullptr && alpha->format.formatCode != kPixelPlain)) {
            LogAddTextUtf16(kDXTRefused);
            return 0;
        }
        for (int face = 0; face < faces; ++face) {
            const int r = mipMapped ? uploadMipMapped(u, tile, face, part, p.left - tile.x, p.top - tile.y)
                                    : uploadOneLevel(u, tile, face, part, p.left - tile.x, p.top - tile.y);
            if (r < 0) return -1;
        }
        return 0;
    });
    // A multisampled graph draws on from its samples, so they take the new pixels too.
    if (result >= 0 && orig->request.drawable) {
        if (IsMainThread()) {
            D3D11_SpreadGraph(orig);
        } else {  // a loading worker's copy runs on the main thread, which owns the device context
            MainThreadRequest request{};
            request.Function = [](MainThreadRequest* r) {
                return D3D11_SpreadGraph(reinterpret_cast<const GraphOrigData*>(r->Param[0]));
            };
            request.Param[0] = reinterpret_cast<uintptr_t>(orig);
            AddASyncLoadRequestMainThread(&request);
        }
    }
    return result;
}

}  // namespace ZaDod
