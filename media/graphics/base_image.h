// Base images: the device-independent pictures of the media layer, their
// creation and release, pixel access and the rectangle routines between them.
#pragma once
#include <cstdint>

#include "media/graphics/pixel_format.h"

namespace ZaDod {

// A plain record owned by whoever holds it; the pixel block belongs to it.
struct BaseImage {
    PixelFormatDesc format;
    int32_t width;
    int32_t height;
    int32_t pitch;       // bytes from one row to the next
    void* pixels;        // tracked allocation, null when none
    int32_t mipCount;    // levels stored one after the other (0 or 1: one level)
    int32_t imageCount;  // images stored one after the other (6 for a cube map; 0: one)
};

// Source tag of every tracked allocation made for base images.
inline constexpr const char* kBaseImageSource = "ZaDudaRavad";

int CreateARGB8ColorBaseImage(int width, int height, BaseImage* image);
int CreateXRGB8ColorBaseImage(int width, int height, BaseImage* image);
int ReleaseBaseImage(BaseImage* image);
int DeriveBaseImage(const BaseImage* image, int x1, int y1, int x2, int y2, BaseImage* out);

// Bytes of the pixel data: every mip level of every image (cube faces included).
// Shared by whatever reads, writes or copies a whole pixel block. -1 for an
// unknown format code or a nonsensical size.
int64_t GetBaseImageDataSize(const BaseImage* image);
int GetBaseImageMaxValue(const BaseImage* image);

int FillBaseImage(BaseImage* image, int red, int green, int blue, int alpha);
int FillBaseImageRect(BaseImage* image, int x, int y, int width, int height, int red, int green, int blue,
                      int alpha);
int GetBaseImagePixel(BaseImage* image, int x, int y, int* red, int* green, int* blue, int* alpha);
int SetBaseImagePixel(BaseImage* image, int x, int y, int red, int green, int blue, int alpha);
int MirrorBaseImage(BaseImage* image);

int InitializeBaseImageManage();
int TerminateBaseImageManage();

// Rectangle routines (colour conversion through GraphColorMatchBlt).
int BltBaseImageRect(int srcX, int srcY, int width, int height, int destX, int destY, BaseImage* src,
                     BaseImage* dest);
int BltBaseImage(int destX, int destY, BaseImage* src, BaseImage* dest);
int ClearRectBaseImage(BaseImage* image, int x, int y, int width, int height);

}  // namespace ZaDod
