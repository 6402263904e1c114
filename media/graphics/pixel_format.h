// Pixel layouts: the one descriptor every image states its pixels with, the
// library-wide table of layouts that graph creation and the font cache pick from,
// and the small helpers that pack and unpack pixel values.
#pragma once
#include <cstdint>

namespace ZaDod {

struct BaseImage;

// One palette entry in the order the DIB headers want it.
struct PaletteEntry {
    uint8_t blue, green, red, reserved;
};

// Format codes of PixelFormatDesc::formatCode.
enum : uint8_t {
    kPixelPlain = 0,
    kPixelDXT1 = 1,
    kPixelDXT2 = 2,
    kPixelDXT3 = 3,
    kPixelDXT4 = 4,
    kPixelDXT5 = 5,
};

// A plain value record; zeroed before it is filled.
struct PixelFormatDesc {
    uint8_t formatCode;     // 0 plain, 1..9 block-compressed kinds
    uint8_t channelCount;   // N-channel formats: 1, 2 or 4; else 0
    uint8_t channelBits;    // N-channel formats: 8, 16 or 32; else 0
    uint8_t floatFlag;      // channels are half or single floats
    uint8_t bytesPerPixel;
    uint8_t colorBits;      // packed formats: 8, 16, 24, 32; block formats 4 or 8
    uint8_t unusedLoc;
    uint8_t unusedWidth;
    uint8_t redWidth, greenWidth, blueWidth, alphaWidth;
    uint8_t redLoc, greenLoc, blueLoc, alphaLoc;
    uint32_t redMask, greenMask, blueMask, alphaMask;
    uint32_t unusedMask;
    uint32_t maxPaletteIndex;  // 255 for 8-bit palette formats
    PaletteEntry palette[256];
};

// The graph format request (built by graph creation). The selector reads its
// first 15 bytes.
struct GraphFormatRequest {
    uint8_t hardware;
    uint8_t cubeMap;
    uint8_t alphaChannel;
    uint8_t drawable;
    uint8_t systemMemory;
    uint8_t paramWord9;
    uint8_t paramWord10;
    uint8_t paramWord11;
    uint8_t blockKind;
    uint8_t mipCount;
    uint8_t alphaTest;
    uint8_t floatFlag;
    uint8_t colorBits;
    uint8_t channelCount;
    uint8_t channelBits;
    uint8_t blendImage;
    uint8_t colorKey;
    uint8_t multiSampleCount;
    uint8_t multiSampleQuality;
};
static_assert(sizeof(GraphFormatRequest) == 19);

constexpr int kPixelFormatTableSize = 47;

// Row `index` of the pixel-format table, or null for an index out of range.
const PixelFormatDesc* GetPixelFormatDesc(int index);
int SelectPixelFormatIndex(const GraphFormatRequest* request);
const PixelFormatDesc* GetPixelFormatDescByFlags(int alphaChannel, int alphaTest, int bits32, int drawable);

int CreateColorData(PixelFormatDesc* desc, int colorBits, uint32_t redMask, uint32_t greenMask,
                    uint32_t blueMask, uint32_t alphaMask, int channelCount = 0, int channelBits = 0,
                    int floatFlag = 0);
int CreateARGB8ColorData(PixelFormatDesc* desc);
int CreateXRGB8ColorData(PixelFormatDesc* desc);
int CreateFullColorData(PixelFormatDesc* desc);
int CreatePal8ColorData(PixelFormatDesc* desc);
int CreateGrayPal8ColorData(PixelFormatDesc* desc);
int SetColorDataUnusedMask(PixelFormatDesc* desc);

uint32_t PackColorDataPixel(const PixelFormatDesc* desc, int red, int green, int blue, int alpha);
void UnpackColorDataPixel(const PixelFormatDesc* desc, uint32_t pixel, int* red, int* green, int* blue,
                          int* alpha);
uint32_t ReadPixelAsARGB8(const BaseImage* image, int x, int y);

uint32_t PackARGB8Color(int red, int green, int blue, int alpha);
float* MakeFloat4(float* out, float a, float b, float c, float d);

float Float16ToFloat32(uint16_t half);
uint16_t Float32ToFloat16(float value);

}  // namespace ZaDod
