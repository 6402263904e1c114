// The built-in base-image loaders and the conversions between base images and
// device-independent bitmaps. Every loader takes an open stream, a zeroed image and
// the info-only flag, and returns 0 when it recognised and loaded the data, -1
// otherwise (having freed whatever it allocated).
#pragma once
#include <cstdint>

#include "platform/win/gdi.h"

namespace ZaDod {

struct StreamData;
struct BaseImage;

int LoadBmpImage(StreamData* stream, BaseImage* image, int infoOnly);
int LoadJpegImage(StreamData* stream, BaseImage* image, int infoOnly);
int LoadPngImage(StreamData* stream, BaseImage* image, int infoOnly);
int LoadTargaImage(StreamData* stream, BaseImage* image, int infoOnly);
int LoadDDSImage(StreamData* stream, BaseImage* image, int infoOnly);
int LoadTiffImage(StreamData* stream, BaseImage* image, int infoOnly);
int LoadRawBGRAImage(StreamData* stream, BaseImage* image, int infoOnly);

// One Direct3D 9 format code a DDS file may name; the table ends with code 0xFFFFFFFF.
struct DDSFormat {
    uint32_t code;
    uint8_t floatFlag;
    uint8_t channelCount;
    uint8_t bits;  // bits a pixel, or a channel's bits for channel formats
    uint32_t redMask, greenMask, blueMask, alphaMask;
};
extern const DDSFormat DDSFormatTable[];

// -1 on failure, 1 when the image owns newly allocated pixels, else the copy flag
// (the image then views the caller's bits).
int ConvertDIBToBaseImage(const plat::win::BITMAPINFO* info, const void* bits, BaseImage* image, int copyFlag);
// infoOut has room for the 40-byte header and 256 colour-table entries. -1 on
// failure, 1 when *bitsOut is a new block, else the copy flag (the image's own pixels).
int ConvertBaseImageToDIB(const BaseImage* image, plat::win::BITMAPINFO* infoOut, void** bitsOut, int copyFlag,
                          int force24);

}  // namespace ZaDod
