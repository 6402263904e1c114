// The faces and mip levels of an upload into a graph texture: where one face and level of a
// base image starts, and the levels of an uploaded rectangle (the image's own or each one
// halved from the one before), shared by both hardware back ends.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/graphics/base_image.h"
#include "media/graphics/color_blit.h"
#include "media/graphics/graph.h"
#include "media/graphics/image/dxt.h"

namespace ZaDod {

// Bytes of one block row of a DXT kind (1..5) of the given width, and bytes per block.
inline int DXTBlockBytes(int kind) { return kind == kPixelDXT1 ? 8 : 16; }
inline int LevelSize(int size, int level) { return size >> level > 0 ? size >> level : 1; }

// Bytes of level `level` of one image (face) of `image`.
inline size_t BaseImageLevelBytes(const BaseImage* image, int level) {
    const int w = LevelSize(image->width, level), h = LevelSize(image->height, level);
    const int kind = image->format.formatCode;
    if (kind != kPixelPlain) return size_t((w + 3) / 4) * size_t((h + 3) / 4) * size_t(DXTBlockBytes(kind));
    if (image->mipCount <= 1) return size_t(image->pitch) * size_t(image->height);
    return size_t(image->format.bytesPerPixel) * size_t(w) * size_t(h);
}

// Face `face`, level `level` of an image as a one-level image of its own (the first face
// when it holds fewer). Block images get the pitch of one block row.
inline BaseImage BaseImageLevelView(const BaseImage* image, int face, int level) {
    BaseImage out = *image;
    const int faces = image->imageCount > 1 ? image->imageCount : 1;
    const int levels = image->mipCount > 1 ? image->mipCount : 1;
    size_t faceBytes = 0;
    for (int l = 0; l < levels; ++l) faceBytes += BaseImageLevelBytes(image, l);
    auto* at = static_cast<uint8_t*>(image->pixels) + (face < faces ? size_t(face) * faceBytes : 0);
    for (int l = 0; l < level; ++l) at += BaseImageLevelBytes(image, l);
    if (image->mipCount > 1 || image->format.formatCode != kPixelPlain) {
        out.width = LevelSize(image->width, level);
        out.height = LevelSize(image->height, level);
        out.pitch = image->format.formatCode != kPixelPlain
                        ? (out.width + 3) / 4 * DXTBlockBytes(image->format.formatCode)
                        : out.width * image->format.bytesPerPixel;
    }
    out.pixels = at;
    out.mipCount = 0;
    out.imageCount = 0;
    return out;
}

// The row of a back end's format table a graph's texture takes, from its pixel-format
// index (-1: none). Blocks cannot be padded or cut, so a block-compressed graph (rows 12 to
// 16) keeps its own row only when its picture fills its one tile exactly in whole blocks
// and it is not drawn into; otherwise it takes the survey's fall-back row of its kind (10
// for DXT1, 9 for the others; 35 when drawable) and is decoded before upload.
inline int GraphFormatRow(const GraphOrigData* orig) {
    const int index = orig->pixelFormatIndex;
    if (index < 0 || index >= kPixelFormatTableSize) return -1;
    if (index < 12 || index > 16) return index;
    if (orig->request.drawable) return 35;
    const GraphTextureTile* tile = orig->tileCount == 1 ? &orig->tiles[0] : nullptr;
    const bool whole = tile != nullptr && tile->usedWidth == tile->textureWidth &&
                       tile->usedHeight == tile->textureHeight && tile->textureWidth % 4 == 0 &&
                       tile->textureHeight % 4 == 0;
    return whole ? index : index == 12 ? 10 : 9;
}

// The DXT test of both back ends: a picture of DXT kind 1..5 is decoded before upload
// unless the texture keeps blocks of that kind (`keptKind`, 0 for a texture of plain
// texels or a software image). 0.
inline int DXTDecodeFlags(int keptKind, int colorKind, int* colorDecode, int alphaKind, int* alphaDecode) {
    auto decode = [keptKind](int kind) { return kind >= 1 && kind <= 5 && kind != keptKind ? 1 : 0; };
    if (colorDecode != nullptr) *colorDecode = decode(colorKind);
    if (alphaDecode != nullptr) *alphaDecode = decode(alphaKind);
    return 0;
}

// Converts rectangle `part` of face `face`, level `level` of `color` (with `alpha`, if any)
// into `dest` (pitch in bytes) of layout `desc`; `trans` hides `transColor`.
inline int ConvertUploadLevel(const PixelFormatDesc* desc, const BaseImage* color, const BaseImage* alpha, int trans,
                              uint32_t transColor, int face, int level, const ImageRect& part, void* dest, int pitch) {
    const BaseImage c = BaseImageLevelView(color, face, level);
    BaseImage a{};
    if (alpha != nullptr) a = BaseImageLevelView(alpha, face, level);
    return GraphColorMatchBlt(dest, pitch, desc, c.pixels, c.pitch, &c.format, alpha != nullptr ? a.pixels : nullptr,
                              alpha != nullptr ? a.pitch : 0, alpha != nullptr ? &a.format : nullptr, 0, 0, &part, 0,
                              trans, transColor, 0, 0, 0, 0, 0);
}

inline int PowerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

// The `levels` levels of the image rectangle `part` placed at (x, y) of level 0 of a
// texture whose texels `desc` describes. With `ownLevels` (the image carries every level for the
// whole tile) convert(level, whole level rectangle, dest, pitch) fills each level;
// otherwise convert(0, part, ...) fills level 0 and each further level is halved from the one
// before (odd sizes take one more zero column or row). buffer(bytes) gives zeroed memory or
// null; fn(level, data, pitch, left, top, right, bottom) writes one level's rectangle. The
// first negative result stops and is returned.
template <class Convert, class Buffer, class Fn>
int ForEachUploadLevel(const PixelFormatDesc* desc, int levels, bool ownLevels, const ImageRect& part, int x, int y,
                       Convert&& convert, Buffer&& buffer, Fn&& fn) {
    const int w = part.right - part.left, h = part.bottom - part.top;
    const int bpp = desc->bytesPerPixel;
    if (ownLevels) {
        for (int l = 0; l < levels; ++l) {
            const int lw = LevelSize(w, l), lh = LevelSize(h, l);
            uint8_t* data = buffer(size_t(lw) * size_t(lh) * size_t(bpp));
            if (data == nullptr) return -1;
            if (convert(l, ImageRect{0, 0, lw, lh}, data, lw * bpp) < 0) return -1;
            if (const int r = fn(l, data, lw * bpp, 0, 0, lw, lh); r < 0) return r;
        }
        return 0;
    }
    const int pw = PowerOfTwoAtLeast(w), ph = PowerOfTwoAtLeast(h);
    const size_t half = size_t(pw) * size_t(ph) * size_t(bpp);
    uint8_t* data = buffer(half * 2);
    if (data == nullptr) return -1;
    uint8_t* halves[2] = {data, data + half};
    if (convert(0, part, halves[0], pw * bpp) < 0) return -1;
    int cw = w, ch = h;  // the size of the level in halves[l % 2]
    for (int l = 0; l < levels; ++l) {
        if (l > 0) {
            const int sw = cw == 1 ? 1 : (cw + 1) & ~1, sh = ch == 1 ? 1 : (ch + 1) & ~1;
            if (GraphHalfScaleBlt(desc, halves[l % 2], pw * bpp, halves[(l + 1) % 2], pw * bpp, 0, 0, 0, 0, sw, sh) <
                0)
                return -1;
            cw = sw == 1 ? 1 : sw / 2;
            ch = sh == 1 ? 1 : sh / 2;
        }
        const int left = x >> l, top = y >> l;
        int right = (x + w) >> l, bottom = (y + h) >> l;
        if (right < left + 1) right = left + 1;
        if (bottom < top + 1) bottom = top + 1;
        if (const int r = fn(l, halves[l % 2], pw * bpp, left, top, right, bottom); r < 0) return r;
    }
    return 0;
}

}  // namespace ZaDod
