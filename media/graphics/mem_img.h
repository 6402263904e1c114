// Software images: the software renderer's pictures (software screens, mask screen,
// graph pixels and the font cache without a device), their shared pixel buffers,
// blending tables and the small software draw state.
#pragma once
#include <cstdint>

#include "media/graphics/color_blit.h"
#include "media/graphics/pixel_format.h"

namespace ZaDod {

struct BaseImage;

constexpr uint32_t kMemImgMagic = 0x12345678;

// Colour types of a software image.
enum : int {
    kMemImgR5G6B5 = 0,
    kMemImgX8R8G8B8 = 1,
    kMemImgChannel8 = 2,
    kMemImgChannel16 = 3,
};

// Run-table bytes: the low six bits hold the run length - 1.
enum : uint8_t {
    kRunClear = 0x00,  // alpha 0, or the transparent colour
    kRunSolid = 0x40,  // alpha 255, or any other colour
    kRunBlend = 0x80,  // alpha 1..254
    kRunRowEnd = 0xC0,
};

// runTableValid of a base whose pixels were changed in place: the run table and the
// premultiplied copy are made again from the pixels by the first draw that reads runs,
// so a picture filtered many times between draws pays for them once.
constexpr int32_t kMemImgTablesPending = 2;

// One pixel buffer, shared by an image and every view onto it.
struct MemImgBase {
    int32_t refCount;
    int32_t width, height;
    int32_t pitch;       // bytes per row
    int32_t pitchShift;  // log2(pitch) when the pitch is the power of two chosen for it, else -1
    const PixelFormatDesc* colorData;
    uint32_t transColor;
    int32_t colorType;
    int32_t usePalette;
    int32_t paletteColorsUsed;
    int32_t useAlpha;
    int32_t premultipliedValid;
    int32_t runTableValid;  // 0 stale, 1 valid, kMemImgTablesPending
    int32_t callerBuffer;
    uint8_t* palette;      // 256 entries in the image's colour layout
    uint8_t* paletteCopy;  // second half of the palette allocation
    uint8_t* pixels;
    uint8_t* alphaPixels;  // premultiplied copy, or null
    uint8_t* runTable;     // (width + 5) x height bytes, or null
};

struct MEMIMG {
    uint32_t magic;
    int32_t width, height;
    uint8_t* pixels;       // first pixel of this image (of its rectangle for a view)
    uint8_t* alphaPixels;  // same place in the premultiplied copy, or null
    MemImgBase* base;
};

// Bytes of one pixel of a base.
inline int MemImgPixelBytes(const MemImgBase* base) {
    if (base->usePalette) return 1;
    switch (base->colorType) {
        case kMemImgR5G6B5: return base->useAlpha ? 4 : 2;
        case kMemImgX8R8G8B8: return 4;
        case kMemImgChannel8: return 1;
        default: return 2;
    }
}

int CreateMemImg(MEMIMG* img, int width, int height, int pitch, uint32_t transColor, int colorType,
                 int paletteFlag, int alphaFlag, int extraBuffersFlag, void* callerBuffer);
int MakeMemImg(MEMIMG* img, int width, int height, int colorType = -1);
void DeriveMemImg(MEMIMG* out, const MEMIMG* src, int x, int y, int width, int height);
void TerminateMemImg(MEMIMG* img);
int CheckValidMemImg(const MEMIMG* img);
const PixelFormatDesc* GetMemImgColorData(int colorType, int alphaFlag, int paletteFlag);

// After pixels of a base were written directly: its derived tables are made again before
// they are next read (or stay stale where the base keeps none).
void MarkMemImgPixelsChanged(MemImgBase* base);
// Makes the run table and the premultiplied copy of a pending base from its pixels.
void RefreshMemImgTables(MemImgBase* base);

int BltBaseImageToMemImg(const BaseImage* image, const BaseImage* alphaImage, MEMIMG* img, int srcX, int srcY,
                         int width, int height, int destX, int destY, int useTransColor);
void BltMemImg(MEMIMG* dest, const MEMIMG* src, const ImageRect* srcRect, int x, int y);
void FillMemImg(MEMIMG* img, const ImageRect* rect, uint32_t color);

// Clips rect to bounds in place; an empty result has right == left or bottom == top.
int ClipRect(ImageRect* rect, const ImageRect* bounds);

// Blending tables, filled once by InitMemImgBlendTables.
//   signed product  [a][j] = a * (j - 255) / 255 for j 0..510; [a][511] = 0
//   product         [a][b] = a * b / 255
//   six-bit mix     [k][r][c] = (r * k + c * (63 - k)) / 63
extern int32_t MemImgSignedProductTable[256][512];
extern int32_t MemImgProductTable[256][256];
extern uint8_t MemImgMix6Table[64][64][64];
// Blend-graph table, rebuilt by CreateMemImgBlendGraphTable.
extern uint8_t MemImgBlendGraphTable[256];

void InitMemImgBlendTables();
void CreateMemImgBlendGraphTable(int border, int range);

// The software draw state read by the software drawing routines.
struct MemImgDrawState {
    int defaultColorType;
    ImageRect drawArea;
    int blendMode;
    int blendParam;
    uint32_t bright;  // 0x00RRGGBB
    MEMIMG* target;   // the software draw target
    // Blend graph of graph draws: null for none; type 0 mixes colour by the ratio,
    // 1 scales alpha by the blend-graph table, 2 scales alpha by the value.
    const MEMIMG* blendGraph;
    int blendGraphType;
    int blendGraphRatio;
};
const MemImgDrawState& GetMemImgDrawState();

void SetMemImgDefaultColorType(int colorType);
void SetMemImgDrawArea(const ImageRect* rect);
void SetMemImgBlendMode(int mode, int param);
void SetMemImgDrawBright(uint32_t packedRgb);
void SetMemImgDrawTarget(MEMIMG* target);
void SetMemImgBlendGraph(const MEMIMG* blendGraph, int type, int ratio);

}  // namespace ZaDod
