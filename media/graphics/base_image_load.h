// Loading base images from files and memory: the loader record, the dispatch over
// the built-in loaders, colour-plus-alpha pairs, and DIB sections made from images.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/file/file_access.h"
#include "platform/win/gdi.h"

namespace ZaDod {

struct BaseImage;

using BaseImageLoader = int (*)(StreamData* stream, BaseImage* image, int infoOnly);

constexpr int kMaxExtraImageLoaders = 10;
// Bytes of the DIB information block made for the make-DIB option: the header and
// a 256-entry colour table.
constexpr size_t kDIBInfoBytes = 1068;

struct ImageLoadStream {
    BaseImageLoader extraLoaders[kMaxExtraImageLoaders];
    int extraLoaderCount;
    int loaderFlag;  // info-only, passed to every loader
    FileAccessFunctions fileFunctions;
    StreamFunctions fileStreamFunctions;
    StreamFunctions memStreamFunctions;
    int convertToARGB8;
    int applyTransColor;
    uint32_t transColor;  // 0xRRGGBB
};

// The built-in loaders in the order they are tried; null-terminated.
extern const BaseImageLoader BaseImageLoaderTable[];

void SetupImageLoadStream(ImageLoadStream* record, int loaderFlag);
// dibInfo receives a kDIBInfoBytes block and dibBits the bits (both tracked
// allocations for the caller) when makeDIB is set; otherwise the image goes to out.
int LoadBaseImageFromStream(ImageLoadStream* record, const char16_t* fileName, const void* memImage,
                            size_t memSize, int fromMemory, int makeDIB, int mirror, BaseImage* out,
                            plat::win::BITMAPINFO** dibInfo, void** dibBits);
int TryBaseImageLoaders(ImageLoadStream* record, StreamData* stream, BaseImage* image);
// -1: the colour image failed; 0: both loaded; 1: only the colour image.
int LoadColorAndAlphaBaseImage(ImageLoadStream* record, const char16_t* colorFileName, const void* colorMem,
                               size_t colorSize, int fromMemory, const void* alphaMem, size_t alphaSize,
                               int alphaMode, BaseImage* colorImage, BaseImage* alphaImage, int mirror);
// name with "_a" before its extension (the last "." after the last "/" or "\"),
// walked character by character in codePage. -1 when out is too small.
int CreateAlphaImageFileName(const void* name, void* out, size_t outBytes, int codePage);

plat::win::HBITMAP CreateDIBGraph(const plat::win::BITMAPINFO* info, const void* bits, int mirror, BaseImage* image);
plat::win::HBITMAP CreateDIBGraphFromFile(const char16_t* fileName, int mirror, BaseImage* image);

}  // namespace ZaDod
